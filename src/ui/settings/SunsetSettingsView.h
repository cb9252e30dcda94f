#pragma once
// The sunset plan in detail, three form sections: "Evening" (the event and offset it starts
// at, its ramp and target), "Late night" (the stage's switch, and while on its beginning,
// target and ramp) and "Morning and day" (the morning rule, the daytime warmth, the polar
// fallback times). Every control writes the whole sunset record through one change; the
// place is the location picker's. Labels in ScheduleRules (SunsetRules).
#include <memory>

#include <QWidget>

#include "ui/settings/ScheduleFields.h"

namespace orvane {

namespace kit {
class FormSection;
class SettingRow;
class Stepper;
class SwitchRow;
}  // namespace kit
class ClockTimePicker;
class LateNightAnchorPicker;
class MorningPicker;
class TargetPicker;

class SunsetSettingsView : public QWidget {
public:
    explicit SunsetSettingsView(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);

    kit::FormSection& eveningSection() const { return *evening_; }
    kit::FormSection& lateNightSection() const { return *lateNight_; }
    kit::FormSection& morningSection() const { return *morning_; }

    kit::Picker<SunEvent>& eventPicker() const { return *event_; }
    kit::Stepper& offsetStepper() const { return *offset_; }
    kit::Stepper& eveningRampStepper() const { return *eveningRamp_; }
    TargetPicker& eveningTarget() const { return *eveningTarget_; }
    kit::SwitchRow& lateNightSwitch() const { return *lateNightSwitch_; }
    kit::SettingRow& beginsRow() const { return *beginsRow_; }
    kit::SettingRow& lateNightTargetRow() const { return *lateNightTargetRow_; }
    kit::SettingRow& lateNightRampRow() const { return *lateNightRampRow_; }
    LateNightAnchorPicker& lateNightAnchor() const { return *anchor_; }
    TargetPicker& lateNightTarget() const { return *lateNightTarget_; }
    kit::Stepper& lateNightRampStepper() const { return *lateNightRamp_; }
    MorningPicker& morningPicker() const { return *morningPicker_; }
    kit::Stepper& daytimeStepper() const { return *daytime_; }
    ClockTimePicker& polarEvening() const { return *polarEvening_; }
    ClockTimePicker& polarMorning() const { return *polarMorning_; }

private:
    kit::FormSection* evening_;
    kit::FormSection* lateNight_;
    kit::FormSection* morning_;
    kit::Picker<SunEvent>* event_;
    kit::Stepper* offset_;
    kit::Stepper* eveningRamp_;
    TargetPicker* eveningTarget_;
    kit::SwitchRow* lateNightSwitch_;
    kit::SettingRow* beginsRow_;
    kit::SettingRow* lateNightTargetRow_;
    kit::SettingRow* lateNightRampRow_;
    LateNightAnchorPicker* anchor_;
    TargetPicker* lateNightTarget_;
    kit::Stepper* lateNightRamp_;
    MorningPicker* morningPicker_;
    kit::Stepper* daytime_;
    ClockTimePicker* polarEvening_;
    ClockTimePicker* polarMorning_;
    std::unique_ptr<kit::SettingField<bool>> lateNightShown_;
};

}  // namespace orvane
