#pragma once
// Tonight's estimated reduction of alerting light: a small ember ring and "62% less so
// far", drawn for a dark background.
#include <QWidget>

namespace orvane {

class EveningLightRing;

class EveningLightBadge : public QWidget {
public:
    explicit EveningLightBadge(double reduction, QWidget* parent = nullptr);

    void setReduction(double reduction);
    double reduction() const { return reduction_; }
    QString text() const;
    EveningLightRing* ring() const { return ring_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void relabel();
    double reduction_;
    EveningLightRing* ring_;
};

}  // namespace orvane
