#include "ui/views/CurvePreview.h"

#include <QPainter>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Tokens.h"

namespace orvane {
namespace {

const kit::Spring colourSpring{0.6, 1.0};

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

}  // namespace

CurvePreview::CurvePreview(std::optional<WarmthCurve> curve, TimeZone timeZone, int startHour, bool labelsNow,
                           QWidget* parent)
    : QWidget(parent),
      curve_(std::move(curve)),
      zone_(std::move(timeZone)),
      startHour_(startHour),
      labelsNow_(labelsNow) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedHeight(44);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QString::fromUtf8(CurveLayout::accessibleName));
    to_ = currentLayout().kelvins;
    from_ = to_;
    blend_.setOnChange([this] { update(); });
}

void CurvePreview::setCurve(std::optional<WarmthCurve> curve) {
    curve_ = std::move(curve);
    follow();
}

void CurvePreview::setTimeZone(TimeZone timeZone) {
    zone_ = std::move(timeZone);
    follow();
}

CurveLayout::Layout CurvePreview::currentLayout() const {
    return CurveLayout::layout(curve_, zone_, startHour_, labelsNow_, kit::contextOf(this).now(), width());
}

// Only a different list of warmths animates; the same curve drawn again does not.
void CurvePreview::follow() {
    const auto kelvins = currentLayout().kelvins;
    if (kelvins == to_) return update();
    from_ = to_;
    to_ = kelvins;
    auto& animator = *kit::contextOf(this).animator;
    animator.set(blend_, 0);
    if (isVisible()) animator.animate(blend_, 1, colourSpring);
    else animator.set(blend_, 1);
    update();
}

void CurvePreview::paintEvent(QPaintEvent*) {
    const kit::Appearance appearance = kit::appearanceOf(this);
    const bool dark = kit::isDark(appearance);
    const CurveLayout::Layout layout = currentLayout();
    if (layout.kelvins != to_) {  // the window moved on since the last change
        from_ = to_ = layout.kelvins;
        kit::contextOf(this).animator->set(blend_, 1);
    }
    const double w = width();
    const kit::Rgb day = dark ? kit::Tokens::darkDay : kit::Tokens::lightDay;
    const double t = blend_.value();
    const QColor primary = kit::primaryText(appearance);

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    // The strip.
    const QRectF strip(0, layout.top, w, CurveLayout::stripHeight);
    const QPainterPath capsule = kit::PaintKit::capsule(strip);
    std::vector<kit::PaintKit::GradientStop> stops;
    stops.reserve(to_.size());
    const auto last = static_cast<double>(to_.size() - 1);
    for (std::size_t i = 0; i < to_.size(); ++i) {
        const QColor target = kit::Tokens::curveStops(to_[i], day).toQColor();
        const QColor colour =
            t >= 1 || i >= from_.size() ? target : mix(kit::Tokens::curveStops(from_[i], day).toQColor(), target, t);
        stops.push_back({static_cast<double>(i) / last, colour});
    }
    kit::PaintKit::fillLinearBand(p, capsule, strip.topLeft(), strip.topRight(), stops);
    QColor border = primary;
    border.setAlphaF(dark ? 0.12f : 0.08f);
    p.setPen(QPen(border, 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(kit::PaintKit::capsule(strip.adjusted(0.25, 0.25, -0.25, -0.25)));

    // The hour labels.
    QColor tertiary = primary;
    tertiary.setAlphaF(dark ? 0.3f : 0.28f);
    p.setPen(tertiary);
    p.setFont(kit::FontBook::system(10, QFont::Medium));
    const double labelHeight = QFontMetricsF(p.font()).height();
    for (const auto& label : layout.labels) {
        const Qt::Alignment align = label.align == CurveLayout::Align::leading    ? Qt::AlignLeft
                                    : label.align == CurveLayout::Align::trailing ? Qt::AlignRight
                                                                                  : Qt::AlignHCenter;
        p.drawText(QRectF(label.x, layout.labelY, CurveLayout::hourLabelWidth, labelHeight), align | Qt::AlignTop,
                   QString::fromStdString(label.text));
    }

    // The now marker stands 3 points above and below the strip.
    const QRectF marker(layout.nowX - CurveLayout::markerWidth / 2, layout.top - 3, CurveLayout::markerWidth,
                        CurveLayout::markerHeight);
    p.setBrush(primary);
    p.setPen(QPen(dark ? QColor(0, 0, 0, 128) : QColor(Qt::white), 0.5));
    p.drawPath(kit::PaintKit::capsule(marker));

    if (layout.nowLabelX) {
        p.setPen(primary);
        p.setFont(kit::FontBook::system(10, QFont::DemiBold));
        p.drawText(QRectF(*layout.nowLabelX, -2, CurveLayout::nowLabelWidth, layout.top + 2),
                   Qt::AlignHCenter | Qt::AlignVCenter, QString::fromUtf8(CurveLayout::nowText));
    }
}

}  // namespace orvane
