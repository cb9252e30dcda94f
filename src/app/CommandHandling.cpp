// Carrying a command out on the model; apart from the parsers, so that a process that only
// forwards links nothing of the model.
#include <algorithm>

#include "app/AppModel.h"
#include "app/Commands.h"
#include "core/Fold.h"
#include "core/Overloaded.h"
#include "platform/Log.h"

namespace orvane {

void Commands::handle(const Command& command, AppModel& model) {
    log().notice("command: %{public}s", platform::logExcerpt(text(command)));
    std::visit(Overloaded{
                   [&](const Set& c) {
                       if (c.kelvin) {
                           model.setWarmth(*c.kelvin, c.dim);
                       } else if (c.dim) {
                           // The mode's kelvin, not that of an override in force.
                           const double dim = std::min(std::max(*c.dim, model.settings().dimFloor), 1.0);
                           model.setWarmth(model.resolution().modeState.kelvin, dim);
                       }
                   },
                   [&](const Preset& c) {
                       const std::string wanted = foldCase(c.name);
                       for (const auto& preset : model.settings().presets) {
                           if (foldCase(preset.name) != wanted) continue;
                           model.setWarmth(preset.kelvin, preset.dim);
                           if (model.settings().sounds) model.playPop();
                           return;
                       }
                       log().error("no preset named \"%{public}s\"", platform::logExcerpt(c.name));
                   },
                   [&](const TrueColor& c) {
                       const std::int64_t minutes = std::clamp<std::int64_t>(c.minutes, 1, 1440);
                       model.disable(model.now() + static_cast<double>(minutes) * 60);
                   },
                   [&](const Toggle&) { model.setEnabled(!model.settings().enabled); },
                   [&](const Reveal&) { model.setRevealHeld(!model.revealHeld()); },
                   [&](const WindDown&) { model.setCozy(!model.runtime().cozyActive); },
                   [&](const FollowEvening&) { model.followEvening(); },
               },
               command);
}

}  // namespace orvane
