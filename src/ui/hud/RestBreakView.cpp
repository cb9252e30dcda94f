#include "ui/hud/RestBreakView.h"

#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include "ui/hud/HUDRules.h"
#include "ui/hud/PanelSurface.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Tokens.h"

namespace orvane {

RestBreakView::RestBreakView(const app::RestBreakHUDState& state, QWidget* parent)
    : QWidget(parent), state_(state), subscription_(state.changed.subscribe([this] { update(); })) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(panelWidth, panelHeight);
    setAccessibleName(QString::fromUtf8(HUDRules::restAccessibilityLabel));
    refresh_.setInterval(refreshInterval);
    refresh_.setTimerType(Qt::PreciseTimer);
    connect(&refresh_, &QTimer::timeout, this, [this] { update(); });
}

double RestBreakView::progress() const {
    const kit::Context context = kit::contextOf(this);
    return HUDRules::restProgress(context.now(), state_.startedAt(), state_.seconds());
}

void RestBreakView::showEvent(QShowEvent*) { refresh_.start(); }
void RestBreakView::hideEvent(QHideEvent*) { refresh_.stop(); }

void RestBreakView::paintEvent(QPaintEvent*) {
    const kit::Appearance appearance = kit::appearanceOf(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    hud::paintPanelSurface(painter, QRectF(rect()), cornerRadius, appearance);

    const double left = progress();
    const QColor primary = kit::primaryText(appearance);
    const QColor secondary = kit::secondaryText(appearance);

    // The ring: a faint full circle, the part to go in ember from the top, clockwise.
    const QRectF ring(padding, (height() - ringSide) / 2, ringSide, ringSide);
    QColor track = primary;
    track.setAlphaF(primary.alphaF() * 0.12f);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(track, ringLine));
    painter.drawEllipse(ring);
    if (left > 0) {
        QPen arc(kit::Tokens::ember().resolve(appearance), ringLine);
        arc.setCapStyle(Qt::RoundCap);
        painter.setPen(arc);
        painter.drawArc(ring, 90 * 16, -static_cast<int>(std::lround(left * 360 * 16)));
    }
    kit::Symbols::drawCentred(painter, "eye", ring.center(), 15, secondary, QFont::DemiBold);

    // The advice and the seconds left.
    const QFont headline = kit::FontBook::font(kit::TextStyle::body, QFont::DemiBold);
    const QFont caption = kit::FontBook::font(kit::TextStyle::caption);
    const QFontMetricsF headMetrics(headline), captionMetrics(caption);
    const double textLeft = ring.right() + spacing;
    const double textWidth = width() - textLeft - padding;
    const double block = headMetrics.height() + 2 + captionMetrics.height();
    const double top = (height() - block) / 2;
    painter.setFont(headline);
    painter.setPen(primary);
    painter.drawText(QRectF(textLeft, top, textWidth, headMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8(HUDRules::restHeadline));
    painter.setFont(caption);
    painter.setPen(secondary);
    const std::string countdown = HUDRules::countdownText(HUDRules::remainingSeconds(left, state_.seconds()));
    painter.drawText(QRectF(textLeft, top + headMetrics.height() + 2, textWidth, captionMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(countdown));
}

}  // namespace orvane
