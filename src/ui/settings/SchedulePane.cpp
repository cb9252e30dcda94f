#include "ui/settings/SchedulePane.h"

#include <QVBoxLayout>

#include "app/AppModel.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/Text.h"
#include "ui/kit/TintSwitch.h"
#include "ui/kit/Tokens.h"
#include "ui/settings/EveningSection.h"
#include "ui/settings/PaneRegistry.h"
#include "ui/settings/ScheduleRules.h"
#include "ui/settings/ScheduleStepsView.h"
#include "ui/settings/SunsetSettingsView.h"
#include "ui/views/LocationPickerView.h"
#include "ui/views/ModeSegment.h"
#include "ui/views/RevealBox.h"

namespace orvane {

SchedulePane::SchedulePane(const PaneEnvironment& environment, QWidget* parent)
    : kit::Form(parent), model_(environment.model, [this](AppModel::Property p) {
          if (p == AppModel::Property::settings) follow();
      }) {
    const auto& model = environment.model;

    evening_ = new EveningSection(model);
    addWidget(evening_);

    location_ = addSection(QStringLiteral("Location"));
    place_ = location_->addRow(new LocationPickerView(model));

    mode_ = addSection(QStringLiteral("Mode"));
    segment_ = new kit::ModeSegment(model);
    auto* segmentRow = new QWidget;
    segmentRow->setAttribute(Qt::WA_TranslucentBackground);
    auto* segmentBox = new QVBoxLayout(segmentRow);
    segmentBox->setContentsMargins(0, 4, 0, 0);
    segmentBox->addWidget(segment_);
    mode_->addRow(segmentRow);
    caption_ = mode_->addCaption(QStringLiteral(
        "Sunset follows your evening. Schedule uses fixed times you set below. Manual stays where you put it."));
    switch_ = new kit::TintSwitch(QStringLiteral("Fine-tune the curve"));
    fineTuneRow_ = mode_->addRow(new kit::SettingRow(
        QStringLiteral("Fine-tune the curve"),
        QStringLiteral("Sun event, offsets, ramps and targets. Changing them turns the evening into a custom curve."),
        switch_));
    connect(switch_, &QAbstractButton::toggled, this, [this](bool on) { setFineTune(on); });

    sunset_ = new SunsetSettingsView(model);
    fold_ = new RevealBox(sunset_, 0, foldSpring);
    addWidget(fold_);

    steps_ = new ScheduleStepsView(model);
    addWidget(steps_);
    // Room beyond the pieces stays below them rather than inside a section.
    sections().addStretch(1);

    follow();
}

void SchedulePane::setFineTune(bool on, bool animated) {
    fineTune_ = on;
    {
        const QSignalBlocker quiet(switch_);
        switch_->setOn(on);
    }
    const auto shown = SchedulePaneRules::visibility(model_.model().settings().mode, fineTune_);
    // Screenshots show the fold settled; reduce motion is the animator's own switch.
    fold_->setShown(shown.sunsetEditor, animated && !kit::GlassStyle::offscreenRender());
}

void SchedulePane::showEvent(QShowEvent* event) {
    const AppModel& model = model_.model();
    setFineTune(SchedulePaneRules::fineTuneOnShow(model.settings().mode, model.eveningPlan().has_value()), false);
    kit::Form::showEvent(event);
}

void SchedulePane::follow() {
    const auto shown = SchedulePaneRules::visibility(model_.model().settings().mode, fineTune_);
    fineTuneRow_->setVisible(shown.fineTuneSwitch);
    steps_->setVisible(shown.stepsEditor);
    if (fold_->shown() != shown.sunsetEditor) fold_->setShown(shown.sunsetEditor, false);
}

QWidget* makeSchedulePane(const PaneEnvironment& environment) { return new SchedulePane(environment); }

}  // namespace orvane
