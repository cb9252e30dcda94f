#pragma once
// When the late-night stage begins: "At" a clock time or "Event +" some hours after the
// evening event. Choosing a kind writes its seed (22:30, 3.0 h); the detail control
// beside it edits the payload of the current kind. Rules in ScheduleRules (LateNightRules).
#include <memory>

#include <QWidget>

#include "ui/settings/ScheduleFields.h"

namespace orvane {

namespace kit {
class Stepper;
}
class ClockTimePicker;

class LateNightAnchorPicker : public QWidget {
public:
    LateNightAnchorPicker(std::shared_ptr<AppModel> model, FieldPath<LateNightAnchor> anchor,
                          QWidget* parent = nullptr);

    KindPicker<LateNightAnchor>& kindPicker() const { return *kind_; }
    ClockTimePicker& clock() const { return *clock_; }
    kit::Stepper& hoursStepper() const { return *hours_; }

private:
    KindPicker<LateNightAnchor>* kind_;
    ClockTimePicker* clock_;
    kit::Stepper* hours_;
};

}  // namespace orvane
