#include "platform/sim/SimGammaTables.h"

#include <algorithm>

#include "platform/Status.h"

namespace orvane::platform::sim {

std::uint32_t SimGammaTables::capacity(std::uint32_t display) {
    const auto s = machine_->read();
    const auto* d = s.display(display);
    return d ? d->gammaCapacity : 0;
}

std::int32_t SimGammaTables::read(std::uint32_t display, std::uint32_t capacity, GammaRamp& out) {
    out = {};
    return machine_->update([&](SimState& s) -> std::int32_t {
        if (auto failure = SimMachine::takeFailure(s, "gamma.read")) return *failure;
        const auto* d = s.display(display);
        if (!d || d->gammaCapacity == 0) return status::illegalArgument;
        const GammaRamp table =
            d->gamma ? d->gamma->resampled(d->gammaCapacity) : GammaRamp::identity(d->gammaCapacity);
        out = capacity >= d->gammaCapacity ? table : table.resampled(capacity);
        return status::success;
    });
}

std::int32_t SimGammaTables::write(std::uint32_t display, const GammaRamp& ramp) {
    journal_->add("gammaTables.write",
                  Dictionary{{"display", display}, {"samples", static_cast<std::int64_t>(ramp.size())}});
    return machine_->update([&](SimState& s) -> std::int32_t {
        if (auto failure = SimMachine::takeFailure(s, "gamma.write")) return *failure;
        auto* d = s.display(display);
        if (!d || d->gammaCapacity == 0 || !ramp.isConsistent() || ramp.size() < 2) return status::illegalArgument;
        GammaRamp stored = ramp.resampled(d->gammaCapacity);
        const auto clamp = [](std::vector<float>& v) {
            for (auto& f : v) f = std::clamp(f != f ? 0.0f : f, 0.0f, 1.0f);
        };
        clamp(stored.red);
        clamp(stored.green);
        clamp(stored.blue);
        if (stored == GammaRamp::identity(d->gammaCapacity)) d->gamma.reset();
        else d->gamma = std::move(stored);
        return status::success;
    });
}

void SimGammaTables::restoreColorSyncSettings() {
    journal_->add("gammaTables.restoreColorSyncSettings", Dictionary{});
    machine_->update([](SimState& s) {
        for (auto& d : s.displays) d.gamma.reset();
    });
}

std::int32_t SimGammaTables::restoreDisplay(std::uint32_t display) {
    journal_->add("gammaTables.restoreDisplay", Dictionary{{"display", display}});
    return machine_->update([&](SimState& s) -> std::int32_t {
        if (auto failure = SimMachine::takeFailure(s, "gamma.write")) return *failure;
        auto* d = s.display(display);
        if (!d || d->gammaCapacity == 0) return status::illegalArgument;
        d->gamma.reset();
        return status::success;
    });
}

}  // namespace orvane::platform::sim
