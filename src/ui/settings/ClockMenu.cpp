#include "ui/settings/ClockMenu.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

#include "ui/settings/EveningLook.h"
#include "ui/settings/EveningRules.h"

namespace orvane {

ClockMenu::ClockMenu(std::string symbol, std::string label, ClockTime time, std::vector<ClockTime> range,
                     std::function<void(ClockTime)> set, QWidget* parent)
    : QAbstractButton(parent),
      symbol_(std::move(symbol)),
      label_(std::move(label)),
      time_(time),
      range_(std::move(range)),
      set_(std::move(set)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QString::fromStdString(EveningRules::clockMenuAccessibleName(label_, time_)));
    connect(this, &QAbstractButton::clicked, this, [this] {
        QMenu* menu = buildMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(mapToGlobal(QPoint(0, height())));
    });
}

const std::vector<ClockTime>& ClockMenu::bedtimes() { return EveningRules::bedtimes(); }
const std::vector<ClockTime>& ClockMenu::wakeTimes() { return EveningRules::wakeTimes(); }

void ClockMenu::setTime(ClockTime time) {
    if (time == time_) return;
    time_ = time;
    setAccessibleName(QString::fromStdString(EveningRules::clockMenuAccessibleName(label_, time_)));
    updateGeometry();
    update();
}

QMenu* ClockMenu::buildMenu() {
    auto* menu = new QMenu(this);
    const auto entries = EveningRules::clockMenuEntries(range_, time_);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QAction* action = menu->addAction(QString::fromStdString(entries[i].text));
        action->setCheckable(entries[i].checked);
        action->setChecked(entries[i].checked);
        connect(action, &QAction::triggered, this, [this, i] { choose(i); });
    }
    return menu;
}

void ClockMenu::choose(std::size_t index) {
    if (index < range_.size() && set_) set_(range_[index]);
}

QSize ClockMenu::sizeHint() const {
    const EveningLook::Fonts f = EveningLook::fonts(font());
    const int width = 10 + 12 + 5 + QFontMetrics(f.subheadline).horizontalAdvance(QString::fromStdString(label_)) + 5 +
                      QFontMetrics(f.time).horizontalAdvance(QString::fromStdString(time_.display())) + 5 + 7 + 10;
    return {width, 28};
}

void ClockMenu::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const EveningLook::Colors c = EveningLook::colors(*this);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(c.hairline, 1));
    p.setBrush(isDown() ? c.glassPressed : c.glass);
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);

    const EveningLook::Fonts f = EveningLook::fonts(font());
    double x = 10;
    const double mid = height() / 2.0;
    EveningLook::drawSymbol(p, symbol_, QRectF(x, mid - 6, 12, 12), c.emberText);
    x += 12 + 5;
    p.setFont(f.subheadline);
    p.setPen(c.secondary);
    const QString label = QString::fromStdString(label_);
    const QFontMetricsF lm(f.subheadline);
    p.drawText(QPointF(x, mid + (lm.ascent() - lm.descent()) / 2), label);
    x += lm.horizontalAdvance(label) + 5;
    p.setFont(f.time);
    p.setPen(c.primary);
    const QString time = QString::fromStdString(time_.display());
    const QFontMetricsF tm(f.time);
    p.drawText(QPointF(x, mid + (tm.ascent() - tm.descent()) / 2), time);
    x += tm.horizontalAdvance(time) + 5;
    // The up-and-down chevron in place of the platform's menu indicator.
    QPen chevron(c.tertiary, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(chevron);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(x, mid - 1.5);
    path.lineTo(x + 3, mid - 4.5);
    path.lineTo(x + 6, mid - 1.5);
    path.moveTo(x, mid + 1.5);
    path.lineTo(x + 3, mid + 4.5);
    path.lineTo(x + 6, mid + 1.5);
    p.drawPath(path);
}

}  // namespace orvane
