#include "platform/sim/SimSystemInfo.h"

namespace orvane::platform::sim {

std::optional<std::string> SimSystemInfo::sysctlString(const std::string& name) {
    const auto s = machine_->read();
    const auto it = s.sysctl.find(name);
    if (it == s.sysctl.end()) return std::nullopt;
    return it->second + std::string(1, '\0');  // as the system hands it over
}

OSVersion SimSystemInfo::osVersion() { return machine_->read().osVersion; }

}  // namespace orvane::platform::sim
