#pragma once
// The warmth slider (6500 K at the leading end, 500 K at the trailing end, a detent at
// every preset) with the kelvin beside it; and the dim slider between the dim floor and 1
// with its percentage. Both show the mode's warmth and write through setWarmth. A readout
// rolls its digits when the value changes, except under the finger of its own slider.
#include <memory>

#include <QWidget>

#include "app/AppModel.h"
#include "ui/kit/LevelSlider.h"
#include "ui/kit/Text.h"
#include "ui/views/ModelView.h"

namespace orvane::kit {

class WarmthControl : public QWidget {
public:
    WarmthControl(std::shared_ptr<AppModel> model, double height, QWidget* parent = nullptr);
    LevelSlider& slider() const { return *slider_; }
    const Text& readout() const { return *readout_; }

private:
    void refresh();

    LevelSlider* slider_;
    Text* readout_;
    double shown_ = 0;  // the kelvin the readout shows
    ModelFollower model_;
};

class DimControl : public QWidget {
public:
    DimControl(std::shared_ptr<AppModel> model, double height, QWidget* parent = nullptr);
    LevelSlider& slider() const { return *slider_; }
    const Text& readout() const { return *readout_; }

private:
    void refresh();

    LevelSlider* slider_;
    Text* readout_;
    double shown_ = 0;  // the dim the readout shows
    ModelFollower model_;
};

}  // namespace orvane::kit
