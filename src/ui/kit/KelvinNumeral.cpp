#include "ui/kit/KelvinNumeral.h"

#include <QPainter>

#include "ui/kit/Context.h"

namespace orvane::kit {

namespace KelvinNumeralRules {

std::string digits(std::int64_t kelvin) { return std::to_string(kelvin); }

QColor colour(std::int64_t kelvin, Appearance appearance) {
    return kelvin < 6500 ? Tokens::warmColor(kelvin).resolve(appearance) : primaryText(appearance);
}

std::string accessibleLabel(std::int64_t kelvin) { return std::to_string(kelvin) + " kelvin"; }

}  // namespace KelvinNumeralRules

KelvinNumeral::KelvinNumeral(std::int64_t kelvin, QWidget* parent)
    : QWidget(parent), kelvin_(kelvin), digits_(QString::fromStdString(KelvinNumeralRules::digits(kelvin))) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(QString::fromStdString(KelvinNumeralRules::accessibleLabel(kelvin)));
    digits_.setOnChange([this] { update(); });
}

void KelvinNumeral::setKelvin(std::int64_t kelvin, bool animated) {
    if (kelvin == kelvin_) return;
    const auto direction = NumericTransition::direction(static_cast<double>(kelvin_), static_cast<double>(kelvin));
    kelvin_ = kelvin;
    setAccessibleName(QString::fromStdString(KelvinNumeralRules::accessibleLabel(kelvin)));
    digits_.setText(QString::fromStdString(KelvinNumeralRules::digits(kelvin)), *contextOf(this).animator, animated,
                    direction);
    updateGeometry();
    update();
}

QSize KelvinNumeral::sizeHint() const {
    const QFontMetricsF number(Tokens::numeralFont());
    const QFontMetricsF unit(Tokens::numeralUnitFont());
    const double width = number.horizontalAdvance(QString::fromStdString(KelvinNumeralRules::digits(kelvin_))) + 2 +
                         unit.horizontalAdvance(QStringLiteral("K"));
    return QSizeF(std::ceil(width) + 3, std::ceil(number.ascent() + number.descent())).toSize();
}

void KelvinNumeral::paintEvent(QPaintEvent*) {
    const Appearance appearance = appearanceOf(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF number(Tokens::numeralFont());
    const double baseline = number.ascent();
    const QColor colour = KelvinNumeralRules::colour(kelvin_, appearance);
    // Rolling digits leave through the widget's edges.
    painter.setClipRect(rect());
    painter.setFont(Tokens::numeralFont());
    digits_.draw(painter, QPointF(0, baseline), colour);
    // "K" in the secondary level of the same colour, on the same baseline, sliding as the
    // number's width changes.
    QColor unit = colour;
    unit.setAlphaF(colour.alphaF() * (isDark(appearance) ? 0.55f : 0.5f));
    painter.setFont(Tokens::numeralUnitFont());
    painter.setPen(unit);
    painter.drawText(QPointF(digits_.width(number) + 2, baseline), QStringLiteral("K"));
}

}  // namespace orvane::kit
