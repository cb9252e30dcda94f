#include "ui/views/ModeSegment.h"

namespace orvane::kit {

std::vector<GlassSegment<Mode>::Item> ModeSegment::items() {
    return {{Mode::sunset, "Sunset", "sun.haze.fill", std::nullopt},
            {Mode::manual, "Manual", "hand.draw.fill", std::nullopt},
            {Mode::schedule, "Schedule", "clock.fill", std::nullopt}};
}

ModeSegment::ModeSegment(std::shared_ptr<AppModel> model, QWidget* parent)
    : GlassSegment<Mode>(
          items(), model->settings().mode, 32, [m = model.get()](Mode mode) { m->setMode(mode); }, parent),
      model_(std::move(model), [this](AppModel::Property p) {
          if (p == AppModel::Property::settings) setSelection(model_.model().settings().mode);
      }) {
    setAccessibleName(QStringLiteral("Mode"));
}

}  // namespace orvane::kit
