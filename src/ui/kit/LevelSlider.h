#pragma once
// The kit's horizontal slider: a capsule track with a fill that grows from the leading end,
// a symbol riding on the fill's leading end, optional detent dots that a drag snaps to
// with a haptic tick, and a slight swell while dragged. It shows a 0...1 value and knows
// nothing of what the number means: each edit goes to the owner's `onEdit`, and the owner
// shows back what it stored (setValue), so a value the owner rounds is drawn rounded.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "ui/kit/Animator.h"
#include "ui/kit/Tokens.h"

namespace orvane::kit {

class LevelSlider : public QWidget {
public:
    // Room above and below the track for the fill's shadow; the track is `height` high.
    static constexpr int bleed = 3;

    LevelSlider(double value, std::string symbol, std::vector<double> detents, bool haptics, double height,
                std::optional<DynamicColor> fillTint, QWidget* parent = nullptr);

    // Shows a value; no edit.
    void setValue(double value);
    // Called with each edit (a drag, an adjustment), after the slider took the value.
    void setOnEdit(std::function<void(double)> onEdit) { onEdit_ = std::move(onEdit); }
    // What a drag or an adjustment does: takes the value and hands it to the owner.
    void edit(double value);
    void setDetents(std::vector<double> detents);
    void setHaptics(bool haptics) { haptics_ = haptics; }
    void setFillTint(std::optional<DynamicColor> tint);
    void setSymbol(std::string symbol);

    double value() const { return value_; }
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

    double value_;
    std::function<void(double)> onEdit_;
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
