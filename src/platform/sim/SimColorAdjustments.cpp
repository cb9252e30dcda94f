#include "platform/sim/SimColorAdjustments.h"

#include "platform/Status.h"

namespace orvane::platform::sim {

namespace {

// The journal's record of one call: the display alone for a clearing one.
Dictionary journalEntry(const ColorAdjustment& a) {
    Dictionary entry{{"display", std::int64_t{a.display}}};
    if (!a.matrix) return entry;
    Array elements;
    for (float f : *a.matrix) elements.emplace_back(f);
    entry["matrix"] = std::move(elements);
    entry["scale"] = a.scale;
    entry["options"] = a.options;
    return entry;
}

}  // namespace

bool SimColorAdjustments::isAvailable() {
    return machine_->inspect([](const SimState& s) { return s.hasPort("colorAdjustments"); });
}

bool SimColorAdjustments::isAvailableFor(std::uint32_t display) {
    return machine_->inspect([display](const SimState& s) {
        const SimDisplay* d = s.display(display);
        return s.hasPort("colorAdjustments") && d && d->ctm;
    });
}

std::int32_t SimColorAdjustments::set(const ColorAdjustment& adjustment) {
    journal_->add("colorAdjustments.set", journalEntry(adjustment));
    if (!adjustment.isWellFormed()) return status::illegalArgument;
    return machine_->update([&](SimState& s) -> std::int32_t {
        if (auto failure = SimMachine::takeFailure(s, "colorAdjustment")) return *failure;
        auto* d = s.display(adjustment.display);
        if (!d) return status::illegalArgument;
        d->matrix = adjustment.matrix;
        return status::success;
    });
}

std::optional<Matrix3x3> SimColorAdjustments::current(std::uint32_t display) {
    const auto s = machine_->read();
    const auto* d = s.display(display);
    return d ? d->matrix : std::nullopt;
}

}  // namespace orvane::platform::sim
