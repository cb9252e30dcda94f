#include "ui/settings/EveningLightBadge.h"

#include <QPainter>

#include "ui/settings/EveningLightRing.h"
#include "ui/settings/EveningLook.h"
#include "ui/settings/EveningRules.h"

namespace orvane {

EveningLightBadge::EveningLightBadge(double reduction, QWidget* parent)
    : QWidget(parent), reduction_(reduction), ring_(new EveningLightRing(reduction, 2.5, this)) {
    ring_->setGeometry(0, 0, 13, 13);
    setToolTip(QString::fromUtf8(EveningRules::badgeTooltip));
    relabel();
}

void EveningLightBadge::setReduction(double reduction) {
    if (reduction == reduction_) return;
    reduction_ = reduction;
    ring_->setFraction(reduction);
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
    p.setPen(QColor::fromRgbF(1, 1, 1, 0.85f));
    const QFontMetricsF m(f);
    p.drawText(QPointF(13 + 5, height() / 2.0 + (m.ascent() - m.descent()) / 2), text());
}

}  // namespace orvane
