#include "ui/kit/LevelSlider.h"

#include <cmath>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>

#include "ui/kit/Context.h"
#include "ui/kit/LevelSliderRules.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Symbols.h"

namespace orvane::kit {

namespace Rules = LevelSliderRules;

LevelSlider::LevelSlider(double value, std::string symbol, std::vector<double> detents, bool haptics, double height,
                         std::optional<DynamicColor> fillTint, QWidget* parent)
    : QWidget(parent),
      value_(value),
      symbol_(std::move(symbol)),
      detents_(std::move(detents)),
      haptics_(haptics),
      height_(height),
      fillTint_(fillTint) {
    installLevelSliderAccessibility();
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    swell_.setOnChange([this] { update(); });
}

void LevelSlider::setValue(double value) {
    if (value == value_) return;
    value_ = value;
    update();
}

void LevelSlider::edit(double value) {
    value_ = value;
    if (onEdit_) onEdit_(value);
    update();
}

void LevelSlider::setDetents(std::vector<double> detents) {
    if (detents == detents_) return;
    detents_ = std::move(detents);
    update();
}

void LevelSlider::setFillTint(std::optional<DynamicColor> tint) {
    if (tint == fillTint_) return;
    fillTint_ = tint;
    update();
}

void LevelSlider::setSymbol(std::string symbol) {
    symbol_ = std::move(symbol);
    update();
}

QSize LevelSlider::sizeHint() const { return QSizeF(240, std::ceil(height_) + 2 * bleed).toSize(); }
QSize LevelSlider::minimumSizeHint() const { return QSizeF(height_ * 2, std::ceil(height_) + 2 * bleed).toSize(); }

void LevelSlider::increment() { edit(Rules::increment(value())); }

void LevelSlider::decrement() { edit(Rules::decrement(value())); }

void LevelSlider::setDragging(bool dragging) {
    if (dragging == dragging_) return;
    dragging_ = dragging;
    contextOf(this).animator->animate(swell_, dragging ? 1 : 0, Spring{0.18, 0.85});
}

void LevelSlider::dragTo(double x) {
    setDragging(true);
    const auto step = Rules::drag(x, width(), height_, detents_, haptics_, lastDetent_);
    if (step.tick) contextOf(this).haptics->performAlignment();
    lastDetent_ = step.lastDetent;
    edit(step.value);
}

void LevelSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    // The whole capsule takes the press.
    if (!PaintKit::capsule(QRectF(0, (height() - height_) / 2, width(), height_)).contains(event->position()))
        return QWidget::mousePressEvent(event);
    dragTo(event->position().x());
}

void LevelSlider::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton && dragging_) dragTo(event->position().x());
}

void LevelSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) setDragging(false);
}

void LevelSlider::paintEvent(QPaintEvent*) {
    const Appearance appearance = appearanceOf(this);
    const bool dark = isDark(appearance);
    const double w = width(), h = height_;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.45);
    // The swell: 6 % taller about the centre while dragged.
    const double swell = swell_.value();
    const QPointF centre(w / 2, height() / 2.0);
    painter.translate(centre);
    painter.scale(1, 1 + 0.06 * swell);
    painter.translate(-centre);

    const QRectF track(0, (height() - h) / 2, w, h);
    painter.fillPath(PaintKit::capsule(track),
                     dark ? QColor::fromRgbF(1, 1, 1, 0.10f) : QColor::fromRgbF(0, 0, 0, 0.08f));

    QColor dot = primaryText(appearance);
    dot.setAlphaF(0.28f);
    for (const double d : detents_) {
        const double x = Rules::detentCentre(w, h, d);
        painter.setPen(Qt::NoPen);
        painter.setBrush(dot);
        painter.drawEllipse(QPointF(x, track.center().y()), Rules::detentRadius, Rules::detentRadius);
    }

    const QRectF fill(track.left(), track.top(), Rules::fillWidth(w, h, value()), h);
    const QPainterPath fillShape = PaintKit::capsule(fill);
    PaintKit::drawShadow(painter, fillShape, QColor::fromRgbF(0, 0, 0, dark ? 0.25f : 0.12f), 2 + 4 * swell,
                         QPointF(0, 1));
    const QColor white = QColor::fromRgbF(1, 1, 1, dark ? 0.92f : 1.0f);
    if (fillTint_) {
        // The gradient spans the fill, so the tint shows fully only at full warmth.
        PaintKit::fillLinearBand(painter, fillShape, fill.topLeft(), fill.topRight(),
                                 {{0, white}, {1, fillTint_->withOpacity(0.85).resolve(appearance)}});
    } else {
        painter.fillPath(fillShape, white);
    }

    Symbols::drawCentred(painter, symbol_, QPointF(track.left() + h / 2, track.center().y()), h * 0.4,
                         QColor::fromRgbF(0, 0, 0, 0.72f), QFont::DemiBold);
}

namespace {

class LevelSliderAccessible final : public QAccessibleWidget {
public:
    explicit LevelSliderAccessible(LevelSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    LevelSlider* slider() const { return static_cast<LevelSlider*>(widget()); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return QString::fromStdString(LevelSliderRules::accessibleValue(slider()->value()));
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 0; }
    QStringList actionNames() const override { return {increaseAction(), decreaseAction()}; }
    void doAction(const QString& name) override {
        if (name == increaseAction()) slider()->increment();
        else if (name == decreaseAction()) slider()->decrement();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* levelSliderFactory(const QString& className, QObject* object) {
    Q_UNUSED(className);
    if (auto* slider = dynamic_cast<LevelSlider*>(object)) return new LevelSliderAccessible(slider);
    return nullptr;
}

}  // namespace

void installLevelSliderAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(levelSliderFactory);
        return true;
    }();
    (void)installed;
}

}  // namespace orvane::kit
