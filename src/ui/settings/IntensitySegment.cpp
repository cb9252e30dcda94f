#include "ui/settings/IntensitySegment.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/AppModel.h"
#include "ui/settings/EveningLook.h"
#include "ui/settings/EveningRules.h"

namespace orvane {

IntensitySegment::IntensitySegment(std::shared_ptr<AppModel> model, double height, QWidget* parent)
    : QWidget(parent), model_(std::move(model)), height_(height), plan_(model_->eveningPlan()) {
    setFixedHeight(static_cast<int>(std::lround(height_)));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QString::fromUtf8(EveningRules::intensityAccessibleName));
    subscription_ = model_->observe([this](AppModel::Property p) {
        if (p != AppModel::Property::settings) return;
        plan_ = model_->eveningPlan();
        update();
    });
}

std::optional<EveningIntensity> IntensitySegment::selected() const {
    return plan_ ? std::optional<EveningIntensity>(plan_->intensity) : std::nullopt;
}

void IntensitySegment::choose(EveningIntensity intensity) {
    model_->setEveningPlan(EveningRules::planWithIntensity(plan_, intensity));
}

std::optional<EveningIntensity> IntensitySegment::itemAt(QPointF point) const {
    if (!QRectF(rect()).contains(point) || width() <= 0) return std::nullopt;
    const auto items = EveningRules::intensityItems();
    const auto index = std::min<std::size_t>(static_cast<std::size_t>(point.x() / (width() / 3.0)), items.size() - 1);
    return items[index].intensity;
}

QSize IntensitySegment::sizeHint() const { return {300, static_cast<int>(std::lround(height_))}; }

void IntensitySegment::mouseReleaseEvent(QMouseEvent* event) {
    if (const auto item = itemAt(event->position())) choose(*item);
}

void IntensitySegment::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const EveningLook::Colors c = EveningLook::colors(*this);
    const EveningLook::Fonts f = EveningLook::fonts(font());
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(c.hairline, 1));
    p.setBrush(c.glass);
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    const auto items = EveningRules::intensityItems();
    const double w = r.width() / 3;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QRectF cell(r.x() + w * static_cast<double>(i), r.y(), w, r.height());
        const bool on = selected() == items[i].intensity;
        if (on) {
            const QRectF pill = cell.adjusted(2.5, 2.5, -2.5, -2.5);
            p.setPen(Qt::NoPen);
            p.setBrush(c.dark ? QColor::fromRgbF(1, 1, 1, 0.2f) : QColor::fromRgbF(1, 1, 1, 0.95f));
            p.drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
        }
        const QString title = QString::fromUtf8(items[i].title);
        const QFont font = on ? f.captionSemibold : f.captionMedium;
        const QFontMetricsF m(font);
        const double swatch = 8;
        const double total = swatch + 5 + m.horizontalAdvance(title);
        double x = cell.center().x() - total / 2;
        p.setPen(Qt::NoPen);
        p.setBrush(EveningLook::swatch(items[i].swatchKelvin, c.dark));
        p.drawEllipse(QRectF(x, cell.center().y() - swatch / 2, swatch, swatch));
        x += swatch + 5;
        p.setFont(font);
        p.setPen(on ? c.primary : c.secondary);
        p.drawText(QPointF(x, cell.center().y() + (m.ascent() - m.descent()) / 2), title);
    }
}

}  // namespace orvane
