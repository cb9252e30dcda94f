#include "ui/kit/PaintKit.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QTextBoundaryFinder>
#include <QTextLayout>

namespace orvane::kit::PaintKit {

QPainterPath capsule(const QRectF& rect) {
    const double radius = std::min(rect.width(), rect.height()) / 2;
    return roundedRect(rect, radius);
}

QString withoutWidow(const QString& text) {
    const qsizetype last = text.lastIndexOf(QLatin1Char(' '));
    // A single word, or a space that ends the text, has nothing to join.
    if (last <= 0 || last + 1 >= text.size()) return text;
    QString joined = text;
    joined[last] = QChar(0x00A0);
    return joined;
}

QPainterPath roundedRect(const QRectF& rect, double radius) {
    QPainterPath path;
    const double r = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2);
    path.addRoundedRect(rect, r, r);
    return path;
}

QPainterPath circle(const QRectF& rect) {
    QPainterPath path;
    path.addEllipse(rect);
    return path;
}

QPainterPath insetShape(const QPainterPath& shape, double inset) {
    if (inset <= 0) return shape;
    QPainterPathStroker stroker;
    stroker.setWidth(2 * inset);
    stroker.setJoinStyle(Qt::RoundJoin);
    return shape.subtracted(stroker.createStroke(shape)).simplified();
}

namespace {

std::vector<float> gaussianKernel(double sigma) {
    const int radius = std::max(1, static_cast<int>(std::ceil(3 * sigma)));
    std::vector<float> kernel(static_cast<std::size_t>(2 * radius + 1));
    double sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        const double w = std::exp(-(i * i) / (2 * sigma * sigma));
        kernel[static_cast<std::size_t>(i + radius)] = static_cast<float>(w);
        sum += w;
    }
    for (auto& w : kernel) w = static_cast<float>(w / sum);
    return kernel;
}

// One pass of a separable blur over an alpha plane, along x or y; outside the plane counts
// as clear. The taps are limited to the plane instead of tested one by one, and the vertical
// pass adds whole rows, which the compiler vectorises.
std::vector<float> blurPass(const std::vector<float>& in, int width, int height, const std::vector<float>& kernel,
                            bool horizontal) {
    std::vector<float> out(in.size(), 0.f);
    const int radius = static_cast<int>(kernel.size() / 2);
    const auto at = [width](int x, int y) {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    };
    if (horizontal) {
        for (int y = 0; y < height; ++y) {
            const float* row = &in[at(0, y)];
            float* target = &out[at(0, y)];
            for (int x = 0; x < width; ++x) {
                const int from = std::max(-radius, -x), to = std::min(radius, width - 1 - x);
                float sum = 0;
                for (int k = from; k <= to; ++k) sum += row[x + k] * kernel[static_cast<std::size_t>(k + radius)];
                target[x] = sum;
            }
        }
        return out;
    }
    for (int y = 0; y < height; ++y) {
        float* target = &out[at(0, y)];
        const int from = std::max(-radius, -y), to = std::min(radius, height - 1 - y);
        for (int k = from; k <= to; ++k) {
            const float w = kernel[static_cast<std::size_t>(k + radius)];
            const float* source = &in[at(0, y + k)];
            for (int x = 0; x < width; ++x) target[x] += source[x] * w;
        }
    }
    return out;
}

}  // namespace

QImage blurredAlphaMask(const QImage& source, double sigma) {
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = argb.width(), height = argb.height();
    std::vector<float> alpha(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < width; ++x)
            alpha[static_cast<std::size_t>(y * width + x)] = static_cast<float>(qAlpha(line[x]));
    }
    if (sigma > 0.01) {
        const auto kernel = gaussianKernel(sigma);
        alpha = blurPass(blurPass(alpha, width, height, kernel, true), width, height, kernel, false);
    }
    QImage mask(width, height, QImage::Format_ARGB32_Premultiplied);
    mask.setDevicePixelRatio(source.devicePixelRatio());
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(mask.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgba(
                0, 0, 0,
                std::clamp(static_cast<int>(std::lround(alpha[static_cast<std::size_t>(y * width + x)])), 0, 255));
    }
    return mask;
}

namespace {

double paintRatio(const QPainter& painter) {
    const QPaintDevice* device = painter.device();
    return device ? std::max(1.0, device->devicePixelRatioF()) : 1.0;
}

// Colours a blurred mask, keeping its alpha as coverage.
QImage tinted(const QImage& mask, const QColor& colour) {
    QImage out = mask;
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(QRectF(QPointF(0, 0), QSizeF(out.size()) / out.devicePixelRatio()), colour);
    return out;
}

}  // namespace

void drawShadow(QPainter& painter, const QImage& mask, QPointF topLeft, const QColor& colour, double radius,
                QPointF offset) {
    if (mask.isNull() || colour.alpha() == 0) return;
    const double ratio = mask.devicePixelRatio();
    const double sigma = radius / 2 * ratio;
    const int pad = static_cast<int>(std::ceil(3 * sigma)) + 1;
    // Room around the silhouette so the blur can spread.
    QImage padded(mask.width() + 2 * pad, mask.height() + 2 * pad, QImage::Format_ARGB32_Premultiplied);
    padded.fill(Qt::transparent);
    {
        // Pixel for pixel: the mask's ratio must not rescale it here.
        QImage pixels = mask;
        pixels.setDevicePixelRatio(1);
        QPainter p(&padded);
        p.drawImage(QPoint(pad, pad), pixels);
    }
    padded.setDevicePixelRatio(ratio);
    const QImage shadow = tinted(blurredAlphaMask(padded, sigma), colour);
    painter.drawImage(topLeft + offset - QPointF(pad / ratio, pad / ratio), shadow);
}

double maskRatio(const QPainter& painter) {
    return paintRatio(painter) * std::max(1.0, std::sqrt(std::abs(painter.transform().determinant())));
}

namespace {

// A silhouette drawn by `fill` (in points, within `bounds`) into an image with room for the
// blur around it, then blurred.
template <class Fill>
ShadowMask blurredSilhouette(const QRectF& bounds, double radius, double ratio, Fill fill) {
    const double sigma = std::max(radius, 0.0) / 2 * ratio;
    const int pad = static_cast<int>(std::ceil(3 * sigma)) + 1;
    const QPointF origin(std::floor(bounds.left()), std::floor(bounds.top()));
    QImage image(static_cast<int>(std::ceil((bounds.right() - origin.x()) * ratio)) + 1 + 2 * pad,
                 static_cast<int>(std::ceil((bounds.bottom() - origin.y()) * ratio)) + 1 + 2 * pad,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(pad, pad);
        p.scale(ratio, ratio);
        p.translate(-origin);
        fill(p);
    }
    ShadowMask mask{blurredAlphaMask(image, sigma), origin - QPointF(pad / ratio, pad / ratio)};
    mask.image.setDevicePixelRatio(ratio);
    return mask;
}

}  // namespace

ShadowMask shadowMask(const QPainterPath& shape, double radius, double ratio) {
    if (shape.isEmpty() || !(ratio > 0)) return {};
    return blurredSilhouette(shape.boundingRect(), radius, ratio, [&](QPainter& p) { p.fillPath(shape, Qt::black); });
}

void drawShadowMask(QPainter& painter, const ShadowMask& mask, const QColor& colour, QPointF offset) {
    if (mask.isNull() || colour.alpha() == 0) return;
    const QPointF at = mask.topLeft + offset;
    if (colour.red() == 0 && colour.green() == 0 && colour.blue() == 0) {
        // The mask is black already: its opacity is all a black shadow needs.
        const double opacity = painter.opacity();
        painter.setOpacity(opacity * colour.alphaF());
        painter.drawImage(at, mask.image);
        painter.setOpacity(opacity);
        return;
    }
    painter.drawImage(at, tinted(mask.image, colour));
}

void drawShadow(QPainter& painter, const QPainterPath& shape, const QColor& colour, double radius, QPointF offset) {
    if (shape.isEmpty() || colour.alpha() == 0) return;
    drawShadowMask(painter, shadowMask(shape, radius, maskRatio(painter)), colour, offset);
}

namespace {

struct Grapheme {
    QString text;
    double x;  // from the text's origin
};

// Where each grapheme of a text starts. Kept per font and text: the rows that use it draw
// the same few texts on every frame.
const std::vector<Grapheme>& graphemes(const QFont& font, const QString& text) {
    static std::map<QString, std::vector<Grapheme>> cache;
    const QString key = font.key() + QChar(0x1f) + text;
    if (const auto it = cache.find(key); it != cache.end()) return it->second;
    if (cache.size() > 256) cache.clear();
    std::vector<Grapheme> result;
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary()) {
        result.push_back({text.mid(start, end - start), line.isValid() ? line.cursorToX(static_cast<int>(start)) : 0});
        start = end;
    }
    return cache.emplace(key, std::move(result)).first->second;
}

// One grapheme's blurred silhouette at its origin on the baseline; null for blanks.
const ShadowMask& glyphMask(const QFont& font, const QString& grapheme, double radius, double ratio) {
    static std::map<QString, ShadowMask> cache;
    const QString key = font.key() + QChar(0x1f) + grapheme + QChar(0x1f) + QString::number(radius) + QChar(0x1f) +
                        QString::number(ratio);
    if (const auto it = cache.find(key); it != cache.end()) return it->second;
    if (cache.size() > 512) cache.clear();
    // Drawn as text (from the glyph cache) rather than as an outline path: far cheaper the
    // first time, and the blur hides any difference.
    const QFontMetricsF metrics(font);
    const QRectF bounds = metrics.boundingRect(grapheme).adjusted(-1, -1, 1, 1);
    ShadowMask mask;
    if (!grapheme.trimmed().isEmpty() && bounds.isValid())
        mask = blurredSilhouette(bounds, radius, ratio, [&](QPainter& p) {
            p.setFont(font);
            p.setPen(Qt::black);
            p.drawText(QPointF(0, 0), grapheme);
        });
    return cache.emplace(key, std::move(mask)).first->second;
}

// A whole text's shadow, put together from its graphemes' blurred silhouettes (no blur of
// its own) and kept per font and text: one image to draw per text and frame.
const ShadowMask& textMask(const QFont& font, const QString& text, double radius, double ratio) {
    static std::map<QString, ShadowMask> cache;
    const QString key =
        font.key() + QChar(0x1f) + text + QChar(0x1f) + QString::number(radius) + QChar(0x1f) + QString::number(ratio);
    if (const auto it = cache.find(key); it != cache.end()) return it->second;
    if (cache.size() > 256) cache.clear();
    // Copies (the images are shared, not copied): a later lookup may clear the glyph cache.
    std::vector<std::pair<ShadowMask, double>> parts;
    QRectF bounds;
    const std::vector<Grapheme> layout = graphemes(font, text);
    for (const Grapheme& g : layout) {
        const ShadowMask mask = glyphMask(font, g.text, radius, ratio);
        if (mask.isNull()) continue;
        parts.emplace_back(mask, g.x);
        bounds |= QRectF(mask.topLeft + QPointF(g.x, 0), QSizeF(mask.image.size()) / ratio);
    }
    ShadowMask whole;
    if (!parts.empty()) {
        const QPointF origin(std::floor(bounds.left() * ratio) / ratio, std::floor(bounds.top() * ratio) / ratio);
        whole.image = QImage(static_cast<int>(std::ceil((bounds.right() - origin.x()) * ratio)) + 1,
                             static_cast<int>(std::ceil((bounds.bottom() - origin.y()) * ratio)) + 1,
                             QImage::Format_ARGB32_Premultiplied);
        whole.image.fill(Qt::transparent);
        whole.image.setDevicePixelRatio(ratio);
        whole.topLeft = origin;
        QPainter p(&whole.image);
        for (const auto& [mask, x] : parts) p.drawImage(mask.topLeft + QPointF(x, 0) - origin, mask.image);
    }
    return cache.emplace(key, std::move(whole)).first->second;
}

}  // namespace

void drawTextShadow(QPainter& painter, QPointF baselineLeft, const QString& text, const QColor& shadow, double radius,
                    QPointF offset) {
    if (text.isEmpty() || shadow.alpha() == 0) return;
    drawShadowMask(painter, textMask(painter.font(), text, radius, maskRatio(painter)), shadow, baselineLeft + offset);
}

void drawShadowedText(QPainter& painter, QPointF baselineLeft, const QString& text, const QColor& shadow, double radius,
                      QPointF offset) {
    drawTextShadow(painter, baselineLeft, text, shadow, radius, offset);
    painter.drawText(baselineLeft, text);
}

namespace {

template <class Gradient>
void applyStops(Gradient& gradient, const std::vector<GradientStop>& stops) {
    for (const auto& stop : stops) gradient.setColorAt(std::clamp(stop.location, 0.0, 1.0), stop.colour);
}

}  // namespace

void fillLinearBand(QPainter& painter, const QPainterPath& clip, QPointF start, QPointF end,
                    const std::vector<GradientStop>& stops) {
    const QPointF axis = end - start;
    const double length = std::hypot(axis.x(), axis.y());
    if (length <= 0 || stops.empty()) return;
    // The band: a wide rectangle spanning the axis from start to end, turned along it.
    const QRectF bounds = clip.boundingRect().united(QRectF(start, end).normalized());
    const double reach = std::hypot(bounds.width(), bounds.height()) + 1;
    QTransform turn;
    turn.translate(start.x(), start.y());
    turn.rotateRadians(std::atan2(axis.y(), axis.x()));
    QPainterPath band;
    band.addRect(QRectF(0, -reach, length, 2 * reach));
    QLinearGradient gradient(start, end);
    applyStops(gradient, stops);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(clip.intersected(turn.map(band)), gradient);
    painter.restore();
}

void fillRadialAnnulus(QPainter& painter, const QPainterPath& clip, QPointF centre, double startRadius,
                       double endRadius, const std::vector<GradientStop>& stops) {
    const double inner = std::max(0.0, std::min(startRadius, endRadius));
    const double outer = std::max(startRadius, endRadius);
    if (outer <= 0 || stops.empty()) return;
    QPainterPath annulus;
    annulus.addEllipse(centre, outer, outer);
    if (inner > 0) {
        QPainterPath hole;
        hole.addEllipse(centre, inner, inner);
        annulus = annulus.subtracted(hole);
    }
    // Qt's radial gradient runs from the centre; remap the stops onto start...end.
    QRadialGradient gradient(centre, outer);
    std::vector<GradientStop> mapped;
    for (const auto& stop : stops) {
        const double r = startRadius + (endRadius - startRadius) * std::clamp(stop.location, 0.0, 1.0);
        mapped.push_back({r / outer, stop.colour});
    }
    std::sort(mapped.begin(), mapped.end(), [](const auto& a, const auto& b) { return a.location < b.location; });
    applyStops(gradient, mapped);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(clip.intersected(annulus), gradient);
    painter.restore();
}

QColor desaturate(const QColor& colour, double saturation) {
    const double s = std::clamp(saturation, 0.0, 1.0);
    const double r = colour.redF(), g = colour.greenF(), b = colour.blueF();
    const double grey = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    auto mix = [&](double c) { return static_cast<float>(std::clamp(grey + (c - grey) * s, 0.0, 1.0)); };
    return QColor::fromRgbF(mix(r), mix(g), mix(b), colour.alphaF());
}

QImage desaturated(const QImage& image, double saturation) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double s = std::clamp(saturation, 0.0, 1.0);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = line[x];
            // Premultiplied channels desaturate the same way; alpha is untouched.
            const double r = qRed(p), g = qGreen(p), b = qBlue(p);
            const double grey = 0.2126 * r + 0.7152 * g + 0.0722 * b;
            auto mix = [&](double c) {
                return std::clamp(static_cast<int>(std::lround(grey + (c - grey) * s)), 0, qAlpha(p));
            };
            line[x] = qRgba(mix(r), mix(g), mix(b), qAlpha(p));
        }
    }
    return out;
}

}  // namespace orvane::kit::PaintKit
