#pragma once
// The kit's horizontal slider: a capsule track with a fill that grows from the leading end,
// a symbol riding on the fill's leading end, optional detent dots that a drag snaps to
// with a haptic tick, and a slight swell while dragged. It edits a 0...1 binding and knows
// nothing of what the number means.
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "ui/kit/Animator.h"
#include "ui/kit/Binding.h"
#include "ui/kit/Tokens.h"

namespace orvane::kit {

class LevelSlider : public QWidget {
public:
    // Room above and below the track for the fill's shadow; the track is `height` high.
    static constexpr int bleed = 3;

    LevelSlider(Binding<double> value, std::string symbol, std::vector<double> detents, bool haptics, double height,
                std::optional<DynamicColor> fillTint, QWidget* parent = nullptr);

    void setBinding(Binding<double> value);
    void setDetents(std::vector<double> detents);
    void setHaptics(bool haptics) { haptics_ = haptics; }
    void setFillTint(std::optional<DynamicColor> tint);
    void setSymbol(std::string symbol);

    double value() const { return value_.get ? value_.get() : 0; }
    const Binding<double>& binding() const { return value_; }
    const std::vector<double>& detents() const { return detents_; }
    bool dragging() const { return dragging_; }
    std::optional<double> lastDetent() const { return lastDetent_; }
    double sliderHeight() const { return height_; }

    // The accessibility adjustments (no snapping, no haptics).
    void increment();
    void decrement();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void dragTo(double x);
    void setDragging(bool dragging);

    Binding<double> value_;
    std::string symbol_;
    std::vector<double> detents_;
    bool haptics_;
    double height_;
    std::optional<DynamicColor> fillTint_;
    bool dragging_ = false;
    std::optional<double> lastDetent_;
    AnimatedValue swell_{0};  // 0 at rest, 1 while dragged
};

// Registers the slider's accessibility interface (value text, increase and decrease).
void installLevelSliderAccessibility();

}  // namespace orvane::kit
