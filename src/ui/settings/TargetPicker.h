#pragma once
// What a stage of the curve aims at: one of the user's presets (rows "Evening · 3400K" in
// the list's order) or "Custom…", whose warmth and dim steppers show only while the target
// is custom. The rows follow the preset list. Rules in ScheduleRules (TargetRules).
#include <memory>

#include <QWidget>

#include "ui/settings/ScheduleFields.h"

class QVBoxLayout;

namespace orvane {

namespace kit {
class Stepper;
}

class TargetPicker : public QWidget {
public:
    TargetPicker(std::shared_ptr<AppModel> model, FieldPath<TintTarget> target, QWidget* parent = nullptr);

    KindPicker<TintTarget>& picker() const { return *picker_; }
    kit::Stepper& kelvinStepper() const { return *kelvin_; }
    kit::Stepper& dimStepper() const { return *dim_; }
    bool steppersShown() const;

private:
    void buildPicker();
    void follow(const TintTarget& target);

    std::shared_ptr<AppModel> model_;
    FieldPath<TintTarget> path_;
    QVBoxLayout* column_;
    KindPicker<TintTarget>* picker_ = nullptr;
    QWidget* steppers_;
    kit::Stepper* kelvin_;
    kit::Stepper* dim_;
    std::unique_ptr<kit::SettingField<TintTarget>> target_;
    Subscription presets_;
};

}  // namespace orvane
