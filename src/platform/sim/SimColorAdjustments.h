#pragma once
// The simulated displays' colour adjustment matrices.
#include <memory>

#include "platform/ColorAdjustments.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimColorAdjustments final : public ColorAdjustments {
public:
    explicit SimColorAdjustments(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}

    std::int32_t set(std::uint32_t display, const Matrix3x3& matrix) override;
    std::int32_t reset(std::uint32_t display) override;
    std::optional<Matrix3x3> current(std::uint32_t display) override;

private:
    std::shared_ptr<SimMachine> machine_;
};

}  // namespace orvane::platform::sim
