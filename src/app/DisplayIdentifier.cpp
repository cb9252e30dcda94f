#include "app/DisplayIdentifier.h"

#include <algorithm>

namespace orvane::app {

const char* DisplayIdentifier::kindText(bool isBuiltIn) { return isBuiltIn ? "Built-in display" : "External display"; }

void DisplayIdentifier::flash(const DisplayInfo& display) {
    // Panels already ordered out go now; a timer never destroys its own panel from inside
    // its callback.
    shown_.remove_if([](const Shown& s) { return !s.panel->isVisible(); });
    auto panel = panels_.identifierPanel(width, height, display.name, display.isBuiltIn);
    if (!panel) return;
    const auto& f = display.frame;
    panel->moveTo({f.x + f.width / 2 - width / 2, f.y + f.height / 2 - height / 2});
    panel->orderFrontRegardless();
    Panel* raw = panel.get();
    shown_.push_back({std::move(panel), {}});
    shown_.back().timer = scheduler_.schedule(duration, 0, [raw] { raw->orderOut(); });
}

std::size_t DisplayIdentifier::shownCount() const {
    return static_cast<std::size_t>(
        std::count_if(shown_.begin(), shown_.end(), [](const Shown& s) { return s.panel->isVisible(); }));
}

}  // namespace orvane::app
