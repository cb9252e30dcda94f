#include "ui/kit/Text.h"

#include <cmath>

#include <QPainter>
#include <QTextLayout>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"

namespace orvane::kit {

Text::Text(const QString& text, QFont font, QWidget* parent) : QWidget(parent), text_(text), font_(std::move(font)) {
    if (font_.pixelSize() <= 0) font_ = FontBook::font(TextStyle::body);
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    roll_.setOnChange([this] { update(); });
}

void Text::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    roll_.setText(text, *contextOf(this).animator, false);
    updateGeometry();
    update();
}

void Text::rollText(const QString& text, NumericTransition::Direction direction, Spring spring) {
    if (text == text_) return;
    const bool animated = maxLines_ == 1 && isVisible() && !text_.isEmpty();
    // The roll starts from what is drawn now, which a plain setText may have changed.
    if (roll_.text() != text_) roll_.setText(text_, *contextOf(this).animator, false);
    text_ = text;
    roll_.setText(text, *contextOf(this).animator, animated, direction, spring);
    updateGeometry();
    update();
}

void Text::setTextFont(const QFont& font) {
    font_ = font;
    updateGeometry();
    update();
}

void Text::setLevel(TextLevel level) {
    level_ = level;
    update();
}

void Text::setColour(std::optional<DynamicColor> colour) {
    colour_ = colour;
    update();
}

void Text::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void Text::setMaximumLines(int lines) {
    maxLines_ = std::max(1, lines);
    setSizePolicy(QSizePolicy::Preferred, maxLines_ > 1 ? QSizePolicy::Preferred : QSizePolicy::Fixed);
    updateGeometry();
}

void Text::setFixedTextWidth(std::optional<double> width) {
    fixedWidth_ = width;
    updateGeometry();
}

void Text::setOpacity(double opacity) {
    if (opacity == opacity_) return;
    opacity_ = opacity;
    update();
}

QColor Text::resolvedColour() const {
    const Appearance appearance = appearanceOf(this);
    if (!colour_) return level_ == TextLevel::primary ? primaryText(appearance) : secondaryText(appearance);
    QColor c = colour_->resolve(appearance);
    if (level_ == TextLevel::secondary) c.setAlphaF(c.alphaF() * (isDark(appearance) ? 0.55f : 0.5f));
    return c;
}

namespace {

// Lays the text out in lines of at most `width`; returns the lines' texts, the last elided.
QStringList wrapped(const QString& text, const QFont& font, double width, int maxLines) {
    QStringList lines;
    QTextLayout layout(text, font);
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        if (lines.size() == maxLines - 1) {
            lines << QFontMetricsF(font).elidedText(text.mid(line.textStart()), Qt::ElideRight, width);
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

}  // namespace

QSize Text::sizeHint() const {
    const QFontMetricsF metrics(font_);
    const QMargins m = contentsMargins();
    const double width = fixedWidth_.value_or(std::ceil(metrics.horizontalAdvance(text_)) + 1);
    if (maxLines_ > 1 && fixedWidth_)
        return QSize(static_cast<int>(width) + m.left() + m.right(),
                     heightForWidth(static_cast<int>(width) + m.left() + m.right()));
    return QSizeF(width, std::ceil(metrics.height())).toSize().grownBy(m);
}

QSize Text::minimumSizeHint() const {
    const QFontMetricsF metrics(font_);
    if (fixedWidth_) return sizeHint();
    return QSizeF(maxLines_ > 1 ? 40 : std::min(60.0, metrics.horizontalAdvance(text_)), std::ceil(metrics.height()))
        .toSize()
        .grownBy(contentsMargins());
}

int Text::heightForWidth(int width) const {
    const QFontMetricsF metrics(font_);
    const QMargins m = contentsMargins();
    // A text of fixed width wraps there whatever it is offered: a layout asks an aligned
    // item at the layout's own width, and would leave it too few lines.
    const auto lines = wrapped(text_, font_, fixedWidth_.value_or(width - m.left() - m.right()), maxLines_);
    return static_cast<int>(std::ceil(metrics.lineSpacing() * std::max<qsizetype>(1, lines.size()))) + m.top() +
           m.bottom();
}

void Text::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setOpacity(opacity_);
    painter.setFont(font_);
    painter.setPen(resolvedColour());
    const QFontMetricsF metrics(font_);
    // Margins (rarely set) inset the text's box.
    const QRect box = contentsRect();
    painter.translate(box.topLeft());
    const double width = box.width();
    const double height = box.height();
    if (roll_.rolling() && maxLines_ == 1) {
        // Rolling characters leave the line's box; the widget's edge clips them.
        const double w = roll_.width(metrics);
        double x = 0;
        if (alignment_ & Qt::AlignRight) x = width - w;
        else if (alignment_ & Qt::AlignHCenter) x = (width - w) / 2;
        const double top = (alignment_ & Qt::AlignTop) ? 0 : (height - metrics.lineSpacing()) / 2;
        const double baseline = top + (metrics.lineSpacing() - metrics.height()) / 2 + metrics.ascent();
        roll_.draw(painter, QPointF(x, baseline), resolvedColour());
        return;
    }
    const auto lines = maxLines_ > 1 ? wrapped(text_, font_, width, maxLines_)
                                     : QStringList{metrics.elidedText(text_, Qt::ElideRight, width)};
    const double total = metrics.lineSpacing() * static_cast<double>(lines.size());
    double y = (alignment_ & Qt::AlignTop) ? 0 : (height - total) / 2;
    for (const auto& line : lines) {
        painter.drawText(QRectF(0, y, width, metrics.lineSpacing()),
                         static_cast<int>((alignment_ & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter), line);
        y += metrics.lineSpacing();
    }
}

}  // namespace orvane::kit
