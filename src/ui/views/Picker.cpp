#include "ui/views/Picker.h"

#include <cmath>

#include <QAction>
#include <QMenu>
#include <QPainter>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Menu.h"
#include "ui/kit/Symbols.h"

namespace orvane::kit {

namespace {
constexpr double chevronSize = 10;
constexpr double padding = 11;
constexpr double capsuleHeight = 26;
QFont titleFont() { return FontBook::font(TextStyle::callout, QFont::Medium); }
}  // namespace

PickerButton::PickerButton(std::vector<QString> titles, std::function<void(int)> pick, QWidget* parent)
    : GlassShapeButton(parent), titles_(std::move(titles)), pick_(std::move(pick)) {
    setShape(ButtonShape::capsule);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setLabelPainter([this](QPainter& p, const QRectF& box, Appearance a) { paintLabel(p, box, a); });
    setContentSize(labelSize());
    connect(this, &QAbstractButton::clicked, this, [this] {
        QMenu* menu = buildMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(mapToGlobal(QPoint(0, this->height())));
    });
}

void PickerButton::setSelectedIndex(std::optional<int> index) {
    if (index && (*index < 0 || *index >= static_cast<int>(titles_.size()))) index.reset();
    if (index == selected_) return;
    selected_ = index;
    update();
}

QString PickerButton::currentTitle() const {
    return selected_ ? titles_[static_cast<std::size_t>(*selected_)] : QString();
}

QMenu* PickerButton::buildMenu() {
    auto* menu = new QMenu(this);
    themeMenu(*menu, appearanceOf(this));
    for (int i = 0; i < static_cast<int>(titles_.size()); ++i) {
        const auto reason = disabledReason(i);
        const QString title = titles_[static_cast<std::size_t>(i)];
        QAction* action = menu->addAction(reason ? title + QStringLiteral(" \u2014 ") + *reason : title);
        action->setCheckable(true);
        action->setChecked(selected_ == i);
        action->setEnabled(!reason);
        connect(action, &QAction::triggered, this, [this, i] { choose(i); });
    }
    return menu;
}

void PickerButton::choose(int index) {
    if (disabledReason(index)) return;
    if (pick_) pick_(index);
}

void PickerButton::setItemDisabled(int index, std::optional<QString> reason) {
    if (index < 0 || index >= static_cast<int>(titles_.size())) return;
    disabled_.resize(titles_.size());
    disabled_[static_cast<std::size_t>(index)] = std::move(reason);
}

std::optional<QString> PickerButton::disabledReason(int index) const {
    if (index < 0 || index >= static_cast<int>(disabled_.size())) return std::nullopt;
    return disabled_[static_cast<std::size_t>(index)];
}

QSizeF PickerButton::labelSize() const {
    // As wide as the longest title, so the capsule does not jump between choices.
    const QFontMetricsF metrics(titleFont());
    double widest = 0;
    for (const auto& title : titles_) widest = std::max(widest, metrics.horizontalAdvance(title));
    return {std::ceil(padding + widest + 8 + chevronSize + padding - 2), capsuleHeight};
}

void PickerButton::paintLabel(QPainter& p, const QRectF& box, Appearance appearance) const {
    const QFont font = titleFont();
    const QFontMetricsF metrics(font);
    p.setFont(font);
    p.setPen(isEnabled() ? primaryText(appearance) : secondaryText(appearance));
    const double mid = box.center().y();
    const QRectF text(box.left() + padding, box.top(), box.width() - 2 * padding - chevronSize - 6, box.height());
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
               metrics.elidedText(currentTitle(), Qt::ElideRight, text.width()));
    Symbols::draw(p, "chevron.up.chevron.down",
                  QRectF(box.right() - padding + 2 - chevronSize, mid - chevronSize / 2, chevronSize, chevronSize),
                  Tokens::emberText().resolve(appearance));
}

}  // namespace orvane::kit
