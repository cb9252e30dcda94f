#include "ui/settings/SunsetSettingsView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/kit/FontBook.h"
#include "ui/kit/Form.h"
#include "ui/kit/Text.h"
#include "ui/settings/ClockTimePicker.h"
#include "ui/settings/LateNightAnchorPicker.h"
#include "ui/settings/MorningPicker.h"
#include "ui/settings/ScheduleRules.h"
#include "ui/settings/TargetPicker.h"
#include "ui/views/Stepper.h"
#include "ui/views/SwitchRow.h"

namespace orvane {
namespace {

using Member = std::int64_t SunsetSettings::*;

template <class T>
FieldPath<T> sunsetPath(T SunsetSettings::*member) {
    return settingsPath(&Settings::sunset)
        .member<T>([member](const SunsetSettings& s) { return s.*member; },
                   [member](SunsetSettings& s, const T& v) { s.*member = v; });
}

kit::Stepper* minutesStepper(const std::shared_ptr<AppModel>& model, Member member, kit::StepperRange range,
                             std::string (*label)(std::int64_t), const QString& name) {
    auto* stepper = new kit::Stepper(sunsetPath(member).field(model), range,
                                     [label](std::int64_t v) { return QString::fromStdString(label(v)); });
    stepper->setAccessibleName(name);
    return stepper;
}

// Controls side by side, centred, as one row's content.
QWidget* sideBySide(std::initializer_list<QWidget*> controls) {
    auto* box = new QWidget;
    box->setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    for (QWidget* c : controls) row->addWidget(c, 0, Qt::AlignVCenter);
    return box;
}

}  // namespace

SunsetSettingsView::SunsetSettingsView(std::shared_ptr<AppModel> model, QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kit::FormMetrics::sectionSpacing);

    evening_ = new kit::FormSection(QStringLiteral("Evening"));
    std::vector<kit::Picker<SunEvent>::Item> events;
    for (SunEvent e : SunsetRules::eveningEvents())
        events.push_back({e, QString::fromStdString(SunsetRules::eventTitle(e))});
    event_ = new kit::Picker<SunEvent>(std::move(events), sunsetPath(&SunsetSettings::eveningEvent).field(model));
    event_->setAccessibleName(QStringLiteral("Event"));
    setPickerWidth(*event_, 130);
    offset_ = minutesStepper(model, &SunsetSettings::startOffsetMinutes, {-120, 120, 5}, signedMinutesLabel,
                             QStringLiteral("Offset"));
    evening_->addRow(new kit::SettingRow(QStringLiteral("Starts at"), std::nullopt, sideBySide({event_, offset_})));
    eveningRamp_ =
        minutesStepper(model, &SunsetSettings::eveningRampMinutes, {0, 180, 5}, minutesLabel, QStringLiteral("Ramp"));
    evening_->addRow(new kit::SettingRow(QStringLiteral("Ramp"), std::nullopt, eveningRamp_));
    eveningTarget_ = new TargetPicker(model, sunsetPath(&SunsetSettings::eveningTarget));
    evening_->addRow(new kit::SettingRow(QStringLiteral("Target"), std::nullopt, eveningTarget_));
    column->addWidget(evening_);

    lateNight_ = new kit::FormSection(QStringLiteral("Late night"));
    lateNightSwitch_ = lateNight_->addRow(new kit::SwitchRow(
        QStringLiteral("Late-night stage"), std::nullopt, sunsetPath(&SunsetSettings::lateNightEnabled).field(model)));
    anchor_ = new LateNightAnchorPicker(model, sunsetPath(&SunsetSettings::lateNightAnchor));
    beginsRow_ = lateNight_->addRow(new kit::SettingRow(QStringLiteral("Begins"), std::nullopt, anchor_));
    lateNightTarget_ = new TargetPicker(model, sunsetPath(&SunsetSettings::lateNightTarget));
    lateNightTargetRow_ =
        lateNight_->addRow(new kit::SettingRow(QStringLiteral("Target"), std::nullopt, lateNightTarget_));
    lateNightRamp_ =
        minutesStepper(model, &SunsetSettings::lateNightRampMinutes, {0, 180, 5}, minutesLabel, QStringLiteral("Ramp"));
    lateNightRampRow_ = lateNight_->addRow(new kit::SettingRow(QStringLiteral("Ramp"), std::nullopt, lateNightRamp_));
    column->addWidget(lateNight_);

    morning_ = new kit::FormSection(QStringLiteral("Morning and day"));
    morningPicker_ = new MorningPicker(model, sunsetPath(&SunsetSettings::morning));
    morning_->addRow(new kit::SettingRow(QStringLiteral("Morning"), std::nullopt, morningPicker_));
    daytime_ = minutesStepper(model, &SunsetSettings::daytimeKelvin, {3000, 6500, 100}, SunsetRules::daytimeLabel,
                              QStringLiteral("Daytime warmth"));
    morning_->addRow(new kit::SettingRow(QStringLiteral("Daytime warmth"),
                                         QStringLiteral("6500K is off. A mild tint such as 5000K softens the day."),
                                         daytime_));
    polarEvening_ = new ClockTimePicker(field(model, sunsetPath(&SunsetSettings::polarEvening)));
    polarMorning_ = new ClockTimePicker(field(model, sunsetPath(&SunsetSettings::polarMorning)));
    auto* slash = new kit::Text(QStringLiteral("/"), kit::FontBook::font(kit::TextStyle::body));
    slash->setLevel(kit::TextLevel::secondary);
    morning_->addRow(new kit::SettingRow(QStringLiteral("Polar fallback"),
                                         QStringLiteral("Used when the sun doesn't rise or set."),
                                         sideBySide({polarEvening_, slash, polarMorning_})));
    column->addWidget(morning_);

    lateNightShown_ = sunsetPath(&SunsetSettings::lateNightEnabled).field(model);
    lateNightShown_->onChange(this, [this](bool on) {
        for (QWidget* row : {beginsRow_, lateNightTargetRow_, lateNightRampRow_}) row->setVisible(on);
    });
}

}  // namespace orvane
