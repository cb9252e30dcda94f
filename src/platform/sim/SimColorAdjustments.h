#pragma once
// The simulated displays' colour adjustment matrices.
#include <memory>

#include "platform/ColorAdjustments.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimColorAdjustments final : public ColorAdjustments {
public:
    SimColorAdjustments(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    bool isAvailable() override;
    bool isAvailableFor(std::uint32_t display) override;
    std::int32_t set(const ColorAdjustment& adjustment) override;
    std::optional<Matrix3x3> current(std::uint32_t display) override;

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

}  // namespace orvane::platform::sim
