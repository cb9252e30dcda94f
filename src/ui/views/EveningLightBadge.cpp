#include "ui/views/EveningLightBadge.h"

#include <QPainter>

#include "ui/kit/Context.h"
#include "ui/views/EveningLightRing.h"
#include "ui/views/EveningLook.h"
#include "ui/views/EveningRules.h"

namespace orvane {

EveningLightBadge::EveningLightBadge(double reduction, QWidget* parent)
    : QWidget(parent), reduction_(reduction), ring_(new EveningLightRing(reduction, 2.5, this)), digits_(text()) {
    ring_->setGeometry(0, 0, 13, 13);
    digits_.setOnChange([this] { update(); });
    setToolTip(QString::fromUtf8(EveningRules::badgeTooltip));
    relabel();
}

void EveningLightBadge::setReduction(double reduction) {
    if (reduction == reduction_) return;
    const auto direction =
        kit::NumericTransition::direction(static_cast<double>(EveningRules::badgePercent(reduction_)),
                                          static_cast<double>(EveningRules::badgePercent(reduction)));
    reduction_ = reduction;
    ring_->setFraction(reduction);
    // The digits keep pace with the ring's spring.
    digits_.setText(text(), *kit::contextOf(this).animator, isVisible(), direction, kit::Spring{0.6, 1.0});
    relabel();
    updateGeometry();
    update();
}

QString EveningLightBadge::text() const { return QString::fromStdString(EveningRules::badgeText(reduction_)); }

void EveningLightBadge::relabel() {
    setAccessibleName(QString::fromStdString(EveningRules::badgeAccessibleName(reduction_)));
}

QSize EveningLightBadge::sizeHint() const {
    const QFontMetrics m(EveningLook::fonts().captionMedium);
    return {13 + 5 + m.horizontalAdvance(text()) + 1, std::max(13, m.height())};
}

void EveningLightBadge::paintEvent(QPaintEvent*) {
    ring_->move(0, (height() - 13) / 2);
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QFont f = EveningLook::fonts().captionMedium;
    p.setFont(f);
    const QFontMetricsF m(f);
    digits_.draw(p, QPointF(13 + 5, height() / 2.0 + (m.ascent() - m.descent()) / 2), QColor::fromRgbF(1, 1, 1, 0.85f));
}

}  // namespace orvane
