#include "ui/hud/QtPanels.h"

#include <cmath>

#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include "ui/hud/DisplayIdentifierView.h"
#include "ui/hud/HUDView.h"
#include "ui/hud/RestBreakView.h"
#include "ui/kit/PaintKit.h"

namespace orvane {

namespace {

class QtPanel final : public app::Panel {
public:
    QtPanel(QSize size, QWidget* view, double cornerRadius = QtPanels::cornerRadius)
        : window_(std::make_unique<QWidget>(nullptr, QtPanels::windowFlags())) {
        window_->setAttribute(Qt::WA_TranslucentBackground, true);
        window_->setAttribute(Qt::WA_TransparentForMouseEvents, true);
        window_->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window_->setAttribute(Qt::WA_NoSystemBackground, true);
        window_->setFocusPolicy(Qt::NoFocus);
        window_->setFixedSize(size);
        auto* layout = new QVBoxLayout(window_.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view);
        // Outside the rounded shape nothing is drawn, composited or not.
        const QPainterPath shape = kit::PaintKit::roundedRect(QRectF(QPointF(0, 0), QSizeF(size)), cornerRadius);
        window_->setMask(QRegion(shape.toFillPolygon().toPolygon()));
    }
    ~QtPanel() override { window_->hide(); }

    void moveTo(platform::Point origin) override {
        const QScreen* screen = QGuiApplication::primaryScreen();
        window_->setGeometry(QtPanels::toolkitGeometry(origin, window_->size(), screen ? screen->geometry() : QRect()));
    }
    void orderFrontRegardless() override {
        window_->show();
        window_->raise();
    }
    void orderOut() override { window_->hide(); }
    bool isVisible() const override { return window_->isVisible(); }

private:
    std::unique_ptr<QWidget> window_;
};

QSize pointSize(double width, double height) {
    return {static_cast<int>(std::lround(width)), static_cast<int>(std::lround(height))};
}

}  // namespace

Qt::WindowFlags QtPanels::windowFlags() {
    return Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput |
           Qt::WindowDoesNotAcceptFocus | Qt::Tool | Qt::X11BypassWindowManagerHint;
}

QRect QtPanels::toolkitGeometry(platform::Point origin, QSize size, const QRect& mainScreen) {
    const double mainBottom = mainScreen.y() + mainScreen.height();
    const int left = static_cast<int>(std::lround(mainScreen.x() + origin.x));
    const int top = static_cast<int>(std::lround(mainBottom - (origin.y + size.height())));
    return {QPoint(left, top), size};
}

std::optional<platform::Rect> QtPanels::mainScreenFrame() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return std::nullopt;
    // The main screen's own frame: its bottom-left corner is the origin of global points.
    const QRect g = screen->geometry();
    return platform::Rect{0, 0, static_cast<double>(g.width()), static_cast<double>(g.height())};
}

std::unique_ptr<app::Panel> QtPanels::brightnessPanel(double width, double height,
                                                      const app::BrightnessHUDState& state) {
    return std::make_unique<QtPanel>(pointSize(width, height), new HUDView(state));
}

std::unique_ptr<app::Panel> QtPanels::restBreakPanel(double width, double height, const app::RestBreakHUDState& state) {
    return std::make_unique<QtPanel>(pointSize(width, height), new RestBreakView(state));
}

std::unique_ptr<app::Panel> QtPanels::identifierPanel(double width, double height, const std::string& name,
                                                      bool isBuiltIn) {
    return std::make_unique<QtPanel>(pointSize(width, height),
                                     new DisplayIdentifierView(QString::fromStdString(name), isBuiltIn),
                                     DisplayIdentifierView::cornerRadius);
}

}  // namespace orvane
