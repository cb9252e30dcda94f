#pragma once
// The first-run window's own look: the glowing application icon, the large Start button,
// the night-sky backdrop whose glow and stars follow the intensity, and the thin wash over
// everything that flashes when the intensity changes. They read only the intensity, the
// appearance, reduce motion and the offscreen switch.
#include <QAbstractButton>
#include <QImage>
#include <QWidget>

class QVariantAnimation;

#include "core/EveningPlan.h"
#include "ui/kit/Animator.h"
#include "ui/kit/PointerHover.h"
#include "ui/kit/Tokens.h"

namespace orvane {

namespace OnboardingVisuals {

// The glow of an intensity, following the appearance.
kit::DynamicColor glowColor(EveningIntensity intensity);
// The backdrop: two gradients in the glow, and stars in the dark.
void paintBackdrop(QPainter& painter, const QSizeF& size, EveningIntensity intensity, kit::Appearance appearance);
void paintStars(QPainter& painter, const QSizeF& size);
// Decorative motion runs neither with reduce motion nor when rendering offscreen.
bool motionAllowed(const QWidget* widget);

}  // namespace OnboardingVisuals

// The 84-point application icon with its glow; the widget leaves room around the icon for
// the glow, which breathes for ever where motion is allowed.
class OnboardingIcon : public QWidget {
public:
    static constexpr int iconSize = 84;
    static constexpr int glowRoom = 48;  // on each side of the icon

    explicit OnboardingIcon(EveningIntensity intensity, QWidget* parent = nullptr);
    void setIntensity(EveningIntensity intensity);
    // 0 at rest (opacity 0.35, radius 20), 1 at the swell (0.55, 30).
    double breath() const { return breath_.value(); }
    double glowOpacity() const { return 0.35 + 0.2 * breath(); }
    double glowRadius() const { return 20 + 10 * breath(); }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    EveningIntensity intensity_;
    QImage icon_;
    kit::AnimatedValue breath_{0};
    QVariantAnimation* breathing_ = nullptr;
};

// The large Start button: the ember capsule with its arrow, lifted while hovered and
// pressed in while held. The widget keeps room below and beside it for the shadow.
class StartButton : public QAbstractButton {
public:
    static constexpr int buttonHeight = 44;
    static constexpr int shadowRoom = 12;

    explicit StartButton(const QString& title, QWidget* parent = nullptr);
    bool hovering() const { return hovering_; }
    double pressScale() const { return scale_.value(); }
    QRectF buttonRect() const;
    QSize sizeHint() const override;

protected:
    bool hitButton(const QPoint& pos) const override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    bool hovering_ = false;
    kit::AnimatedValue hover_{0};
    kit::AnimatedValue press_{0};
    kit::AnimatedValue scale_{1};
    kit::PointerHover pointer_;
};

// The glow colour over the whole window at a low opacity, brighter for a moment after the
// intensity changes; it takes no mouse events.
class NightWash : public QWidget {
public:
    NightWash(EveningIntensity intensity, QWidget* parent = nullptr);
    void setIntensity(EveningIntensity intensity);
    void setFlash(bool flash);
    bool flash() const { return flash_; }
    double opacity() const { return opacity_.value(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void follow(kit::Spring spring, bool animated);

    EveningIntensity intensity_;
    bool flash_ = false;
    kit::AnimatedValue opacity_;
};

}  // namespace orvane
