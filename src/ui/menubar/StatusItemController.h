#pragma once
// The program's tray item: keeps its glyph, title and tooltip in step with the model,
// morphs the glyph between states, builds the menu, routes clicks to the popover or the
// menu, announces the popover's openings and closings, and warns once when no tray shows
// the item. The tray and the popover are reached through small ports, so the rules run
// against a fake tray in tests.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppModel.h"
#include "platform/Clock.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"
#include "ui/kit/NotificationCenter.h"
#include "ui/menubar/MenuBarIcon.h"

namespace orvane {

// One entry of the item's menu; a separator has no title, a submenu no action.
struct TrayMenuEntry {
    enum class Kind { action, separator, submenu };
    Kind kind = Kind::action;
    std::string title;
    std::string key;  // the key with Ctrl, "" for none
    std::function<void()> action;
    std::vector<TrayMenuEntry> submenu;

    static TrayMenuEntry separator() { return {Kind::separator, {}, {}, {}, {}}; }
};

enum class TrayClick { trigger, context };

// One tray item. Setters are called only when a value changes; the getters give what the
// item holds now.
class TrayItem {
public:
    virtual ~TrayItem() = default;
    virtual void setImage(const std::vector<MenuBarIcon::Layer>& layers) = 0;
    virtual void setAppearsDisabled(bool disabled) = 0;
    virtual bool appearsDisabled() const = 0;
    virtual void setImageLeading(bool leading) = 0;  // the title beside the glyph
    virtual bool imageLeading() const = 0;
    virtual void setTitle(const std::string& title) = 0;
    virtual std::string title() const = 0;
    virtual void setToolTip(const std::string& toolTip) = 0;
    virtual std::optional<std::string> toolTip() const = 0;
    // True when nothing on the desktop shows the item.
    virtual bool hiddenBySystem() const = 0;
    // Pops the menu up; returns when it is open (or closed, where the tray blocks).
    virtual void showMenu(const std::vector<TrayMenuEntry>& menu) = 0;

    // Set by the controller: a click on the item, with Ctrl held or not.
    std::function<void(TrayClick, bool control)> onClick;
};

class TrayPort {
public:
    virtual ~TrayPort() = default;
    virtual std::unique_ptr<TrayItem> makeItem() = 0;
};

// The popover's window. The host calls `didClose` after every closing, by any cause.
class PopoverPort {
public:
    virtual ~PopoverPort() = default;
    virtual bool isShown() const = 0;
    virtual void show() = 0;
    virtual void close() = 0;
    std::function<void()> didClose;
};

class StatusItemController : public std::enable_shared_from_this<StatusItemController> {
public:
    static constexpr int morphFrames = 27;
    static constexpr double frameInterval = 1.0 / 30.0;
    static constexpr double noticeDelay = 2.0;
    static constexpr const char* noticeDismissedKey = "hiddenIconNoticeDismissed";

    // What the notice needs from the controller; each closure holds it weakly.
    struct NoticeActions {
        std::function<void()> quit;
        std::function<void()> openSettings;
        std::function<void(bool dontRemind)> close;
        // The user's keys for turning the tint on and off; none when they set none.
        std::optional<Hotkey> toggle{};
        // Why no key of Orvane's works on this desktop; none where its keys work anywhere.
        std::optional<std::string> keysUnavailable{};
    };

    struct Environment {
        std::shared_ptr<TrayPort> tray;
        std::shared_ptr<PopoverPort> popover;  // none: the popover falls back to the settings
        std::shared_ptr<platform::Scheduler> scheduler;
        std::shared_ptr<platform::Clock> clock;
        std::shared_ptr<platform::UserDefaults> defaults;
        kit::NotificationCenter* notifications = nullptr;  // default: the program's centre
        std::function<bool()> reduceMotion;
        std::function<void()> quit;
        std::function<bool(const std::string& url)> openURL;
        std::function<void(const std::string& name)> playSound;
        // Opens the notice window; returns a function that closes it.
        std::function<std::function<void()>(NoticeActions)> openNotice;
    };

    static std::shared_ptr<StatusItemController> create(std::shared_ptr<AppModel> model, Environment environment);
    ~StatusItemController();

    void rebuildStatusItem();
    void refresh();
    void showPopover();
    // Closes the popover if it is open (the settings window does before it comes up).
    void closePopover();
    // Trigger or context on the item, with Ctrl held or not.
    void clicked(TrayClick click, bool control);
    bool isHiddenBySystem() const;
    void warnIfHiddenBySystem();
    // While a window the user is busy with is up (the welcome window), the hidden-icon
    // notice waits; it comes once the hold is lifted, if it was due meanwhile.
    void holdNotice(bool hold);

    // The menu as built for the current model.
    std::vector<TrayMenuEntry> menu() const;
    void applyPreset(const std::string& id);

    std::function<void()> openSettings;

    TrayItem* item() const { return item_.get(); }
    const std::optional<MenuBarIcon::State>& lastIconState() const { return lastIconState_; }
    const std::optional<MenuBarIcon::Glyph>& shownGlyph() const { return shownGlyph_; }
    bool morphing() const { return iconAnimation_.active(); }
    bool noticeOpen() const { return static_cast<bool>(closeNotice_); }

    MenuBarIcon::State iconState() const;

private:
    StatusItemController(std::shared_ptr<AppModel> model, Environment environment);
    void showIcon(const MenuBarIcon::State& state);
    void morph(MenuBarIcon::Glyph from, MenuBarIcon::Glyph to);
    kit::NotificationCenter& notifications() const;

    std::shared_ptr<AppModel> model_;
    Environment env_;
    std::unique_ptr<TrayItem> item_;
    std::optional<MenuBarIcon::State> lastIconState_;
    std::optional<MenuBarIcon::Glyph> shownGlyph_;
    platform::Handle iconAnimation_;
    std::vector<platform::Handle> noticeChecks_;
    std::function<void()> closeNotice_;
    bool noticeHeld_ = false;
    bool noticeDue_ = false;
};

}  // namespace orvane
