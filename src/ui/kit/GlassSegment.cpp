#include "ui/kit/GlassSegment.h"

#include <QHBoxLayout>
#include <QPainter>

#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Symbols.h"

namespace orvane::kit {

namespace {

constexpr double inset = 3;
constexpr double itemSpacing = 2;

// Symbol, swatch and title, centred, in the item's colour.
void paintItem(QPainter& painter, const QRectF& box, const SegmentItem& item, bool selected, Appearance appearance,
               double symbolScale) {
    const QColor colour = selected ? primaryText(appearance) : secondaryText(appearance);
    const QFont font = FontBook::font(TextStyle::subheadline, QFont::DemiBold);
    const QFontMetricsF metrics(font);
    const double symbolSize = 12, swatchSize = 7, gap = 5;
    double width = metrics.horizontalAdvance(QString::fromStdString(item.title));
    if (item.symbol) width += symbolSize + gap;
    if (item.swatch) width += swatchSize + gap;
    double x = box.center().x() - width / 2;
    const double y = box.center().y();
    if (item.symbol) {
        Symbols::drawCentred(painter, *item.symbol, QPointF(x + symbolSize / 2, y), symbolSize * symbolScale, colour);
        x += symbolSize + gap;
    }
    if (item.swatch) {
        painter.save();
        painter.setOpacity(painter.opacity() * (selected ? 1.0 : 0.6));
        const double d = swatchSize * (selected ? 1.3 : 1.0);
        const QRectF dot(x + swatchSize / 2 - d / 2, y - d / 2, d, d);
        painter.setPen(Qt::NoPen);
        painter.setBrush(item.swatch->resolve(appearance));
        painter.drawEllipse(dot);
        QColor ring = primaryText(appearance);
        ring.setAlphaF(0.15f);
        painter.setPen(QPen(ring, 0.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(dot.adjusted(0.25, 0.25, -0.25, -0.25));
        painter.restore();
        x += swatchSize + gap;
    }
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QRectF(x, box.top(), box.right() - x, box.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(QString::fromStdString(item.title), Qt::ElideRight, box.right() - x));
}

}  // namespace

GlassSegmentBase::GlassSegmentBase(std::vector<SegmentItem> items, double height, std::function<void(int)> pick,
                                   QWidget* parent)
    : QWidget(parent), items_(std::move(items)), height_(height), pick_(std::move(pick)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(static_cast<int>(inset), static_cast<int>(inset), static_cast<int>(inset),
                            static_cast<int>(inset));
    row->setSpacing(static_cast<int>(itemSpacing));
    for (std::size_t i = 0; i < items_.size(); ++i) {
        auto* button = new PressableButton;
        button->setCheckable(true);
        button->setContentSize(QSizeF(60, height_));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setAccessibleName(QString::fromStdString(items_[i].title));
        const int index = static_cast<int>(i);
        button->setLabelPainter([this, index](QPainter& painter, const QRectF& box, Appearance appearance) {
            const auto at = static_cast<std::size_t>(index);
            paintItem(painter, box, items_[at], selected_ == index, appearance, bounces_[at]->scale());
        });
        connect(button, &QAbstractButton::clicked, this, [this, index] {
            // The owner decides; until it answers the marks stay as they were.
            setSelectedIndex(selected_);
            if (pick_) pick_(index);
        });
        row->addWidget(button, 1);
        buttons_.push_back(button);
        bounces_.push_back(std::make_unique<Bounce>());
        bounces_.back()->setOnChange([button] { button->update(); });
    }
    pillX_.setOnChange([this] { update(); });
    pillWidth_.setOnChange([this] { update(); });
}

void GlassSegmentBase::setSelectedIndex(std::optional<int> index) {
    if (index && (*index < 0 || *index >= static_cast<int>(buttons_.size()))) index.reset();
    const bool hadPill = selected_.has_value();
    const bool changed = index != selected_;
    if (changed) {
        // Both the item that lost the mark and the one that got it bounce.
        Animator& animator = *contextOf(this).animator;
        for (const auto& item : {selected_, index})
            if (item) bounces_[static_cast<std::size_t>(*item)]->trigger(animator);
    }
    selected_ = index;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const bool blocked = buttons_[i]->blockSignals(true);
        buttons_[i]->setChecked(selected_ == static_cast<int>(i));
        buttons_[i]->blockSignals(blocked);
        buttons_[i]->update();
    }
    if (changed) movePill(hadPill && selected_);
    update();
}

QRectF GlassSegmentBase::itemRect(int index) const {
    const auto i = static_cast<std::size_t>(index);
    if (i < buttons_.size() && buttons_[i]->geometry().isValid() && layout() && !layout()->geometry().isEmpty())
        return QRectF(buttons_[i]->geometry());
    // Before layout: equal shares of the track.
    const double n = static_cast<double>(buttons_.size());
    const double w = (width() - 2 * inset - itemSpacing * (n - 1)) / n;
    return {inset + index * (w + itemSpacing), inset, w, height_};
}

void GlassSegmentBase::movePill(bool animated) {
    if (!selected_) return;
    const QRectF target = itemRect(*selected_);
    Animator& animator = *contextOf(this).animator;
    if (animated) {
        animator.animate(pillX_, target.x(), Spring::selection());
        animator.animate(pillWidth_, target.width(), Spring::selection());
    } else {
        animator.set(pillX_, target.x());
        animator.set(pillWidth_, target.width());
    }
}

void GlassSegmentBase::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (layout()) layout()->activate();
    movePill(false);
}

std::optional<QRectF> GlassSegmentBase::pillRect() const {
    if (!selected_) return std::nullopt;
    return QRectF(pillX_.value(), inset, pillWidth_.value(), height_);
}

void GlassSegmentBase::paintEvent(QPaintEvent*) {
    const Appearance appearance = appearanceOf(this);
    const bool dark = isDark(appearance);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(PaintKit::capsule(QRectF(rect())),
                     dark ? QColor::fromRgbF(1, 1, 1, 0.07f) : QColor::fromRgbF(0, 0, 0, 0.06f));
    if (const auto pill = pillRect()) {
        const QPainterPath shape = PaintKit::capsule(*pill);
        PaintKit::drawShadow(painter, shape, QColor::fromRgbF(0, 0, 0, dark ? 0.3f : 0.1f), 2, QPointF(0, 1));
        painter.fillPath(shape, dark ? QColor::fromRgbF(1, 1, 1, 0.17f) : QColor(Qt::white));
    }
}

}  // namespace orvane::kit
