#include "platform/sim/SimLoginItems.h"

#include <filesystem>

#include "platform/sim/SimPlatform.h"

namespace orvane::platform::sim {

bool SimLoginItems::isAvailable() { return std::filesystem::path(machine_->read().bundlePath).extension() == ".app"; }

bool SimLoginItems::isEnabled() { return machine_->read().loginItem; }

std::optional<std::string> SimLoginItems::set(bool enabled) {
    journal_->add("loginItems.set", Value(enabled));
    return machine_->update([&](SimState& s) -> std::optional<std::string> {
        if (const auto status = SimMachine::takeFailure(s, "loginItems.set"))
            return "The operation couldn't be completed. (status " + std::to_string(*status) + ")";
        s.loginItem = enabled;
        return std::nullopt;
    });
}

}  // namespace orvane::platform::sim
