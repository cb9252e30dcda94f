#pragma once
// The simulated machine's login item: recorded in its state ("loginItem"), available when
// the scripted bundle path ("bundlePath") ends in exactly ".app", as a program run from an
// application bundle. A scripted failure "loginItems.set" refuses the change.
#include <memory>

#include "platform/LoginItems.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimJournal;

class SimLoginItems final : public LoginItems {
public:
    SimLoginItems(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    bool isAvailable() override;
    bool isEnabled() override;
    std::optional<std::string> set(bool enabled) override;

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

}  // namespace orvane::platform::sim
