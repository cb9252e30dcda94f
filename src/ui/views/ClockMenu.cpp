#include "ui/views/ClockMenu.h"

#include <cmath>

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

#include "core/ShortTime.h"
#include "ui/kit/Context.h"
#include "ui/kit/Menu.h"
#include "ui/kit/Symbols.h"
#include "ui/views/EveningLook.h"
#include "ui/views/EveningRules.h"

namespace orvane {

ClockMenu::ClockMenu(std::string symbol, std::string label, ClockTime time, std::vector<ClockTime> range,
                     std::function<void(ClockTime)> set, QWidget* parent)
    : kit::GlassShapeButton(parent),
      symbol_(std::move(symbol)),
      label_(std::move(label)),
      time_(time),
      range_(std::move(range)),
      set_(std::move(set)) {
    setShape(kit::ButtonShape::capsule);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setLabelPainter([this](QPainter& p, const QRectF& box, kit::Appearance) { paintLabel(p, box); });
    setContentSize(contentSize());
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
    setContentSize(contentSize());
    update();
}

QMenu* ClockMenu::buildMenu() {
    auto* menu = new QMenu(this);
    kit::themeMenu(*menu, kit::appearanceOf(this));
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

namespace {
constexpr double symbolSize = 12;
constexpr double chevronWidth = 7;
}  // namespace

QSizeF ClockMenu::contentSize() const {
    const EveningLook::Fonts f = EveningLook::fonts();
    const double width =
        10 + symbolSize + 5 + QFontMetricsF(f.subheadline).horizontalAdvance(QString::fromStdString(label_)) + 5 +
        QFontMetricsF(f.time).horizontalAdvance(QString::fromStdString(ShortTime::of(time_))) + 5 + chevronWidth + 10;
    return {std::ceil(width), 28};
}

void ClockMenu::paintLabel(QPainter& p, const QRectF& box) const {
    const EveningLook::Colors c = EveningLook::colors(*this);
    const EveningLook::Fonts f = EveningLook::fonts();
    double x = box.x() + 10;
    const double mid = box.center().y();
    kit::Symbols::draw(p, symbol_, QRectF(x, mid - symbolSize / 2, symbolSize, symbolSize), c.emberText);
    x += symbolSize + 5;
    const auto text = [&](const QFont& font, const QColor& colour, const QString& s) {
        p.setFont(font);
        p.setPen(colour);
        const QFontMetricsF m(font);
        p.drawText(QPointF(x, mid + (m.ascent() - m.descent()) / 2), s);
        x += m.horizontalAdvance(s) + 5;
    };
    text(f.subheadline, c.secondary, QString::fromStdString(label_));
    text(f.time, c.primary, QString::fromStdString(ShortTime::of(time_)));
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
