#pragma once
// Our own small vector symbols, looked up by name. A symbol of size s fills an s × s box
// (the size a symbol at font size s takes). Windows may add symbols of their own; an
// unknown name draws a neutral placeholder, never nothing.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace orvane::kit::Symbols {

// A glyph on a 24 × 24 grid; `stroke` is the line width that the weight asks for.
using Glyph = std::function<QPainterPath(double stroke)>;

bool has(std::string_view name);
std::vector<std::string> names();
// Adds or replaces a symbol.
void add(std::string name, Glyph glyph);

// The filled outline of a symbol scaled into `box` (kept square and centred).
QPainterPath path(std::string_view name, const QRectF& box, QFont::Weight weight = QFont::DemiBold);
// Draws it in one colour.
void draw(QPainter& painter, std::string_view name, const QRectF& box, const QColor& colour,
          QFont::Weight weight = QFont::DemiBold);
// Draws a symbol of `size` points centred at `centre`.
void drawCentred(QPainter& painter, std::string_view name, QPointF centre, double size, const QColor& colour,
                 QFont::Weight weight = QFont::DemiBold);

}  // namespace orvane::kit::Symbols
