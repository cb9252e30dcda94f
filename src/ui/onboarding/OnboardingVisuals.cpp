#include "ui/onboarding/OnboardingVisuals.h"

#include <cmath>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QVariantAnimation>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Symbols.h"
#include "ui/views/AppIconRenderer.h"
#include "ui/onboarding/OnboardingRules.h"

namespace orvane {

namespace OnboardingVisuals {

kit::DynamicColor glowColor(EveningIntensity intensity) {
    return kit::Tokens::curveColor(OnboardingRules::glowKelvin(intensity));
}

void paintStars(QPainter& painter, const QSizeF& size) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (const auto& star : OnboardingStarField::stars(size.width(), size.height())) {
        painter.setBrush(QColor::fromRgbF(1, 1, 1, static_cast<float>(star.opacity)));
        painter.drawEllipse(QPointF(star.x, star.y), star.radius, star.radius);
    }
    painter.restore();
}

void paintBackdrop(QPainter& painter, const QSizeF& size, EveningIntensity intensity, kit::Appearance appearance) {
    const bool dark = kit::isDark(appearance);
    const auto opacities = OnboardingRules::backdropOpacities(dark);
    const QColor glow = glowColor(intensity).resolve(appearance);
    const auto at = [&glow](double opacity) {
        QColor c = glow;
        c.setAlphaF(static_cast<float>(opacity));
        return c;
    };
    const QRectF box(QPointF(0, 0), size);
    painter.save();
    QLinearGradient wash(box.topLeft(), box.bottomLeft());
    wash.setColorAt(0, at(opacities.top));
    wash.setColorAt(0.38, at(opacities.middle));
    wash.setColorAt(0.62, at(0));
    painter.fillRect(box, wash);

    const QPointF centre(0.5 * size.width(), OnboardingRules::glowCentreY(intensity) * size.height());
    QRadialGradient halo(centre, size.width() / 2);
    halo.setColorAt(0, at(opacities.radial));
    halo.setColorAt(1, at(0));
    painter.fillRect(box, halo);

    if (dark) {
        painter.setOpacity(OnboardingRules::starOpacity(intensity));
        paintStars(painter, size);
    }
    painter.restore();
}

bool motionAllowed(const QWidget* widget) {
    const auto animator = kit::contextOf(widget).animator;
    // A window never shown on screen is being rendered into an image, as offscreen.
    const bool forImage = widget->window()->testAttribute(Qt::WA_DontShowOnScreen);
    return !kit::GlassStyle::offscreenRender() && !forImage && !(animator && animator->reduceMotion());
}

}  // namespace OnboardingVisuals

// --- icon ------------------------------------------------------------------------------

OnboardingIcon::OnboardingIcon(EveningIntensity intensity, QWidget* parent)
    : QWidget(parent), intensity_(intensity), icon_(AppIconRenderer::image(256)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(iconSize + 2 * glowRoom, iconSize + 2 * glowRoom);
    breath_.setOnChange([this] { update(); });
}

void OnboardingIcon::setIntensity(EveningIntensity intensity) {
    if (intensity == intensity_) return;
    intensity_ = intensity;
    update();
}

void OnboardingIcon::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (breathing_ || !OnboardingVisuals::motionAllowed(this)) return;
    // Ease in and out over 3.2 s, back and forth without end.
    breathing_ = new QVariantAnimation(this);
    breathing_->setStartValue(0.0);
    breathing_->setKeyValueAt(0.5, 1.0);
    breathing_->setEndValue(0.0);
    breathing_->setDuration(6400);
    breathing_->setEasingCurve(QEasingCurve::InOutSine);
    breathing_->setLoopCount(-1);
    connect(breathing_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        kit::contextOf(this).animator->set(breath_, v.toDouble());
    });
    breathing_->start();
}

void OnboardingIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF box(glowRoom, glowRoom, iconSize, iconSize);
    QColor glow = OnboardingVisuals::glowColor(intensity_).resolve(kit::appearanceOf(this));
    glow.setAlphaF(static_cast<float>(glowOpacity()));
    // The icon tile's silhouette casts the glow.
    const QPainterPath tile = kit::PaintKit::roundedRect(box.adjusted(8, 8, -8, -8), iconSize * 0.2);
    kit::PaintKit::drawShadow(painter, tile, glow, glowRadius(), QPointF(0, 8));
    painter.drawImage(box, icon_);
}

// --- start button ----------------------------------------------------------------------

namespace {
constexpr kit::Spring pressSpring{0.18, 0.85};
constexpr kit::Spring hoverSpring{0.25, 1.0};
}  // namespace

StartButton::StartButton(const QString& title, QWidget* parent)
    : QAbstractButton(parent), pointer_(*this, [this](bool inside) {
          hovering_ = inside;
          follow();
      }) {
    setText(title);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    for (auto* value : {&hover_, &press_, &scale_}) value->setOnChange([this] { update(); });
    connect(this, &QAbstractButton::pressed, this, [this] { follow(); });
    connect(this, &QAbstractButton::released, this, [this] { follow(); });
}

void StartButton::follow() {
    kit::Animator& animator = *kit::contextOf(this).animator;
    animator.animate(hover_, hovering_ ? 1 : 0, hoverSpring);
    animator.animate(press_, isDown() ? 1 : 0, pressSpring);
    animator.animate(scale_, isDown() ? 0.985 : 1.0, pressSpring);
}

QRectF StartButton::buttonRect() const {
    return QRectF(shadowRoom, 0, width() - 2.0 * shadowRoom, buttonHeight);
}

QSize StartButton::sizeHint() const { return {240, buttonHeight + shadowRoom}; }

bool StartButton::hitButton(const QPoint& pos) const {
    return kit::PaintKit::roundedRect(buttonRect(), 13).contains(QPointF(pos));
}

void StartButton::paintEvent(QPaintEvent*) {
    const kit::Appearance appearance = kit::appearanceOf(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = buttonRect();
    const double s = scale_.value();
    painter.translate(box.center());
    painter.scale(s, s);
    painter.translate(-box.center());
    const QPainterPath shape = kit::PaintKit::roundedRect(box, 13);
    const double h = hover_.value();
    const QColor ember = kit::Tokens::ember().resolve(appearance);
    QColor shadow = ember;
    shadow.setAlphaF(static_cast<float>(0.22 + 0.16 * h));
    kit::PaintKit::drawShadow(painter, shape, shadow, 8 + 6 * h, QPointF(0, 3 + 3 * h));
    painter.fillPath(shape, ember);
    QLinearGradient sheen(box.topLeft(), box.bottomLeft());
    sheen.setColorAt(0, QColor::fromRgbF(1, 1, 1, static_cast<float>(0.1 + 0.06 * h)));
    sheen.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0));
    painter.fillPath(shape, sheen);
    if (press_.value() > 0) painter.fillPath(shape, QColor::fromRgbF(0, 0, 0, static_cast<float>(0.14 * press_.value())));

    // The title and the arrow, centred together, 8 apart.
    const QFont font = kit::FontBook::system(15, QFont::DemiBold);
    const QFontMetricsF metrics(font);
    const double arrow = 13;
    const double total = metrics.horizontalAdvance(text()) + 8 + arrow;
    const double left = box.center().x() - total / 2;
    painter.setPen(Qt::white);
    painter.setFont(font);
    painter.drawText(QRectF(left, box.top(), total, box.height()), Qt::AlignLeft | Qt::AlignVCenter, text());
    painter.setOpacity(0.75 + 0.25 * h);
    kit::Symbols::drawCentred(painter, "arrow.right",
                              QPointF(left + total - arrow / 2 + 3 * h, box.center().y()), arrow, Qt::white,
                              QFont::Bold);
}

// --- wash ------------------------------------------------------------------------------

NightWash::NightWash(EveningIntensity intensity, QWidget* parent)
    : QWidget(parent), intensity_(intensity), opacity_(OnboardingRules::washOpacity(intensity, false)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    opacity_.setOnChange([this] { update(); });
}

void NightWash::setIntensity(EveningIntensity intensity) {
    if (intensity == intensity_) return;
    intensity_ = intensity;
    follow({0.7, 1.0}, true);
}

void NightWash::setFlash(bool flash) {
    if (flash == flash_) return;
    flash_ = flash;
    // On at once; back on a slow spring.
    follow({0.9, 1.0}, !flash);
}

void NightWash::follow(kit::Spring spring, bool animated) {
    kit::Animator& animator = *kit::contextOf(this).animator;
    const double target = OnboardingRules::washOpacity(intensity_, flash_);
    if (animated) animator.animate(opacity_, target, spring);
    else animator.set(opacity_, target);
}

void NightWash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QColor c = OnboardingVisuals::glowColor(intensity_).resolve(kit::appearanceOf(this));
    c.setAlphaF(static_cast<float>(opacity_.value()));
    painter.fillRect(rect(), c);
}

}  // namespace orvane
