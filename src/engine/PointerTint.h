#pragma once
// Turns the mouse pointer red through the system's accessibility pointer colours and puts
// the user's own colours back afterwards. The user's values are saved under
// "pointerTint.backup" before the first change, so they survive an unclean exit.
#include "platform/Log.h"
#include "platform/Value.h"

namespace orvane::platform {
class Platform;
}

namespace orvane {

class PointerTint {
public:
    static constexpr const char* domain = "com.apple.universalaccess";
    static constexpr const char* backupKey = "pointerTint.backup";
    static constexpr const char* colorChangedNotification = "com.apple.universalaccess.cursorColorChanged";
    static constexpr const char* cursorChangedNotification = "com.apple.universalaccessAX.cursorChanged";
    static constexpr const char* settingsAddress =
        "x-apple.systempreferences:com.apple.Accessibility-Settings.extension?Display";

    explicit PointerTint(platform::Platform& platform);

    // Whether the pointer colours can be written on this platform at all.
    static bool isAvailable(platform::Platform& platform);

    // This process applied the tint and has not restored it yet; not persisted.
    bool isApplied() const { return applied_; }
    void apply();
    void restore();
    void openSystemSettings();

    static platform::Dictionary color(double red, double green, double blue);

private:
    void write(const char* key, const std::optional<platform::Value>& value);
    void notify();

    platform::Platform& platform_;
    bool applied_ = false;
    platform::Log log_{"pointer"};
};

}  // namespace orvane
