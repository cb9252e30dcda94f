#include "ui/kit/Buttons.h"

#include <QPainter>
#include <QVBoxLayout>

#include "ui/kit/Context.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Glass.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Symbols.h"

namespace orvane::kit {

GlassButtonLook glassButtonLook(bool pressed, bool hovering) {
    if (pressed) return {0.08, 0.965};
    if (hovering) return {0.035, 1.04};
    return {0, 1};
}

PressableLook pressableLook(bool pressed) { return pressed ? PressableLook{0.7, 0.97} : PressableLook{1, 1}; }

namespace {

constexpr Spring pressSpring{0.16, 0.85};
constexpr Spring hoverSpring{0.2, 1.0};

void scaleAbout(QPainter& painter, QPointF centre, double scale) {
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
}

}  // namespace

GlassShapeButton::GlassShapeButton(QWidget* parent)
    : QAbstractButton(parent), hover_(*this, [this](bool inside) {
          hovering_ = inside;
          follow(false);
      }) {
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    overlay_.setOnChange([this] { update(); });
    scale_.setOnChange([this] { update(); });
    connect(this, &QAbstractButton::pressed, this, [this] { follow(true); });
    connect(this, &QAbstractButton::released, this, [this] { follow(true); });
}

GlassShapeButton::~GlassShapeButton() = default;

void GlassShapeButton::setShape(ButtonShape shape, double cornerRadius) {
    shape_ = shape;
    cornerRadius_ = cornerRadius;
    update();
}

void GlassShapeButton::setTint(std::optional<DynamicColor> tint) {
    tint_ = tint;
    update();
}

void GlassShapeButton::setLabelPainter(LabelPainter painter) {
    label_ = std::move(painter);
    update();
}

void GlassShapeButton::setContentSize(QSizeF size) {
    contentSize_ = size;
    updateGeometry();
}

void GlassShapeButton::setContent(QWidget* content) {
    delete content_;
    content_ = content;
    if (!layout()) {
        auto* box = new QVBoxLayout(this);
        box->setContentsMargins(bleed, bleed, bleed, bleed);
    }
    if (content_) {
        content_->setAttribute(Qt::WA_TransparentForMouseEvents);
        layout()->addWidget(content_);
    }
    updateGeometry();
}

QSize GlassShapeButton::sizeHint() const {
    if (content_) return content_->sizeHint() + QSize(2 * bleed, 2 * bleed);
    return (contentSize_ + QSizeF(2 * bleed, 2 * bleed)).toSize();
}

namespace {
// A glass button's shape in `bounds` less `inset` on each side; a rounded rectangle's
// corners keep their curve's centre, so its radius grows as the inset shrinks.
QPainterPath buttonShape(ButtonShape shape, double cornerRadius, const QRectF& bounds, double inset) {
    const QRectF box = bounds.adjusted(inset, inset, -inset, -inset);
    switch (shape) {
        case ButtonShape::circle: {
            const double side = std::min(box.width(), box.height());
            return PaintKit::circle(QRectF(box.center() - QPointF(side / 2, side / 2), QSizeF(side, side)));
        }
        case ButtonShape::capsule:
            return PaintKit::capsule(box);
        case ButtonShape::roundedRect:
            return PaintKit::roundedRect(box, std::max(0.0, cornerRadius + GlassShapeButton::bleed - inset));
    }
    return {};
}
}  // namespace

QPainterPath GlassShapeButton::shapePath() const { return buttonShape(shape_, cornerRadius_, QRectF(rect()), bleed); }

bool GlassShapeButton::hitButton(const QPoint& pos) const {
    return shapePath().contains(QPointF(pos) + QPointF(0.5, 0.5));
}

void GlassShapeButton::follow(bool pressChanged) {
    const GlassButtonLook target = look();
    Animator& animator = *contextOf(this).animator;
    const Spring spring = pressChanged ? pressSpring : hoverSpring;
    animator.animate(overlay_, target.overlayOpacity, spring);
    animator.animate(scale_, target.scale, spring);
}

void GlassShapeButton::paintEvent(QPaintEvent*) {
    const Context context = contextOf(this);
    const Appearance appearance = context.appearance;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = shapePath();
    scaleAbout(painter, shape.boundingRect().center(), scale_.value());
    glassSurface(painter, shape, appearance, tint_ ? std::optional(tint_->resolve(appearance)) : std::nullopt, true);
    if (label_) label_(painter, shape.boundingRect(), appearance);
    if (overlay_.value() > 0) {
        QColor over = primaryText(appearance);
        over.setAlphaF(static_cast<float>(overlay_.value()));
        painter.fillPath(shape, over);
    }
    // In the room left for the hover swell, just outside the shape.
    if (showsFocusRing(*this))
        paintFocusRing(painter, buttonShape(shape_, cornerRadius_, QRectF(rect()), bleed - focusRingWidth / 2),
                       focusRingColour(appearance));
}

PressableButton::PressableButton(QWidget* parent) : QAbstractButton(parent) {
    takeFocusFromKeyboard(*this);
    setAttribute(Qt::WA_TranslucentBackground);
    opacity_.setOnChange([this] { update(); });
    scale_.setOnChange([this] { update(); });
    const auto follow = [this] {
        const PressableLook target = look();
        Animator& animator = *contextOf(this).animator;
        animator.animate(opacity_, target.opacity, pressSpring);
        animator.animate(scale_, target.scale, pressSpring);
    };
    connect(this, &QAbstractButton::pressed, this, follow);
    connect(this, &QAbstractButton::released, this, follow);
}

void PressableButton::setLabelPainter(LabelPainter painter) {
    label_ = std::move(painter);
    update();
}

void PressableButton::setContentSize(QSizeF size) {
    contentSize_ = size;
    updateGeometry();
}

QSize PressableButton::sizeHint() const { return contentSize_.toSize(); }

void PressableButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity_.value());
    scaleAbout(painter, QRectF(rect()).center(), scale_.value());
    if (label_) label_(painter, QRectF(rect()), contextOf(this).appearance);
    if (showsFocusRing(*this)) {
        painter.resetTransform();
        const QRectF ring = QRectF(rect()).adjusted(1, 1, -1, -1);
        paintFocusRing(painter, PaintKit::roundedRect(ring, std::min(6.0, ring.height() / 2)),
                       focusRingColour(contextOf(this).appearance));
    }
}

SystemButton::SystemButton(const QString& title, bool prominent, QWidget* parent)
    : QAbstractButton(parent), prominent_(prominent) {
    setText(title);
    setFont(FontBook::font(TextStyle::body));
    takeFocusFromKeyboard(*this);
    setAttribute(Qt::WA_TranslucentBackground);
    connect(this, &QAbstractButton::pressed, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::released, this, qOverload<>(&QWidget::update));
}

void SystemButton::setProminent(bool prominent) {
    prominent_ = prominent;
    update();
}

void SystemButton::setLarge(bool large) {
    large_ = large;
    updateGeometry();
}

void SystemButton::setSymbol(std::string symbol) {
    symbol_ = std::move(symbol);
    updateGeometry();
    update();
}

double SystemButton::symbolSize() const { return QFontMetricsF(font()).ascent() * 0.85; }

double SystemButton::contentWidth() const {
    const double title = QFontMetricsF(font()).horizontalAdvance(text());
    if (symbol_.empty()) return title;
    return symbolSize() + (text().isEmpty() ? 0 : 5 + title);
}

QSize SystemButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    const double height = large_ ? std::max(28.0, metrics.height() + 8) : std::max(18.0, metrics.height() + 6);
    return QSizeF(contentWidth() + height * 0.9, height).toSize();
}

void SystemButton::setDestructive(bool destructive) {
    destructive_ = destructive;
    update();
}

void SystemButton::paintEvent(QPaintEvent*) {
    const Appearance appearance = appearanceOf(this);
    const bool dark = isDark(appearance);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QPainterPath shape = PaintKit::roundedRect(box, std::min(6.0, box.height() / 2));
    QColor text = primaryText(appearance);
    if (prominent_) {
        painter.fillPath(shape, Tokens::ember().resolve(appearance));
        text = Tokens::onEmber().resolve(appearance);
    } else {
        PaintKit::drawShadow(painter, shape, QColor::fromRgbF(0, 0, 0, dark ? 0.3f : 0.12f), 1, QPointF(0, 0.5));
        painter.fillPath(shape, dark ? QColor::fromRgbF(1, 1, 1, 0.16f) : QColor::fromRgbF(1, 1, 1, 0.95f));
        painter.setPen(QPen(dark ? QColor::fromRgbF(1, 1, 1, 0.08f) : QColor::fromRgbF(0, 0, 0, 0.12f), 0.5));
        painter.drawPath(shape);
    }
    if (destructive_ && !prominent_) text = Tokens::warmRed().resolve(appearance);
    if (isDown()) painter.fillPath(shape, dark ? QColor::fromRgbF(1, 1, 1, 0.12f) : QColor::fromRgbF(0, 0, 0, 0.1f));
    if (showsFocusRing(*this)) {
        // Inside the edge, as the button fills its box; on the accent fill in the text's colour.
        const QRectF ring = box.adjusted(0.5, 0.5, -0.5, -0.5);
        paintFocusRing(painter, PaintKit::roundedRect(ring, std::max(0.0, std::min(6.0, box.height() / 2) - 1)),
                       prominent_ ? text : focusRingColour(appearance));
    }
    if (!isEnabled()) painter.setOpacity(0.45);
    painter.setPen(text);
    painter.setFont(font());
    if (symbol_.empty()) {
        painter.drawText(box, Qt::AlignCenter, this->text());
        return;
    }
    const double left = box.center().x() - contentWidth() / 2;
    Symbols::drawCentred(painter, symbol_, QPointF(left + symbolSize() / 2, box.center().y()), symbolSize(), text,
                         QFont::DemiBold);
    painter.drawText(QRectF(left + symbolSize() + 5, box.top(), box.width(), box.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, this->text());
}

GlassIconButton::GlassIconButton(std::string symbol, const QString& help, double size, std::optional<DynamicColor> tint,
                                 std::function<void()> action, QWidget* parent)
    : GlassShapeButton(parent), symbol_(std::move(symbol)), size_(size) {
    setShape(ButtonShape::circle);
    setTint(tint);
    setContentSize(QSizeF(size, size));
    setToolTip(help);
    setAccessibleName(help);
    setLabelPainter([this](QPainter& painter, const QRectF& box, Appearance appearance) {
        Symbols::drawCentred(painter, symbol_, box.center(), symbolSize(), primaryText(appearance), QFont::DemiBold);
    });
    if (action) connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
}

void GlassIconButton::setSymbol(std::string symbol) {
    symbol_ = std::move(symbol);
    update();
}

}  // namespace orvane::kit
