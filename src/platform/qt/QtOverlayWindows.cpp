#include "platform/qt/QtOverlayWindows.h"

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include <QColor>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include "platform/Log.h"
#include "platform/WindowStacking.h"
#include "platform/linux/X11Probe.h"

namespace orvane::platform {

namespace {
class QtOverlayWindow;
}

// The live windows in the order they were made.
struct QtOverlayWindows::Stack {
    std::vector<QtOverlayWindow*> windows;
    std::uint64_t raises = 0;
    void raise(QtOverlayWindow& window);
};

namespace {

const Log& log() {
    static const Log l("overlay");
    return l;
}

// Where the main display lies in the toolkit's coordinates.
QRect mainScreenGeometry() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) return screen->geometry();
    return {};
}

QRect toToolkit(const Rect& frame) {
    const Rect f = frame.standardized();
    const QRect main = mainScreenGeometry();
    const double mainBottom = main.y() + main.height();
    const int left = static_cast<int>(std::lround(main.x() + f.x));
    const int top = static_cast<int>(std::lround(mainBottom - (f.y + f.height)));
    return {left, top, static_cast<int>(std::lround(f.width)), static_cast<int>(std::lround(f.height))};
}

double unit(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }

class OverlayWidget final : public QWidget {
public:
    explicit OverlayWidget(bool opaque)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus | Qt::Tool | Qt::X11BypassWindowManagerHint),
          opaque_(opaque) {
        // Only a translucent window asks for an alpha channel, which needs the compositor.
        setAttribute(Qt::WA_TranslucentBackground, !opaque);
        setAttribute(Qt::WA_TransparentForMouseEvents, true);
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        setAttribute(Qt::WA_NoSystemBackground, true);
        setFocusPolicy(Qt::NoFocus);
    }

    std::vector<OverlayLayer> layers;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), opaque_ ? QColor(0, 0, 0, 255) : QColor(0, 0, 0, 0));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        for (const auto& layer : layers) {
            QRectF area = rect();
            if (layer.frame) {
                // Layer frames have their origin at the window's bottom-left.
                const Rect f = layer.frame->standardized();
                area = QRectF(f.x, height() - (f.y + f.height), f.width, f.height);
            }
            painter.fillRect(
                area, QColor::fromRgbF(static_cast<float>(unit(layer.red)), static_cast<float>(unit(layer.green)),
                                       static_cast<float>(unit(layer.blue)), static_cast<float>(unit(layer.opacity))));
        }
    }

private:
    bool opaque_;
};

class QtOverlayWindow final : public OverlayWindow {
public:
    QtOverlayWindow(const Rect& frame, const OverlayStyle& style, std::shared_ptr<QtOverlayWindows::Stack> stack)
        : widget_(std::make_unique<OverlayWidget>(style.opaque)),
          level_(style.level),
          sharing_(style.sharingType),
          stack_(std::move(stack)) {
        setFrame(frame);
        stack_->windows.push_back(this);
    }
    ~QtOverlayWindow() override {
        std::erase(stack_->windows, this);
        widget_->hide();
    }

    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override {
        frame_ = frame;
        widget_->setGeometry(toToolkit(frame));
    }
    int level() const override { return level_; }
    void setLevel(int level) override {
        level_ = level;
        if (isVisible()) stack_->raise(*this);
    }
    SharingType sharingType() const override { return sharing_; }
    void setSharingType(SharingType type) override { sharing_ = type; }
    void setLayers(const std::vector<OverlayLayer>& layers) override {
        widget_->layers = layers;
        widget_->update();
    }
    std::vector<OverlayLayer> layers() const override { return widget_->layers; }
    void orderFront() override {
        widget_->show();
        stack_->raise(*this);
    }
    void orderOut() override { widget_->hide(); }
    bool isVisible() const override { return widget_->isVisible(); }

    // The toolkit's raise alone; the stack decides what follows.
    void raiseWidget() {
        widget_->raise();
        raisedAt = ++stack_->raises;
    }
    std::uint64_t raisedAt = 0;

private:
    std::unique_ptr<OverlayWidget> widget_;
    Rect frame_;
    int level_;
    SharingType sharing_;
    std::shared_ptr<QtOverlayWindows::Stack> stack_;
};

}  // namespace

void QtOverlayWindows::Stack::raise(QtOverlayWindow& window) {
    window.raiseWidget();
    std::vector<StackedWindow> stacked;
    std::size_t raised = 0;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (windows[i] == &window) raised = i;
        stacked.push_back({windows[i]->level(), windows[i]->raisedAt, windows[i]->isVisible()});
    }
    for (const std::size_t i : windowsToRaiseAbove(stacked, raised)) windows[i]->raiseWidget();
}

QtOverlayWindows::QtOverlayWindows(std::function<bool()> compositing)
    : compositing_(std::move(compositing)), stack_(std::make_shared<Stack>()) {
    askSession_ = !compositing_;
    if (askSession_)
        compositing_ = [] {
            const auto compositor = linuxsys::sessionCompositorWatch();
            return compositor && compositor->running();
        };
}

Handle QtOverlayWindows::observeTranslucency(std::function<void()> changed) {
    if (!askSession_) return {};
    if (const auto compositor = linuxsys::sessionCompositorWatch()) return compositor->observe(std::move(changed));
    return {};
}

std::unique_ptr<OverlayWindow> QtOverlayWindows::create(const Rect& frame, const OverlayStyle& style) {
    // Only a translucent window needs the compositing manager; an opaque one shows as drawn.
    if (!style.opaque && !compositing_()) {
        log().error("overlay: no compositing manager runs; a translucent overlay would black the screen out");
        return nullptr;
    }
    return std::make_unique<QtOverlayWindow>(frame, style, stack_);
}

int QtOverlayWindows::maximumWindowLevel() { return highestWindowLevel; }

}  // namespace orvane::platform
