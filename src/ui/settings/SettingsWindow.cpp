#include "ui/settings/SettingsWindow.h"

#include <sstream>

#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include "platform/UserDefaults.h"
#include "ui/kit/ScreenPlace.h"

namespace orvane {

SettingsWindow::SettingsWindow(PaneEnvironment environment, std::optional<Pane> initialPane,
                               std::shared_ptr<platform::UserDefaults> defaults, QWidget* parent)
    : QWidget(parent, Qt::Window), defaults_(std::move(defaults)) {
    setWindowTitle(QStringLiteral("Orvane Settings"));
    setObjectName(QStringLiteral("OrvaneSettings"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    root_ = new SettingsRootView(std::move(environment), initialPane, this);
    layout->addWidget(root_);
    setMinimumSize(SettingsRootView::minimumSize);
    // Moves and resizes come in bursts: the frame is written once they stop.
    saveLater_.setSingleShot(true);
    saveLater_.setInterval(500);
    connect(&saveLater_, &QTimer::timeout, this, [this] { saveFrame(); });
    // The window's own keys, as the tray menu names them; a hotkey recorder that is
    // recording takes every key first.
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] { close(); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this, [this] {
        if (quit) quit();
    });
    placeAtFirst();
}

void SettingsWindow::placeAtFirst() {
    resize(contentSize);
    if (defaults_) {
        if (const auto text = defaults_->string(frameKey)) {
            if (const auto frame = parseFrame(*text)) {
                for (const QScreen* screen : QGuiApplication::screens()) {
                    if (!screen->geometry().intersects(*frame)) continue;
                    // Back where it was, but wholly inside the screen's available area (its
                    // panels or its size may have changed since).
                    const QRect area = screen->availableGeometry();
                    const QSize size = frame->size().boundedTo(area.size()).expandedTo(SettingsRootView::minimumSize);
                    setGeometry(kit::keptInside(QRect(frame->topLeft(), size), area));
                    placed_ = true;
                    return;
                }
            }
        }
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        QRect frame(QPoint(), contentSize.boundedTo(area.size()).expandedTo(SettingsRootView::minimumSize));
        frame.moveCenter(area.center());
        setGeometry(kit::keptInside(frame, area));
    }
    placed_ = true;
}

void SettingsWindow::present() {
    show();
    raise();
    activateWindow();
}

void SettingsWindow::saveFrame() {
    saveLater_.stop();
    if (!defaults_ || !placed_) return;
    const std::string text = frameText(geometry());
    if (defaults_->string(frameKey) != text) defaults_->set(frameKey, platform::Value(text));
}

std::optional<QRect> SettingsWindow::parseFrame(const std::string& text) {
    std::istringstream in(text);
    int x = 0, y = 0, w = 0, h = 0;
    if (!(in >> x >> y >> w >> h)) return std::nullopt;
    std::string rest;
    if (in >> rest || w <= 0 || h <= 0) return std::nullopt;
    return QRect(x, y, w, h);
}

std::string SettingsWindow::frameText(const QRect& frame) {
    return std::to_string(frame.x()) + " " + std::to_string(frame.y()) + " " + std::to_string(frame.width()) + " " +
           std::to_string(frame.height());
}

void SettingsWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible()) saveLater_.start();
}

void SettingsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) saveLater_.start();
}

void SettingsWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    saveFrame();
}

}  // namespace orvane
