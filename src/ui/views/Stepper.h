#pragma once
// A stepper: a label with the shown number and two arrows. It steps a whole number (the
// "shown" value: the setting itself, or a fraction in whole percent). The label shows the
// stored value as it is, even outside the range; a click writes clamp(shown ± step) into
// the range, so a click never writes a number outside it. An arrow that cannot move
// further is disabled.
//
//     // An integer setting with its own label text.
//     row = new kit::SettingRow("Warmth step", std::nullopt,
//         new kit::Stepper(kit::settingField(model, &Settings::warmthStepKelvin), {50, 2000, 50},
//                          [](std::int64_t k) { return QString("%1K").arg(k); }));
//     // A fraction 0…1 shown as a whole percentage (round half away from zero, written n / 100):
//     // 0.055 shows "6%"; with step 1 a click up writes 0.07, down 0.05.
//     kit::Stepper::percent(kit::settingField(model, &Settings::dimFloor), {1, 30, 1});
#include <cstdint>
#include <functional>
#include <memory>

#include <QWidget>

#include "ui/views/SettingField.h"

namespace orvane::kit {

class PressableButton;
class Text;

struct StepperRange {
    std::int64_t lowest;
    std::int64_t highest;
    std::int64_t step = 1;
};

// The stepper's arithmetic, apart from the widget.
namespace StepperRules {
std::int64_t stepped(std::int64_t shown, const StepperRange& range, bool up);
bool canStep(std::int64_t shown, const StepperRange& range, bool up);
// Fraction to whole percent, ties away from zero (0.125 → 13); and back as n / 100.
std::int64_t percentShown(double fraction);
double percentStored(std::int64_t percent);
QString percentLabel(std::int64_t percent);  // "5%"
}  // namespace StepperRules

class Stepper : public QWidget {
public:
    using Label = std::function<QString(std::int64_t)>;

    Stepper(std::unique_ptr<SettingField<std::int64_t>> field, StepperRange range, Label label,
            QWidget* parent = nullptr);
    static Stepper* percent(std::unique_ptr<SettingField<double>> field, StepperRange range, QWidget* parent = nullptr);

    std::int64_t shown() const { return shown_(); }
    QString labelText() const;
    void stepUp() { step(true); }
    void stepDown() { step(false); }
    PressableButton& upButton() const { return *up_; }
    PressableButton& downButton() const { return *down_; }
    const StepperRange& range() const { return range_; }

private:
    Stepper(std::function<std::int64_t()> shown, std::function<void(std::int64_t)> write, StepperRange range,
            Label label, QWidget* parent);
    void build();
    void step(bool up);
    void refresh();

    std::function<std::int64_t()> shown_;
    std::function<void(std::int64_t)> write_;
    StepperRange range_;
    Label label_;
    std::shared_ptr<void> field_;  // the SettingField behind shown_ and write_
    Text* text_ = nullptr;
    PressableButton* up_ = nullptr;
    PressableButton* down_ = nullptr;
};

}  // namespace orvane::kit
