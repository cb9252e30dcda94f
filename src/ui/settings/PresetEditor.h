#pragma once
// The preset editor: one form section that edits the selected preset in place (name,
// warmth, dim, red style, icon, hotkey) and applies its warmth on request. It is bound to
// the preset by id: every write looks the preset up at that moment, so a list changed
// under the editor never has another preset overwritten, and a preset gone takes no write.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppModel.h"
#include "ui/kit/Form.h"
#include "ui/views/SettingField.h"

class QAbstractButton;
class QLineEdit;

namespace orvane {

namespace kit {
class LevelSlider;
class Stepper;
class PressableButton;
class SystemButton;
class Text;
class TextField;
template <class T>
class PickerRow;
}  // namespace kit
class HotkeyRecorder;

class PresetEditor final : public kit::FormSection {
public:
    PresetEditor(std::shared_ptr<AppModel> model, std::string presetId, QWidget* parent = nullptr);

    const std::string& presetId() const { return id_; }
    QLineEdit& nameField() const;
    // Under the name while the typed name cannot be used (empty, or another preset's).
    const kit::Text& nameCaption() const;
    kit::LevelSlider& warmthSlider() const { return *warmth_; }
    kit::Stepper& kelvinStepper() const { return *kelvin_; }
    kit::LevelSlider& dimSlider() const { return *dimSlider_; }
    kit::Stepper& dimStepper() const { return *dim_; }
    kit::PickerRow<std::optional<RedStyle>>& redStylePicker() const { return *redStyle_; }
    QAbstractButton& iconButton(std::size_t index) const;
    HotkeyRecorder& recorder() const { return *recorder_; }
    QAbstractButton& applyButton() const;

private:
    // The preset as stored now, found by id.
    std::optional<Preset> preset() const;
    // Writes an edited copy of the preset with the id, when there is one.
    void write(const std::function<void(Preset&)>& edit);
    void follow();

    std::shared_ptr<AppModel> model_;
    std::string id_;
    std::unique_ptr<kit::SettingField<std::optional<Preset>>> preset_;
    kit::TextField* name_;
    kit::Text* nameCaption_;
    std::optional<std::string> nameBeforeEditing_;  // from the first keystroke until the field is left
    kit::LevelSlider* warmth_;
    kit::Stepper* kelvin_;
    kit::LevelSlider* dimSlider_;
    kit::Stepper* dim_;
    kit::PickerRow<std::optional<RedStyle>>* redStyle_;
    std::vector<kit::PressableButton*> icons_;
    HotkeyRecorder* recorder_;
    kit::SystemButton* apply_;
};

}  // namespace orvane
