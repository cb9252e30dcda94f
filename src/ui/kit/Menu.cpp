#include "ui/kit/Menu.h"

#include <QMenu>

#include "ui/kit/Tokens.h"

namespace orvane::kit {

namespace {
QString css(const QColor& c) {
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alphaF());
}
}  // namespace

void themeMenu(QMenu& menu, Appearance appearance) {
    const QColor background = windowColor(appearance);
    const QColor text = primaryText(appearance);
    const QColor muted = secondaryText(appearance);
    const QColor highlight = Tokens::ember().resolve(appearance);
    const QColor onHighlight = Tokens::onEmber().resolve(appearance);
    // The palette for what the style draws itself (check marks, submenu arrows).
    QPalette palette = menu.palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, onHighlight);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, muted);
    palette.setColor(QPalette::Disabled, QPalette::Text, muted);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, muted);
    menu.setPalette(palette);
    menu.setStyleSheet(QStringLiteral("QMenu{background:%1;color:%2;border:1px solid %3;padding:4px 0;}"
                                      "QMenu::item{padding:4px 24px 4px 24px;background:transparent;}"
                                      "QMenu::item:selected{background:%4;color:%5;}"
                                      "QMenu::item:disabled{color:%6;}"
                                      "QMenu::separator{height:1px;background:%3;margin:4px 8px;}")
                           .arg(background.name(), css(text), css(separatorColor(appearance)), highlight.name(),
                                css(onHighlight), css(muted)));
}

}  // namespace orvane::kit
