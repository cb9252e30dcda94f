#include "ui/views/EveningLook.h"

#include <QWidget>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Tokens.h"

namespace orvane::EveningLook {

Colors colors(const QWidget& widget) {
    const kit::Appearance appearance = kit::appearanceOf(&widget);
    Colors c;
    c.dark = kit::isDark(appearance);
    c.primary = kit::primaryText(appearance);
    c.secondary = kit::secondaryText(appearance);
    c.tertiary = c.primary;
    c.tertiary.setAlphaF(c.dark ? 0.3f : 0.28f);
    c.ember = kit::Tokens::ember().resolve(appearance);
    c.emberText = kit::Tokens::emberText().resolve(appearance);
    return c;
}

Fonts fonts() {
    using kit::TextStyle;
    using kit::FontBook::font;
    Fonts f;
    f.caption = font(TextStyle::caption);
    f.captionMedium = font(TextStyle::caption, QFont::Medium);
    f.captionSemibold = font(TextStyle::caption, QFont::DemiBold);
    f.caption2Bold = font(TextStyle::caption2, QFont::Bold);
    f.subheadline = font(TextStyle::subheadline);
    f.time = font(TextStyle::subheadline, QFont::DemiBold);
    return f;
}

QColor swatch(std::int64_t kelvin, bool dark) {
    return kit::Tokens::curveColor(kelvin).resolve(dark ? kit::Appearance::dark : kit::Appearance::light);
}

}  // namespace orvane::EveningLook
