#pragma once
// Tonight's estimated reduction of alerting light: a small ember ring and "62% less so
// far", drawn for a dark background. A new figure rolls its digits while the ring glides.
#include <QWidget>

#include "ui/kit/NumericTransition.h"

namespace orvane {

class EveningLightRing;

class EveningLightBadge : public QWidget {
public:
    explicit EveningLightBadge(double reduction, QWidget* parent = nullptr);

    void setReduction(double reduction);
    double reduction() const { return reduction_; }
    QString text() const;
    EveningLightRing* ring() const { return ring_; }
    const kit::NumericTransition& transition() const { return digits_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void relabel();
    double reduction_;
    EveningLightRing* ring_;
    kit::NumericTransition digits_;
};

}  // namespace orvane
