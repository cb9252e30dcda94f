#include "ui/kit/TintSwitch.h"

#include <QPainter>

#include "ui/kit/Context.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/PaintKit.h"

namespace orvane::kit {

TintSwitch::TintSwitch(const QString& title, QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setText(title);
    setAccessibleName(title);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    knob_.setOnChange([this] { update(); });
    // A click flips the state itself; the knob has to follow it there too.
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        contextOf(this).animator->animate(knob_, on ? 1 : 0, Spring{0.4, 1.0});
    });
}

void TintSwitch::setOn(bool on) {
    const bool blocked = blockSignals(true);
    setChecked(on);
    blockSignals(blocked);
    // Off screen there is nothing to glide: a switch that is being built shows its state at once.
    auto& animator = *contextOf(this).animator;
    if (isVisible()) animator.animate(knob_, on ? 1 : 0, Spring{0.4, 1.0});
    else animator.set(knob_, on ? 1 : 0);
}

void TintSwitch::paintEvent(QPaintEvent*) {
    const Appearance appearance = appearanceOf(this);
    const bool dark = isDark(appearance);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const double t = knob_.value();
    const QColor off = dark ? QColor::fromRgbF(1, 1, 1, 0.16f) : QColor::fromRgbF(0, 0, 0, 0.1f);
    const QColor on = Tokens::ember().resolve(appearance);
    auto mix = [t](double a, double b) { return static_cast<float>(a + (b - a) * t); };
    const QColor fill = QColor::fromRgbF(mix(off.redF(), on.redF()), mix(off.greenF(), on.greenF()),
                                         mix(off.blueF(), on.blueF()), mix(off.alphaF(), on.alphaF()));
    painter.fillPath(PaintKit::capsule(track), fill);
    const double d = track.height() - 4;
    const QRectF knob(track.left() + 2 + (track.width() - 4 - d) * t, track.top() + 2, d, d);
    const QPainterPath knobShape = PaintKit::circle(knob);
    PaintKit::drawShadow(painter, knobShape, QColor::fromRgbF(0, 0, 0, 0.25f), 2, QPointF(0, 1));
    painter.fillPath(knobShape, isDown() ? QColor(240, 240, 240) : QColor(Qt::white));
    if (!isEnabled()) painter.fillPath(PaintKit::capsule(track), QColor::fromRgbF(0.5, 0.5, 0.5, 0.3f));
    if (showsFocusRing(*this)) {
        // On the track's edge, parted from an accent-filled track by a line of the window colour.
        painter.setPen(QPen(windowColor(appearance), 1));
        painter.drawPath(PaintKit::capsule(track.adjusted(1.5, 1.5, -1.5, -1.5)));
        paintFocusRing(painter, PaintKit::capsule(track), focusRingColour(appearance));
    }
}

}  // namespace orvane::kit
