#pragma once
// Greys out and fades a widget with everything in it: saturation 1 and opacity 1 leave it
// alone, saturation 0 draws it in greys of equal luminance.
#include <QGraphicsEffect>

namespace orvane::kit {

class SaturationEffect : public QGraphicsEffect {
public:
    explicit SaturationEffect(QObject* parent = nullptr) : QGraphicsEffect(parent) { setEnabled(false); }
    void setLook(double saturation, double opacity);
    double saturation() const { return saturation_; }
    double opacity() const { return opacity_; }

protected:
    void draw(QPainter* painter) override;

private:
    double saturation_ = 1;
    double opacity_ = 1;
};

}  // namespace orvane::kit
