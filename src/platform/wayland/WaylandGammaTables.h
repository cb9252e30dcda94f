#pragma once
// The GammaTables port on wlroots compositors (wlr-gamma-control). The protocol cannot
// read an output's ramps, so a read gives what this program set while it holds the
// control, else the identity; restoring gives the control back, and the compositor puts
// the output's own ramps back, also when the program dies.
#include <memory>
#include <optional>
#include <string>

#include "platform/GammaTables.h"
#include "platform/wayland/WaylandSession.h"

namespace orvane::platform::waylandsys {

class WaylandGammaTables final : public GammaTables {
public:
    explicit WaylandGammaTables(std::shared_ptr<WaylandSession> session) : session_(std::move(session)) {}

    std::uint32_t capacity(std::uint32_t display) override { return session_->gammaSize(display); }
    std::int32_t read(std::uint32_t display, std::uint32_t capacity, GammaRamp& out) override;
    std::int32_t write(std::uint32_t display, const GammaRamp& ramp) override;
    void restoreColorSyncSettings() override { session_->releaseAllGamma(); }
    std::int32_t restoreDisplay(std::uint32_t display) override;
    std::optional<std::string> unavailableReason(std::uint32_t display) override {
        return session_->gammaRefusal(display);
    }
    // The protocol cannot read ramps: a read fails only when the control cannot be had.
    std::string_view readCall() const override { return "zwlr_gamma_control_manager_v1.get_gamma_control"; }
    std::string_view writeCall() const override { return "zwlr_gamma_control_v1.set_gamma"; }

private:
    std::shared_ptr<WaylandSession> session_;
};

}  // namespace orvane::platform::waylandsys
