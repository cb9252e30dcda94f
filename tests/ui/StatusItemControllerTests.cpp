// The tray item's rules over a fake tray that counts every write: the state table, writes
// only on change, the 27-frame morph, the menu, click routing, the popover's announcements
// and the hidden-icon notice.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "KitFixture.h"
#include "ui/menubar/StatusItemController.h"

namespace orvane::testing {
namespace {

struct FakeTrayItem final : TrayItem {
    void setImage(const std::vector<MenuBarIcon::Layer>& l) override {
        ++imageWrites;
        layers = l;
    }
    void setAppearsDisabled(bool d) override {
        ++disabledWrites;
        disabled = d;
    }
    bool appearsDisabled() const override { return disabled; }
    void setImageLeading(bool l) override {
        ++leadingWrites;
        leading = l;
    }
    bool imageLeading() const override { return leading; }
    void setTitle(const std::string& t) override {
        ++titleWrites;
        text = t;
    }
    std::string title() const override { return text; }
    void setToolTip(const std::string& t) override {
        ++tipWrites;
        tip = t;
    }
    std::optional<std::string> toolTip() const override { return tip; }
    bool hiddenBySystem() const override { return hidden; }
    void showMenu(const std::vector<TrayMenuEntry>& m) override {
        ++menusShown;
        shownMenu = m;
    }
    int writes() const { return imageWrites + disabledWrites + leadingWrites + titleWrites + tipWrites; }

    std::vector<MenuBarIcon::Layer> layers;
    bool disabled = false, leading = false, hidden = false;
    std::string text;
    std::optional<std::string> tip;
    int imageWrites = 0, disabledWrites = 0, leadingWrites = 0, titleWrites = 0, tipWrites = 0, menusShown = 0;
    std::vector<TrayMenuEntry> shownMenu;
};

struct FakeTray final : TrayPort {
    std::unique_ptr<TrayItem> makeItem() override {
        auto item = std::make_unique<FakeTrayItem>();
        item->hidden = hideNext;
        current = item.get();
        ++made;
        return item;
    }
    FakeTrayItem* current = nullptr;
    bool hideNext = false;
    int made = 0;
};

struct FakePopover final : PopoverPort {
    bool isShown() const override { return shown; }
    void show() override {
        shown = true;
        ++shows;
    }
    void close() override {
        shown = false;
        if (didClose) didClose();
    }
    bool shown = false;
    int shows = 0;
};

class StatusItemTest : public KitModelTest {
protected:
    StatusItemController& make(const Settings& settings = manualSettings(2700)) {
        start(settings);
        StatusItemController::Environment e;
        e.tray = tray;
        e.popover = popover;
        e.scheduler = scheduler;
        e.clock = clock;
        e.defaults = defaults;
        e.notifications = &notifications;
        e.reduceMotion = [this] { return reduceMotion; };
        e.quit = [this] { ++quits; };
        e.openURL = [this](const std::string& url) {
            urls.push_back(url);
            return true;
        };
        e.playSound = [this](const std::string& name) { trayPops.push_back(name); };
        e.openNotice = [this](StatusItemController::NoticeActions actions) {
            ++noticesOpened;
            noticeActions = actions;
            return std::function<void()>([this] { ++noticesClosed; });
        };
        controller = StatusItemController::create(model, e);
        controller->openSettings = [this] { ++settingsOpened; };
        hooks.push_back(model->onSettingsChanged.subscribe([this](const Settings& o, const Settings& n) {
            if (o.showMenuBarIcon != n.showMenuBarIcon || o.showKelvinInMenuBar != n.showKelvinInMenuBar)
                controller->rebuildStatusItem();
            controller->refresh();
        }));
        hooks.push_back(model->onResolutionChanged.subscribe([this](const Resolution&) { controller->refresh(); }));
        return *controller;
    }
    FakeTrayItem& item() { return *tray->current; }
    void hold(std::int64_t kelvin) {
        model->change([&](Settings&, RuntimeState& r) {
            r.pausedUntil = clock->now() + 3600;
            TintState state;
            state.kelvin = kelvin;
            r.pausedState = state;
        });
        settle();
    }
    void finishMorph() { scheduler->advance(StatusItemController::frameInterval * 28); }
    std::vector<std::string> titles(const std::vector<TrayMenuEntry>& menu) {
        std::vector<std::string> out;
        for (const auto& e : menu) out.push_back(e.kind == TrayMenuEntry::Kind::separator ? "-" : e.title);
        return out;
    }
    void TearDown() override {
        hooks.clear();
        controller.reset();
        KitModelTest::TearDown();
    }

    std::shared_ptr<FakeTray> tray = std::make_shared<FakeTray>();
    std::shared_ptr<FakePopover> popover = std::make_shared<FakePopover>();
    std::shared_ptr<StatusItemController> controller;
    bool reduceMotion = false;
    int quits = 0, settingsOpened = 0, noticesOpened = 0, noticesClosed = 0;
    std::vector<std::string> urls, trayPops;
    StatusItemController::NoticeActions noticeActions;
};

TEST_F(StatusItemTest, StateTableFollowsTheModel) {
    auto& c = make(manualSettings(2700));
    EXPECT_EQ(c.lastIconState(), MenuBarIcon::State::phase(MenuBarIcon::phase(2700), false));
    EXPECT_EQ(item().tip, "Orvane \u00B7 2700K");

    model->setEnabled(false);
    settle();
    EXPECT_EQ(c.lastIconState(), MenuBarIcon::State::off());
    EXPECT_TRUE(item().disabled);
    EXPECT_EQ(item().tip, "Orvane \u00B7 2700K") << "the tooltip names the kelvin also when off";

    model->setEnabled(true);
    model->disable(clock->now() + 3600);
    settle();
    EXPECT_EQ(c.lastIconState(), MenuBarIcon::State::paused());
    EXPECT_FALSE(item().disabled);

    model->disable(std::nullopt);
    model->setWarmth(6500, 1.0);
    settle();
    EXPECT_EQ(c.lastIconState(), MenuBarIcon::State::phase(0, false)) << "not warming: the full disc";
}

// One of two displays loses every method it could run (its gamma gone, no compositing
// manager on this Linux computer): the tooltip names it and why, and the icon still shows
// the warmth of the one tinted; tinted again, it is no longer named.
TEST_F(StatusItemTest, TheToolTipNamesADisplayLeftUntintedBesideATintedOne) {
    auto& c = make(manualSettings(2300));
    const auto capacity = [&](std::uint32_t gamma) {
        sim->update([&](platform::sim::SimState& s) {
            s.linuxName = "Debian GNU/Linux 12 (bookworm)";
            s.compositing = false;
            s.missingPorts.insert({"colorAdjustments", "dithering", "nightShift", "preferences"});
            s.display(display(2).id)->gammaCapacity = gamma;
        });
        // Attached anew while tinted; an untinted display is tried again at the next check.
        engine->reattach(display(2).id);
        engine->verifyAll("test");
        model->refreshCapabilities();
        c.refresh();
    };
    capacity(0);
    EXPECT_EQ(item().tip,
              "Orvane \u00B7 2300K \u00B7 " + display(2).name + " not tinted: Needs a compositing manager.");
    EXPECT_EQ(c.lastIconState(), MenuBarIcon::State::phase(MenuBarIcon::phase(2300), false));
    capacity(256);
    EXPECT_EQ(item().tip, "Orvane \u00B7 2300K");
}

TEST_F(StatusItemTest, RefreshWritesOnlyWhatChanged) {
    auto& c = make();
    finishMorph();
    const int before = item().writes();
    c.refresh();
    c.refresh();
    EXPECT_EQ(item().writes(), before);
    EXPECT_FALSE(c.morphing());

    model->change([](Settings& s, RuntimeState&) { s.showKelvinInMenuBar = true; });
    settle();
    EXPECT_TRUE(item().leading);
    EXPECT_EQ(item().text, " 2700K");
    EXPECT_EQ(item().imageWrites, 1) << "the glyph is untouched when only the title changes";
    model->setEnabled(false);
    settle();
    EXPECT_EQ(item().text, "") << "off empties the title";
}

TEST_F(StatusItemTest, FirstGlyphIsSetAtOnceAndChangesMorphIn27Frames) {
    auto& c = make();
    EXPECT_EQ(item().imageWrites, 1);
    EXPECT_FALSE(c.morphing());

    model->setEnabled(false);
    settle();  // runs well past the morph's 0.9 s
    EXPECT_EQ(item().imageWrites, 1 + StatusItemController::morphFrames);
    EXPECT_FALSE(c.morphing()) << "the morph's timer ends with its last frame";
    EXPECT_EQ(c.shownGlyph(), MenuBarIcon::Glyph::off());
    EXPECT_EQ(item().layers, MenuBarIcon::layers(MenuBarIcon::Glyph::moon(MenuBarIcon::phase(2700) / 8.0, 0),
                                                 MenuBarIcon::Glyph::off(), 1.0));
}

TEST_F(StatusItemTest, ANewStateMidMorphStartsFromTheInBetweenGlyph) {
    auto& c = make();
    model->setWarmth(1200, std::nullopt);
    scheduler->runPending();
    scheduler->advance(StatusItemController::frameInterval * 13.5);
    const auto mid = c.shownGlyph();
    ASSERT_TRUE(mid);
    const auto* moon = std::get_if<MenuBarIcon::Glyph::Moon>(&mid->value);
    ASSERT_TRUE(moon);
    EXPECT_GT(moon->progress, MenuBarIcon::phase(2700) / 8.0);
    EXPECT_LT(moon->progress, MenuBarIcon::phase(1200) / 8.0);

    model->setWarmth(4000, std::nullopt);
    scheduler->runPending();
    scheduler->advance(StatusItemController::frameInterval * 1.5);
    const auto* next = std::get_if<MenuBarIcon::Glyph::Moon>(&c.shownGlyph()->value);
    ASSERT_TRUE(next);
    EXPECT_LT(std::abs(next->progress - moon->progress), 0.05) << "continues from where the old morph was";
}

TEST_F(StatusItemTest, ReduceMotionSwapsAtOnce) {
    reduceMotion = true;
    auto& c = make();
    model->setEnabled(false);
    settle();
    EXPECT_EQ(item().imageWrites, 2);
    EXPECT_EQ(c.shownGlyph(), MenuBarIcon::Glyph::off());
}

TEST_F(StatusItemTest, AHoldShowsTheBadgeEvenAtDaylight) {
    auto& c = make(manualSettings(2700));
    hold(6500);
    ASSERT_TRUE(model->resolution().status.is<TintStatus::PausedUntil>());
    EXPECT_EQ(c.lastIconState(), MenuBarIcon::State::phase(0, true));
    hold(1200);
    EXPECT_EQ(c.lastIconState(), MenuBarIcon::State::phase(MenuBarIcon::phase(1200), true));
}

TEST_F(StatusItemTest, MenuOrderTitlesAndResume) {
    auto& c = make();
    model->change([](Settings& s, RuntimeState&) { s.presets.clear(); });
    settle();
    EXPECT_EQ(titles(c.menu()), (std::vector<std::string>{"Turn Off", "-", "-", "Disable for", "-", "Settings\u2026",
                                                          "Check for Updates\u2026", "Quit Orvane"}));
    model->disable(clock->now() + 3600);
    settle();
    auto menu = c.menu();
    EXPECT_EQ(menu[4].title, "Resume now");
    EXPECT_EQ(menu[3].submenu.size(), 3u);
    menu[4].action();
    settle();
    EXPECT_FALSE(model->runtime().disabledUntil);

    hold(2000);
    for (const auto& e : c.menu()) EXPECT_NE(e.title, "Resume now") << "a manual hold offers no resume";
    const auto keys = c.menu();
    EXPECT_EQ(keys[keys.size() - 3].key, ",");
    EXPECT_EQ(keys.back().key, "q");
    keys.back().action();
    keys[keys.size() - 2].action();
    EXPECT_EQ(quits, 1);
    ASSERT_EQ(urls.size(), 1u);
}

// On a Linux computer the package manager updates the program: the menu has no item for it,
// and the ones around it keep their keys.
TEST_F(StatusItemTest, ALinuxComputersMenuHasNoUpdatesItem) {
    sim->update([](platform::sim::SimState& s) { s.linuxName = "Debian GNU/Linux 12 (bookworm)"; });
    auto& c = make();
    model->change([](Settings& s, RuntimeState&) { s.presets.clear(); });
    settle();
    EXPECT_FALSE(model->capabilities().checkForUpdates);
    const auto menu = c.menu();
    EXPECT_EQ(titles(menu),
              (std::vector<std::string>{"Turn Off", "-", "-", "Disable for", "-", "Settings\u2026", "Quit Orvane"}));
    EXPECT_EQ(menu[menu.size() - 2].key, ",");
    menu.back().action();
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(urls.empty());
}

TEST_F(StatusItemTest, PresetItemsApplyAndPop) {
    auto& c = make();
    const auto menu = c.menu();
    const Preset ember = *model->settings().preset("builtin.ember");
    const auto it = std::find_if(menu.begin(), menu.end(), [&](const TrayMenuEntry& e) {
        return e.title.rfind(ember.name + " \u00B7 ", 0) == 0;
    });
    ASSERT_NE(it, menu.end());
    EXPECT_EQ(it->title, ember.name + " \u00B7 " + std::to_string(ember.kelvin) + "K");
    it->action();
    settle();
    EXPECT_EQ(model->resolution().modeState.kelvin, ember.kelvin);
    EXPECT_EQ(trayPops, std::vector<std::string>{"Pop"});
    c.applyPreset("gone");
    EXPECT_EQ(trayPops.size(), 1u) << "a deleted preset does nothing";
}

TEST_F(StatusItemTest, ClicksRouteToPopoverOrMenu) {
    auto& c = make();
    std::vector<std::string> posted;
    auto w = notifications.observe(kit::Notifications::popoverWillShow, [&](auto&) { posted.push_back("will"); });
    auto d = notifications.observe(kit::Notifications::popoverDidClose, [&](auto&) { posted.push_back("did"); });
    item().onClick(TrayClick::trigger, false);
    EXPECT_TRUE(popover->shown);
    item().onClick(TrayClick::trigger, false);
    EXPECT_FALSE(popover->shown);
    EXPECT_EQ(posted, (std::vector<std::string>{"will", "did"}));

    item().onClick(TrayClick::context, false);
    item().onClick(TrayClick::trigger, true);
    EXPECT_EQ(item().menusShown, 2);
    EXPECT_EQ(popover->shows, 1) << "the menu never toggles the popover";

    // Closing from outside (a window that opens over it) closes only a shown popover.
    int closes = 0;
    popover->didClose = [&] { ++closes; };
    c.closePopover();
    EXPECT_EQ(closes, 0);
    c.showPopover();
    c.closePopover();
    EXPECT_FALSE(popover->shown);
    EXPECT_EQ(closes, 1);
}

TEST_F(StatusItemTest, HiddenItemOpensSettingsAndTheNoticeOnce) {
    tray->hideNext = true;
    // The notice names the user's own toggle keys.
    const Hotkey own{Hotkey::keyP, Hotkey::Modifiers::control | Hotkey::Modifiers::option};
    Settings settings = manualSettings(2700);
    settings.shortcuts.toggle = own;
    auto& c = make(settings);
    c.showPopover();
    EXPECT_EQ(settingsOpened, 1);
    EXPECT_EQ(popover->shows, 0);

    scheduler->advance(1.9);
    EXPECT_EQ(noticesOpened, 0);
    scheduler->advance(0.2);
    EXPECT_EQ(noticesOpened, 1);
    EXPECT_EQ(noticeActions.toggle, own);
    EXPECT_EQ(noticeActions.keysUnavailable, std::nullopt) << "the simulated machine takes global keys";
    scheduler->advance(10);
    EXPECT_EQ(noticesOpened, 1);

    noticeActions.close(false);
    EXPECT_EQ(noticesClosed, 1);
    EXPECT_FALSE(defaults->boolean(StatusItemController::noticeDismissedKey));

    // Icon off and on: a new item, a new check, its first glyph set at once.
    model->change([](Settings& s, RuntimeState&) { s.showMenuBarIcon = false; });
    settle();
    EXPECT_EQ(c.item(), nullptr);
    model->change([](Settings& s, RuntimeState&) { s.showMenuBarIcon = true; });
    scheduler->runPending();
    EXPECT_EQ(tray->made, 2);
    EXPECT_EQ(item().imageWrites, 1);
    // Where no key reaches Orvane, the notice is told why instead of listing keys.
    sim->update([](platform::sim::SimState& s) { s.missingPorts.insert("globalShortcuts"); });
    model->refreshCapabilities();
    scheduler->advance(2.1);
    EXPECT_EQ(noticesOpened, 2);
    EXPECT_EQ(noticeActions.keysUnavailable, std::optional<std::string>(noGlobalShortcutsReason));
    noticeActions.openSettings();
    noticeActions.close(true);
    EXPECT_TRUE(defaults->boolean(StatusItemController::noticeDismissedKey));

    model->change([](Settings& s, RuntimeState&) { s.showMenuBarIcon = false; });
    model->change([](Settings& s, RuntimeState&) { s.showMenuBarIcon = true; });
    scheduler->advance(3);
    EXPECT_EQ(noticesOpened, 2) << "never again once dismissed";
}

TEST_F(StatusItemTest, VisibleItemGetsNoNotice) {
    make();
    scheduler->advance(3);
    EXPECT_EQ(noticesOpened, 0);
}

}  // namespace
}  // namespace orvane::testing

namespace orvane::testing {
namespace {

// With the popover closed and the morph over, nothing of the tray item keeps a timer.
TEST_F(StatusItemTest, ClosedPopoverSteadyStateHasNoTimersOfItsOwn) {
    make();
    controller.reset();
    settle();
    const std::size_t modelOnly = scheduler->timerCount();
    tray = std::make_shared<FakeTray>();
    StatusItemController::Environment e;
    e.tray = tray;
    e.popover = popover;
    e.scheduler = scheduler;
    e.clock = clock;
    e.defaults = defaults;
    e.notifications = &notifications;
    controller = StatusItemController::create(model, e);
    model->setEnabled(false);
    scheduler->runPending();
    controller->refresh();
    EXPECT_TRUE(controller->morphing());
    scheduler->advance(3);  // the morph's 27 frames and the 2 s check
    EXPECT_FALSE(controller->morphing());
    EXPECT_LE(scheduler->timerCount(), modelOnly);
}

}  // namespace
}  // namespace orvane::testing
