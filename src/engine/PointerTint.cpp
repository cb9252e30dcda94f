#include "engine/PointerTint.h"

#include "platform/Platform.h"

namespace orvane {

namespace {

constexpr const char* customizedKey = "cursorIsCustomized";
constexpr const char* fillKey = "cursorFill";
constexpr const char* outlineKey = "cursorOutline";

}  // namespace

bool PointerTint::isAvailable(platform::Platform& platform) { return platform.preferences().isAvailable(); }

PointerTint::PointerTint(platform::Platform& platform) : platform_(platform) {}

platform::Dictionary PointerTint::color(double red, double green, double blue) {
    return {{"red", red}, {"green", green}, {"blue", blue}, {"alpha", 1.0}};
}

void PointerTint::write(const char* key, const std::optional<platform::Value>& value) {
    platform_.preferences().setAppValue(key, value, domain);
}

void PointerTint::notify() {
    auto& center = platform_.notifications();
    center.post(colorChangedNotification, std::nullopt);
    center.post(cursorChangedNotification, std::nullopt);
}

void PointerTint::apply() {
    if (applied_) return;
    auto defaults = platform_.standardUserDefaults();
    // A backup left by an unclean exit holds the user's colours; the red ones must not replace it.
    if (!defaults->dictionary(backupKey)) {
        auto& preferences = platform_.preferences();
        platform::Dictionary backup;
        backup[customizedKey] = preferences.copyAppValue(customizedKey, domain).value_or(platform::Value(false));
        if (auto fill = preferences.copyAppValue(fillKey, domain)) backup[fillKey] = *fill;
        if (auto outline = preferences.copyAppValue(outlineKey, domain)) backup[outlineKey] = *outline;
        defaults->set(backupKey, backup);
    }
    write(customizedKey, platform::Value(true));
    write(fillKey, platform::Value(color(0.45, 0.05, 0.05)));
    write(outlineKey, platform::Value(color(0.9, 0.15, 0.1)));
    platform_.preferences().synchronize(domain);
    notify();
    applied_ = true;
    log_.notice("pointer tint applied");
}

void PointerTint::restore() {
    auto defaults = platform_.standardUserDefaults();
    if (const auto backup = defaults->dictionary(backupKey)) {
        const auto saved = [&](const char* key) -> std::optional<platform::Value> {
            const auto it = backup->find(key);
            if (it == backup->end()) return std::nullopt;
            return it->second;
        };
        write(customizedKey, saved(customizedKey).value_or(platform::Value(false)));
        write(fillKey, saved(fillKey));
        write(outlineKey, saved(outlineKey));
        platform_.preferences().synchronize(domain);
        notify();
        defaults->remove(backupKey);
    }
    applied_ = false;
}

void PointerTint::openSystemSettings() { platform_.workspace().openURL(settingsAddress); }

}  // namespace orvane
