#pragma once
// The warmth slider (6500 K at the leading end, 500 K at the trailing end, a detent at
// every preset) with the kelvin beside it; and the dim slider between the dim floor and 1
// with its percentage. Both show the mode's warmth and write through setWarmth. A readout
// rolls its digits when the value changes, except under the finger of its own slider.
#include <functional>
#include <memory>
#include <string>

#include <QWidget>

#include "app/AppModel.h"
#include "ui/kit/LevelSlider.h"
#include "ui/kit/Text.h"
#include "ui/views/ModelView.h"

namespace orvane::kit {

// A slider of the mode's warmth with its readout beside it. The warmth and the dim controls
// differ only in their scale: what a position means, how the slider is dressed and how the
// readout words the value.
class LevelControl : public QWidget {
public:
    LevelSlider& slider() const { return *slider_; }
    const Text& readout() const { return *readout_; }

protected:
    struct Scale {
        std::string symbol;
        QString accessibleName;
        bool haptics;
        std::function<double(const AppModel&)> position;
        std::function<void(AppModel&, double)> setPosition;
        std::function<void(LevelSlider&, const AppModel&)> dress;  // may be empty
        std::function<double(const AppModel&)> value;              // what the readout shows
        std::function<std::string(double)> text;                   // ... and its words
    };
    LevelControl(std::shared_ptr<AppModel> model, double height, Scale scale, QWidget* parent);

private:
    void refresh();

    Scale scale_;
    LevelSlider* slider_;
    Text* readout_;
    double shown_ = 0;  // the value the readout shows
    ModelFollower model_;
};

class WarmthControl : public LevelControl {
public:
    WarmthControl(std::shared_ptr<AppModel> model, double height, QWidget* parent = nullptr);
};

class DimControl : public LevelControl {
public:
    DimControl(std::shared_ptr<AppModel> model, double height, QWidget* parent = nullptr);
};

}  // namespace orvane::kit
