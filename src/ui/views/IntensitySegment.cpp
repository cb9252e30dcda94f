#include "ui/views/IntensitySegment.h"

#include "app/AppModel.h"
#include "ui/kit/Tokens.h"
#include "ui/views/EveningRules.h"

namespace orvane {
namespace {

std::vector<kit::GlassSegment<EveningIntensity>::Item> items() {
    std::vector<kit::GlassSegment<EveningIntensity>::Item> out;
    // The factory presets' warmths: the user's edited copies do not move the swatches.
    for (const auto& item : EveningRules::intensityItems())
        out.push_back({item.intensity, item.title, std::nullopt, kit::Tokens::curveColor(item.swatchKelvin)});
    return out;
}

}  // namespace

IntensitySegment::IntensitySegment(std::shared_ptr<AppModel> model, double height, QWidget* parent)
    : QWidget(parent),
      model_(std::move(model)),
      plan_(model_->eveningPlan()),
      segment_(new kit::GlassSegment<EveningIntensity>(
          items(), plan_ ? std::optional(plan_->intensity) : std::nullopt, height,
          [this](EveningIntensity intensity) { choose(intensity); }, this)) {
    // `height` is the items'; the track around them is the segment's own.
    setFixedHeight(segment_->sizeHint().height());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QString::fromUtf8(EveningRules::intensityAccessibleName));
    subscription_ = model_->observe([this](AppModel::Property p) {
        if (p != AppModel::Property::settings) return;
        plan_ = model_->eveningPlan();
        segment_->setSelection(plan_ ? std::optional(plan_->intensity) : std::nullopt);
    });
}

void IntensitySegment::choose(EveningIntensity intensity) {
    model_->setEveningPlan(EveningRules::planWithIntensity(plan_, intensity));
}

QSize IntensitySegment::sizeHint() const { return {300, segment_->sizeHint().height()}; }

void IntensitySegment::resizeEvent(QResizeEvent*) { segment_->setGeometry(rect()); }

}  // namespace orvane
