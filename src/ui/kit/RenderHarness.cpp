#include "ui/kit/RenderHarness.h"

#include <QCoreApplication>
#include <QDir>
#include <QLayout>
#include <QPainter>

#include "ui/kit/Context.h"

#ifndef ORVANE_RENDERS_DIR
#define ORVANE_RENDERS_DIR "renders"
#endif

namespace orvane::kit::RenderHarness {

QImage render(QWidget& widget, Appearance appearance, std::optional<QSize> size, Animations animations) {
    setContext(widget, contextOf(&widget).withAppearance(appearance));
    const bool wasVisible = widget.isVisible();
    if (!wasVisible) {
        // Laid out like a real window, but never put on a screen.
        widget.setAttribute(Qt::WA_DontShowOnScreen);
        widget.show();
    }
    widget.ensurePolished();
    if (widget.layout()) widget.layout()->activate();
    widget.resize(size.value_or(widget.sizeHint().expandedTo(widget.minimumSizeHint()).expandedTo(QSize(1, 1))));
    QCoreApplication::sendPostedEvents();
    if (widget.layout()) widget.layout()->activate();
    if (animations == Animations::settled) contextOf(&widget).animator->settleAll();
    QCoreApplication::sendPostedEvents();

    QImage image(widget.size() * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(windowColor(appearance));
    {
        QPainter painter(&image);
        widget.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    if (!wasVisible) widget.hide();
    return image;
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
