#include "ui/kit/FocusRing.h"

#include <QPainter>
#include <QWidget>

#include "ui/kit/Tokens.h"

namespace orvane::kit {

QColor focusRingColour(Appearance appearance) {
    QColor c = Tokens::ember().resolve(appearance);
    c.setAlphaF(isDark(appearance) ? 0.85f : 0.75f);
    return c;
}

void paintFocusRing(QPainter& painter, const QPainterPath& centreLine, const QColor& colour) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(1);
    painter.setPen(QPen(colour, focusRingWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(centreLine);
    painter.restore();
}

bool showsFocusRing(const QWidget& control) {
    return control.hasFocus() && control.window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

void takeFocusFromKeyboard(QWidget& control) { control.setFocusPolicy(Qt::TabFocus); }

}  // namespace orvane::kit
