#pragma once
// The Displays pane: one section per connected display (header with "Identify", the warm
// switch, the method menu and its check, the per-display extra settings), each editing
// that display's whole record under its key.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/DisplaySettings.h"
#include "engine/DisplayManager.h"
#include "ui/kit/Form.h"
#include "ui/settings/PaneEnvironment.h"
#include "ui/views/ModelView.h"
#include "ui/views/SettingField.h"

namespace orvane {

namespace kit {
class SettingRow;
class Stepper;
class SystemButton;
class Text;
template <class T>
class PickerRow;
class SwitchRow;
}  // namespace kit

namespace DisplaysRules {
// "Built-in · 3024×1964 · Color matrix": the frame in whole pixels and the method really
// attached, or "Not tinted" when none could attach (with the reason, where it is known).
std::string subtitle(const DisplayInfo& display, std::optional<TintMethod> attachedMethod,
                     const std::optional<std::string>& notTinted = std::nullopt, const Capabilities* words = nullptr);
// The method check's answer, else how the automatic choice works here and what it picks
// for this display now (none: nothing can tint it, with the reason).
std::string methodCaption(const DisplaySettings& settings, const DisplayCapabilities* capabilities,
                          const Capabilities* words = nullptr);
// Every method but DDC for a built-in display, unless DDC is what it has stored.
std::vector<TintMethod> methodChoices(bool isBuiltIn, TintMethod stored);
std::string warmthOffsetLabel(std::int64_t kelvin);  // "+0K", "-300K"
// The sign follows the stored offset: "+" when it is 0 or more.
std::string dimOffsetLabel(double dimOffset);
// The reason when anti-dithering is not available here.
std::string antiDitheringCaption(bool isBuiltIn, const Availability& available);
std::string ddcCaption(bool answers);
std::string steadyBacklightCaption(const Availability& available);
}  // namespace DisplaysRules

// One field of a display's record, written as the whole record under the display's key.
template <class T>
std::unique_ptr<kit::SettingField<T>> displayField(const std::shared_ptr<AppModel>& model, const std::string& key,
                                                   T DisplaySettings::*member) {
    std::shared_ptr<kit::SettingField<DisplaySettings>> record = kit::displaySettingsField(model, key);
    return std::make_unique<kit::SettingField<T>>(
        model, [member, key](const Settings& s) { return s.displaySettings(key).*member; },
        [record, member](AppModel&, const T& v) {
            DisplaySettings r = record->value();
            r.*member = v;
            record->set(r);
        });
}

// The last rows of a display's section: offsets, anti-dithering, then the built-in panel's
// steady backlight or an external monitor's DDC brightness. The rows live in the section.
class DisplayExtraSettings {
public:
    DisplayExtraSettings(const std::shared_ptr<AppModel>& model, const DisplayInfo& display, kit::FormSection& section);
    // Enables the rows by what the computer can do now, with the reason when it cannot.
    void refresh(const Capabilities& capabilities);
    kit::Stepper& warmthOffset() const { return *warmth_; }
    kit::Stepper& dimOffset() const { return *dim_; }
    kit::Stepper* backlightLevel() const { return level_; }
    kit::PickerRow<std::optional<bool>>& antiDithering() const { return *antiDithering_; }
    kit::PickerRow<std::optional<bool>>* ddc() const { return ddc_; }
    kit::SwitchRow* steadyBacklight() const { return steady_; }

private:
    kit::Stepper* warmth_;
    kit::Stepper* dim_;
    kit::Stepper* level_ = nullptr;
    kit::PickerRow<std::optional<bool>>* antiDithering_;
    kit::PickerRow<std::optional<bool>>* ddc_ = nullptr;
    kit::SwitchRow* steady_ = nullptr;
    DisplayInfo display_;
};

class DisplaySection : public kit::FormSection {
public:
    DisplaySection(std::shared_ptr<AppModel> model, std::shared_ptr<Desktop> desktop, const DisplayInfo& display);
    const DisplayInfo& display() const { return display_; }
    const kit::Text& subtitleText() const { return *subtitle_; }
    kit::PickerRow<TintMethod>& methodRow() const { return *method_; }
    kit::SystemButton& identifyButton() const { return *identify_; }
    kit::SystemButton& checkButton() const { return *check_; }
    const std::string& symbol() const { return symbol_; }
    DisplayExtraSettings& extras() const { return *extras_; }
    void refresh();

private:
    std::shared_ptr<AppModel> model_;
    DisplayInfo display_;
    std::string symbol_;
    kit::Text* subtitle_;
    kit::PickerRow<TintMethod>* method_;
    kit::SystemButton* identify_;
    kit::SystemButton* check_;
    std::unique_ptr<DisplayExtraSettings> extras_;
};

class DisplaysPane : public kit::Form {
public:
    explicit DisplaysPane(const PaneEnvironment& environment, QWidget* parent = nullptr);
    std::vector<DisplaySection*> sections() const { return sections_; }
    bool showsEmptyState() const;

private:
    void rebuild();

    kit::ModelFollower model_;
    std::shared_ptr<Desktop> desktop_;
    std::vector<DisplayInfo> shown_;
    std::vector<DisplaySection*> sections_;
    kit::FormSection* empty_ = nullptr;
    std::string shownReach_;
};

}  // namespace orvane
