#pragma once
// Preference domains of other programs (the system's accessibility settings).
#include <optional>
#include <string>

#include "platform/Value.h"

namespace orvane::platform {

class Preferences {
public:
    virtual ~Preferences() = default;
    // False where this system keeps no such preferences: writes go nowhere.
    virtual bool isAvailable() { return true; }
    virtual std::optional<Value> copyAppValue(const std::string& key, const std::string& domain) = 0;
    // An absent value removes the key.
    virtual void setAppValue(const std::string& key, const std::optional<Value>& value, const std::string& domain) = 0;
    virtual bool synchronize(const std::string& domain) = 0;
};

}  // namespace orvane::platform
