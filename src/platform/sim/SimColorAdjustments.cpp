#include "platform/sim/SimColorAdjustments.h"

#include "platform/Status.h"

namespace orvane::platform::sim {

std::int32_t SimColorAdjustments::set(std::uint32_t display, const Matrix3x3& matrix) {
    return machine_->update([&](SimState& s) -> std::int32_t {
        if (auto failure = SimMachine::takeFailure(s, "colorAdjustment")) return *failure;
        auto* d = s.display(display);
        if (!d) return status::illegalArgument;
        d->matrix = matrix;
        return status::success;
    });
}

std::int32_t SimColorAdjustments::reset(std::uint32_t display) {
    return machine_->update([&](SimState& s) -> std::int32_t {
        if (auto failure = SimMachine::takeFailure(s, "colorAdjustment")) return *failure;
        auto* d = s.display(display);
        if (!d) return status::illegalArgument;
        d->matrix.reset();
        return status::success;
    });
}

std::optional<Matrix3x3> SimColorAdjustments::current(std::uint32_t display) {
    const auto s = machine_->read();
    const auto* d = s.display(display);
    return d ? d->matrix : std::nullopt;
}

}  // namespace orvane::platform::sim
