#pragma once
// Event sounds through the desktop's sound service (libcanberra, which finds the sound in
// the freedesktop sound theme). Sound can be played when a context opens on a driver;
// without a sound server it cannot, and playing does nothing.
#include <memory>
#include <string>

#include "platform/Sounds.h"

namespace orvane::platform::linuxsys {

class CanberraSounds final : public Sounds {
public:
    CanberraSounds();
    ~CanberraSounds() override;

    bool isAvailable() override;
    void play(const std::string& name) override;

    // The theme's event id for one of the program's sound names ("Pop" → "audio-volume-change").
    static std::string eventId(const std::string& name);

private:
    struct Context;
    std::unique_ptr<Context> context_;
    bool tried_ = false;
    bool open();
};

}  // namespace orvane::platform::linuxsys
