#pragma once
// The ring gauge of the alerting-light badge: an ember track and an arc from twelve
// o'clock, clockwise, over the fraction (held to 0…1); changes spring without overshoot.
#include <QWidget>

#include "ui/kit/Animator.h"

namespace orvane {

class EveningLightRing : public QWidget {
public:
    EveningLightRing(double fraction, double lineWidth, QWidget* parent = nullptr);

    // Springs to the new arc on the context's animator (response 0.6 s, no overshoot).
    void setFraction(double fraction);
    double fraction() const { return fraction_; }
    // What is drawn now: the held target, or a point on the way to it.
    double shownFraction() const { return shown_.value(); }

    static void paint(QPainter& painter, const QRectF& box, double fraction, double lineWidth, const QColor& ember);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double fraction_;
    double lineWidth_;
    kit::AnimatedValue shown_;
};

}  // namespace orvane
