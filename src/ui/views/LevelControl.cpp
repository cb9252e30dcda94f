#include "ui/views/LevelControl.h"

#include <QHBoxLayout>

#include "app/Capabilities.h"
#include "ui/views/TintRules.h"

namespace orvane::kit {

namespace {

Text* readoutText() {
    auto* text = new Text(QString(), Tokens::valueFont());
    text->setLevel(TextLevel::secondary);
    text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    text->setFixedTextWidth(48);
    return text;
}

QHBoxLayout* row(QWidget* owner) {
    auto* layout = new QHBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    return layout;
}

// While the user drags, the number follows the finger; any other change rolls.
void showReadout(Text& readout, const QString& text, double& shown, double value, bool dragging) {
    if (dragging) readout.setText(text);
    else readout.rollText(text, NumericTransition::direction(shown, value));
    shown = value;
}

}  // namespace

LevelControl::LevelControl(std::shared_ptr<AppModel> model, double height, Scale scale, QWidget* parent)
    : QWidget(parent), scale_(std::move(scale)), model_(std::move(model), [this](AppModel::Property) { refresh(); }) {
    AppModel* m = &model_.model();
    slider_ = new LevelSlider(scale_.position(*m), scale_.symbol, {}, scale_.haptics, height, std::nullopt);
    // The edit goes through the model's operation; the slider then shows where it landed.
    slider_->setOnEdit([this, m](double p) {
        scale_.setPosition(*m, p);
        slider_->setValue(scale_.position(*m));
    });
    slider_->setAccessibleName(scale_.accessibleName);
    readout_ = readoutText();
    auto* layout = row(this);
    layout->addWidget(slider_, 1);
    layout->addWidget(readout_);
    refresh();
}

void LevelControl::refresh() {
    const AppModel& m = model_.model();
    if (scale_.dress) scale_.dress(*slider_, m);
    const double value = scale_.value(m);
    showReadout(*readout_, QString::fromStdString(scale_.text(value)), shown_, value, slider_->dragging());
    slider_->setValue(scale_.position(m));
    slider_->update();
}

WarmthControl::WarmthControl(std::shared_ptr<AppModel> model, double height, QWidget* parent)
    : LevelControl(
          std::move(model), height,
          {.symbol = "flame.fill",
           .accessibleName = QStringLiteral("Warmth"),
           .haptics = true,
           .position = [](const AppModel& m) { return TintRules::warmthPosition(m.resolution().modeState.kelvin); },
           .setPosition = [](AppModel& m, double p) { m.setWarmth(TintRules::kelvinAt(p), std::nullopt); },
           .dress =
               [](LevelSlider& slider, const AppModel& m) {
                   const std::int64_t k = m.resolution().modeState.kelvin;
                   slider.setDetents(TintRules::presetDetents(m.settings().presets));
                   slider.setHaptics(m.settings().hapticDetents);
                   slider.setFillTint(k < 6500 ? std::optional(Tokens::curveColor(k)) : std::nullopt);
               },
           .value = [](const AppModel& m) { return static_cast<double>(m.resolution().modeState.kelvin); },
           .text = [](double k) { return TintRules::kelvinText(static_cast<std::int64_t>(k)); }},
          parent) {}

DimControl::DimControl(std::shared_ptr<AppModel> model, double height, QWidget* parent)
    : LevelControl(std::move(model), height,
                   {.symbol = "sun.max.fill",
                    .accessibleName = QStringLiteral("Brightness"),
                    .haptics = false,
                    .position =
                        [](const AppModel& m) {
                            return TintRules::dimPosition(m.resolution().modeState.dim, m.settings().dimFloor);
                        },
                    .setPosition =
                        [](AppModel& m, double p) {
                            m.setWarmth(m.resolution().modeState.kelvin, TintRules::dimAt(p, m.settings().dimFloor));
                        },
                    // Where nothing can dim the screen the slider says why instead of moving.
                    .dress =
                        [](LevelSlider& slider, const AppModel& m) {
                            const Availability dims = m.capabilities().dimming();
                            slider.setEnabled(dims.available);
                            slider.setToolTip(QString::fromStdString(dims.reason));
                        },
                    .value = [](const AppModel& m) { return m.resolution().modeState.dim; },
                    .text = [](double dim) { return TintRules::dimText(dim); }},
                   parent) {}

}  // namespace orvane::kit
