#include "ui/hud/HUDView.h"

#include <QFontMetricsF>
#include <QPainter>

#include "ui/hud/HUDRules.h"
#include "ui/hud/PanelSurface.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Symbols.h"

namespace orvane {

HUDView::HUDView(const app::BrightnessHUDState& state, QWidget* parent)
    : QWidget(parent), state_(state), subscription_(state.changed.subscribe([this] { follow(); })) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(side, side);
    follow();
}

void HUDView::follow() {
    setAccessibleName(QString::fromStdString(state_.title()));
    update();
}

void HUDView::paintEvent(QPaintEvent*) {
    const kit::Appearance appearance = kit::appearanceOf(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    hud::paintPanelSurface(painter, QRectF(rect()), cornerRadius, appearance);

    const QColor primary = kit::primaryText(appearance);
    const QFont caption = kit::FontBook::font(kit::TextStyle::caption);
    const QFontMetricsF metrics(caption);
    const double stack = symbolSize + spacing + metrics.height() + spacing + segmentHeight;
    double y = (height() - stack) / 2;
    const double centreX = width() / 2.0;

    kit::Symbols::drawCentred(painter, "sun.max.fill", {centreX, y + symbolSize / 2}, symbolSize, primary);
    y += symbolSize + spacing;

    painter.setFont(caption);
    painter.setPen(kit::secondaryText(appearance));
    painter.drawText(QRectF(0, y, width(), metrics.height()), Qt::AlignCenter, QString::fromStdString(state_.title()));
    y += metrics.height() + spacing;

    const double row = HUDRules::segmentCount * segmentWidth + (HUDRules::segmentCount - 1) * segmentSpacing;
    QColor dim = primary;
    dim.setAlphaF(primary.alphaF() * 0.2f);
    for (int i = 0; i < HUDRules::segmentCount; ++i) {
        const QRectF segment(centreX - row / 2 + i * (segmentWidth + segmentSpacing), y, segmentWidth, segmentHeight);
        painter.fillPath(kit::PaintKit::roundedRect(segment, 1),
                         HUDRules::segmentLit(i, state_.level()) ? primary : dim);
    }
}

}  // namespace orvane
