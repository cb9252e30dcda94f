// The keyboard and window-list services on a real X server: keys are sent with XTest from
// a second connection, as another program or the user's keyboard would.
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "SimFixture.h"
#include "XvfbServer.h"
#include "engine/BrightnessKeys.h"
#include "engine/Hotkeys.h"
#include "engine/SecurityPrompt.h"
#include "platform/linux/LinuxPlatform.h"

// Last: Xlib's macros would clash with the names above.
#include <X11/XF86keysym.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::LogCapture;
using Mods = Hotkey::Modifiers;

namespace {

int otherClientError = 0;
int recordOtherClientError(Display*, XErrorEvent* e) {
    otherClientError = e->error_code;
    return 0;
}

class X11ServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ORVANE_REQUIRE_TOOL(server.error());
        scheduler = std::make_shared<FakeScheduler>(clock);
        const auto saved = environmentValue("DISPLAY");
        ::setenv("DISPLAY", server.display().c_str(), 1);
        platform = linuxsys::makeLinuxPlatform(Runtime{clock, scheduler}, true);
        if (saved) ::setenv("DISPLAY", saved->c_str(), 1);
        else ::unsetenv("DISPLAY");
        other = XOpenDisplay(server.display().c_str());
        ASSERT_TRUE(other);
    }
    void TearDown() override {
        if (other) XCloseDisplay(other);
    }

    KeyCode keycode(KeySym sym) { return XKeysymToKeycode(other, sym); }
    void key(KeySym sym, bool down) {
        XTestFakeKeyEvent(other, keycode(sym), down ? True : False, CurrentTime);
        XSync(other, False);
    }
    void tap(KeySym sym) {
        key(sym, true);
        key(sym, false);
    }
    void chord(KeySym modifier, KeySym sym) {
        key(modifier, true);
        tap(sym);
        key(modifier, false);
    }
    // Lets the program read what the server sent, for up to `seconds` of real time or
    // until `done` holds.
    template <class F>
    bool pumpUntil(F done, double seconds = 5) {
        return orvane::testing::pumpUntil(*scheduler, done, seconds);
    }
    void pump(double seconds) {
        pumpUntil([] { return false; }, seconds);
    }
    // Registers a marker chord (Super+P) whose press, once seen, shows that every key sent before
    // it was handled: the server delivers one client's events in order.
    std::optional<std::uint32_t> registerMarker(HotkeyManager& hotkeys) {
        return hotkeys.registerHotkey({35, Mods::command}, [&] { ++markers; });
    }
    // Everything sent so far has been handled; nothing else came in between.
    bool settle() {
        const int expected = markers + 1;
        chord(XK_Super_L, XK_p);
        return pumpUntil([&] { return markers >= expected; });
    }
    int grabByOtherClient(KeySym sym, unsigned mods) {
        otherClientError = 0;
        const auto previous = XSetErrorHandler(recordOtherClientError);
        XGrabKey(other, keycode(sym), mods, XDefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync);
        XSync(other, False);
        XSetErrorHandler(previous);
        return otherClientError;
    }

    orvane::testing::XvfbServer server;
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    std::shared_ptr<FakeScheduler> scheduler;
    std::shared_ptr<Platform> platform;
    Display* other = nullptr;
    std::vector<std::string> events;
    int markers = 0;
};

}  // namespace

TEST_F(X11ServicesTest, AHotkeyFiresOnceAlsoWithNumLockAndCapsLockOn) {
    HotkeyManager hotkeys(platform->keyboard());
    ASSERT_TRUE(hotkeys.registerHotkey(
        {17, Mods::command}, [&] { events.push_back("down"); }, [&] { events.push_back("up"); }));
    ASSERT_TRUE(registerMarker(hotkeys));
    const struct {
        const char* name;
        std::vector<KeySym> locks;
    } cases[] = {{"no lock", {}},
                 {"NumLock", {XK_Num_Lock}},
                 {"CapsLock", {XK_Caps_Lock}},
                 {"both", {XK_Num_Lock, XK_Caps_Lock}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        for (const auto lock : c.locks) tap(lock);
        chord(XK_Super_L, XK_t);
        EXPECT_TRUE(pumpUntil([&] { return events.size() >= 2; }));
        ASSERT_TRUE(settle());
        EXPECT_EQ(events, (std::vector<std::string>{"down", "up"}));
        for (const auto lock : c.locks) tap(lock);  // off again
        tap(XK_t);                                  // without its modifier: not ours
        ASSERT_TRUE(settle());
        EXPECT_EQ(events.size(), 2u);
    }
}

TEST_F(X11ServicesTest, HoldingTheRevealKeyGivesOnePressAndOneRelease) {
    HotkeyManager hotkeys(platform->keyboard());
    ASSERT_TRUE(hotkeys.registerHotkey(
        {15, Mods::command | Mods::option}, [&] { events.push_back("down"); }, [&] { events.push_back("up"); }));
    ASSERT_TRUE(registerMarker(hotkeys));
    // The server's own repeat starts 100 ms into a held key instead of 660 ms.
    ASSERT_TRUE(XkbSetAutoRepeatRate(other, XkbUseCoreKbd, 100, 20));
    key(XK_Super_L, true);
    key(XK_Alt_L, true);
    key(XK_r, true);
    key(XK_r, true);  // a repeat of the held key
    pump(0.3);        // long enough for several of the server's repeats
    key(XK_r, false);
    key(XK_Alt_L, false);  // the modifiers may go before or after the key
    key(XK_Super_L, false);
    EXPECT_TRUE(pumpUntil([&] { return events.size() >= 2; }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(events, (std::vector<std::string>{"down", "up"}));
}

TEST_F(X11ServicesTest, AKeyHeldElsewhereOrWithoutAKeysymIsRefusedAndTheOthersStillWork) {
    HotkeyManager hotkeys(platform->keyboard());
    ASSERT_TRUE(hotkeys.registerHotkey({17, Mods::command}, [&] { events.push_back("t"); }));
    // Another program holds only the CapsLock variant of the chord.
    ASSERT_EQ(grabByOtherClient(XK_b, Mod4Mask | LockMask), 0);
    LogCapture logs;
    EXPECT_EQ(hotkeys.registerHotkey({11, Mods::command}, [&] { events.push_back("b"); }), std::nullopt);
    const Hotkey unknown{10, Mods::control};  // no US key at this code
    EXPECT_EQ(hotkeys.registerHotkey(unknown, [&] { events.push_back("?"); }), std::nullopt);
    EXPECT_TRUE(hotkeys.registerHotkey({35, Mods::command}, [&] { events.push_back("p"); }));
    EXPECT_EQ(logs.messages("hotkeys"),
              (std::vector<std::string>{"grabbing the key (XGrabKey) failed for Super+B: -9878",
                                        "grabbing the key (XGrabKey) failed for " + unknown.display() + ": -50"}));
    // The refused registration released the variants it had taken.
    EXPECT_EQ(grabByOtherClient(XK_b, Mod4Mask), 0);

    chord(XK_Super_L, XK_t);
    chord(XK_Super_L, XK_p);
    EXPECT_TRUE(pumpUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(events, (std::vector<std::string>{"t", "p"}));
}

TEST_F(X11ServicesTest, UnregisteredHotkeysLeaveTheKeyToOthers) {
    HotkeyManager hotkeys(platform->keyboard());
    const auto id = hotkeys.registerHotkey({17, Mods::command}, [&] { events.push_back("t"); });
    ASSERT_TRUE(id);
    EXPECT_NE(grabByOtherClient(XK_t, Mod4Mask), 0);
    hotkeys.unregister(*id);
    EXPECT_EQ(grabByOtherClient(XK_t, Mod4Mask), 0);
}

TEST_F(X11ServicesTest, BrightnessUpReachesTheOwnerWhileIntercepting) {
    ORVANE_REQUIRE_TOOL(keycode(XF86XK_MonBrightnessUp) ? "" : "the server's keymap has no brightness key");
    BrightnessKeys keys(platform->keyboard());
    EXPECT_TRUE(keys.isTrusted());
    std::vector<std::pair<BrightnessKeys::Key, bool>> seen;
    keys.onKey = [&](BrightnessKeys::Key k, bool repeat) { seen.emplace_back(k, repeat); };
    ASSERT_TRUE(keys.start());
    keys.intercept = true;
    tap(XF86XK_MonBrightnessUp);
    EXPECT_TRUE(pumpUntil([&] { return !seen.empty(); }));
    pump(0.1);
    EXPECT_EQ(seen, (std::vector<std::pair<BrightnessKeys::Key, bool>>{{BrightnessKeys::Key::up, false}}));

    // Passed on, the key still works for everyone: the keyboard is not left frozen.
    keys.intercept = false;
    tap(XF86XK_MonBrightnessDown);
    HotkeyManager hotkeys(platform->keyboard());
    ASSERT_TRUE(hotkeys.registerHotkey({17, Mods::command}, [&] { events.push_back("t"); }));
    chord(XK_Super_L, XK_t);
    EXPECT_TRUE(pumpUntil([&] { return !events.empty(); }));
    EXPECT_EQ(seen.size(), 1u);

    keys.stop();
    EXPECT_EQ(grabByOtherClient(XF86XK_MonBrightnessUp, 0), 0) << "stop() kept the grab";
}

TEST_F(X11ServicesTest, ABrightnessKeyTheDesktopHoldsFailsTheTap) {
    ORVANE_REQUIRE_TOOL(keycode(XF86XK_MonBrightnessUp) ? "" : "the server's keymap has no brightness key");
    ASSERT_EQ(grabByOtherClient(XF86XK_MonBrightnessUp, 0), 0);
    BrightnessKeys keys(platform->keyboard());
    LogCapture logs;
    EXPECT_FALSE(keys.start());
    EXPECT_FALSE(keys.isRunning());
    EXPECT_EQ(logs.messages("keys"), std::vector<std::string>{"event tap creation failed"});
}

// The X workspace tells when its window list changes: the detector looks half a second
// after a change and holds no timer while nothing changes.
TEST_F(X11ServicesTest, AMappedPromptWindowIsSeenWithinAPollAndItsUnmappingToo) {
    SecurityPromptDetector detector(*platform);
    std::vector<bool> reports;
    detector.onChange = [&](bool visible) { reports.push_back(visible); };
    const auto timersBefore = scheduler->timerCount();
    detector.start();

    const Window root = XDefaultRootWindow(other);
    const Window plain = XCreateSimpleWindow(other, root, 0, 0, 800, 600, 0, 0, 0);
    XMapWindow(other, plain);
    const Window prompt = XCreateSimpleWindow(other, root, 40, 30, 300, 200, 0, 0, 0);
    char name[] = "gcr-prompter";
    char type[] = "Gcr-prompter";
    XClassHint hint{name, type};
    XSetClassHint(other, prompt, &hint);
    const long pid = 4242;
    XChangeProperty(other, prompt, XInternAtom(other, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    XMapWindow(other, prompt);
    XSync(other, False);

    scheduler->advance(SecurityPromptDetector::pollInterval);
    EXPECT_EQ(reports, std::vector<bool>{true});
    const auto windows = platform->workspace().windowList(windowListOnScreenOnly | windowListExcludeDesktopElements);
    ASSERT_TRUE(windows);
    ASSERT_GE(windows->size(), 2u);
    EXPECT_EQ((*windows)[0], (WindowInfo{"gcr-prompter", 4242, 0, Rect{40, 30, 300, 200}}));

    // What the first look read may arm one more; after it, nothing is due.
    pump(0.2);
    scheduler->advance(SecurityPromptDetector::pollInterval);
    pump(0.2);
    EXPECT_EQ(scheduler->timerCount(), timersBefore);
    EXPECT_TRUE(detector.isPolling());

    XUnmapWindow(other, prompt);
    XSync(other, False);
    EXPECT_TRUE(pumpUntil([&] { return scheduler->timerCount() > timersBefore; })) << "the unmapping armed no look";
    EXPECT_EQ(reports, std::vector<bool>{true}) << "a look half a second after the change, not at once";
    scheduler->advance(SecurityPromptDetector::pollInterval);
    EXPECT_EQ(reports, (std::vector<bool>{true, false}));

    detector.stop();
    XMapWindow(other, prompt);
    XSync(other, False);
    pump(0.2);
    EXPECT_EQ(scheduler->timerCount(), timersBefore) << "a stopped detector follows no change";
}

TEST_F(X11ServicesTest, DesktopAndDockWindowsAreLeftOut) {
    const Window root = XDefaultRootWindow(other);
    const Window dock = XCreateSimpleWindow(other, root, 0, 0, 1280, 30, 0, 0, 0);
    const Atom dockType = XInternAtom(other, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(other, dock, XInternAtom(other, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dockType), 1);
    XMapWindow(other, dock);
    const Window hidden = XCreateSimpleWindow(other, root, 0, 0, 300, 200, 0, 0, 0);
    (void)hidden;  // never mapped
    XSync(other, False);
    auto& workspace = platform->workspace();
    const auto shown = workspace.windowList(windowListOnScreenOnly | windowListExcludeDesktopElements);
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->empty());
    const auto all = workspace.windowList(0);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 2u);
}

TEST_F(X11ServicesTest, AWindowManagersStackingListGivesTheOrderFrontFirst) {
    const Window root = XDefaultRootWindow(other);
    const auto make = [&](const char* instance) {
        const Window w = XCreateSimpleWindow(other, root, 0, 0, 200, 100, 0, 0, 0);
        char name[64];
        char type[] = "Test";
        std::snprintf(name, sizeof name, "%s", instance);
        XClassHint hint{name, type};
        XSetClassHint(other, w, &hint);
        XMapWindow(other, w);
        return w;
    };
    const Window first = make("first");
    const Window second = make("second");
    make("unmanaged");  // mapped, but not a client of the window manager
    // What an EWMH window manager publishes: its clients, bottom to top; here the first
    // made was raised last, against the order of the root's children.
    const unsigned long stacking[] = {second, first};
    XChangeProperty(other, root, XInternAtom(other, "_NET_CLIENT_LIST_STACKING", False), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(stacking), 2);
    XSync(other, False);
    const auto windows = platform->workspace().windowList(windowListOnScreenOnly | windowListExcludeDesktopElements);
    ASSERT_TRUE(windows);
    std::vector<std::string> owners;
    for (const auto& w : *windows) owners.push_back(w.ownerName);
    EXPECT_EQ(owners, (std::vector<std::string>{"first", "second"}));
}
