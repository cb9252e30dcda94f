#include "ui/views/RevealBox.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QGraphicsOpacityEffect>

#include "ui/kit/Context.h"

namespace orvane {

RevealBox::RevealBox(QWidget* child, int gap, kit::Spring spring, QWidget* parent)
    : QWidget(parent), child_(child), gap_(gap), spring_(spring), effect_(new QGraphicsOpacityEffect(this)) {
    child_->setParent(this);
    child_->show();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    effect_->setEnabled(false);  // only while fading: an effect draws through a pixmap
    setGraphicsEffect(effect_);
    shown_.setOnChange([this] {
        effect_->setOpacity(std::clamp(shown_.value(), 0.0, 1.0));
        effect_->setEnabled(shown_.value() < 1.0);
        place();
        settleVisibility();
    });
    height_.setOnChange([this] {
        updateGeometry();
        settleVisibility();
    });
    QWidget::setVisible(false);
}

int RevealBox::fullHeight() const {
    const int w = width() > 0 ? width() : child_->sizeHint().width();
    const int h = child_->hasHeightForWidth() ? child_->heightForWidth(w) : child_->sizeHint().height();
    return gap_ + std::max(0, h);
}

int RevealBox::childTop() const {
    // Out of sight just above the box when hidden, below the gap when in place.
    return static_cast<int>(std::lround(gap_ - (1.0 - shown_.value()) * fullHeight()));
}

void RevealBox::setShown(bool shown, bool animated) {
    shownTarget_ = shown;
    if (shown) QWidget::setVisible(true);
    const double height = shown ? fullHeight() : 0;
    const double fraction = shown ? 1 : 0;
    if (auto animator = kit::contextOf(this).animator) {
        // Only a new target restarts a spring; asking again for the same one changes nothing.
        if (!animated) {
            animator->set(shown_, fraction);
            animator->set(height_, height);
        } else {
            if (shown_.target() != fraction) animator->animate(shown_, fraction, spring_);
            if (std::abs(height_.target() - height) >= 0.5) animator->animate(height_, height, spring_);
        }
    }
    place();
    updateGeometry();
    settleVisibility();
}

void RevealBox::settleVisibility() {
    // A removed element leaves the stack once its box has closed.
    if (!shownTarget_ && !shown_.animating() && !height_.animating() && shown_.value() <= 0 && height_.value() <= 0)
        QWidget::setVisible(false);
}

QSize RevealBox::sizeHint() const {
    return {child_->sizeHint().width(), static_cast<int>(std::lround(std::max(0.0, height_.value())))};
}

bool RevealBox::event(QEvent* event) {
    // The element asked for another size (a notice came or went): the box springs to it.
    if (event->type() == QEvent::LayoutRequest && shownTarget_) setShown(true);
    return QWidget::event(event);
}

void RevealBox::resizeEvent(QResizeEvent*) { place(); }

void RevealBox::place() { child_->setGeometry(0, childTop(), width(), fullHeight() - gap_); }

}  // namespace orvane
