#pragma once
// Other programs' preferences on the simulated machine, by domain.
#include <memory>

#include "platform/Preferences.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimPreferences final : public Preferences {
public:
    SimPreferences(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    // A machine scripted without the "preferences" port stands for a desktop that has none.
    bool isAvailable() override {
        return machine_->inspect([](const SimState& s) { return s.hasPort("preferences"); });
    }
    std::optional<Value> copyAppValue(const std::string& key, const std::string& domain) override;
    void setAppValue(const std::string& key, const std::optional<Value>& value, const std::string& domain) override;
    bool synchronize(const std::string& domain) override;

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

}  // namespace orvane::platform::sim
