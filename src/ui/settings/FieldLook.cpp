#include "ui/settings/FieldLook.h"

#include <QPalette>
#include <QVariant>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Tokens.h"

namespace orvane::FieldLook {
namespace {

constexpr const char* applied = "orvaneFieldAppearance";

QString rgba(QColor c) {
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alphaF());
}

QColor at(QColor c, double alpha) {
    c.setAlphaF(static_cast<float>(alpha));
    return c;
}

}  // namespace

void follow(QWidget& widget, Kind kind) {
    const kit::Appearance appearance = kit::appearanceOf(&widget);
    const QVariant last = widget.property(applied);
    if (last.isValid() && last.toInt() == static_cast<int>(appearance)) return;
    widget.setProperty(applied, static_cast<int>(appearance));

    const bool dark = kit::isDark(appearance);
    const QColor text = kit::primaryText(appearance);
    const QColor fill = dark ? QColor::fromRgbF(1, 1, 1, 0.06f) : QColor::fromRgbF(1, 1, 1, 0.85f);
    const QColor border = at(text, dark ? 0.16 : 0.14);
    const QColor selection = kit::Tokens::ember().resolve(appearance);

    QPalette palette = widget.palette();
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::PlaceholderText, kit::secondaryText(appearance));
    palette.setColor(QPalette::Highlight, selection);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Base, Qt::transparent);
    widget.setPalette(palette);

    const QString cls = QString::fromLatin1(widget.metaObject()->className());
    if (kind == Kind::list) {
        // A thin overlay-like scroll bar instead of the platform's boxed one.
        widget.setStyleSheet(
            QStringLiteral("%1{background:%2;border:1px solid %3;border-radius:8px;}"
                           "QScrollBar:vertical{background:transparent;width:8px;margin:4px 2px 4px 0;}"
                           "QScrollBar::handle:vertical{background:%4;border-radius:3px;min-height:24px;}"
                           "QScrollBar::add-line,QScrollBar::sub-line{height:0;}"
                           "QScrollBar::add-page,QScrollBar::sub-page{background:transparent;}")
                .arg(cls, rgba(at(text, dark ? 0.05 : 0.03)), rgba(border), rgba(at(text, dark ? 0.3 : 0.25))));
    } else {
        widget.setStyleSheet(
            QStringLiteral("%1{background:%2;border:1px solid %3;border-radius:6px;padding:2px 6px;color:%4;"
                           "selection-background-color:%5;}")
                .arg(cls, rgba(fill), rgba(border), rgba(text), rgba(selection)));
    }
}

}  // namespace orvane::FieldLook
