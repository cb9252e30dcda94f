#pragma once
// The tray item on the desktop: a QSystemTrayIcon (a StatusNotifierItem where a host runs,
// else the X11 tray), the popover's frameless window placed at the item, and the
// hidden-icon notice.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QPointer>
#include <QRect>
#include <QSystemTrayIcon>
#include <QWidget>

#include "ui/kit/Appearance.h"
#include "ui/menubar/StatusItemController.h"

class QCheckBox;
class QMenu;

namespace orvane {

// The glyph at a pixel size as the tray shows it. A tray host never tells its panel's
// colour, so the glyph is light with a dark edge and reads on dark and light panels alike;
// disabled, its ink is grey.
QImage trayGlyph(const std::vector<MenuBarIcon::Layer>& layers, int pixels, bool disabled);
// Both sizes a tray asks for, 22 and 44 pixels.
QIcon trayIcon(const std::vector<MenuBarIcon::Layer>& layers, bool disabled);

class QtTrayItem final : public TrayItem {
public:
    QtTrayItem();
    ~QtTrayItem() override;
    void setImage(const std::vector<MenuBarIcon::Layer>& layers) override;
    void setAppearsDisabled(bool disabled) override;
    bool appearsDisabled() const override { return disabled_; }
    // Trays show neither a title nor an image position; both are kept for the rules.
    void setImageLeading(bool leading) override { leading_ = leading; }
    bool imageLeading() const override { return leading_; }
    void setTitle(const std::string& title) override { title_ = title; }
    std::string title() const override { return title_; }
    void setToolTip(const std::string& toolTip) override;
    std::optional<std::string> toolTip() const override { return toolTip_; }
    bool hiddenBySystem() const override;
    void showMenu(const std::vector<TrayMenuEntry>& menu) override;

    // Where the last activation happened: the icon's geometry, else the pointer.
    QRect anchor() const { return anchor_; }
    QSystemTrayIcon& icon() { return *icon_; }
    // The menu last shown, while it lives.
    QMenu* menu() const { return menu_.get(); }

private:
    void redraw();
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QMenu> menu_;
    std::vector<MenuBarIcon::Layer> layers_;
    bool disabled_ = false;
    bool leading_ = false;
    std::string title_;
    std::optional<std::string> toolTip_;
    QRect anchor_;
};

class QtTray final : public TrayPort {
public:
    std::unique_ptr<TrayItem> makeItem() override;
    QtTrayItem* current() const { return current_; }

private:
    QtTrayItem* current_ = nullptr;
};

// Where the popover goes for an anchor: centred on it, below it in the screen's upper half
// and above it in the lower, kept 8 pt inside the available area.
QPoint popoverOrigin(const QRect& anchor, const QSize& size, const QRect& available);

// The popover's frameless tool window around a content widget: a rounded panel with a
// hairline edge. Under a compositing manager its corners are truly transparent; without
// one they are cut away with a shape mask (an ARGB window would show them black).
class PopoverWindow final : public QWidget, public PopoverPort {
public:
    // `compositing` absent: asks the X server at each showing.
    PopoverWindow(QWidget* content, std::function<QRect()> anchor, std::function<bool()> compositing = {});
    bool isShown() const override { return isVisible(); }
    void show() override;
    void close() override { hide(); }
    // Whether the corners are cut with a mask (no compositing manager at the last showing).
    bool masked() const { return !mask().isEmpty(); }
    // What Ctrl+, and Ctrl+Q do while the popover has the keyboard, as the tray menu names
    // them; Esc closes it.
    std::function<void()> openSettings;
    std::function<void()> quit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyShape();
    QWidget* content_;
    QWidget* edge_;
    std::function<QRect()> anchor_;
    std::function<bool()> compositing_;
};

// The hidden-icon notice's content, 540 wide.
class HiddenIconNotice final : public QWidget {
public:
    static constexpr int noticeWidth = 540;
    HiddenIconNotice(StatusItemController::NoticeActions actions, kit::Appearance appearance = kit::Appearance::light,
                     QWidget* parent = nullptr);
    bool dontRemind() const;
    QWidget* settingsButton() const { return settings_; }
    // The caps a combination is drawn as: one per part ("Ctrl", "Alt", "Super", "B").
    static std::vector<QString> keyCaps(const QString& keys);

private:
    StatusItemController::NoticeActions actions_;
    QWidget* settings_ = nullptr;
    QCheckBox* check_ = nullptr;
};

// Opens the notice in its own window on top, without activation; returns its closer.
std::function<void()> openHiddenIconNotice(StatusItemController::NoticeActions actions);

}  // namespace orvane
