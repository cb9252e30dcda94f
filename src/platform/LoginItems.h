#pragma once
// The program's own login item: what starts it when the user logs in.
#include <optional>
#include <string>

namespace orvane::platform {

class LoginItems {
public:
    virtual ~LoginItems() = default;

    // A login item can be made for the program as it runs now.
    virtual bool isAvailable() = 0;
    // The program's login item is in place.
    virtual bool isEnabled() = 0;
    // Puts the login item in place (true) or removes it (false). Absent on success, else
    // the system's text of the failure.
    virtual std::optional<std::string> set(bool enabled) = 0;
};

}  // namespace orvane::platform
