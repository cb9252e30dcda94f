#pragma once
// The Comfort pane: dimming and red, eye rest, the backlight and brightness keys, the
// display and pointer, prompts and tips. Every control edits one settings field; rows
// appear and disappear as the fields and displays that govern them change.
#include <memory>
#include <optional>
#include <string>

#include "core/Settings.h"
#include "ui/kit/Form.h"
#include "ui/settings/PaneEnvironment.h"
#include "ui/views/ModelView.h"
#include "ui/views/Picker.h"
#include "ui/views/Stepper.h"

namespace orvane {

namespace kit {
class SettingRow;
class SwitchRow;
class SystemButton;
class Text;
}  // namespace kit

namespace ComfortRules {
// Whether some display runs on a method whose overlay draws the deep-red layer and the
// Night Shift floor (nightShift or overlay).
bool usesLayers(AppModel& model);
// The pointer switch's caption, naming the Accessibility pointer colours on the simulated Mac.
std::string pointerCaption(std::int64_t thresholdKelvin, bool macWords);
// Why the brightness keys cannot be intercepted: the Mac's missing permission, else the
// desktop's refusal.
std::string brightnessKeysNotice(bool macWords);
inline constexpr const char* dimFloorCaption = "The screen can never go darker than this.";
inline constexpr const char* redStyleCaption =
    "Readable red folds blue and green content into red below 1500K, so links and buttons stay visible with zero "
    "blue light. Pure red scales the channels only; pure-blue content goes black.";
// The night light floor's caption: the Mac's range on the simulated Mac, the desktop's own
// lowest on Linux where it names one.
std::string nightLightFloorCaption(const Capabilities& capabilities);
}  // namespace ComfortRules

// A fraction shown as a whole percentage on the kit's stepper: round(v × 100), halves
// away from zero; a click writes n / 100 within the range.
struct PercentStepper {
    static kit::Stepper* make(std::unique_ptr<kit::SettingField<double>> value, kit::StepperRange range);
};

class ComfortPane : public kit::Form {
public:
    explicit ComfortPane(const PaneEnvironment& environment, QWidget* parent = nullptr);

    bool usesLayers() const;
    kit::SettingRow& deepRedRow() const { return *deepRed_; }
    kit::SettingRow& dimFloorRow() const { return *dimFloor_; }
    kit::PickerRow<RedStyle>& redStyleRow() const { return *redStyle_; }
    kit::SettingRow* nightShiftFloorRow() const { return nightShiftFloor_; }
    kit::SwitchRow& pointerSwitch() const { return *pointer_; }
    kit::SwitchRow& steadySwitch() const { return *steady_; }
    kit::PickerRow<AntiDitheringScope>& ditheringPicker() const { return *dithering_; }
    kit::SettingRow* pointerSettingsRow() const { return pointerSettings_; }
    QWidget& backlightTip() const { return *tip_; }
    kit::SystemButton& dismissButton() const { return *dismiss_; }
    kit::Text& pwmCaption() const { return *pwm_; }
    QWidget& restRows(int index) const { return *rest_[index]; }
    QWidget& levelRow() const { return *level_; }
    QWidget& accessibilityNotice() const { return *notice_; }
    kit::SwitchRow* nightShiftTip() const { return nightShiftTip_; }

private:
    void follow();

    kit::ModelFollower model_;
    kit::SettingRow* deepRed_ = nullptr;
    kit::SettingRow* dimFloor_ = nullptr;
    kit::PickerRow<RedStyle>* redStyle_ = nullptr;
    kit::SettingRow* nightShiftFloor_ = nullptr;
    QWidget* rest_[3] = {};
    QWidget* level_ = nullptr;
    QWidget* tip_ = nullptr;
    kit::SystemButton* dismiss_ = nullptr;
    QWidget* notice_ = nullptr;
    kit::Text* pwm_ = nullptr;
    kit::SwitchRow* pointer_ = nullptr;
    kit::SwitchRow* steady_ = nullptr;
    kit::PickerRow<AntiDitheringScope>* dithering_ = nullptr;
    kit::SettingRow* pointerSettings_ = nullptr;
    kit::SwitchRow* nightShiftTip_ = nullptr;
};

}  // namespace orvane
