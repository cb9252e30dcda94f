#include "ui/views/WarmthControl.h"

#include <QHBoxLayout>

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

WarmthControl::WarmthControl(std::shared_ptr<AppModel> model, double height, QWidget* parent)
    : QWidget(parent), model_(std::move(model), [this](AppModel::Property) { refresh(); }) {
    AppModel* m = &model_.model();
    Binding<double> value{[m] { return TintRules::warmthPosition(m->resolution().modeState.kelvin); },
                          [m](double p) { m->setWarmth(TintRules::kelvinAt(p), std::nullopt); }};
    slider_ = new LevelSlider(std::move(value), "flame.fill", {}, true, height, std::nullopt);
    slider_->setAccessibleName(QStringLiteral("Warmth"));
    readout_ = readoutText();
    auto* layout = row(this);
    layout->addWidget(slider_, 1);
    layout->addWidget(readout_);
    refresh();
}

void WarmthControl::refresh() {
    const AppModel& m = model_.model();
    const std::int64_t k = m.resolution().modeState.kelvin;
    slider_->setDetents(TintRules::presetDetents(m.settings().presets));
    slider_->setHaptics(m.settings().hapticDetents);
    slider_->setFillTint(k < 6500 ? std::optional(Tokens::curveColor(k)) : std::nullopt);
    showReadout(*readout_, QString::fromStdString(TintRules::kelvinText(k)), shown_, static_cast<double>(k),
                slider_->dragging());
    slider_->update();
}

DimControl::DimControl(std::shared_ptr<AppModel> model, double height, QWidget* parent)
    : QWidget(parent), model_(std::move(model), [this](AppModel::Property) { refresh(); }) {
    AppModel* m = &model_.model();
    Binding<double> value{
        [m] { return TintRules::dimPosition(m->resolution().modeState.dim, m->settings().dimFloor); },
        [m](double p) { m->setWarmth(m->resolution().modeState.kelvin, TintRules::dimAt(p, m->settings().dimFloor)); }};
    slider_ = new LevelSlider(std::move(value), "sun.max.fill", {}, false, height, std::nullopt);
    slider_->setAccessibleName(QStringLiteral("Brightness"));
    readout_ = readoutText();
    auto* layout = row(this);
    layout->addWidget(slider_, 1);
    layout->addWidget(readout_);
    refresh();
}

void DimControl::refresh() {
    const double dim = model_.model().resolution().modeState.dim;
    showReadout(*readout_, QString::fromStdString(TintRules::dimText(dim)), shown_, dim, slider_->dragging());
    slider_->update();
}

}  // namespace orvane::kit
