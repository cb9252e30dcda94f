#include "platform/sim/SimScreenshots.h"

#include "platform/sim/SimImages.h"

namespace orvane::platform::sim {

bool SimScreenshots::preflightAccess() { return machine_->read().screenCaptureAllowed; }

bool SimScreenshots::requestAccess() {
    journal_->add("screenshots.requestAccess", Dictionary{});
    return preflightAccess();
}

std::optional<Image> SimScreenshots::capture(const std::optional<Rect>& rect) {
    const bool fails =
        machine_->update([](SimState& s) { return SimMachine::takeFailure(s, "screenshot").has_value(); });
    const SimState s = machine_->read();
    if (fails || !s.screenCaptureAllowed || s.displays.empty()) return std::nullopt;
    const auto& main = s.displays.front();
    const double mainTop = main.frame.maxY();
    Rect area = rect ? rect->standardized()
                     : Rect{main.frame.x, mainTop - main.frame.maxY(), main.frame.width, main.frame.height};
    // Pixels at the scale of the display under the middle of the area.
    double scale = 1;
    const Point middle{area.x + area.width / 2, mainTop - (area.y + area.height / 2)};
    for (const auto& d : s.displays)
        if (d.frame.contains(middle)) scale = d.scale;
    if (area.width * scale < 1 || area.height * scale < 1) return std::nullopt;
    return renderImage(s, area, scale, false);
}

}  // namespace orvane::platform::sim
