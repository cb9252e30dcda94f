#pragma once
// A painted on/off switch in the accent colour, large size. Checkable; the owner decides
// what a flip does and sets the state back from the model.
#include <QAbstractButton>

#include "ui/kit/Animator.h"
#include "ui/kit/Tokens.h"

namespace orvane::kit {

class TintSwitch : public QAbstractButton {
public:
    explicit TintSwitch(const QString& title, QWidget* parent = nullptr);
    // Shows the state, gliding the knob when the context animates.
    void setOn(bool on);
    QSize sizeHint() const override { return {42, 26}; }
    // Where the knob is drawn: 0 at the off end, 1 at the on end.
    double knobPosition() const { return knob_.value(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    AnimatedValue knob_{0};  // 0 off, 1 on
};

}  // namespace orvane::kit
