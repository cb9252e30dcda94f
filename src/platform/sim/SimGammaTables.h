#pragma once
// The simulated displays' gamma tables; a table equal to the identity is kept as none.
#include <memory>

#include "platform/GammaTables.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimGammaTables final : public GammaTables {
public:
    SimGammaTables(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    std::uint32_t capacity(std::uint32_t display) override;
    std::int32_t read(std::uint32_t display, std::uint32_t capacity, GammaRamp& out) override;
    std::int32_t write(std::uint32_t display, const GammaRamp& ramp) override;
    void restoreColorSyncSettings() override;
    std::int32_t restoreDisplay(std::uint32_t display) override;

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

}  // namespace orvane::platform::sim
