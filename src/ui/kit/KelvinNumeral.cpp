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
    : QWidget(parent), kelvin_(kelvin), previous_(kelvin) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(QString::fromStdString(KelvinNumeralRules::accessibleLabel(kelvin)));
    roll_.setOnChange([this] { update(); });
}

void KelvinNumeral::setKelvin(std::int64_t kelvin, bool animated) {
    if (kelvin == kelvin_) return;
    previous_ = kelvin_;
    kelvin_ = kelvin;
    setAccessibleName(QString::fromStdString(KelvinNumeralRules::accessibleLabel(kelvin)));
    Animator& animator = *contextOf(this).animator;
    animator.set(roll_, animated ? 0 : 1);
    if (animated) animator.animate(roll_, 1, Spring{0.35, 1.0});
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
    const QFont numberFont = Tokens::numeralFont();
    const QFont unitFont = Tokens::numeralUnitFont();
    const QFontMetricsF number(numberFont);
    const double baseline = number.ascent();
    const QColor colour = KelvinNumeralRules::colour(kelvin_, appearance);
    const QString now = QString::fromStdString(KelvinNumeralRules::digits(kelvin_));
    const QString before = QString::fromStdString(KelvinNumeralRules::digits(previous_));
    const double t = roll_.value();
    // A warmer value (smaller number) rolls down, a cooler one up.
    const double direction = kelvin_ < previous_ ? 1 : -1;
    const double travel = number.height() * 0.6;

    painter.setFont(numberFont);
    painter.setClipRect(rect());
    double x = 0;
    const int aligned = static_cast<int>(std::min(now.size(), before.size()));
    for (int i = 0; i < now.size(); ++i) {
        const QString digit = now.mid(i, 1);
        // Digits line up from the right when the lengths differ.
        const int j = i - static_cast<int>(now.size()) + static_cast<int>(before.size());
        const bool changed = t < 1 && (j < 0 || j >= before.size() || before[j] != now[i] || aligned == 0);
        if (changed) {
            QColor out = colour;
            out.setAlphaF(colour.alphaF() * static_cast<float>(1 - t));
            if (j >= 0 && j < before.size()) {
                painter.setPen(out);
                painter.drawText(QPointF(x, baseline + direction * travel * t), before.mid(j, 1));
            }
            QColor in = colour;
            in.setAlphaF(colour.alphaF() * static_cast<float>(t));
            painter.setPen(in);
            painter.drawText(QPointF(x, baseline - direction * travel * (1 - t)), digit);
        } else {
            painter.setPen(colour);
            painter.drawText(QPointF(x, baseline), digit);
        }
        x += number.horizontalAdvance(digit);
    }
    // "K" in the secondary level of the same colour, on the same baseline.
    QColor unit = colour;
    unit.setAlphaF(colour.alphaF() * (isDark(appearance) ? 0.55f : 0.5f));
    painter.setFont(unitFont);
    painter.setPen(unit);
    painter.drawText(QPointF(x + 2, baseline), QStringLiteral("K"));
}

}  // namespace orvane::kit
