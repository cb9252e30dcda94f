#pragma once
// Registers the program as the user's login item, removes that registration, and tells
// whether it is in place. The registration itself lives in the system.
#include "platform/LoginItems.h"

namespace orvane {

struct LaunchAtLogin {
    LaunchAtLogin() = delete;

    // The program runs from a place a login item can start it from.
    static bool isAvailable(platform::LoginItems& items);
    static bool isEnabled(platform::LoginItems& items);
    // Whether the change took; false without a word when not available.
    static bool set(platform::LoginItems& items, bool enabled);
};

}  // namespace orvane
