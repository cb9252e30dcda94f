#include "ui/kit/GlassCard.h"

#include <QPainter>

#include "ui/kit/Context.h"
#include "ui/kit/Glass.h"
#include "ui/kit/PaintKit.h"

namespace orvane::kit {

GlassCard::GlassCard(double cornerRadius, QWidget* parent) : QWidget(parent), cornerRadius_(cornerRadius) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void GlassCard::setTint(std::optional<DynamicColor> tint) {
    if (tint == tint_) return;
    tint_ = tint;
    update();
}

void GlassCard::paintEvent(QPaintEvent*) {
    const Appearance appearance = appearanceOf(this);
    QPainter painter(this);
    glassSurface(painter, PaintKit::roundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius_),
                 appearance, tint_ ? std::optional(tint_->resolve(appearance)) : std::nullopt);
}

}  // namespace orvane::kit
