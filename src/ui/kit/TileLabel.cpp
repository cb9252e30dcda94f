#include "ui/kit/TileLabel.h"

#include <cmath>

#include <QPainter>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Tokens.h"

namespace orvane::kit {

namespace {

QFont titleFont() { return FontBook::font(TextStyle::subheadline, QFont::DemiBold); }
QFont detailFont() { return FontBook::font(TextStyle::caption2); }
constexpr double icon = 28;
// How far the title and the detail shrink before they are cut short.
constexpr double titleScale = 0.85;
constexpr double detailScale = 0.9;

// The font for one line that shrinks to `minimumScale` of its size before it elides.
QFont shrunk(QFont font, const QString& text, double width, double minimumScale) {
    const double natural = font.pixelSize();
    for (double scale = 1.0; scale >= minimumScale - 1e-9; scale -= 0.05) {
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(natural * scale))));
        if (QFontMetricsF(font).horizontalAdvance(text) <= width) break;
    }
    return font;
}

// Whether one line, shrunk as far as it may, still does not fit.
bool cutShort(const QFont& font, const QString& text, double width, double minimumScale) {
    return QFontMetricsF(shrunk(font, text, width, minimumScale)).horizontalAdvance(text) > width;
}

void drawShrinking(QPainter& painter, const QFont& font, const QString& text, const QRectF& box, double minimumScale) {
    const QFont f = shrunk(font, text, box.width(), minimumScale);
    painter.setFont(f);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(f).elidedText(text, Qt::ElideRight, box.width()));
}

}  // namespace

TileLabel::TileLabel(std::string symbol, QString title, QString detail, bool on, std::optional<QImage> appIcon,
                     QWidget* parent)
    : QWidget(parent),
      symbol_(std::move(symbol)),
      title_(std::move(title)),
      detail_(std::move(detail)),
      on_(on),
      appIcon_(std::move(appIcon)),
      detailRoll_(detail_),
      badge_(on ? 1 : 0) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    badge_.setOnChange([this] { update(); });
    bounce_.setOnChange([this] { update(); });
    detailRoll_.setOnChange([this] { update(); });
}

void TileLabel::setSymbol(std::string symbol) {
    symbol_ = std::move(symbol);
    update();
}
void TileLabel::setTitle(QString title) {
    title_ = std::move(title);
    update();
}
void TileLabel::setDetail(QString detail) {
    if (detail == detail_) return;
    detail_ = std::move(detail);
    detailRoll_.setText(detail_, *contextOf(this).animator, isVisible());
    updateGeometry();
    update();
}
void TileLabel::setAppIcon(std::optional<QImage> icon) {
    appIcon_ = std::move(icon);
    update();
}

void TileLabel::setOn(bool on) {
    if (on == on_) return;
    on_ = on;
    Animator& animator = *contextOf(this).animator;
    animator.animate(badge_, on ? 1 : 0, Spring::selection());
    bounce_.trigger(animator);
    update();
}

void TileLabel::setTitleElides(bool elides) {
    titleElides_ = elides;
    updateGeometry();
}

bool TileLabel::elided() const {
    const double width = rect().adjusted(11, 10, -11, -10).width();
    return cutShort(titleFont(), title_, width, titleScale) || cutShort(detailFont(), detail_, width, detailScale);
}

QSize TileLabel::sizeHint() const {
    const double text = QFontMetricsF(titleFont()).height() + 1 + QFontMetricsF(detailFont()).height();
    const double width = std::max(titleElides_ ? 0.0 : QFontMetricsF(titleFont()).horizontalAdvance(title_),
                                  QFontMetricsF(detailFont()).horizontalAdvance(detail_));
    return QSizeF(std::ceil(width) + 22, std::ceil(20 + icon + 8 + text)).toSize();
}

QSize TileLabel::minimumSizeHint() const { return QSize(60, sizeHint().height()); }

void TileLabel::paintEvent(QPaintEvent*) {
    const Appearance appearance = appearanceOf(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF content = QRectF(rect()).adjusted(11, 10, -11, -10);
    const QRectF iconBox(content.left(), content.top(), icon, icon);
    if (!appIcon_) {
        const DynamicColor ember = Tokens::ember();
        painter.fillPath(PaintKit::circle(iconBox), (on_ ? ember : ember.withOpacity(0.14)).resolve(appearance));
        Symbols::drawCentred(painter, symbol_, iconBox.center(), 14 * bounce_.scale(),
                             on_ ? Tokens::onEmber().resolve(appearance) : Tokens::emberText().resolve(appearance),
                             QFont::DemiBold);
    } else {
        QImage image = appIcon_->scaled((iconBox.size() * 2).toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (on_) image = PaintKit::desaturated(image, appIconSaturation());
        image.setDevicePixelRatio(2);
        painter.drawImage(iconBox.topLeft(), image);
        const double t = badge_.value();
        if (t > 0.001) {
            // "Not tinted": a no-entry sign on an ember disc at the icon's corner.
            const double symbol = 11, d = symbol + 4;
            const QPointF centre = iconBox.bottomRight() + QPointF(3 - symbol / 2, 3 - symbol / 2);
            painter.save();
            painter.setOpacity(t);
            painter.translate(centre);
            painter.scale(t, t);
            painter.translate(-centre);
            painter.fillPath(PaintKit::circle(QRectF(centre.x() - d / 2, centre.y() - d / 2, d, d)),
                             Tokens::ember().resolve(appearance));
            Symbols::drawCentred(painter, "nosign", centre, symbol, Tokens::onEmber().resolve(appearance), QFont::Bold);
            painter.restore();
        }
    }
    const QFontMetricsF titleMetrics(titleFont());
    const QFontMetricsF detailMetrics(detailFont());
    const double y = iconBox.bottom() + 8;
    painter.setPen(primaryText(appearance));
    drawShrinking(painter, titleFont(), title_, QRectF(content.left(), y, content.width(), titleMetrics.height()),
                  titleScale);
    painter.setPen(secondaryText(appearance));
    const QRectF detailBox(content.left(), y + titleMetrics.height() + 1, content.width(), detailMetrics.height());
    if (!detailRoll_.rolling()) {
        drawShrinking(painter, detailFont(), detail_, detailBox, detailScale);
        return;
    }
    // Mid-roll the line is drawn in the size the new text settles at; the label's box clips
    // the characters on their way in and out.
    const QFont f = shrunk(detailFont(), detail_, detailBox.width(), detailScale);
    const QFontMetricsF m(f);
    painter.setFont(f);
    painter.setClipRect(detailBox.adjusted(0, -2, 0, 2));
    detailRoll_.draw(painter,
                     QPointF(detailBox.left(), detailBox.top() + (detailBox.height() - m.height()) / 2 + m.ascent()),
                     secondaryText(appearance));
}

}  // namespace orvane::kit
