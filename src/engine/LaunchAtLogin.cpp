#include "engine/LaunchAtLogin.h"

#include "platform/Log.h"

namespace orvane {

namespace {

const platform::Log& log() {
    static const platform::Log l("login");
    return l;
}

}  // namespace

bool LaunchAtLogin::isAvailable(platform::LoginItems& items) { return items.isAvailable(); }

bool LaunchAtLogin::isEnabled(platform::LoginItems& items) { return items.isAvailable() && items.isEnabled(); }

bool LaunchAtLogin::set(platform::LoginItems& items, bool enabled) {
    if (!items.isAvailable()) return false;
    if (const auto failure = items.set(enabled)) {
        log().error("launch at login %{bool}d: %{public}s", enabled ? 1 : 0, *failure);
        return false;
    }
    return true;
}

}  // namespace orvane
