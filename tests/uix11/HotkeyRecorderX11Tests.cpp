// The hotkey recorder on a real X server: keys are sent with XTest from a second
// connection, as the user's keyboard would; the program runs on the Linux platform, whose
// keyboard port names each pressed hardware key.
#include <chrono>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGuiApplication>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "RequiredTool.h"
#include "SimFixture.h"
#include "XcbSession.h"
#include "app/AppModel.h"
#include "app/SettingsStore.h"
#include "engine/TintEngine.h"
#include "platform/KeyTable.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/qt/QtScheduler.h"
#include "ui/settings/HotkeyRecorder.h"

// Last: Xlib's macros would clash with the names above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace orvane;
using orvane::testing::LogCapture;
using Mods = Hotkey::Modifiers;

namespace {

class RecorderX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ORVANE_REQUIRE_TOOL(orvane::testing::xcbServerMissing);
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        other = XOpenDisplay(orvane::testing::xcbServer->display().c_str());
        ASSERT_TRUE(other);
        // Keys the server's keymap lacks get a free keycode, before the program reads the map;
        // a new connection reads the new map too.
        bindMissingKeysyms();
        XCloseDisplay(other);
        other = XOpenDisplay(orvane::testing::xcbServer->display().c_str());
        ASSERT_TRUE(other);

        auto scheduler = std::make_shared<platform::QtScheduler>();
        platform =
            platform::linuxsys::makeLinuxPlatform(platform::Runtime{platform::SystemClock::shared(), scheduler}, true);
        ASSERT_TRUE(platform);
        ASSERT_EQ(platform->name(), "linux");
        engine = std::make_shared<TintEngine>(platform);
        const auto directory = std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "recorder";
        std::filesystem::create_directories(directory);
        auto store =
            std::make_shared<SettingsStore>(platform::UserDefaults::open(directory / "defaults.json"), scheduler);
        AppModel::Environment environment;
        environment.systemTimeZone = [] { return *TimeZone::named("Europe/Berlin"); };
        model = AppModel::create(engine, store, environment);

        window = std::make_unique<QWidget>();
        auto* column = new QVBoxLayout(window.get());
        // The recorded value stays in the test, outside the settings.
        recorder = new HotkeyRecorder(kit::operationField<std::optional<Hotkey>>(
                                          model, [this](const Settings&) { return value; },
                                          [this](AppModel&, const std::optional<Hotkey>& h) { value = h; }),
                                      window.get());
        recorder->beep = [this] { ++beeps; };
        column->addWidget(recorder);
        window->resize(300, 80);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        window.reset();
        model.reset();
        if (engine) engine->detachAll();
        engine.reset();
        platform.reset();
        if (other) XCloseDisplay(other);
    }

    void bindMissingKeysyms() {
        int minCode = 0, maxCode = 0;
        XDisplayKeycodes(other, &minCode, &maxCode);
        int perCode = 0;
        KeySym* map = XGetKeyboardMapping(other, static_cast<KeyCode>(minCode), maxCode - minCode + 1, &perCode);
        std::vector<int> free;
        for (int code = minCode; code <= maxCode; ++code) {
            bool empty = true;
            for (int i = 0; i < perCode; ++i) empty = empty && map[(code - minCode) * perCode + i] == NoSymbol;
            if (empty) free.push_back(code);
        }
        XFree(map);
        for (const auto& entry : platform::keyTable) {
            if (XKeysymToKeycode(other, entry.keysym) != 0) continue;
            ASSERT_FALSE(free.empty()) << "no free keycode for keysym " << std::hex << entry.keysym;
            KeySym sym = entry.keysym;
            XChangeKeyboardMapping(other, free.back(), 1, &sym, 1);
            free.pop_back();
        }
        XSync(other, False);
    }

    void key(KeySym sym, bool down) {
        XTestFakeKeyEvent(other, XKeysymToKeycode(other, sym), down ? True : False, CurrentTime);
        XSync(other, False);
    }
    // The modifiers held down around one press of `sym`.
    void chord(const std::vector<KeySym>& modifiers, KeySym sym) {
        for (const KeySym m : modifiers) key(m, true);
        key(sym, true);
        key(sym, false);
        for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) key(*it, false);
    }
    template <class F>
    bool pumpUntil(F done, double seconds = 5) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done() && std::chrono::steady_clock::now() < end) QTest::qWait(5);
        return done();
    }
    // Key presses the other client was sent, by its grab.
    int otherClientPresses() {
        XSync(other, False);
        int presses = 0;
        XEvent event;
        while (XCheckTypedEvent(other, KeyPress, &event)) ++presses;
        return presses;
    }

    Display* other = nullptr;
    std::shared_ptr<platform::Platform> platform;
    std::shared_ptr<TintEngine> engine;
    std::shared_ptr<AppModel> model;
    std::unique_ptr<QWidget> window;
    HotkeyRecorder* recorder = nullptr;
    std::optional<Hotkey> value;
    int beeps = 0;
};

}  // namespace

// Code → the keysym the table gives → the server's keycode for it → the recorder → the same
// code and text. Held with Ctrl and Super: with Ctrl and Alt, the F-keys and the keypad's
// plus and minus are the server's own actions (switching terminals and modes).
TEST_F(RecorderX11Test, EveryTableKeyRoundTrips) {
    for (const auto& entry : platform::keyTable) {
        if (entry.keyCode == 53) continue;  // Esc cancels; below
        SCOPED_TRACE(Hotkey::keyName(entry.keyCode));
        value.reset();
        recorder->mainButton().click();
        ASSERT_TRUE(recorder->isRecording());
        chord({XK_Control_L, XK_Super_L}, entry.keysym);
        ASSERT_TRUE(pumpUntil([&] { return !recorder->isRecording(); }));
        const Hotkey expected{entry.keyCode, Mods::control | Mods::command};
        EXPECT_EQ(value, expected);
        EXPECT_EQ(recorder->mainButton().text().toStdString(), "Ctrl+Super+" + Hotkey::keyName(entry.keyCode));
    }
    EXPECT_EQ(beeps, 0);

    // Shift, Super and Caps Lock as X reports them.
    const struct {
        const char* what;
        std::vector<KeySym> held;
        KeySym key;
        std::optional<Hotkey> recorded;
    } cases[] = {
        {"Shift with a digit is the digit's key", {XK_Control_L, XK_Shift_L}, XK_1, Hotkey{18, Mods{12}}},
        {"Super+Backspace", {XK_Super_L}, XK_BackSpace, Hotkey{51, Mods::command}},
        {"Esc cancels", {XK_Shift_L}, XK_Escape, Hotkey{0, Mods::command}},
        {"F5 alone", {}, XK_F5, Hotkey{96, {}}},
        {"Delete alone", {}, XK_Delete, Hotkey{117, {}}},
        {"Backspace alone clears", {}, XK_BackSpace, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        value = Hotkey{0, Mods::command};
        recorder->mainButton().click();
        chord(c.held, c.key);
        ASSERT_TRUE(pumpUntil([&] { return !recorder->isRecording(); }));
        EXPECT_EQ(value, c.recorded);
    }

    // Backspace with Caps Lock on is no clear: it beeps and recording goes on.
    value = Hotkey{0, Mods::command};
    recorder->mainButton().click();
    key(XK_Caps_Lock, true);
    key(XK_Caps_Lock, false);
    key(XK_BackSpace, true);
    key(XK_BackSpace, false);
    EXPECT_TRUE(pumpUntil([&] { return beeps == 1; }));
    EXPECT_TRUE(recorder->isRecording());
    key(XK_Caps_Lock, true);
    key(XK_Caps_Lock, false);
    key(XK_BackSpace, true);
    key(XK_BackSpace, false);
    ASSERT_TRUE(pumpUntil([&] { return !recorder->isRecording(); }));
    EXPECT_EQ(value, std::nullopt);
}

// The desktop keeps Ctrl+Alt+T for a terminal: while recording the grab brings it to the
// recorder, and afterwards the desktop has it again.
TEST_F(RecorderX11Test, AGrabbedCombinationReachesTheRecorderAndThenItsOwnerAgain) {
    const unsigned mods = ControlMask | Mod1Mask;
    XGrabKey(other, XKeysymToKeycode(other, XK_t), mods, XDefaultRootWindow(other), False, GrabModeAsync,
             GrabModeAsync);
    XSync(other, False);
    chord({XK_Control_L, XK_Alt_L}, XK_t);
    EXPECT_EQ(otherClientPresses(), 1);

    LogCapture logs;
    recorder->mainButton().click();
    chord({XK_Control_L, XK_Alt_L}, XK_t);
    ASSERT_TRUE(pumpUntil([&] { return !recorder->isRecording(); }));
    EXPECT_EQ(value, (Hotkey{Hotkey::keyT, Mods::control | Mods::option}));
    EXPECT_EQ(recorder->mainButton().text(), "Ctrl+Alt+T");
    EXPECT_EQ(otherClientPresses(), 0);
    EXPECT_TRUE(logs.messages("hotkeys").empty());

    chord({XK_Control_L, XK_Alt_L}, XK_t);
    EXPECT_EQ(otherClientPresses(), 1);
}

TEST_F(RecorderX11Test, ARefusedGrabIsLoggedAndRecordingGoesOn) {
    // Another client holds the keyboard.
    const Window holder = XCreateSimpleWindow(other, XDefaultRootWindow(other), 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(other, holder);
    XSync(other, False);
    ASSERT_EQ(XGrabKeyboard(other, holder, False, GrabModeAsync, GrabModeAsync, CurrentTime), GrabSuccess);
    XSync(other, False);

    LogCapture logs;
    recorder->mainButton().click();
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_TRUE(model->hotkeysSuspended());
    EXPECT_EQ(logs.messages("hotkeys"), std::vector<std::string>{"hotkey recorder: keyboard grab refused"});
    recorder->mainButton().click();
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(model->hotkeysSuspended());
    XUngrabKeyboard(other, CurrentTime);
    XDestroyWindow(other, holder);
    XSync(other, False);
}
