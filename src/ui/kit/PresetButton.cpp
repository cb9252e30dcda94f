#include "ui/kit/PresetButton.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Glass.h"
#include "ui/kit/Menu.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/PresetRules.h"
#include "ui/kit/Symbols.h"

namespace orvane::kit {

namespace {
QFont nameFont() { return FontBook::font(TextStyle::caption2, QFont::Medium); }
constexpr double spacing = 6;
// Room around what is drawn: the selected disc grows by 6 % and the name has descenders.
constexpr double inset = 2;
}  // namespace

PresetButton::PresetButton(Preset preset, QWidget* parent) : PressableButton(parent), preset_(std::move(preset)) {
    setCheckable(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setToolTip(QString::fromStdString(PresetRules::helpText(preset_)));
    setAccessibleName(QString::fromStdString(PresetRules::accessibleLabel(preset_)));
    setLabelPainter(
        [this](QPainter& painter, const QRectF& box, Appearance appearance) { paintLabel(painter, box, appearance); });
    mark_.setOnChange([this] { update(); });
    bounce_.setOnChange([this] { update(); });
    // A click applies the preset; the row answers with the new marks.
    connect(this, &QAbstractButton::clicked, this, [this] { setCurrent(current_); });
}

QSize PresetButton::sizeHint() const {
    const QFontMetricsF metrics(nameFont());
    return QSizeF(std::max(52.0, metrics.horizontalAdvance(QString::fromStdString(preset_.name)) + 4),
                  std::ceil(inset + disc * 1.06 + spacing + metrics.height() + inset))
        .toSize();
}

QSize PresetButton::minimumSizeHint() const { return QSize(52, sizeHint().height()); }

void PresetButton::setCurrent(bool current) {
    const bool blocked = blockSignals(true);
    setChecked(current);
    blockSignals(blocked);
    if (current == current_) return;
    current_ = current;
    Animator& animator = *contextOf(this).animator;
    animator.animate(mark_, current ? 1 : 0, Spring::selection());
    bounce_.trigger(animator);
}

void PresetButton::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    themeMenu(menu, appearanceOf(this));
    menu.addAction(QStringLiteral("Edit Presets…"), this, [this] {
        if (onEditPresets) onEditPresets();
    });
    menu.exec(event->globalPos());
}

void PresetButton::paintLabel(QPainter& painter, const QRectF& box, Appearance appearance) {
    const double t = mark_.value();
    const double scale = 1 + 0.06 * t;
    const QPointF centre(box.center().x(), box.top() + inset + disc * 1.06 / 2);
    const QRectF discRect(centre.x() - disc / 2, centre.y() - disc / 2, disc, disc);
    painter.save();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    std::optional<QColor> tint;
    if (t > 0) tint = Tokens::curveColor(preset_.kelvin).withOpacity(0.8 * t).resolve(appearance);
    glassSurface(painter, PaintKit::circle(discRect), appearance, tint, true);
    const QColor symbol = current_ ? primaryText(appearance) : secondaryText(appearance);
    Symbols::drawCentred(painter, preset_.icon, centre, 16 * bounce_.scale(), symbol, QFont::DemiBold);
    painter.restore();

    const QFont font = nameFont();
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.setPen(current_ ? primaryText(appearance) : secondaryText(appearance));
    const QRectF nameBox(box.left(), box.top() + inset + disc * 1.06 + spacing, box.width(), metrics.height());
    painter.drawText(nameBox, Qt::AlignHCenter | Qt::AlignTop,
                     metrics.elidedText(QString::fromStdString(preset_.name), Qt::ElideRight, box.width()));
}

}  // namespace orvane::kit
