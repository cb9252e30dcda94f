#include "ui/menubar/QtTray.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Tokens.h"
#include "ui/menubar/AppIconRenderer.h"

namespace orvane {

QImage trayGlyph(const std::vector<MenuBarIcon::Layer>& layers, int pixels, const QColor& colour, bool disabled) {
    QImage image = MenuBarIcon::image(layers, pixels / MenuBarIcon::boxSize);
    // The glyph is black on transparent: keep its alpha, take the colour.
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    QColor c = colour;
    if (disabled) c.setAlphaF(c.alphaF() * 0.35);
    p.fillRect(image.rect(), c);
    p.end();
    return image;
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
    icon_->show();
}

QtTrayItem::~QtTrayItem() { icon_->hide(); }

void QtTrayItem::redraw() {
    const QColor colour = kit::primaryText(kit::defaultContext().appearance);
    QIcon icon;
    for (const int px : {22, 44}) icon.addPixmap(QPixmap::fromImage(trayGlyph(layers_, px, colour, disabled_)));
    icon_->setIcon(icon);
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

void QtTrayItem::showMenu(const std::vector<TrayMenuEntry>& entries) {
    // Rebuilt from the model before each showing.
    menu_ = std::make_unique<QMenu>();
    fill(*menu_, entries);
    menu_->popup(anchor_.isValid() ? anchor_.bottomLeft() : QCursor::pos());
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

PopoverWindow::PopoverWindow(QWidget* content, std::function<QRect()> anchor)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      content_(content),
      anchor_(std::move(anchor)) {
    setWindowTitle(QStringLiteral("Orvane"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content_);
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationInactive && isVisible()) hide();
    });
}

void PopoverWindow::show() {
    adjustSize();
    const QRect a = anchor_ ? anchor_() : QRect(QCursor::pos(), QSize(1, 1));
    QScreen* screen = QGuiApplication::screenAt(a.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) move(popoverOrigin(a, size(), screen->availableGeometry()));
    QWidget::show();
    raise();
    activateWindow();
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

void PopoverWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kit::windowColor(kit::appearanceOf(this)));
}

// --- Notice ---

namespace {

// The notice is built for one appearance; its labels carry their colour.
kit::Appearance noticeAppearance = kit::Appearance::light;

QLabel* label(const QString& text, double points, QFont::Weight weight, bool secondary, QWidget* parent) {
    auto* l = new QLabel(text, parent);
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
    badge->setStyleSheet(QStringLiteral("background:%1;color:white;border-radius:11px;")
                             .arg(kit::Tokens::ember().resolve(noticeAppearance).name()));
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
                          QStringLiteral("Still not there? The keys below and <b>Orvane Settings</b> work without the "
                                         "icon."),
                          this));
    column->addLayout(steps);

    auto* keys = new QVBoxLayout;
    keys->setSpacing(8);
    keys->addWidget(label(QStringLiteral("Until then, these keys work anywhere"), 15, QFont::DemiBold, false, this));
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("keysBox"));
    box->setAttribute(Qt::WA_StyledBackground);
    box->setStyleSheet(QStringLiteral("#keysBox{background:%1;border-radius:12px;}").arg(primaryAt(0.05)));
    auto* boxColumn = new QVBoxLayout(box);
    boxColumn->setContentsMargins(14, 14, 14, 14);
    boxColumn->setSpacing(10);
    // The factory toggle's keys, not the user's: the row is fixed.
    boxColumn->addWidget(shortcutRow(QStringLiteral("Turn the tint on or off"),
                                     QString::fromStdString(Shortcuts().toggle->display()), box));
    auto* divider = new QFrame(box);
    divider->setFrameShape(QFrame::HLine);
    divider->setStyleSheet(QStringLiteral("color:%1;").arg(primaryAt(0.12)));
    boxColumn->addWidget(divider);
    boxColumn->addWidget(shortcutRow(QStringLiteral("Emergency off, always works"),
                                     QString::fromStdString(Shortcuts::emergencyReset.display()), box));
    keys->addWidget(box);
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
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
    window->show();
    QPointer<QWidget> guard(window);
    return [guard] {
        if (guard) guard->hide();
    };
}

}  // namespace orvane
