#include "platform/sim/SimSystemInfo.h"

namespace orvane::platform::sim {

std::optional<std::string> SimSystemInfo::sysctlString(const std::string& name) {
    const auto s = machine_->read();
    const auto it = s.sysctl.find(name);
    if (it == s.sysctl.end()) return std::nullopt;
    return it->second + std::string(1, '\0');  // as the system hands it over
}

OSVersion SimSystemInfo::osVersion() { return machine_->read().osVersion; }

bool SimSystemInfo::describesMac() { return !machine_->read().linuxName; }

std::string SimSystemInfo::osDisplayName() {
    if (auto name = machine_->read().linuxName) return *name;
    return "macOS " + SystemInfo::osDisplayName();
}

}  // namespace orvane::platform::sim
