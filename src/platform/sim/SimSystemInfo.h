#pragma once
// The simulated machine's configured system facts (sysctl values, OS version).
#include <memory>

#include "platform/SystemInfo.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimSystemInfo final : public SystemInfo {
public:
    explicit SimSystemInfo(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}

    std::optional<std::string> sysctlString(const std::string& name) override;
    OSVersion osVersion() override;
    bool describesMac() override;
    std::string osDisplayName() override;

private:
    std::shared_ptr<SimMachine> machine_;
};

}  // namespace orvane::platform::sim
