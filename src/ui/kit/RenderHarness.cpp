#include "ui/kit/RenderHarness.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QLayout>
#include <QPainter>
#include <QTimer>

#include "ui/kit/Context.h"

#ifndef ORVANE_RENDERS_DIR
#define ORVANE_RENDERS_DIR "renders"
#endif

namespace orvane::kit::RenderHarness {

namespace {

// Laid out like a real window, but never put on a screen; true when it was shown here.
bool showOffScreen(QWidget& widget) {
    if (widget.isVisible()) return false;
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    return true;
}

void layOut(QWidget& widget) {
    QCoreApplication::sendPostedEvents();
    if (widget.layout()) widget.layout()->activate();
}

QImage paint(QWidget& widget, QSize size, const QColor& background) {
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return image;
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(background);
    QPainter painter(&image);
    widget.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

}  // namespace

QImage render(QWidget& widget, Appearance appearance, std::optional<QSize> size, Animations animations) {
    setContext(widget, contextOf(&widget).withAppearance(appearance));
    const bool shownHere = showOffScreen(widget);
    widget.ensurePolished();
    if (widget.layout()) widget.layout()->activate();
    widget.resize(size.value_or(widget.sizeHint().expandedTo(widget.minimumSizeHint()).expandedTo(QSize(1, 1))));
    layOut(widget);
    if (animations == Animations::settled) contextOf(&widget).animator->settleAll();
    QCoreApplication::sendPostedEvents();

    QImage image = paint(widget, widget.size(), windowColor(appearance));
    if (shownHere) widget.hide();
    return image;
}

int fittedHeight(QWidget& widget, int width) {
    widget.ensurePolished();
    if (widget.layout()) widget.layout()->activate();
    const int wanted = widget.hasHeightForWidth() ? widget.heightForWidth(width) : widget.sizeHint().height();
    return std::max(wanted, smallestFittedHeight);
}

std::optional<Shot> shot(QWidget& widget, Appearance appearance, int width, std::optional<int> height,
                         const QColor& background, std::chrono::milliseconds settle) {
    setContext(widget, contextOf(&widget).withAppearance(appearance));
    const QSize points(width, height ? *height : fittedHeight(widget, width));
    if (points.isEmpty()) return std::nullopt;
    const bool shownHere = showOffScreen(widget);
    widget.resize(points);
    layOut(widget);
    {
        QEventLoop loop;
        QTimer::singleShot(settle, &loop, &QEventLoop::quit);
        loop.exec();
    }
    layOut(widget);
    contextOf(&widget).animator->settleAll();
    QCoreApplication::sendPostedEvents();

    QImage image = paint(widget, points, background);
    if (shownHere) widget.hide();
    if (image.isNull()) return std::nullopt;
    return Shot{std::move(image), points};
}

QSize fittingSize(QWidget& widget, int width) {
    widget.ensurePolished();
    if (widget.layout()) widget.layout()->activate();
    const int height = widget.hasHeightForWidth() ? widget.heightForWidth(width) : widget.sizeHint().height();
    return {width, std::max(height, widget.minimumSizeHint().height())};
}

QString rendersDirectory() {
    const QByteArray configured = qgetenv("ORVANE_RENDERS_DIR");
    return configured.isEmpty() ? QString::fromUtf8(ORVANE_RENDERS_DIR) : QString::fromLocal8Bit(configured);
}

QString save(const QImage& image, const QString& name) {
    const QDir dir(rendersDirectory());
    if (!dir.mkpath(QStringLiteral("."))) return {};
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    return image.save(path, "PNG") ? path : QString();
}

void renderBoth(QWidget& widget, const QString& name, std::optional<QSize> size, Animations animations) {
    save(render(widget, Appearance::light, size, animations), name + QStringLiteral("-light"));
    save(render(widget, Appearance::dark, size, animations), name + QStringLiteral("-dark"));
}

}  // namespace orvane::kit::RenderHarness
