#pragma once
// One step of the schedule: when it starts (a clock time, or a sun event with an offset),
// its target, its ramp, and a button that removes it. Each control writes the whole step
// with only its own part changed; choosing an anchor kind writes that kind's seed (20:00,
// or sunset +0 min). Rules in ScheduleRules (StepRules).
#include <functional>
#include <memory>

#include <QWidget>

#include "ui/settings/ScheduleFields.h"

namespace orvane {

namespace kit {
class PressableButton;
class Stepper;
}  // namespace kit
class ClockTimePicker;
class TargetPicker;

class StepRow : public QWidget {
public:
    StepRow(std::shared_ptr<AppModel> model, FieldPath<ScheduleStep> step, std::function<void()> remove,
            QWidget* parent = nullptr);

    KindPicker<StepAnchor>& anchorPicker() const { return *anchor_; }
    ClockTimePicker& clock() const { return *clock_; }
    kit::Picker<SunEvent>& eventPicker() const { return *event_; }
    kit::Stepper& offsetStepper() const { return *offset_; }
    TargetPicker& target() const { return *target_; }
    kit::Stepper& rampStepper() const { return *ramp_; }
    kit::PressableButton& removeButton() const { return *remove_; }

private:
    KindPicker<StepAnchor>* anchor_;
    ClockTimePicker* clock_;
    kit::Picker<SunEvent>* event_;
    kit::Stepper* offset_;
    TargetPicker* target_;
    kit::Stepper* ramp_;
    kit::PressableButton* remove_;
};

}  // namespace orvane
