#pragma once
// The first-run window's own look: the glowing application icon, the large Start button,
// the night-sky backdrop whose glow and stars follow the intensity, and the thin wash over
// everything that flashes when the intensity changes. They read only the intensity, the
// appearance, reduce motion and the offscreen switch.
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

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
// the glow, which breathes for ever where motion is allowed and while the icon is shown.
// The blurred glow is drawn once per size and appearance; a breath only fades and scales it.
class OnboardingIcon : public QWidget {
public:
    static constexpr int iconSize = 84;
    static constexpr int glowRoom = 48;  // on each side of the icon

    explicit OnboardingIcon(EveningIntensity intensity, QWidget* parent = nullptr);
    void setIntensity(EveningIntensity intensity);
    // 0 at rest (opacity 0.35, radius 20), 1 at the swell (0.55, 30).
    double breath() const { return breath_.value(); }
    double glowOpacity() const { return 0.35 + 0.2 * breath(); }
    double glowRadius() const { return glowRadiusAt(breath()); }
    static double glowRadiusAt(double breath) { return 20 + 10 * breath; }
    bool breathing() const;
    // How often the blurred glow was drawn afresh.
    int glowRenders() const { return glowRenders_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Glow {
        QImage image;  // the glow at rest, in the full colour
        QPointF topLeft;
        QRgb colour = 0;
        double ratio = 0;
    };

    // 10 frames a second: a breath over 6.4 s moves the glow by about 1 % a frame, too
    // little to see steps, and each frame repaints the backdrop under the icon.
    static constexpr int breathFrame = 100;  // ms
    static constexpr qint64 breathPeriod = 6400;
    void breathe();

    EveningIntensity intensity_;
    QImage icon_;
    QImage shownIcon_;  // icon_ at the drawn size and pixel ratio
    kit::AnimatedValue breath_{0};
    QTimer breathing_;
    QElapsedTimer breathClock_;  // since the last show
    qint64 breathed_ = 0;        // ms breathed before it
    Glow glow_;
    int glowRenders_ = 0;
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
