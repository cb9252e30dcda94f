#include "ui/settings/ShortcutsPane.h"

#include <algorithm>

#include "app/AppModel.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/Text.h"
#include "ui/settings/HotkeyRecorder.h"
#include "ui/settings/PaneRegistry.h"
#include "ui/settings/ShortcutsPaneRules.h"
#include "ui/views/Picker.h"
#include "ui/views/Stepper.h"

namespace orvane {

namespace {
using kit::q;

// A line may not break inside an option ("or --" above "toggle"): its hyphens are drawn as
// non-breaking ones, which look the same (the painted text cannot be copied).
QString unbrokenOptions(QString text) { return text.replace(QStringLiteral("--"), QStringLiteral("\u2011\u2011")); }
}  // namespace

ShortcutsPane::ShortcutsPane(const PaneEnvironment& environment, QWidget* parent)
    : kit::Form(parent), model_(environment.model), follower_(environment.model, [this](AppModel::Property p) {
          if (p == AppModel::Property::capabilities) followCapabilities();
      }) {
    using namespace ShortcutsPaneRules;

    auto* global = addSection(q(globalTitle));
    addShortcut(*global, globalRows[0].label, globalRows[0].field);
    reveal_ = global->addRow(new kit::PickerRow<bool>(q(revealBehaviorTitle), std::nullopt,
                                                      {{revealChoices[0].tapToggles, q(revealChoices[0].title)},
                                                       {revealChoices[1].tapToggles, q(revealChoices[1].title)}},
                                                      kit::settingField(model_, &Settings::revealTapToggles)));
    addShortcut(*global, globalRows[1].label, globalRows[1].field);
    addShortcut(*global, globalRows[2].label, globalRows[2].field);
    globalCaption_ = global->addCaption(q(globalCaption));

    auto* warmthAndDim = addSection(q(warmthAndDimTitle));
    for (const auto& row : warmthRows) addShortcut(*warmthAndDim, row.label, row.field);
    warmthStep_ = new kit::Stepper(kit::settingField(model_, &Settings::warmthStepKelvin),
                                   {warmthStepMin, warmthStepMax, warmthStepStep},
                                   [](std::int64_t k) { return q(warmthStepText(k)); });
    warmthAndDim->addRow(new kit::SettingRow(q(warmthStepTitle), std::nullopt, warmthStep_));
    for (const auto& row : dimRows) addShortcut(*warmthAndDim, row.label, row.field);
    dimStep_ = kit::Stepper::percent(kit::settingField(model_, &Settings::dimStep), {dimStepMin, dimStepMax, 1});
    warmthAndDim->addRow(new kit::SettingRow(q(dimStepTitle), std::nullopt, dimStep_));
    dimCaption_ = warmthAndDim->addCaption(QString());

    auto* presetsAndModes = addSection(q(presetsAndModesTitle));
    for (const auto& row : presetsAndModesRows) addShortcut(*presetsAndModes, row.label, row.field);

    auto* desktop = addSection(q(desktopTitle));
    auto* paragraph = new kit::Text(unbrokenOptions(q(desktopText)), kit::FontBook::font(kit::TextStyle::callout));
    paragraph->setLevel(kit::TextLevel::secondary);
    paragraph->setMaximumLines(6);
    paragraph->setContentsMargins(14, 10, 14, 10);
    desktop->addRow(paragraph);

    auto* alwaysOn = addSection(q(alwaysOnTitle));
    emergency_ = new kit::Text(q(ShortcutsPaneRules::emergencyText()), kit::FontBook::monospaced(kit::TextStyle::body));
    emergency_->setLevel(kit::TextLevel::secondary);
    emergencyRow_ = alwaysOn->addRow(new kit::SettingRow(q(emergencyTitle), q(emergencySubtitle), emergency_));
    followCapabilities();
}

void ShortcutsPane::followCapabilities() {
    const Availability& can = model_->capabilities().globalShortcuts;
    // A recorder would record a combination that nothing can ever press.
    // Nor would the dim keys dim anything where no method can dim the screen.
    const Availability dims = model_->capabilities().dimming();
    const auto dimsWith = [](std::optional<Hotkey> Shortcuts::*field) {
        return std::any_of(ShortcutsPaneRules::dimRows.begin(), ShortcutsPaneRules::dimRows.end(),
                           [field](const ShortcutsPaneRules::ShortcutRow& row) { return row.field == field; });
    };
    for (const auto& [field, recorder] : recorders_)
        recorder->setEnabled(can.available && (dims.available || !dimsWith(field)));
    dimStep_->setEnabled(dims.available);
    dimCaption_->setText(q(dims.reason));
    dimCaption_->setVisible(!dims);
    globalCaption_->setText(q(can ? ShortcutsPaneRules::globalCaption : can.reason));
    // The reset is a global shortcut too: where none can work, neither can it.
    emergencyRow_->setEnabled(can.available);
    emergencyRow_->setSubtitle(q(can ? std::string(ShortcutsPaneRules::emergencySubtitle) : can.reason));
}

void ShortcutsPane::addShortcut(kit::FormSection& section, const char* label, std::optional<Hotkey> Shortcuts::*field) {
    // Written as it comes; a clash with another shortcut, a preset or the reset is shown
    // under the recorder, which offers to move it here.
    auto* recorder = new HotkeyRecorder(kit::settingField(model_, &Settings::shortcuts, field), nullptr,
                                        RecorderRules::ShortcutOwner{field});
    recorder->setAccessibleName(q(label));
    section.addRow(new kit::SettingRow(q(label), std::nullopt, recorder));
    recorders_.emplace_back(field, recorder);
}

HotkeyRecorder& ShortcutsPane::recorder(std::optional<Hotkey> Shortcuts::*field) const {
    for (const auto& [f, recorder] : recorders_)
        if (f == field) return *recorder;
    return *recorders_.front().second;  // unreachable: every field has its row
}

QWidget* makeShortcutsPane(const PaneEnvironment& environment) { return new ShortcutsPane(environment); }

}  // namespace orvane
