#pragma once
// The brightness overlay's face: a sun, the title and sixteen level segments on glass,
// 200 × 200 points. It follows the overlay's state.
#include <QWidget>

#include "app/Panels.h"
#include "platform/Observers.h"

namespace orvane {

class HUDView : public QWidget {
public:
    static constexpr int side = 200;
    static constexpr double cornerRadius = 24;
    static constexpr double symbolSize = 56;
    static constexpr double spacing = 12;
    static constexpr double segmentWidth = 9;
    static constexpr double segmentHeight = 8;
    static constexpr double segmentSpacing = 2;

    // The state outlives the view.
    explicit HUDView(const app::BrightnessHUDState& state, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {side, side}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    const app::BrightnessHUDState& state_;
    Subscription subscription_;
};

}  // namespace orvane
