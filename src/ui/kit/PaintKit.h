#pragma once
// The shapes, shadows and gradients every kit view paints with. Corners that the design
// calls "continuous" are drawn circular. All geometry is in layout points; the painter's
// device pixel ratio decides the resolution of masks and blurs.
#include <vector>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace orvane::kit::PaintKit {

QPainterPath capsule(const QRectF& rect);
QPainterPath roundedRect(const QRectF& rect, double radius);
// The text with its last two words joined by a no-break space, so a wrapped paragraph
// never ends on one word alone.
QString withoutWidow(const QString& text);
QPainterPath circle(const QRectF& rect);
// The same path moved inwards by `inset` on every side (for hairlines drawn inside the edge).
QPainterPath insetShape(const QPainterPath& shape, double inset);

// Blurs an image's alpha channel in place with a Gaussian of standard deviation `sigma`
// pixels; colour channels are dropped (the result is a premultiplied alpha mask in black).
QImage blurredAlphaMask(const QImage& source, double sigma);

// A silhouette blurred as a shadow of the given radius (sigma = radius / 2), ready to be
// drawn in any colour as often as needed: make it once while its shape stays the same.
struct ShadowMask {
    QImage image;     // black, the blurred coverage in alpha; carries the pixel ratio
    QPointF topLeft;  // where the image's top left lies, in the shape's coordinates
    bool isNull() const { return image.isNull(); }
};
// `ratio` device pixels per point; sharper ratios cost the square of it.
ShadowMask shadowMask(const QPainterPath& shape, double radius, double ratio);
void drawShadowMask(QPainter& painter, const ShadowMask& mask, const QColor& colour, QPointF offset = {});
// The pixel ratio a mask drawn with this painter wants: the device's times the painter's scale.
double maskRatio(const QPainter& painter);

// Text with a soft shadow under it, `baselineLeft` at the origin of the text, in the
// painter's font and pen. The blurred silhouettes are kept per character, font and pixel
// ratio, so a text that changes every frame (a rolling number) costs no blur.
void drawShadowedText(QPainter& painter, QPointF baselineLeft, const QString& text, const QColor& shadow, double radius,
                      QPointF offset);
// The shadow alone, for callers that draw the text themselves.
void drawTextShadow(QPainter& painter, QPointF baselineLeft, const QString& text, const QColor& shadow, double radius,
                    QPointF offset);

// A drop shadow: the shape's silhouette filled with `colour`, blurred as a shadow of the
// given radius (sigma = radius / 2) and moved by `offset`. Drawn under what is painted next.
void drawShadow(QPainter& painter, const QPainterPath& shape, const QColor& colour, double radius, QPointF offset = {});
// The same for any mask (premultiplied ARGB; its alpha is the silhouette), whose top left
// lies at `topLeft` in layout points; the mask's own device pixel ratio is honoured.
void drawShadow(QPainter& painter, const QImage& mask, QPointF topLeft, const QColor& colour, double radius,
                QPointF offset = {});

struct GradientStop {
    double location = 0;  // 0...1
    QColor colour;
};

// A linear gradient from `start` to `end` that paints only the band between the two
// perpendiculars through them (nothing beyond either end), clipped to `clip` as well.
void fillLinearBand(QPainter& painter, const QPainterPath& clip, QPointF start, QPointF end,
                    const std::vector<GradientStop>& stops);
// A radial gradient painted only in the annulus between the two radii.
void fillRadialAnnulus(QPainter& painter, const QPainterPath& clip, QPointF centre, double startRadius,
                       double endRadius, const std::vector<GradientStop>& stops);

// Saturation as an image filter: 1 keeps the colours, 0 gives greys of equal luminance
// (Rec. 709 weights); alpha stays.
QColor desaturate(const QColor& colour, double saturation);
QImage desaturated(const QImage& image, double saturation);

}  // namespace orvane::kit::PaintKit
