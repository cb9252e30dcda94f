#pragma once
// The ring gauge of the alerting-light badge: an ember track and an arc from twelve
// o'clock, clockwise, over the fraction (held to 0…1); changes spring without overshoot.
#include <memory>

#include <QWidget>

#include "platform/Scheduler.h"

namespace orvane {

class EveningLightRing : public QWidget {
public:
    EveningLightRing(double fraction, double lineWidth, QWidget* parent = nullptr);

    // Animates over 0.6 s when a scheduler is given, else jumps.
    void setFraction(double fraction, platform::Scheduler* scheduler = nullptr);
    double fraction() const { return fraction_; }
    // What is drawn now: the held target, or a point on the way to it.
    double shownFraction() const { return shown_; }

    static void paint(QPainter& painter, const QRectF& box, double fraction, double lineWidth, const QColor& ember);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double fraction_;
    double lineWidth_;
    double shown_;
    platform::Handle animation_;
};

}  // namespace orvane
