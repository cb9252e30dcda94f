#pragma once
// A labelled switch bound to a Boolean setting: the title (and optional second line) on
// the leading side, the kit's TintSwitch on the trailing side. Flipping it writes the
// field; a change of the field from anywhere moves the switch without writing.
//
//     section->addRow(new kit::SwitchRow("Sounds", std::nullopt, kit::settingField(model, &Settings::sounds)));
//     section->addRow(new kit::SwitchRow("Warm my display", subtitle,
//         kit::operationField<bool>(model, [](const Settings& s) { return s.enabled; },
//                                   [](AppModel& m, bool on) { m.setEnabled(on); })));
//
// setSubtitle() (from SettingRow) changes the second line, for texts that follow the model.
#include <memory>
#include <optional>

#include "ui/kit/PaneChrome.h"
#include "ui/kit/TintSwitch.h"
#include "ui/views/SettingField.h"

namespace orvane::kit {

class SwitchRow : public SettingRow {
public:
    SwitchRow(const QString& title, std::optional<QString> subtitle, std::unique_ptr<SettingField<bool>> field,
              QWidget* parent = nullptr);
    TintSwitch& toggle() const { return *toggle_; }
    SettingField<bool>& field() const { return *field_; }
    bool isOn() const { return toggle_->isChecked(); }
    // A feature that cannot work here: the switch is disabled and drawn off, whatever is
    // stored (which stays as it is, for a computer where it works).
    void setAvailable(bool available);

private:
    TintSwitch* toggle_;
    bool available_ = true;
    std::unique_ptr<SettingField<bool>> field_;
};

}  // namespace orvane::kit
