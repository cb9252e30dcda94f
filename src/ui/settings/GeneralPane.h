#pragma once
// The General pane: the tint switch with the live warmth and dim sliders and the presets,
// the exact warmth and the rule for hand-made changes, the program's presence (login,
// panel icon) and the feel of the controls. It keeps no state; every row follows the model.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractButton>

#include "app/SettingsStore.h"
#include "core/Settings.h"
#include "ui/kit/Form.h"
#include "ui/settings/PaneEnvironment.h"
#include "ui/views/ModelView.h"

namespace orvane {

struct Availability;

namespace kit {
class FormSection;
class SwitchRow;
class Text;
template <class T>
class PickerRow;
}  // namespace kit

namespace GeneralRules {
std::string overrideTitle(OverrideBehavior behavior);
// The explanation under the override picker's title.
std::string overrideDetail(OverrideBehavior behavior);
// The tint switch's second line: the alerting-light label while on.
std::string warmSubtitle(bool enabled, const std::string& melanopicLabel);
// A control's second line: the reason when the computer cannot do it, else `otherwise`.
std::optional<std::string> capabilityCaption(const Availability& available, std::optional<std::string> otherwise);
// What went back to its defaults at start and where the stored documents were kept, in
// `file` (written from `home` on as "~/…"); none when nothing was damaged.
std::optional<std::string> damageNotice(const std::vector<SettingsStore::Damage>& damage, const std::string& file,
                                        const std::string& home);
}  // namespace GeneralRules

class GeneralPane : public kit::Form {
public:
    explicit GeneralPane(const PaneEnvironment& environment, QWidget* parent = nullptr);

    kit::SwitchRow& warmSwitch() const { return *warm_; }
    kit::PickerRow<OverrideBehavior>& overridePicker() const { return *override_; }
    kit::PickerRow<Smoothing>& smoothingPicker() const { return *smoothing_; }
    const kit::Text& launchCaption() const { return *launchCaption_; }
    const kit::Text& iconCaption() const { return *iconCaption_; }
    kit::SwitchRow& kelvinInTraySwitch() const { return *kelvinInTray_; }
    kit::SwitchRow& soundsSwitch() const { return *sounds_; }
    kit::SwitchRow& hapticsSwitch() const { return *haptics_; }
    kit::SwitchRow& hideFromCapturesSwitch() const { return *hideFromCaptures_; }
    kit::SwitchRow& launchSwitch() const { return *launch_; }
    // Shown while the model holds damaged documents; its button dismisses them.
    const kit::FormSection& damageSection() const { return *damage_; }
    const kit::Text& damageText() const { return *damageText_; }
    QAbstractButton& damageDismiss() const { return *damageDismiss_; }

private:
    void follow();

    kit::ModelFollower model_;
    kit::SwitchRow* warm_;
    kit::PickerRow<OverrideBehavior>* override_;
    kit::PickerRow<Smoothing>* smoothing_;
    kit::Text* launchCaption_;
    kit::Text* iconCaption_;
    kit::SwitchRow* launch_;
    kit::SwitchRow* kelvinInTray_;
    kit::SwitchRow* sounds_;
    kit::SwitchRow* haptics_;
    kit::SwitchRow* hideFromCaptures_;
    kit::FormSection* damage_;
    kit::Text* damageText_;
    QAbstractButton* damageDismiss_;
    void followDamage();
    // Enables the rows whose capability this computer has; the others say why not.
    void followCapabilities();
};

}  // namespace orvane
