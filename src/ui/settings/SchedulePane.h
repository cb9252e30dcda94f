#pragma once
// The Schedule pane: the evening section, the place, the mode with its caption, then the
// editor of the mode in force: the sunset plan behind "Fine-tune the curve" (folding on the
// kit's spring) or the schedule steps. Manual mode has no editor. Whether the sunset
// editor is unfolded is the pane's own state, worked out each time the pane is shown: a
// hand-tuned curve opens unfolded, one made by an evening plan folded. Everything else
// follows the model. Rules in ScheduleRules (SchedulePaneRules).
#include <memory>

#include "ui/kit/Form.h"
#include "ui/kit/Spring.h"
#include "ui/settings/PaneEnvironment.h"
#include "ui/views/ModelView.h"

namespace orvane {

namespace kit {
class FormSection;
class ModeSegment;
class SettingRow;
class Text;
class TintSwitch;
}  // namespace kit
class EveningSection;
class LocationPickerView;
class RevealBox;
class ScheduleStepsView;
class SunsetSettingsView;

class SchedulePane : public kit::Form {
public:
    explicit SchedulePane(const PaneEnvironment& environment, QWidget* parent = nullptr);

    // The fold's spring.
    static constexpr kit::Spring foldSpring{0.5, 1.0};

    bool fineTune() const { return fineTune_; }
    // What the switch does: unfolds or folds the sunset editor on the spring.
    void setFineTune(bool on, bool animated = true);

    EveningSection& eveningSection() const { return *evening_; }
    kit::FormSection& locationSection() const { return *location_; }
    LocationPickerView& locationPicker() const { return *place_; }
    kit::FormSection& modeSection() const { return *mode_; }
    kit::ModeSegment& modeSegment() const { return *segment_; }
    const kit::Text& modeCaption() const { return *caption_; }
    kit::SettingRow& fineTuneRow() const { return *fineTuneRow_; }
    kit::TintSwitch& fineTuneSwitch() const { return *switch_; }
    RevealBox& fold() const { return *fold_; }
    SunsetSettingsView& sunsetEditor() const { return *sunset_; }
    ScheduleStepsView& stepsEditor() const { return *steps_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void follow();

    kit::ModelFollower model_;
    bool fineTune_ = false;
    EveningSection* evening_;
    kit::FormSection* location_;
    LocationPickerView* place_;
    kit::FormSection* mode_;
    kit::ModeSegment* segment_;
    kit::Text* caption_;
    kit::SettingRow* fineTuneRow_;
    kit::TintSwitch* switch_;
    SunsetSettingsView* sunset_;
    RevealBox* fold_;
    ScheduleStepsView* steps_;
};

}  // namespace orvane
