#include "ui/menubar/QtTray.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <unistd.h>

#include "platform/wayland/SwayIpc.h"
#include "platform/wayland/WaylandSession.h"

#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Menu.h"
#include "ui/kit/PaintKit.h"
#include "ui/kit/Panel.h"
#include "ui/kit/ScreenPlace.h"
#include "ui/kit/Tokens.h"
#include "ui/menubar/PopoverView.h"
#include "ui/views/AppIconRenderer.h"

namespace orvane {

namespace {

constexpr QRgb glyphInk = qRgb(250, 250, 250);
// Disabled, the ink is a mid grey: plainly dimmer, yet the edge and the ink still read.
constexpr QRgb disabledInk = qRgb(170, 170, 170);
constexpr QRgb glyphEdge = qRgb(24, 24, 24);

// The shape's coverage grown by `radius` pixels: the edge that is drawn under the ink.
QImage grown(const QImage& shape, double radius) {
    QImage out(shape.size(), QImage::Format_Alpha8);
    const int reach = static_cast<int>(std::ceil(radius));
    for (int y = 0; y < shape.height(); ++y)
        for (int x = 0; x < shape.width(); ++x) {
            double best = 0;
            for (int dy = -reach; dy <= reach; ++dy)
                for (int dx = -reach; dx <= reach; ++dx) {
                    const int sx = x + dx, sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= shape.width() || sy >= shape.height()) continue;
                    const double weight = std::clamp(radius + 1 - std::hypot(dx, dy), 0.0, 1.0);
                    best = std::max(best, weight * qAlpha(shape.pixel(sx, sy)));
                }
            // Doubled: an edge beside a thin, half-covered stroke still closes its outline.
            out.scanLine(y)[x] = static_cast<uchar>(std::min(255L, 2 * std::lround(best)));
        }
    return out;
}

}  // namespace

QImage trayGlyph(const std::vector<MenuBarIcon::Layer>& layers, int pixels, bool disabled) {
    const QImage shape = MenuBarIcon::image(layers, pixels / MenuBarIcon::boxSize);
    const QImage edge = grown(shape, pixels / 22.0);
    QImage image(shape.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    // Each colour takes its coverage from a mask: the edge first, the ink over it.
    const auto layer = [&](const QImage& mask, QRgb colour) {
        QImage tinted(mask.size(), QImage::Format_ARGB32_Premultiplied);
        tinted.fill(QColor::fromRgb(colour));
        QPainter t(&tinted);
        t.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        t.drawImage(0, 0, mask);
        t.end();
        p.drawImage(0, 0, tinted);
    };
    layer(edge, glyphEdge);
    layer(shape, disabled ? disabledInk : glyphInk);
    p.end();
    return image;
}

QIcon trayIcon(const std::vector<MenuBarIcon::Layer>& layers, bool disabled) {
    QIcon icon;
    for (const int px : {22, 44}) icon.addPixmap(QPixmap::fromImage(trayGlyph(layers, px, disabled)));
    return icon;
}

QtTrayItem::QtTrayItem() : icon_(std::make_unique<QSystemTrayIcon>()) {
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
        const QRect geometry = icon_->geometry();
        anchor_ = geometry.isValid() && !geometry.isEmpty() ? geometry : QRect(QCursor::pos(), QSize(1, 1));
        if (!onClick) return;
        const bool control = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
        if (reason == QSystemTrayIcon::Context) onClick(TrayClick::context, control);
        else if (reason == QSystemTrayIcon::Trigger) onClick(TrayClick::trigger, control);
    });
}

QtTrayItem::~QtTrayItem() { icon_->hide(); }

void QtTrayItem::redraw() {
    icon_->setIcon(trayIcon(layers_, disabled_));
    // Shown once it has something to show: an icon without one is refused with a warning.
    if (!icon_->isVisible()) icon_->show();
}

void QtTrayItem::setImage(const std::vector<MenuBarIcon::Layer>& layers) {
    layers_ = layers;
    redraw();
}

void QtTrayItem::setAppearsDisabled(bool disabled) {
    disabled_ = disabled;
    if (!layers_.empty()) redraw();
}

void QtTrayItem::setToolTip(const std::string& toolTip) {
    toolTip_ = toolTip;
    icon_->setToolTip(QString::fromStdString(toolTip));
}

bool QtTrayItem::hiddenBySystem() const { return !QSystemTrayIcon::isSystemTrayAvailable(); }

namespace {
void fill(QMenu& menu, const std::vector<TrayMenuEntry>& entries) {
    for (const auto& e : entries) {
        switch (e.kind) {
            case TrayMenuEntry::Kind::separator:
                menu.addSeparator();
                break;
            case TrayMenuEntry::Kind::submenu:
                fill(*menu.addMenu(QString::fromStdString(e.title)), e.submenu);
                break;
            case TrayMenuEntry::Kind::action: {
                QAction* action = menu.addAction(QString::fromStdString(e.title));
                if (!e.key.empty())
                    action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + QString::fromStdString(e.key)));
                QObject::connect(action, &QAction::triggered, [f = e.action] {
                    if (f) f();
                });
                break;
            }
        }
    }
}
}  // namespace

namespace {
// Wayland lets no program place its window, and the tray host's click position does not
// reach the program. sway's own IPC can do both: it puts the window at the pointer, and
// the popover's rule moves it from there. Tried until the compositor has the window.
void placeThroughSway(QWidget* window) {
    namespace wl = platform::waylandsys;
    if (!wl::isWaylandSession()) return;
    auto ipc = wl::SwayIpc::connect();
    if (!ipc) return;
    auto sway = std::make_shared<wl::SwayIpc>(std::move(*ipc));
    auto* timer = new QTimer(window);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, window, [window, timer, sway, tries = 0]() mutable {
        const auto placed = sway->moveToPointer(::getpid(), window->windowTitle().toStdString());
        if (placed) {
            const auto [x, y] = wl::pointerFromCentredWindow(*placed);
            const auto& w = placed->workspace;
            const QPoint origin = popoverOrigin(QRect(x, y, 1, 1), QSize(placed->rect.width, placed->rect.height),
                                                QRect(w.x, w.y, w.width, w.height));
            sway->moveTo(placed->id, origin.x(), origin.y());
        }
        if (placed || ++tries >= 50 || !window->isVisible()) timer->deleteLater();
    });
    timer->start();
}
}  // namespace

void QtTrayItem::showMenu(const std::vector<TrayMenuEntry>& entries) {
    // Rebuilt from the model before each showing.
    menu_ = std::make_unique<QMenu>();
    kit::themeMenu(*menu_, kit::defaultContext().appearance);
    fill(*menu_, entries);
    // Its own title: sway finds the window to place by it.
    menu_->setWindowTitle(QStringLiteral("Orvane Menu"));
    // On Wayland a menu without a window of the program under the pointer has no parent
    // to pop up from and becomes a window of its own; fixed at its size, a tiling
    // compositor floats it as the menu it is instead of tiling it across the screen.
    menu_->setFixedSize(menu_->sizeHint());
    // And without the compositor's title bar: it draws its own edge, as a menu does.
    menu_->setWindowFlag(Qt::FramelessWindowHint);
    menu_->popup(anchor_.isValid() ? anchor_.bottomLeft() : QCursor::pos());
    placeThroughSway(menu_.get());
}

std::unique_ptr<TrayItem> QtTray::makeItem() {
    auto item = std::make_unique<QtTrayItem>();
    current_ = item.get();
    return item;
}

QPoint popoverOrigin(const QRect& anchor, const QSize& size, const QRect& available) {
    const QRect inner = available.adjusted(8, 8, -8, -8);
    const int centreX = anchor.x() + anchor.width() / 2;
    const bool upperHalf = 2 * anchor.y() + anchor.height() < 2 * available.y() + available.height();
    int x = centreX - size.width() / 2;
    int y = upperHalf ? anchor.y() + anchor.height() : anchor.y() - size.height();
    x = std::clamp(x, inner.left(), std::max(inner.left(), inner.right() + 1 - size.width()));
    y = std::clamp(y, inner.top(), std::max(inner.top(), inner.bottom() + 1 - size.height()));
    return {x, y};
}

namespace {
// The hairline around the panel, over everything the content draws.
class PopoverEdge final : public QWidget {
public:
    explicit PopoverEdge(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const double line = 1.0 / devicePixelRatioF();
        p.setPen(QPen(kit::separatorColor(kit::appearanceOf(this)), line));
        p.setBrush(Qt::NoBrush);
        const QRectF box = QRectF(rect()).adjusted(line / 2, line / 2, -line / 2, -line / 2);
        p.drawPath(kit::PaintKit::roundedRect(box, PopoverView::cornerRadius - line / 2));
    }
};
}  // namespace

PopoverWindow::PopoverWindow(QWidget* content, std::function<QRect()> anchor, std::function<bool()> compositing)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      content_(content),
      edge_(new PopoverEdge(this)),
      anchor_(std::move(anchor)),
      compositing_(std::move(compositing)) {
    setWindowTitle(QStringLiteral("Orvane"));
    // The content paints the rounded panel; outside it the window stays clear.
    setAttribute(Qt::WA_TranslucentBackground);
    if (!compositing_) compositing_ = [] { return kit::compositingManagerRunning(); };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content_);
    edge_->raise();
    QObject::connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), this), &QShortcut::activated, this, [this] {
        if (openSettings) openSettings();
    });
    QObject::connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this, [this] {
        if (quit) quit();
    });
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationInactive && isVisible()) hide();
    });
}

void PopoverWindow::applyShape() {
    if (compositing_()) clearMask();
    else setMask(QRegion(PopoverView::shape(QSizeF(size())).toFillPolygon().toPolygon()));
}

void PopoverWindow::paintEvent(QPaintEvent*) {
    // Cut by a mask, the window shows no desktop behind its soft edge: the panel's colour
    // goes under it instead of black.
    if (!masked()) return;
    QPainter p(this);
    p.fillRect(rect(), kit::windowColor(kit::appearanceOf(this)));
}

void PopoverWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    edge_->setGeometry(rect());
    edge_->raise();
    applyShape();
}

void PopoverWindow::show() {
    adjustSize();
    applyShape();
    const QRect a = anchor_ ? anchor_() : QRect(QCursor::pos(), QSize(1, 1));
    QScreen* screen = QGuiApplication::screenAt(a.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) move(popoverOrigin(a, size(), screen->availableGeometry()));
    QWidget::show();
    raise();
    activateWindow();
    placeThroughSway(this);
}

void PopoverWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PopoverWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (didClose) didClose();
}

// --- Notice ---

namespace {

// The notice is built for one appearance; its labels carry their colour.
kit::Appearance noticeAppearance = kit::Appearance::light;

QLabel* label(const QString& text, double points, QFont::Weight weight, bool secondary, QWidget* parent) {
    auto* l = new QLabel(kit::PaintKit::withoutWidow(text), parent);
    l->setFont(kit::FontBook::system(points, weight));
    l->setWordWrap(true);
    l->setTextFormat(Qt::RichText);
    const QColor c = secondary ? kit::secondaryText(noticeAppearance) : kit::primaryText(noticeAppearance);
    l->setStyleSheet(QStringLiteral("color:%1;").arg(c.name(QColor::HexArgb)));
    return l;
}

QWidget* step(int number, const QString& html, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(10);
    auto* badge = new QLabel(QString::number(number), row);
    badge->setFixedSize(22, 22);
    badge->setAlignment(Qt::AlignCenter);
    badge->setFont(kit::FontBook::system(12, QFont::Bold));
    badge->setStyleSheet(QStringLiteral("background:%1;color:%2;border-radius:11px;")
                             .arg(kit::Tokens::ember().resolve(noticeAppearance).name(),
                                  kit::Tokens::onEmber().resolve(noticeAppearance).name()));
    h->addWidget(badge, 0, Qt::AlignTop);
    h->addWidget(label(html, 14, QFont::Normal, false, row), 1);
    return row;
}

// The primary colour at an opacity, for style sheets.
QString primaryAt(double opacity) {
    const QColor c = kit::primaryText(noticeAppearance);
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(opacity);
}

QWidget* shortcutRow(const QString& text, const QString& keys, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* name = label(text, 14, QFont::Normal, false, row);
    name->setWordWrap(false);
    h->addWidget(name);
    h->addStretch(1);
    auto* caps = new QWidget(row);
    auto* c = new QHBoxLayout(caps);
    c->setContentsMargins(0, 0, 0, 0);
    c->setSpacing(4);
    for (const QString& part : HiddenIconNotice::keyCaps(keys)) {
        auto* cap = new QLabel(part, caps);
        cap->setMinimumSize(24, 24);
        cap->setAlignment(Qt::AlignCenter);
        cap->setFont(kit::FontBook::system(13, QFont::Medium));
        cap->setStyleSheet(
            QStringLiteral("border:0.5px solid %1;border-radius:6px;background:%2;padding:0 4px;color:%3;")
                .arg(primaryAt(0.12), primaryAt(0.07), kit::primaryText(noticeAppearance).name()));
        c->addWidget(cap);
    }
    caps->setAccessibleName(keys);
    h->addWidget(caps);
    return row;
}

}  // namespace

HiddenIconNotice::HiddenIconNotice(StatusItemController::NoticeActions actions, kit::Appearance appearance,
                                   QWidget* parent)
    : QWidget(parent), actions_(std::move(actions)) {
    noticeAppearance = appearance;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kit::windowColor(appearance));
    palette.setColor(QPalette::WindowText, kit::primaryText(appearance));
    setPalette(palette);
    setAutoFillBackground(true);
    setFixedWidth(noticeWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(28, 28, 28, 28);
    column->setSpacing(20);

    auto* header = new QHBoxLayout;
    header->setSpacing(14);
    auto* icon = new QLabel(this);
    QPixmap appIcon = QPixmap::fromImage(AppIconRenderer::image(112));
    appIcon.setDevicePixelRatio(2);
    icon->setPixmap(appIcon);
    icon->setFixedSize(56, 56);
    header->addWidget(icon);
    auto* headerText = new QVBoxLayout;
    headerText->setSpacing(3);
    headerText->addStretch(1);
    headerText->addWidget(
        label(QStringLiteral("Your desktop is not showing the Orvane icon"), 18, QFont::Bold, false, this));
    headerText->addWidget(label(QStringLiteral("Your panel has no system tray, so the icon has nowhere to appear."), 14,
                                QFont::Normal, true, this));
    headerText->addStretch(1);
    header->addLayout(headerText, 1);
    column->addLayout(header);

    auto* steps = new QVBoxLayout;
    steps->setSpacing(12);
    steps->addWidget(label(QStringLiteral("Bring it back"), 15, QFont::DemiBold, false, this));
    steps->addWidget(
        step(1,
             QStringLiteral("Turn on the <b>system tray</b> of your panel. Some desktops need an extension "
                            "for tray icons."),
             this));
    steps->addWidget(step(2, QStringLiteral("Then quit Orvane and start it again."), this));
    steps->addWidget(step(3,
                          actions_.keysUnavailable
                              ? QStringLiteral("Still not there? <b>Orvane Settings</b> works without the icon.")
                              : QStringLiteral("Still not there? The keys below and <b>Orvane Settings</b> work "
                                               "without the icon."),
                          this));
    column->addLayout(steps);

    auto* keys = new QVBoxLayout;
    keys->setSpacing(8);
    if (actions_.keysUnavailable) {
        // No key reaches Orvane here: listing them would promise what does not work.
        keys->addWidget(label(QStringLiteral("Until then"), 15, QFont::DemiBold, false, this));
        keys->addWidget(label(QString::fromStdString(*actions_.keysUnavailable) +
                                  QStringLiteral(" Start Orvane again to open its settings."),
                              14, QFont::Normal, true, this));
    } else {
        keys->addWidget(
            label(QStringLiteral("Until then, these keys work anywhere"), 15, QFont::DemiBold, false, this));
        auto* box = new QWidget(this);
        box->setObjectName(QStringLiteral("keysBox"));
        box->setAttribute(Qt::WA_StyledBackground);
        box->setStyleSheet(QStringLiteral("#keysBox{background:%1;border-radius:12px;}").arg(primaryAt(0.05)));
        auto* boxColumn = new QVBoxLayout(box);
        boxColumn->setContentsMargins(14, 14, 14, 14);
        boxColumn->setSpacing(10);
        // The user's own keys for the toggle; without any, only the fixed reset is listed.
        if (actions_.toggle) {
            boxColumn->addWidget(shortcutRow(QStringLiteral("Turn the tint on or off"),
                                             QString::fromStdString(actions_.toggle->display()), box));
            auto* divider = new QFrame(box);
            divider->setFrameShape(QFrame::HLine);
            divider->setStyleSheet(QStringLiteral("color:%1;").arg(primaryAt(0.12)));
            boxColumn->addWidget(divider);
        }
        boxColumn->addWidget(shortcutRow(QStringLiteral("Emergency off, always works"),
                                         QString::fromStdString(Shortcuts::emergencyReset.display()), box));
        keys->addWidget(box);
    }
    column->addLayout(keys);

    check_ = new QCheckBox(QStringLiteral("Don't show this again"), this);
    check_->setStyleSheet(QStringLiteral("color:%1;").arg(kit::primaryText(appearance).name()));
    check_->setFont(kit::FontBook::system(13));
    // The box itself in the notice's appearance, not the desktop style's light field.
    QPalette checkPalette = check_->palette();
    checkPalette.setColor(QPalette::Base, appearance == kit::Appearance::dark
                                              ? kit::windowColor(appearance).lighter(150)
                                              : QColor(Qt::white));
    checkPalette.setColor(QPalette::Text, kit::primaryText(appearance));
    check_->setPalette(checkPalette);
    column->addWidget(check_);

    auto* buttons = new QHBoxLayout;
    auto* quit = new kit::SystemButton(QStringLiteral("Quit Orvane"), false, this);
    auto* settings = new kit::SystemButton(QStringLiteral("Orvane Settings"), true, this);
    quit->setLarge(true);
    settings->setLarge(true);
    settings_ = settings;
    buttons->addWidget(quit);
    buttons->addStretch(1);
    buttons->addWidget(settings);
    column->addLayout(buttons);
    QObject::connect(quit, &QAbstractButton::clicked, this, [this] {
        if (actions_.quit) actions_.quit();
    });
    QObject::connect(settings, &QAbstractButton::clicked, this, [this] {
        if (actions_.openSettings) actions_.openSettings();
        if (actions_.close) actions_.close(check_->isChecked());
    });
}

std::vector<QString> HiddenIconNotice::keyCaps(const QString& keys) {
    std::vector<QString> caps;
    // A "+" that ends the text or follows another is the key itself, not a joint.
    qsizetype start = 0;
    for (qsizetype i = 0; i < keys.size(); ++i)
        if (keys[i] == u'+' && i > start && i + 1 < keys.size()) {
            caps.push_back(keys.mid(start, i - start));
            start = i + 1;
        }
    if (start < keys.size()) caps.push_back(keys.mid(start));
    return caps;
}

bool HiddenIconNotice::dontRemind() const { return check_->isChecked(); }

namespace {
// The notice's window: Return presses "Orvane Settings"; the close box stores nothing.
class NoticeWindow final : public QWidget {
public:
    explicit NoticeWindow(HiddenIconNotice* notice)
        : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), notice_(notice) {
        setWindowTitle(QStringLiteral("Orvane"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(notice);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, kit::windowColor(kit::defaultContext().appearance));
        palette.setColor(QPalette::WindowText, kit::primaryText(kit::defaultContext().appearance));
        setPalette(palette);
        setAutoFillBackground(true);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            static_cast<QAbstractButton*>(notice_->settingsButton())->click();
            return;
        }
        QWidget::keyPressEvent(event);
    }

private:
    HiddenIconNotice* notice_;
};
}  // namespace

std::function<void()> openHiddenIconNotice(StatusItemController::NoticeActions actions) {
    auto* window = new NoticeWindow(new HiddenIconNotice(std::move(actions), kit::defaultContext().appearance));
    window->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        kit::centreInAvailableArea(*window, screen->geometry().center());
    window->show();
    QPointer<QWidget> guard(window);
    return [guard] {
        if (guard) guard->hide();
    };
}

}  // namespace orvane
