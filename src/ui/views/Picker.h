#pragma once
// A pop-up picker: a glass capsule showing the chosen item's title and an up-and-down
// chevron; a click opens a menu of every item with a checkmark on the chosen one. Choosing
// writes the bound field; a change of the field from anywhere updates the title without
// writing.
//
//     auto* smoothing = section->addRow(new kit::PickerRow<Smoothing>(
//         "Slider smoothing", std::nullopt,
//         {{Smoothing::instant, "Instant"}, {Smoothing::ms150, "150 ms"}, {Smoothing::ms400, "400 ms"}},
//         kit::settingField(model, &Settings::smoothing)));
//     // A second line that follows the choice:
//     smoothing->picker().onPicked([smoothing](Smoothing s) { smoothing->setSubtitle(...); });
//
// A stored value that matches no item shows an empty title and checks nothing.
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/kit/Buttons.h"
#include "ui/kit/PaneChrome.h"
#include "ui/views/SettingField.h"

class QMenu;

namespace orvane::kit {

class PickerButton : public GlassShapeButton {
public:
    PickerButton(std::vector<QString> titles, std::function<void(int)> pick, QWidget* parent = nullptr);

    void setSelectedIndex(std::optional<int> index);
    std::optional<int> selectedIndex() const { return selected_; }
    const std::vector<QString>& titles() const { return titles_; }
    QString currentTitle() const;
    // The menu as it would open now: one checkable action per item, the chosen one checked.
    QMenu* buildMenu();
    // Does what choosing the item in the menu does (nothing for a disabled item).
    void choose(int index);
    // A disabled item shows greyed in the menu with its reason beside the title and
    // cannot be chosen; the chosen item stays shown even when disabled.
    void setItemDisabled(int index, std::optional<QString> reason);
    std::optional<QString> disabledReason(int index) const;

private:
    void paintLabel(QPainter& painter, const QRectF& box, Appearance appearance) const;
    QSizeF labelSize() const;

    std::vector<QString> titles_;
    std::vector<std::optional<QString>> disabled_;
    std::function<void(int)> pick_;
    std::optional<int> selected_;
};

template <class T>
class Picker : public PickerButton {
public:
    struct Item {
        T value;
        QString title;
    };

    Picker(std::vector<Item> items, std::unique_ptr<SettingField<T>> field, QWidget* parent = nullptr)
        : PickerButton(
              titlesOf(items), [this](int i) { pick(i); }, parent),
          field_(std::move(field)) {
        for (const auto& item : items) values_.push_back(item.value);
        field_->onChange(this, [this](const T& value) { show(value); });
    }

    // Also called after a change from elsewhere, so a text that depends on the choice follows it.
    void onPicked(std::function<void(const T&)> callback) {
        picked_ = std::move(callback);
        if (picked_) picked_(field_->value());
    }
    T value() const { return field_->value(); }
    SettingField<T>& field() const { return *field_; }
    // Disables (with a reason) or enables the item of that value.
    void setValueDisabled(const T& value, std::optional<QString> reason) {
        const auto it = std::find(values_.begin(), values_.end(), value);
        if (it != values_.end()) setItemDisabled(static_cast<int>(it - values_.begin()), std::move(reason));
    }

private:
    static std::vector<QString> titlesOf(const std::vector<Item>& items) {
        std::vector<QString> out;
        for (const auto& item : items) out.push_back(item.title);
        return out;
    }
    void pick(int index) {
        if (index < 0 || index >= static_cast<int>(values_.size())) return;
        field_->set(values_[static_cast<std::size_t>(index)]);
    }
    void show(const T& value) {
        const auto it = std::find(values_.begin(), values_.end(), value);
        setSelectedIndex(it == values_.end() ? std::nullopt : std::optional(static_cast<int>(it - values_.begin())));
        if (picked_) picked_(value);
    }

    std::vector<T> values_;
    std::unique_ptr<SettingField<T>> field_;
    std::function<void(const T&)> picked_;
};

// A SettingRow whose content is a Picker.
template <class T>
class PickerRow : public SettingRow {
public:
    PickerRow(const QString& title, std::optional<QString> subtitle, std::vector<typename Picker<T>::Item> items,
              std::unique_ptr<SettingField<T>> field, QWidget* parent = nullptr)
        : SettingRow(title, std::move(subtitle), new Picker<T>(std::move(items), std::move(field)), parent) {
        picker().setAccessibleName(title);
    }
    Picker<T>& picker() const { return *static_cast<Picker<T>*>(content()); }
};

}  // namespace orvane::kit
