#include "platform/sim/SimBacklight.h"

#include <algorithm>

#include "platform/Status.h"

namespace orvane::platform::sim {

bool SimBacklight::isAvailable() {
    return machine_->inspect([](const SimState& s) { return s.hasPort("backlight"); });
}

bool SimBacklight::canChangeBrightness(std::uint32_t display) {
    const auto s = machine_->read();
    const auto* d = s.display(display);
    return d && d->backlight.has_value();
}

std::int32_t SimBacklight::get(const char* linear, std::uint32_t display, float& level) {
    return machine_->update([&](SimState& s) -> std::int32_t {
        if (linear)
            if (auto failure = SimMachine::takeFailure(s, linear)) return *failure;
        if (auto failure = SimMachine::takeFailure(s, "backlight.get")) return *failure;
        const auto* d = s.display(display);
        if (!d || !d->backlight) return status::illegalArgument;
        level = *d->backlight;
        return status::success;
    });
}

std::int32_t SimBacklight::set(const char* operation, const char* linear, std::uint32_t display, float level) {
    return machine_->update([&](SimState& s) -> std::int32_t {
        // A linear set this backlight lacks never reaches it.
        if (linear)
            if (auto failure = SimMachine::takeFailure(s, linear)) return *failure;
        journal_->add(operation, Dictionary{{"display", display}, {"level", level}});
        if (auto failure = SimMachine::takeFailure(s, "backlight.set")) return *failure;
        auto* d = s.display(display);
        if (!d || !d->backlight || level != level) return status::illegalArgument;
        d->backlight = std::clamp(level, 0.0f, 1.0f);
        return status::success;
    });
}

}  // namespace orvane::platform::sim
