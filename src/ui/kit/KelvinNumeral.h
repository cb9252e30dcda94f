#pragma once
// A colour temperature as a large number and a smaller "K", in the warmth colour of that
// temperature. A change rolls the digits that differ when the context animates.
#include <cstdint>

#include <QWidget>

#include "ui/kit/NumericTransition.h"
#include "ui/kit/Tokens.h"

namespace orvane::kit {

namespace KelvinNumeralRules {
std::string digits(std::int64_t kelvin);  // no grouping: "3400"
// The warmth colour below 6500 K, the primary text colour at daylight.
QColor colour(std::int64_t kelvin, Appearance appearance);
std::string accessibleLabel(std::int64_t kelvin);  // "3400 kelvin"
}  // namespace KelvinNumeralRules

class KelvinNumeral : public QWidget {
public:
    explicit KelvinNumeral(std::int64_t kelvin = 6500, QWidget* parent = nullptr);

    // With `animated` the changed digits roll (down for a warmer, up for a cooler value).
    void setKelvin(std::int64_t kelvin, bool animated = false);
    std::int64_t kelvin() const { return kelvin_; }
    const NumericTransition& transition() const { return digits_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::int64_t kelvin_;
    NumericTransition digits_;
};

}  // namespace orvane::kit
