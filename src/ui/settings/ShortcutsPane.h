#pragma once
// The Shortcuts pane: a recorder for each of the ten global shortcuts, how the reveal key
// behaves, the steps of the warmth and dim keys, where the desktop and scripts reach the
// program, and the fixed emergency reset. It keeps no state; every control follows the model.
// Where the desktop allows no global shortcuts the recorders are disabled, and the caption
// under the first section and the emergency reset's row say so.
#include <memory>
#include <optional>
#include <vector>

#include "core/DisplaySettings.h"
#include "ui/kit/Form.h"
#include "ui/settings/PaneEnvironment.h"
#include "ui/views/ModelView.h"

namespace orvane {

class AppModel;
class HotkeyRecorder;
namespace kit {
class SettingRow;
class Stepper;
class Text;
template <class T>
class PickerRow;
}  // namespace kit

class ShortcutsPane final : public kit::Form {
public:
    explicit ShortcutsPane(const PaneEnvironment& environment, QWidget* parent = nullptr);

    // The recorder of a shortcut field.
    HotkeyRecorder& recorder(std::optional<Hotkey> Shortcuts::*field) const;
    kit::PickerRow<bool>& revealBehavior() const { return *reveal_; }
    kit::Stepper& warmthStep() const { return *warmthStep_; }
    kit::Stepper& dimStep() const { return *dimStep_; }
    const kit::Text& emergencyText() const { return *emergency_; }
    const kit::SettingRow& emergencyRow() const { return *emergencyRow_; }
    const kit::Text& globalCaptionText() const { return *globalCaption_; }
    // Why the dim keys cannot work here; hidden where they can.
    const kit::Text& dimCaptionText() const { return *dimCaption_; }

private:
    void addShortcut(kit::FormSection& section, const char* label, std::optional<Hotkey> Shortcuts::*field);
    void followCapabilities();

    std::shared_ptr<AppModel> model_;
    std::vector<std::pair<std::optional<Hotkey> Shortcuts::*, HotkeyRecorder*>> recorders_;
    kit::PickerRow<bool>* reveal_;
    kit::Stepper* warmthStep_;
    kit::Stepper* dimStep_;
    kit::Text* emergency_;
    kit::SettingRow* emergencyRow_;
    kit::Text* globalCaption_;
    kit::Text* dimCaption_;
    kit::ModelFollower follower_;
};

}  // namespace orvane
