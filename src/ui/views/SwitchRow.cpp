#include "ui/views/SwitchRow.h"

namespace orvane::kit {

SwitchRow::SwitchRow(const QString& title, std::optional<QString> subtitle, std::unique_ptr<SettingField<bool>> field,
                     QWidget* parent)
    : SettingRow(title, std::move(subtitle), new TintSwitch(title), parent),
      toggle_(static_cast<TintSwitch*>(content())),
      field_(std::move(field)) {
    field_->onChange(toggle_, [this](bool on) { toggle_->setOn(available_ && on); });
    connect(toggle_, &QAbstractButton::toggled, this, [this](bool on) {
        field_->set(on);
        // The model may keep another value (an operation that refuses): show what it holds.
        if (field_->value() != on) toggle_->setOn(field_->value());
    });
}

void SwitchRow::setAvailable(bool available) {
    available_ = available;
    toggle_->setEnabled(available);
    toggle_->setOn(available && field_->value());
}

}  // namespace orvane::kit
