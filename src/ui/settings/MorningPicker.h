#pragma once
// How the tint ends in the morning: off at sunrise, off at a fixed time, a ramp ending at
// sunrise, or a ramp ending at the wake-up time. Choosing a kind writes its seed; beside
// the picker, the one detail control the kind needs (none for "Off at sunrise"). The ramp
// length of "Ramp out ending at wake-up" is carried over, not edited here. Rules in
// ScheduleRules (MorningRules).
#include <memory>

#include <QWidget>

#include "ui/settings/ScheduleFields.h"

namespace orvane {

namespace kit {
class Stepper;
}
class ClockTimePicker;

class MorningPicker : public QWidget {
public:
    MorningPicker(std::shared_ptr<AppModel> model, FieldPath<MorningBehavior> morning, QWidget* parent = nullptr);

    KindPicker<MorningBehavior>& kindPicker() const { return *kind_; }
    // The time of "Off at fixed time" and of "Ramp out ending at wake-up".
    ClockTimePicker& fixedClock() const { return *fixed_; }
    ClockTimePicker& wakeClock() const { return *wake_; }
    kit::Stepper& minutesStepper() const { return *minutes_; }

private:
    KindPicker<MorningBehavior>* kind_;
    ClockTimePicker* fixed_;
    ClockTimePicker* wake_;
    kit::Stepper* minutes_;
};

}  // namespace orvane
