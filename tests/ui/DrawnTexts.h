#pragma once
// The texts a widget and its children draw, as painted: a paint device whose engine keeps
// each run of text and drops every other stroke. Texts laid out once and cached (static
// texts) reach it as text too, since its engine is a plain one, so a view is read as the
// user sees it (elided where it is), not through its own accessors.
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRegularExpression>
#include <QStringList>
#include <QWidget>

#include "ui/kit/Text.h"

namespace orvane::testing {

class TextRecordingDevice final : public QPaintDevice {
public:
    explicit TextRecordingDevice(QSize size) : size_(size) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    const QStringList& texts() const { return engine_.texts; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return size_.width();
            case PdmHeight:
                return size_.height();
            case PdmWidthMM:
                return size_.width() * 254 / 960;
            case PdmHeightMM:
                return size_.height() * 254 / 960;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDepth:
                return 32;
            case PdmNumColors:
                return 1 << 24;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 0;
        }
    }

private:
    class Engine final : public QPaintEngine {
    public:
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        Type type() const override { return QPaintEngine::User; }
        void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
        void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
        void drawRects(const QRectF*, int) override {}
        void drawRects(const QRect*, int) override {}
        void drawLines(const QLineF*, int) override {}
        void drawLines(const QLine*, int) override {}
        void drawEllipse(const QRectF&) override {}
        void drawEllipse(const QRect&) override {}
        void drawPoints(const QPointF*, int) override {}
        void drawPoints(const QPoint*, int) override {}
        QStringList texts;
    };
    QSize size_;
    mutable Engine engine_;
};

// Every text the widget and its visible children paint now, in painting order.
inline QStringList drawnTexts(QWidget& widget) {
    TextRecordingDevice device(widget.size());
    widget.render(&device);
    return device.texts();
}

// Whether a text's every word is drawn: none left out for a "…" at its width and line
// limit. Its height is the rendered-view check's (clippedTexts). Blanks are set aside, as
// the lines break at them.
inline bool drawnWhole(const kit::Text& text) {
    const auto words = [](QString s) { return s.remove(QRegularExpression(QStringLiteral("\\s"))); };
    // Painting it changes nothing of it; QWidget::render is merely not const.
    return words(drawnTexts(const_cast<kit::Text&>(text)).join(QString())) == words(text.text());
}

}  // namespace orvane::testing
