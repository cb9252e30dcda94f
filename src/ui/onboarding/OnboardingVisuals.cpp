#include "ui/onboarding/OnboardingVisuals.h"

#include <cmath>

#include <QEasingCurve>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Symbols.h"
#include "ui/onboarding/OnboardingRules.h"
#include "ui/views/AppIconRenderer.h"

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
    breathing_.setInterval(breathFrame);
    breathing_.setTimerType(Qt::CoarseTimer);
    connect(&breathing_, &QTimer::timeout, this, [this] { breathe(); });
}

void OnboardingIcon::setIntensity(EveningIntensity intensity) {
    if (intensity == intensity_) return;
    intensity_ = intensity;
    update();
}

bool OnboardingIcon::breathing() const { return breathing_.isActive(); }

void OnboardingIcon::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (breathing_.isActive() || !OnboardingVisuals::motionAllowed(this)) return;
    // Shown (again): the breath goes on where it stopped.
    breathClock_.start();
    breathing_.start();
}

void OnboardingIcon::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden (the window closed or minimised): nothing breathes unseen.
    if (!breathing_.isActive()) return;
    breathing_.stop();
    breathed_ += breathClock_.elapsed();
}

void OnboardingIcon::breathe() {
    // Eases in over 3.2 s and out over 3.2 s, without end.
    const double phase =
        static_cast<double>((breathed_ + breathClock_.elapsed()) % breathPeriod) / static_cast<double>(breathPeriod);
    const double rise = phase < 0.5 ? 2 * phase : 2 - 2 * phase;
    kit::contextOf(this).animator->set(breath_, QEasingCurve(QEasingCurve::InOutSine).valueForProgress(rise));
}

void OnboardingIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF box(glowRoom, glowRoom, iconSize, iconSize);
    QColor glow = OnboardingVisuals::glowColor(intensity_).resolve(kit::appearanceOf(this));
    glow.setAlphaF(1);
    // The icon tile's silhouette casts the glow, blurred at the resting radius once for this
    // colour and pixel ratio.
    const QRectF tileBox = box.adjusted(8, 8, -8, -8);
    const double ratio = kit::PaintKit::maskRatio(painter);
    if (glow_.image.isNull() || glow_.colour != glow.rgba() || glow_.ratio != ratio) {
        const QPainterPath tile = kit::PaintKit::roundedRect(tileBox, iconSize * 0.2);
        const kit::PaintKit::ShadowMask mask = kit::PaintKit::shadowMask(tile, glowRadiusAt(0), ratio);
        glow_ = {mask.image, mask.topLeft, glow.rgba(), ratio};
        QPainter tint(&glow_.image);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(QRectF(QPointF(0, 0), QSizeF(glow_.image.size()) / glow_.image.devicePixelRatio()), glow);
        ++glowRenders_;
    }
    // A breath fades it and widens it as far as the larger blur would reach.
    const QPointF offset(0, 8);
    const QPointF centre = tileBox.center() + offset;
    const double half = tileBox.width() / 2;
    const double scale = (half + glowRadius()) / (half + glowRadiusAt(0));
    painter.save();
    painter.setOpacity(glowOpacity());
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    painter.drawImage(glow_.topLeft + offset, glow_.image);
    painter.restore();
    // The 256-pixel icon scaled down once per pixel ratio, not on every frame.
    const QSize pixels = (box.size() * ratio).toSize();
    if (shownIcon_.size() != pixels) {
        shownIcon_ = icon_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        shownIcon_.setDevicePixelRatio(ratio);
    }
    painter.drawImage(box.topLeft(), shownIcon_);
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

QRectF StartButton::buttonRect() const { return QRectF(shadowRoom, 0, width() - 2.0 * shadowRoom, buttonHeight); }

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
    if (press_.value() > 0)
        painter.fillPath(shape, QColor::fromRgbF(0, 0, 0, static_cast<float>(0.14 * press_.value())));

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
    kit::Symbols::drawCentred(painter, "arrow.right", QPointF(left + total - arrow / 2 + 3 * h, box.center().y()),
                              arrow, Qt::white, QFont::Bold);
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
