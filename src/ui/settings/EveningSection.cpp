#include "ui/settings/EveningSection.h"

#include <QVBoxLayout>

#include "ui/kit/Buttons.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/Text.h"
#include "ui/settings/ClockTimePicker.h"
#include "ui/views/CurvePreview.h"
#include "ui/views/EveningRules.h"
#include "ui/views/IntensitySegment.h"

namespace orvane {
namespace {

// A time of the plan as the pickers read and write it, written through setEveningPlan.
// Without a plan the rows are hidden; the defaults only keep the field total.
std::unique_ptr<kit::SettingField<ClockTime>> planTime(const std::shared_ptr<AppModel>& model, bool bedtime) {
    return kit::operationField<ClockTime>(
        model,
        [bedtime](const Settings& s) {
            // The plan as AppModel::eveningPlan finds it, read from these settings.
            const auto plan = s.mode == Mode::sunset ? EveningPlan::matching(s.sunset) : std::nullopt;
            if (!plan) return bedtime ? EveningRules::defaultBedtime : EveningRules::defaultWake;
            return bedtime ? plan->bedtime : plan->wake;
        },
        [bedtime](AppModel& m, const ClockTime& t) {
            EveningPlan plan = m.eveningPlan().value_or(EveningRules::defaultEvening());
            (bedtime ? plan.bedtime : plan.wake) = t;
            m.setEveningPlan(plan);
        });
}

}  // namespace

QString EveningSection::title() { return QString::fromUtf8(EveningRules::eveningSectionTitle); }

EveningSection::EveningSection(std::shared_ptr<AppModel> model, QWidget* parent)
    : kit::FormSection(title(), parent),
      bedtime_(new ClockTimePicker(planTime(model, true))),
      wake_(new ClockTimePicker(planTime(model, false))),
      intensity_(new IntensitySegment(model, 26)),
      bedtimeRow_(
          new kit::SettingRow(QStringLiteral("Bedtime"), QString::fromUtf8(EveningRules::bedtimeCaption), bedtime_)),
      wakeRow_(new kit::SettingRow(QStringLiteral("Wake-up"), std::nullopt, wake_)),
      nightRow_(new kit::SettingRow(QStringLiteral("Night"), std::nullopt, intensity_)),
      useMyEvening_(new kit::SystemButton(QString::fromUtf8(EveningRules::useMyEvening))),
      noPlanRow_(new kit::SettingRow({}, QString::fromUtf8(EveningRules::noPlanSubtitle), useMyEvening_)),
      preview_(new CurvePreview(std::nullopt, model->placeZone(), 12, true)),
      status_(new kit::Text({}, kit::FontBook::font(kit::TextStyle::caption))),
      model_(model, [this](AppModel::Property p) {
          if (p == AppModel::Property::settings || p == AppModel::Property::resolution ||
              p == AppModel::Property::location)
              refresh();
      }) {
    intensity_->setFixedWidth(300);
    useMyEvening_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    status_->setLevel(kit::TextLevel::secondary);
    status_->setMaximumLines(2);
    for (kit::SettingRow* row : {bedtimeRow_, wakeRow_, nightRow_, noPlanRow_}) addRow(row);
    // The preview and the status line as one row: 6 points apart, 4 above and below.
    auto* curve = new QWidget;
    auto* column = new QVBoxLayout(curve);
    column->setContentsMargins(0, 4, 0, 4);
    column->setSpacing(6);
    column->addWidget(preview_);
    column->addWidget(status_);
    addRow(curve);

    connect(useMyEvening_, &QAbstractButton::clicked, this,
            [this] { model_.model().setEveningPlan(EveningRules::defaultEvening()); });
    refresh();
}

void EveningSection::refresh() {
    const AppModel& model = model_.model();
    const bool hasPlan = model.eveningPlan().has_value();
    for (QWidget* row : {bedtimeRow_, wakeRow_, nightRow_}) row->setVisible(hasPlan);
    noPlanRow_->setVisible(!hasPlan);
    if (!hasPlan) noPlanRow_->setTitle(QString::fromStdString(EveningRules::noPlanTitle(model.settings().mode)));
    preview_->setCurve(model.resolution().curve);
    preview_->setTimeZone(model.placeZone());
    status_->setText(QString::fromStdString(model.modeSubtitle()));
}

}  // namespace orvane
