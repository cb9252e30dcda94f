#pragma once
// The simulated machine's sounds: each one played is journalled as "sound.play"; a machine
// without the "sounds" port plays none.
#include <memory>

#include "platform/Sounds.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimSounds final : public Sounds {
public:
    SimSounds(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    bool isAvailable() override {
        return machine_->inspect([](const SimState& s) { return s.hasPort("sounds"); });
    }
    void play(const std::string& name) override {
        if (isAvailable()) journal_->add("sound.play", Value(name));
    }

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

}  // namespace orvane::platform::sim
