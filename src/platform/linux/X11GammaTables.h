#pragma once
// The GammaTables port on X: each online output's CRTC gamma ramp.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/GammaTables.h"
#include "platform/linux/X11Session.h"

namespace orvane::platform::linuxsys {

class X11GammaTables final : public GammaTables {
public:
    explicit X11GammaTables(std::shared_ptr<X11Session> session) : session_(std::move(session)) {}

    std::uint32_t capacity(std::uint32_t display) override;
    std::int32_t read(std::uint32_t display, std::uint32_t capacity, GammaRamp& out) override;
    // An asynchronous RandR request whose reply is taken when the connection is readable;
    // read() at once where no main loop watches the connection.
    void readLater(std::uint32_t display, std::uint32_t capacity,
                   std::function<void(std::int32_t, GammaRamp)> done) override;
    std::int32_t write(std::uint32_t display, const GammaRamp& ramp) override;
    // Every CRTC with a ramp back to identity, driven or not.
    void restoreColorSyncSettings() override;

private:
    std::int32_t setCrtcGamma(unsigned long crtc, const GammaRamp& ramp);

    std::shared_ptr<X11Session> session_;
};

// An all-zero ramp (what a server without hardware reports) means identity.
GammaRamp rampFromX(const std::vector<std::uint16_t>& red, const std::vector<std::uint16_t>& green,
                    const std::vector<std::uint16_t>& blue);
std::vector<std::uint16_t> channelToX(const std::vector<float>& channel);

}  // namespace orvane::platform::linuxsys
