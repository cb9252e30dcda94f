#pragma once
// How the schedule pane's nested controls reach their part of the settings. A FieldPath
// reads one value out of the settings and puts one into a copy; a control makes its own
// SettingField from it, so every edit is one AppModel::change of the whole settings and
// an equal value writes nothing. member() narrows a path to a part of its value (the
// target of a step at a position, the minutes of a morning rule).
//
// KindPicker is the pop-up of an enumeration with payloads: it shows the kind of the
// current value and writes what the chosen kind makes of it (a seed, or the value itself
// when nothing changes).
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/views/Picker.h"
#include "ui/views/SettingField.h"

namespace orvane {

template <class T>
struct FieldPath {
    std::function<T(const Settings&)> read;
    std::function<void(Settings&, const T&)> assign;

    std::unique_ptr<kit::SettingField<T>> field(std::shared_ptr<AppModel> model) const {
        return kit::settingField<T>(std::move(model), read, assign);
    }

    template <class U>
    FieldPath<U> member(std::function<U(const T&)> get, std::function<void(T&, const U&)> put) const {
        return {[read = read, get](const Settings& s) { return get(read(s)); },
                [read = read, assign = assign, put](Settings& s, const U& v) {
                    T whole = read(s);
                    put(whole, v);
                    assign(s, whole);
                }};
    }
};

// The settings' own member (sunset, schedule) as a path.
template <class T>
FieldPath<T> settingsPath(T Settings::*member) {
    return {[member](const Settings& s) { return s.*member; }, [member](Settings& s, const T& v) { s.*member = v; }};
}

template <class T>
std::unique_ptr<kit::SettingField<T>> field(std::shared_ptr<AppModel> model, const FieldPath<T>& path) {
    return path.field(std::move(model));
}

template <class Value>
class KindPicker : public kit::PickerButton {
public:
    using KindOf = std::function<std::optional<int>(const Value&)>;
    using Chosen = std::function<Value(const Value& current, int kind)>;

    KindPicker(std::vector<QString> titles, std::unique_ptr<kit::SettingField<Value>> field, KindOf kindOf,
               Chosen chosen, QWidget* parent = nullptr)
        : kit::PickerButton(
              std::move(titles), [this](int i) { field_->set(chosen_(field_->value(), i)); }, parent),
          field_(std::move(field)),
          kindOf_(std::move(kindOf)),
          chosen_(std::move(chosen)) {
        field_->onChange(this, [this](const Value& v) {
            setSelectedIndex(kindOf_(v));
            if (shown_) shown_(v);
        });
    }
    kit::SettingField<Value>& field() const { return *field_; }
    // Called now and after every change of the value (the detail controls follow the kind).
    void onShown(std::function<void(const Value&)> shown) {
        shown_ = std::move(shown);
        if (shown_) shown_(field_->value());
    }

private:
    std::unique_ptr<kit::SettingField<Value>> field_;
    KindOf kindOf_;
    Chosen chosen_;
    std::function<void(const Value&)> shown_;
};

// The width a layout gives a pop-up, widened where the longest title needs more room in
// this font than the layout allows.
inline void setPickerWidth(kit::PickerButton& picker, int width) {
    picker.setFixedWidth(std::max(width, picker.sizeHint().width()));
}

inline std::vector<QString> qTitles(const std::vector<std::string>& titles) {
    std::vector<QString> out;
    for (const auto& t : titles) out.push_back(QString::fromStdString(t));
    return out;
}

}  // namespace orvane
