#pragma once
// Holds the built-in display's backlight at a chosen level: once a second it reads the
// level and sets it back when something else moved it. The user's own level is recorded
// under "backlight.dirty" before the first hold and put back when the hold ends, or at the
// next launch after an unclean exit.
#include <cstdint>
#include <memory>
#include <optional>

#include "engine/DisplayServices.h"
#include "platform/Log.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"

namespace orvane::platform {
class Platform;
}

namespace orvane {

class SteadyBacklight {
public:
    static constexpr const char* dirtyKey = "backlight.dirty";
    static constexpr TimeInterval holdInterval = 1.0;
    static constexpr TimeInterval holdTolerance = 0.3;
    static constexpr float driftThreshold = 0.02f;

    SteadyBacklight(platform::Platform& platform, std::shared_ptr<platform::UserDefaults> defaults);

    // This platform has a backlight.
    bool isSupported() const;
    // The first built-in display among the first 16 online ones.
    std::optional<std::uint32_t> builtInDisplayID() const;

    bool isActive() const { return active_; }
    const std::optional<std::uint32_t>& displayID() const { return displayID_; }
    float level() const { return level_; }
    // Applied at once while holding; otherwise kept for the next enable().
    void setLevel(float level);

    void enable();
    void disable();
    void restoreIfDirty();

private:
    void tick();

    platform::Platform& platform_;
    std::shared_ptr<platform::UserDefaults> defaults_;
    DisplayServices services_;
    bool active_ = false;
    std::optional<std::uint32_t> displayID_;
    float level_ = 0.6f;
    platform::Handle poll_;
    platform::Log log_{"backlight"};
};

}  // namespace orvane
