#pragma once
// The "Schedule steps" section: how weekends are treated ("Same as weekdays", "Shifted" by
// a number of minutes, "Separate steps" with an "Editing" switch between the two lists),
// one StepRow per step of the list being edited, "Add step" and "Reset to defaults", and a
// footnote. It keeps only which list it edits; every edit writes the schedule through one
// change. Rules in ScheduleRules (StepsRules).
#include <memory>
#include <vector>

#include "ui/kit/Form.h"
#include "ui/kit/GlassSegment.h"
#include "ui/settings/ScheduleFields.h"

class QVBoxLayout;

namespace orvane {

namespace kit {
class SettingRow;
class Stepper;
class SystemButton;
}  // namespace kit
class StepRow;

class ScheduleStepsView : public kit::FormSection {
public:
    explicit ScheduleStepsView(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);

    KindPicker<ScheduleSettings>& weekendPicker() const { return *weekend_; }
    kit::SettingRow& shiftRow() const { return *shiftRow_; }
    kit::Stepper& shiftStepper() const { return *shift_; }
    kit::SettingRow& editingRow() const { return *editingRow_; }
    kit::GlassSegment<bool>& editingSegment() const { return *editing_; }
    bool editingWeekend() const { return editingWeekend_; }
    void setEditingWeekend(bool weekend);
    const std::vector<StepRow*>& stepRows() const { return rows_; }
    kit::SystemButton& addButton() const { return *add_; }
    kit::SystemButton& resetButton() const { return *reset_; }

    void addStep();
    void resetSteps();
    void removeStep(std::size_t position);

private:
    void rebuildRows();
    void followMode(const WeekendMode& mode);

    std::shared_ptr<AppModel> model_;
    std::unique_ptr<kit::SettingField<ScheduleSettings>> schedule_;
    bool editingWeekend_ = false;
    KindPicker<ScheduleSettings>* weekend_;
    kit::SettingRow* shiftRow_;
    kit::Stepper* shift_;
    kit::SettingRow* editingRow_;
    kit::GlassSegment<bool>* editing_;
    QWidget* stepsBox_;
    QVBoxLayout* stepsColumn_;
    std::vector<StepRow*> rows_;
    kit::SystemButton* add_;
    kit::SystemButton* reset_;
};

}  // namespace orvane
