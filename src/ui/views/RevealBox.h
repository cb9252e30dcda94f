#pragma once
// An element the popover inserts and removes with a transition (the status banner, the
// extras panel): it moves in from its top edge while fading in, and the box's own height
// springs with it, so whatever lies below slides instead of jumping. The box carries the
// stack's gap above its element, so a closed box takes no room at all.
#include <QWidget>

#include "ui/kit/Animator.h"
#include "ui/kit/Spring.h"

class QGraphicsOpacityEffect;

namespace orvane {

class RevealBox : public QWidget {
public:
    RevealBox(QWidget* child, int gap, kit::Spring spring, QWidget* parent = nullptr);

    // Inserts or removes the element on the spring; without `animated` it jumps.
    void setShown(bool shown, bool animated = true);
    bool shown() const { return shownTarget_; }
    // 0 out of sight above the box … 1 in place and opaque.
    double progress() const { return shown_.value(); }
    // The height the box takes in the stack now, and the one it is heading for.
    double layoutHeight() const { return height_.value(); }
    int fullHeight() const;
    // Where the element's top sits in the box now.
    int childTop() const;
    QWidget* child() const { return child_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();
    void settleVisibility();

    QWidget* child_;
    int gap_;
    kit::Spring spring_;
    bool shownTarget_ = false;
    kit::AnimatedValue shown_{0};
    kit::AnimatedValue height_{0};
    QGraphicsOpacityEffect* effect_;
};

}  // namespace orvane
