#include "ui/kit/PaintKit.h"

#include <algorithm>
#include <cmath>

#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QRadialGradient>

namespace orvane::kit::PaintKit {

QPainterPath capsule(const QRectF& rect) {
    const double radius = std::min(rect.width(), rect.height()) / 2;
    return roundedRect(rect, radius);
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

// One pass of a separable blur over an alpha plane, along x or y.
std::vector<float> blurPass(const std::vector<float>& in, int width, int height, const std::vector<float>& kernel,
                            bool horizontal) {
    std::vector<float> out(in.size(), 0.f);
    const int radius = static_cast<int>(kernel.size() / 2);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float sum = 0;
            for (int k = -radius; k <= radius; ++k) {
                const int sx = horizontal ? x + k : x;
                const int sy = horizontal ? y : y + k;
                if (sx < 0 || sy < 0 || sx >= width || sy >= height) continue;
                sum += in[static_cast<std::size_t>(sy * width + sx)] * kernel[static_cast<std::size_t>(k + radius)];
            }
            out[static_cast<std::size_t>(y * width + x)] = sum;
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

void drawShadow(QPainter& painter, const QPainterPath& shape, const QColor& colour, double radius, QPointF offset) {
    if (shape.isEmpty() || colour.alpha() == 0) return;
    const double ratio = paintRatio(painter) * std::max(1.0, std::sqrt(std::abs(painter.transform().determinant())));
    const QRectF bounds = shape.boundingRect();
    const QPointF origin(std::floor(bounds.left()), std::floor(bounds.top()));
    QImage mask(static_cast<int>(std::ceil((bounds.right() - origin.x()) * ratio)) + 1,
                static_cast<int>(std::ceil((bounds.bottom() - origin.y()) * ratio)) + 1,
                QImage::Format_ARGB32_Premultiplied);
    mask.setDevicePixelRatio(ratio);
    mask.fill(Qt::transparent);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-origin);
        p.fillPath(shape, Qt::black);
    }
    drawShadow(painter, mask, origin, colour, radius, offset);
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
