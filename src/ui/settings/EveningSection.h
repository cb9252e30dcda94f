#pragma once
// The "Your evening" section of the schedule pane: bedtime, wake-up and the night's
// intensity while the sunset curve follows an evening plan; otherwise one row that names
// the mode ("Custom curve", "Manual mode", "Schedule mode") with a "Use my evening"
// button; under both, today's curve from noon to noon and the mode's status line. It
// keeps nothing of its own and writes only through AppModel::setEveningPlan.
#include <memory>

#include "ui/kit/Form.h"
#include "ui/views/ModelView.h"

namespace orvane {
namespace kit {
class SettingRow;
class SystemButton;
class Text;
}  // namespace kit

class ClockTimePicker;
class CurvePreview;
class IntensitySegment;

// A section of the settings window's form: the schedule pane adds it to its Form.
class EveningSection : public kit::FormSection {
public:
    explicit EveningSection(std::shared_ptr<AppModel> model, QWidget* parent = nullptr);

    static QString title();  // "Your evening"

    // The rows shown with a plan.
    kit::SettingRow* bedtimeRow() const { return bedtimeRow_; }
    kit::SettingRow* wakeRow() const { return wakeRow_; }
    kit::SettingRow* nightRow() const { return nightRow_; }
    ClockTimePicker* bedtimePicker() const { return bedtime_; }
    ClockTimePicker* wakePicker() const { return wake_; }
    IntensitySegment* intensity() const { return intensity_; }
    // The row shown without a plan.
    kit::SettingRow* noPlanRow() const { return noPlanRow_; }
    kit::SystemButton* useMyEveningButton() const { return useMyEvening_; }
    // Under both.
    CurvePreview* curvePreview() const { return preview_; }
    kit::Text* statusLine() const { return status_; }

private:
    void refresh();

    ClockTimePicker* bedtime_;
    ClockTimePicker* wake_;
    IntensitySegment* intensity_;
    kit::SettingRow* bedtimeRow_;
    kit::SettingRow* wakeRow_;
    kit::SettingRow* nightRow_;
    kit::SystemButton* useMyEvening_;
    kit::SettingRow* noPlanRow_;
    CurvePreview* preview_;
    kit::Text* status_;
    kit::ModelFollower model_;
};

}  // namespace orvane
