#pragma once
// One field (or one record) of the model's Settings as a control edits it.
//
// Reading: value() reads the field from the model's current settings.
// Following: onChange(control, show) calls `show` with the new value each time a change
//   of the settings, from anywhere, alters this field (observeSettings' old and new value
//   differ), with `control`'s signals blocked, so showing never writes back. Changes of
//   other fields do not call it.
// Writing: set(v) puts the value into a copy of the settings and assigns it through one
//   AppModel::change (the whole record that holds the field goes with it). A value equal
//   to the stored one writes nothing: no announcement, no store write.
//
// A pane rarely uses a field alone; the form pieces take one each:
//
//     auto* feel = new kit::FormSection("Feel");
//     feel->addRow(new kit::SwitchRow("Sounds", kit::settingField(model, &Settings::sounds)));
//     feel->addRow(new kit::PickerRow<Smoothing>("Slider smoothing", std::nullopt,
//                                                {{Smoothing::instant, "Instant"}, ...},
//                                                kit::settingField(model, &Settings::smoothing)));
//     // A field inside a record: the record is written whole.
//     kit::settingField(model, &Settings::restBreaks, &RestBreakSettings::enabled);
//     // One display's record by key (the stored entry or the defaults).
//     kit::displaySettingsField(model, displayKey);
//     // A field whose edit is a model operation rather than an assignment.
//     kit::operationField<bool>(model, [](const Settings& s) { return s.enabled; },
//                               [](AppModel& m, bool on) { m.setEnabled(on); });
//
// A control of its own follows a field the same way:
//
//     field_ = kit::settingField(model, &Settings::warmthStepKelvin);
//     field_->onChange(box, [box](std::int64_t v) { box->setValue(int(v)); });
//     connect(box, &QSpinBox::valueChanged, [this](int v) { field_->set(v); });
//
// The field belongs to the widget that shows it (a unique_ptr member or a form piece) and
// must not outlive the model it was given.
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include <QObject>
#include <QPointer>
#include <QSignalBlocker>

#include "app/AppModel.h"

namespace orvane::kit {

template <class T>
class SettingField {
public:
    using Read = std::function<T(const Settings&)>;
    // Makes the edit: usually an assignment inside AppModel::change, sometimes an operation.
    using Write = std::function<void(AppModel&, const T&)>;

    SettingField(std::shared_ptr<AppModel> model, Read read, Write write)
        : model_(std::move(model)), read_(std::move(read)), write_(std::move(write)) {
        subscription_ = model_->observeSettings([this](const Settings& old, const Settings& current) {
            if (!show_) return;
            T now = read_(current);
            if (read_(old) == now) return;
            refresh(now);
        });
    }
    SettingField(const SettingField&) = delete;
    SettingField& operator=(const SettingField&) = delete;

    T value() const { return read_(model_->settings()); }

    // Writes the value unless it is already stored (or a refresh is under way); true when
    // it wrote.
    bool set(const T& value) {
        if (refreshing_ || read_(model_->settings()) == value) return false;
        write_(*model_, value);
        return true;
    }

    // `show` is called now and after every change of the field, with `control`'s signals
    // blocked. Once the control is deleted, `show` is no longer called.
    void onChange(QObject* control, std::function<void(const T&)> show) {
        control_ = control;
        hasControl_ = control != nullptr;
        show_ = std::move(show);
        refresh(value());
    }

    AppModel& model() const { return *model_; }
    const std::shared_ptr<AppModel>& sharedModel() const { return model_; }

private:
    void refresh(const T& value) {
        if (!show_ || (hasControl_ && control_.isNull())) return;
        refreshing_ = true;
        {
            const QSignalBlocker blocker(control_.data());
            show_(value);
        }
        refreshing_ = false;
    }

    std::shared_ptr<AppModel> model_;
    Read read_;
    Write write_;
    std::function<void(const T&)> show_;
    QPointer<QObject> control_;
    bool hasControl_ = false;
    bool refreshing_ = false;
    Subscription subscription_;
};

// A member of Settings, written by assignment.
template <class T>
std::unique_ptr<SettingField<T>> settingField(std::shared_ptr<AppModel> model, T Settings::*member) {
    return std::make_unique<SettingField<T>>(
        std::move(model), [member](const Settings& s) { return s.*member; },
        [member](AppModel& m, const T& v) { m.change([&](Settings& s, RuntimeState&) { s.*member = v; }); });
}

// A member of a record inside Settings (restBreaks.enabled, sunset.locationSource).
template <class Record, class T>
std::unique_ptr<SettingField<T>> settingField(std::shared_ptr<AppModel> model, Record Settings::*record,
                                              T Record::*member) {
    return std::make_unique<SettingField<T>>(
        std::move(model), [record, member](const Settings& s) { return s.*record.*member; },
        [record, member](AppModel& m, const T& v) {
            m.change([&](Settings& s, RuntimeState&) { s.*record.*member = v; });
        });
}

// Any part of the settings: `read` picks it out, `assign` puts a value into a copy.
template <class T>
std::unique_ptr<SettingField<T>> settingField(std::shared_ptr<AppModel> model, std::function<T(const Settings&)> read,
                                              std::function<void(Settings&, const T&)> assign) {
    return std::make_unique<SettingField<T>>(std::move(model), std::move(read),
                                             [assign = std::move(assign)](AppModel& m, const T& v) {
                                                 m.change([&](Settings& s, RuntimeState&) { assign(s, v); });
                                             });
}

// Read from the settings, edited through a model operation (setEnabled, setLaunchAtLogin).
template <class T>
std::unique_ptr<SettingField<T>> operationField(std::shared_ptr<AppModel> model, std::function<T(const Settings&)> read,
                                                std::function<void(AppModel&, const T&)> operation) {
    return std::make_unique<SettingField<T>>(std::move(model), std::move(read), std::move(operation));
}

// One display's record by key: the stored entry or the defaults; a write stores the whole
// record under the key.
std::unique_ptr<SettingField<DisplaySettings>> displaySettingsField(std::shared_ptr<AppModel> model,
                                                                    std::string displayKey);

}  // namespace orvane::kit
