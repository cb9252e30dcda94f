#include "ui/kit/SymbolView.h"

#include <cmath>

#include <QPainter>

#include "ui/kit/Context.h"
#include "ui/kit/Symbols.h"

namespace orvane::kit {

SymbolView::SymbolView(std::string symbol, double size, QWidget* parent)
    : QWidget(parent), symbol_(std::move(symbol)), size_(size) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolView::setSymbol(std::string symbol) {
    symbol_ = std::move(symbol);
    update();
}
void SymbolView::setLevel(TextLevel level) {
    level_ = level;
    update();
}
void SymbolView::setColour(std::optional<DynamicColor> colour) {
    colour_ = colour;
    update();
}
void SymbolView::setWeight(QFont::Weight weight) {
    weight_ = weight;
    update();
}

QSize SymbolView::sizeHint() const {
    const int side = static_cast<int>(std::ceil(size_));
    return {side, side};
}

void SymbolView::paintEvent(QPaintEvent*) {
    const Appearance appearance = appearanceOf(this);
    QColor colour = colour_ ? colour_->resolve(appearance)
                            : (level_ == TextLevel::primary ? primaryText(appearance) : secondaryText(appearance));
    if (colour_ && level_ == TextLevel::secondary) colour.setAlphaF(colour.alphaF() * 0.5f);
    QPainter painter(this);
    Symbols::drawCentred(painter, symbol_, QRectF(rect()).center(), size_, colour, weight_);
}

}  // namespace orvane::kit
