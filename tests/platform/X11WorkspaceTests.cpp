// The workspace on a real X server: input and pointer moves come from XTest on a second
// connection, activation from that connection playing the window manager.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "XvfbServer.h"
#include "platform/FakeScheduler.h"
#include "platform/linux/MonitorPowerPoll.h"
#include "platform/linux/X11Session.h"
#include "platform/linux/X11Workspace.h"

// Last: Xlib's macros would clash with the names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>
#include <X11/keysym.h>

namespace orvane {
namespace {

using platform::FakeScheduler;
using platform::Point;
using platform::Rect;
using platform::RunningApplication;
using platform::WindowInfo;
using platform::windowListExcludeDesktopElements;
using platform::windowListOnScreenOnly;
using platform::WorkspaceEvent;

// A server's DPMS as the test sets it: no virtual X server has DPMS (the server registers
// the extension only where a screen can power down, and Xvfb's and the dummy driver's cannot).
class FakeDpms final : public platform::linuxsys::DpmsAnswers {
public:
    bool capable() override { return isCapable; }
    std::optional<Info> info() override {
        ++reads;
        if (fails) return std::nullopt;
        return Info{level, enabled};
    }
    std::optional<Timeouts> timeouts() override { return timeoutsInForce; }

    bool isCapable = true;
    bool enabled = true;
    Level level = Level::on;
    bool fails = false;
    Timeouts timeoutsInForce;
    int reads = 0;
};

class X11WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ORVANE_REQUIRE_TOOL(server.error());
        scheduler = std::make_shared<FakeScheduler>();
        workspace = platform::linuxsys::openX11Workspace(scheduler, server.display());
        ASSERT_TRUE(workspace);
        other = XOpenDisplay(server.display().c_str());
        ASSERT_TRUE(other);
    }
    void TearDown() override {
        workspace.reset();
        if (other) XCloseDisplay(other);
    }

    // Lets the workspace read what the server sent, for up to `seconds` of real time or
    // until `done` holds.
    template <class F>
    bool pumpUntil(F done, double seconds = 5) {
        return orvane::testing::pumpUntil(*scheduler, done, seconds);
    }

    Window appWindow(const char* className, long pid) {
        const Window w = XCreateSimpleWindow(other, XDefaultRootWindow(other), 0, 0, 200, 100, 0, 0, 0);
        char instance[] = "instance";
        std::string klass = className;
        XClassHint hint{instance, klass.data()};
        XSetClassHint(other, w, &hint);
        XChangeProperty(other, w, XInternAtom(other, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&pid), 1);
        XMapWindow(other, w);
        XSync(other, False);
        return w;
    }
    // What a window manager does on activation.
    void activate(Window w) {
        const unsigned long id = w;
        XChangeProperty(other, XDefaultRootWindow(other), XInternAtom(other, "_NET_ACTIVE_WINDOW", False), XA_WINDOW,
                        32, PropModeReplace, reinterpret_cast<const unsigned char*>(&id), 1);
        XSync(other, False);
    }

    testing::XvfbServer server;
    std::shared_ptr<FakeScheduler> scheduler;
    std::shared_ptr<platform::Workspace> workspace;
    Display* other = nullptr;
};

TEST_F(X11WorkspaceTest, AKeyFromXTestDropsTheIdleTimeBelowASecond) {
    // Nothing has happened since the server started: the idle time passes a second.
    ASSERT_TRUE(pumpUntil([&] { return workspace->secondsSinceLastInput() > 1.0; }, 10));
    const KeyCode shift = XKeysymToKeycode(other, XK_Shift_L);
    XTestFakeKeyEvent(other, shift, True, CurrentTime);
    XTestFakeKeyEvent(other, shift, False, CurrentTime);
    XSync(other, False);
    const double idle = workspace->secondsSinceLastInput();
    EXPECT_GE(idle, 0.0);
    EXPECT_LT(idle, 1.0);
}

TEST_F(X11WorkspaceTest, ThePointerReadsBackInBottomLeftPoints) {
    const struct {
        int x, y;
        Point expected;
    } cases[] = {
        {100, 150, {100, 650}},  // the screen is 1280 x 800
        {0, 0, {0, 800}},
        {1279, 799, {1279, 1}},
    };
    for (const auto& c : cases) {
        XTestFakeMotionEvent(other, -1, c.x, c.y, CurrentTime);
        XSync(other, False);
        EXPECT_EQ(workspace->mouseLocation(), c.expected) << c.x << "," << c.y;
    }
}

TEST_F(X11WorkspaceTest, ActivatingAnotherApplicationIsAnnouncedOnce) {
    EXPECT_EQ(workspace->frontmostApplication(), std::nullopt) << "no active window yet";
    int activations = 0;
    int spaceChanges = 0;
    int seenByAnother = 0;  // an observer that stays, to show when an activation has come through
    auto a = workspace->observe(WorkspaceEvent::didActivateApplication, [&] { ++activations; });
    auto b = workspace->observe(WorkspaceEvent::didActivateApplication, [&] { ++seenByAnother; });
    auto s = workspace->observe(WorkspaceEvent::activeSpaceDidChange, [&] { ++spaceChanges; });

    const Window editor = appWindow("Editor", 4242);
    const Window editorTwo = appWindow("Editor", 4242);
    const Window player = appWindow("Player", 77);

    activate(editor);
    ASSERT_TRUE(pumpUntil([&] { return activations == 1; }));
    EXPECT_EQ(workspace->frontmostApplication(),
              (RunningApplication{std::string("Editor"), std::nullopt, 4242, std::string("instance")}));

    activate(editorTwo);  // another window of the same application
    activate(player);
    ASSERT_TRUE(pumpUntil([&] { return activations >= 2; }));
    EXPECT_EQ(workspace->frontmostApplication(),
              (RunningApplication{std::string("Player"), std::nullopt, 77, std::string("instance")}));

    // This program's own window, whatever its class.
    const Window own = appWindow("Orvane", ::getpid());
    activate(own);
    ASSERT_TRUE(pumpUntil([&] { return activations >= 3; }));
    EXPECT_EQ(workspace->frontmostApplication(),
              (RunningApplication{std::string("app.orvane.Orvane"), std::nullopt, ::getpid(), std::nullopt}));

    activate(None);
    ASSERT_TRUE(pumpUntil([&] { return activations >= 4; }));
    EXPECT_EQ(workspace->frontmostApplication(), std::nullopt);
    // Announcements come in order: a second one of that activation would come before the next.
    activate(player);
    ASSERT_TRUE(pumpUntil([&] { return activations >= 5; }));
    EXPECT_EQ(activations, 5);
    EXPECT_EQ(spaceChanges, 0);

    a.cancel();
    const int before = seenByAnother;
    activate(editor);
    ASSERT_TRUE(pumpUntil([&] { return seenByAnother > before; }));
    EXPECT_EQ(activations, 5) << "the observation ended";
}

// A window manager may leave _NET_ACTIVE_WINDOW naming a window that has gone, or set it to
// one that is gone already: its application is no longer in front, and that is announced.
TEST_F(X11WorkspaceTest, TheActiveWindowGoingAwayEndsItsApplication) {
    int activations = 0;
    auto a = workspace->observe(WorkspaceEvent::didActivateApplication, [&] { ++activations; });
    const RunningApplication player{std::string("Player"), std::nullopt, 77, std::string("instance")};

    const Window first = appWindow("Player", 77);
    activate(first);
    ASSERT_TRUE(pumpUntil([&] { return activations == 1; }));
    EXPECT_EQ(workspace->frontmostApplication(), player);
    XDestroyWindow(other, first);
    XSync(other, False);
    ASSERT_TRUE(pumpUntil([&] { return activations == 2; })) << "the property still names the closed window";
    EXPECT_EQ(workspace->frontmostApplication(), std::nullopt);

    // The active window outlives its place in the window list.
    const Window second = appWindow("Player", 77);
    activate(second);
    ASSERT_TRUE(pumpUntil([&] { return activations == 3; }));
    ASSERT_TRUE(workspace->windowList(0));
    XUnmapWindow(other, second);
    XReparentWindow(other, second, appWindow("Frame", 5), 0, 0);
    XSync(other, False);
    ASSERT_TRUE(pumpUntil([&] {
        const auto list = workspace->windowList(0);
        return list && list->size() == 1 && list->front().ownerPID == 5;
    }));
    EXPECT_EQ(workspace->frontmostApplication(), player);
    XDestroyWindow(other, second);
    XSync(other, False);
    ASSERT_TRUE(pumpUntil([&] { return activations == 4; }));
    EXPECT_EQ(workspace->frontmostApplication(), std::nullopt);

    // Activated after it was closed.
    const Window gone = appWindow("Player", 77);
    XDestroyWindow(other, gone);
    XSync(other, False);
    activate(gone);
    EXPECT_EQ(workspace->frontmostApplication(), std::nullopt);
    scheduler->runPending();
    EXPECT_EQ(activations, 4) << "nothing was in front before either";
}

void setClass(Display* dpy, Window w, const char* instance) {
    std::string name = instance;
    char klass[] = "Test";
    XClassHint hint{name.data(), klass};
    XSetClassHint(dpy, w, &hint);
}

TEST_F(X11WorkspaceTest, TheWindowListFollowsAWindowThroughItsLife) {
    const std::uint32_t shown = windowListOnScreenOnly | windowListExcludeDesktopElements;
    const auto lists = [&](std::vector<WindowInfo> all, std::vector<WindowInfo> onScreen) {
        return pumpUntil([&] { return workspace->windowList(0) == all && workspace->windowList(shown) == onScreen; });
    };
    ASSERT_TRUE(lists({}, {}));

    const Window w = XCreateSimpleWindow(other, XDefaultRootWindow(other), 10, 20, 200, 100, 0, 0, 0);
    setClass(other, w, "first");
    const long pid = 31;
    XChangeProperty(other, w, XInternAtom(other, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    XSync(other, False);
    WindowInfo info{"first", 31, 0, Rect{10, 20, 200, 100}};
    EXPECT_TRUE(lists({info}, {})) << "created";

    XMapWindow(other, w);
    XSync(other, False);
    EXPECT_TRUE(lists({info}, {info})) << "mapped";

    XMoveResizeWindow(other, w, 50, 60, 300, 150);
    XSync(other, False);
    info.bounds = Rect{50, 60, 300, 150};
    EXPECT_TRUE(lists({info}, {info})) << "moved";

    setClass(other, w, "renamed");
    XSync(other, False);
    info.ownerName = "renamed";
    EXPECT_TRUE(lists({info}, {info})) << "renamed";

    const Atom dock = XInternAtom(other, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(other, w, XInternAtom(other, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dock), 1);
    XSync(other, False);
    EXPECT_TRUE(lists({info}, {})) << "became a dock";
    XDeleteProperty(other, w, XInternAtom(other, "_NET_WM_WINDOW_TYPE", False));
    XSync(other, False);
    EXPECT_TRUE(lists({info}, {info})) << "a normal window again";

    XUnmapWindow(other, w);
    XSync(other, False);
    EXPECT_TRUE(lists({info}, {})) << "unmapped";

    XDestroyWindow(other, w);
    XSync(other, False);
    EXPECT_TRUE(lists({}, {})) << "destroyed";
}

TEST_F(X11WorkspaceTest, LookingAgainAtAnUnchangedDesktopAsksTheServerNothing) {
    const std::uint32_t shown = windowListOnScreenOnly | windowListExcludeDesktopElements;
    const Window editor = appWindow("Editor", 4242);
    appWindow("Player", 77);
    const auto first = workspace->windowList(shown);
    ASSERT_TRUE(first);
    ASSERT_EQ(first->size(), 2u);
    const auto all = workspace->windowList(0);

    const auto before = platform::linuxsys::requestsSent(*workspace);
    ASSERT_TRUE(before);
    EXPECT_EQ(workspace->windowList(shown), first);
    EXPECT_EQ(workspace->windowList(0), all);
    // A new title changes nothing listed.
    XStoreName(other, editor, "a new title");
    XSync(other, False);
    scheduler->runPending();
    EXPECT_EQ(workspace->windowList(shown), first);
    EXPECT_EQ(platform::linuxsys::requestsSent(*workspace), before);

    XMoveWindow(other, editor, 5, 7);
    XSync(other, False);
    ASSERT_TRUE(pumpUntil([&] {
        const auto now = workspace->windowList(shown);
        return now && !now->empty() && now->back().bounds == Rect{5, 7, 200, 100};
    }));
    EXPECT_GT(platform::linuxsys::requestsSent(*workspace), before) << "the move was read from the server";
}

TEST_F(X11WorkspaceTest, WithoutASchedulerEveryLookReadsTheServer) {
    auto unscheduled = platform::linuxsys::openX11Workspace(nullptr, server.display());
    ASSERT_TRUE(unscheduled);
    const Window w = appWindow("Editor", 4242);
    ASSERT_EQ(unscheduled->windowList(0), (std::vector<WindowInfo>{{"instance", 4242, 0, Rect{0, 0, 200, 100}}}));
    const auto before = platform::linuxsys::requestsSent(*unscheduled);
    XMoveWindow(other, w, 30, 40);
    setClass(other, w, "moved");
    XSync(other, False);
    EXPECT_EQ(unscheduled->windowList(0), (std::vector<WindowInfo>{{"moved", 4242, 0, Rect{30, 40, 200, 100}}}));
    EXPECT_GT(platform::linuxsys::requestsSent(*unscheduled), before);
}

TEST_F(X11WorkspaceTest, DisplaysSleepWhileDpmsHasTheMonitorsOff) {
    auto x11 = platform::linuxsys::openX11(scheduler, server.display());
    ASSERT_TRUE(x11);
    // The server's own answers: Xvfb has no DPMS, so its displays never sleep.
    auto plain = platform::linuxsys::withDpmsSleep(x11->displays, server.display());
    const auto main = plain->mainDisplay();
    ASSERT_TRUE(main);
    EXPECT_EQ(plain->screens(), x11->displays->screens());
    EXPECT_FALSE(plain->isAsleep(*main)) << "no DPMS: never asleep";

    using Level = FakeDpms::Level;
    const struct {
        const char* name;
        bool capable, enabled;
        Level level;
        bool fails, asleep;
    } cases[] = {
        {"on", true, true, Level::on, false, false},
        {"standby", true, true, Level::standby, false, true},
        {"suspend", true, true, Level::suspend, false, true},
        {"off", true, true, Level::off, false, true},
        {"off but DPMS disabled", true, false, Level::off, false, false},
        {"the level cannot be read", true, true, Level::off, true, false},
        {"a server that cannot power down", false, true, Level::off, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto dpms = std::make_shared<FakeDpms>();
        dpms->isCapable = c.capable;
        dpms->enabled = c.enabled;
        dpms->level = c.level;
        dpms->fails = c.fails;
        auto displays = platform::linuxsys::withDpmsSleep(x11->displays, server.display(), dpms);
        EXPECT_EQ(displays->isAsleep(*main), c.asleep);
        EXPECT_FALSE(displays->isAsleep(*main + 1000)) << "not a display";
    }
}

// A server that cannot switch the monitors off is never asked their level: no timer wakes
// the program for it, and time passing sends the server nothing. One that can is read.
TEST_F(X11WorkspaceTest, AServerWithoutDpmsIsNeverPolled) {
    for (const bool capable : {false, true}) {
        SCOPED_TRACE(capable ? "DPMS" : "no DPMS");
        auto dpms = std::make_shared<FakeDpms>();
        dpms->isCapable = capable;
        auto own = std::make_shared<FakeScheduler>();
        auto polled = platform::linuxsys::openX11Workspace(own, server.display(), nullptr, nullptr, dpms);
        ASSERT_TRUE(polled);
        const auto before = platform::linuxsys::requestsSent(*polled);
        own->advance(60);
        if (capable) {
            EXPECT_EQ(own->timerCount(), 1u);
            EXPECT_GE(dpms->reads, 6) << "read at least every ten seconds";
        } else {
            EXPECT_EQ(own->timerCount(), 0u);
            EXPECT_EQ(dpms->reads, 0);
            EXPECT_EQ(platform::linuxsys::requestsSent(*polled), before);
        }
    }
    // The same holds for the server's own answers (Xvfb has no DPMS).
    int event = 0, error = 0;
    const bool serverHasDpms = DPMSQueryExtension(other, &event, &error) && DPMSCapable(other);
    EXPECT_EQ(scheduler->timerCount(), serverHasDpms ? 1u : 0u);
    const auto before = platform::linuxsys::requestsSent(*workspace);
    scheduler->advance(60);
    if (!serverHasDpms) {
        EXPECT_EQ(platform::linuxsys::requestsSent(*workspace), before);
    }
}

// The desktop switching, the screen saver ending and the monitors coming back from DPMS
// off are posted where the wake paths listen; the screen saver counts as a lock.
TEST_F(X11WorkspaceTest, DesktopSwitchesAndScreensWakingArePosted) {
    auto dpms = std::make_shared<FakeDpms>();
    workspace = platform::linuxsys::openX11Workspace(scheduler, server.display(), nullptr, nullptr, dpms);
    ASSERT_TRUE(workspace);
    std::vector<WorkspaceEvent> posted;
    std::vector<platform::Handle> handles;
    for (const auto event : {WorkspaceEvent::activeSpaceDidChange, WorkspaceEvent::screensDidWake})
        handles.push_back(workspace->observe(event, [&posted, event] { posted.push_back(event); }));

    const long desktop = 1;
    XChangeProperty(other, XDefaultRootWindow(other), XInternAtom(other, "_NET_CURRENT_DESKTOP", False), XA_CARDINAL,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(&desktop), 1);
    XSync(other, False);
    ASSERT_TRUE(pumpUntil([&] { return !posted.empty(); }));
    EXPECT_EQ(posted, std::vector<WorkspaceEvent>{WorkspaceEvent::activeSpaceDidChange});

    const auto switchDesktop = [&](long number) {
        XChangeProperty(other, XDefaultRootWindow(other), XInternAtom(other, "_NET_CURRENT_DESKTOP", False),
                        XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&number), 1);
        XSync(other, False);
    };
    posted.clear();
    XForceScreenSaver(other, ScreenSaverActive);
    XSync(other, False);
    ASSERT_TRUE(pumpUntil([&] { return workspace->screenLocked() == true; }))
        << "an active X screen saver counts as locked without logind";
    // The saver coming on is no wake. The server sends its events in order, so once the
    // next desktop switch is read, the saver's notice has been read too.
    switchDesktop(2);
    ASSERT_TRUE(pumpUntil([&] { return !posted.empty(); }));
    EXPECT_EQ(posted, std::vector<WorkspaceEvent>{WorkspaceEvent::activeSpaceDidChange})
        << "a wake was posted as the screen saver came on";
    posted.clear();
    XForceScreenSaver(other, ScreenSaverReset);
    XSync(other, False);
    ASSERT_TRUE(pumpUntil([&] { return !posted.empty(); }));
    EXPECT_EQ(posted, std::vector<WorkspaceEvent>{WorkspaceEvent::screensDidWake});
    EXPECT_NE(workspace->screenLocked(), true);

    // The monitors, by the DPMS answers the test gives.
    posted.clear();
    dpms->level = FakeDpms::Level::off;
    // Switched off by hand, without a timeout: seen at the next slow read.
    scheduler->advance(platform::linuxsys::MonitorPowerPoll::whileOn + 1);
    scheduler->runPending();
    const int readsWhileOff = dpms->reads;
    EXPECT_TRUE(posted.empty()) << "going off is no wake";
    scheduler->advance(1.5);
    EXPECT_GT(dpms->reads, readsWhileOff) << "read every second while off";
    scheduler->runPending();
    EXPECT_TRUE(posted.empty()) << "staying off is no wake";
    dpms->level = FakeDpms::Level::on;
    scheduler->advance(1.5);
    ASSERT_TRUE(pumpUntil([&] { return !posted.empty(); }));
    EXPECT_EQ(posted, std::vector<WorkspaceEvent>{WorkspaceEvent::screensDidWake});
    // Back on, it stays quiet.
    posted.clear();
    scheduler->advance(platform::linuxsys::MonitorPowerPoll::whileOn + 1);
    scheduler->runPending();
    EXPECT_TRUE(posted.empty());
}

// A player that suspends the X screen saver keeps the display awake; the saver the user
// switched off (timeout 0) does not say that anyone does.
TEST_F(X11WorkspaceTest, ASuspendedScreenSaverCountsAsKeepingTheDisplayAwake) {
    const auto heldOff = [&] {
        const auto byProcess = workspace->assertionsByProcess();
        return byProcess && byProcess->count(platform::linuxsys::unnamedProcess) == 1;
    };
    EXPECT_EQ(workspace->assertionsByProcess(), std::nullopt) << "no logind, no desktop service, a saver at rest";

    XSetScreenSaver(other, 1, 0, DefaultBlanking, DefaultExposures);
    XScreenSaverSuspend(other, True);
    XSync(other, False);
    ASSERT_TRUE(pumpUntil([&] { return heldOff(); }, 10)) << "idle past the 1 s timeout and the saver still off";

    XScreenSaverSuspend(other, False);
    XForceScreenSaver(other, ScreenSaverReset);
    XSync(other, False);
    EXPECT_FALSE(heldOff());

    XSetScreenSaver(other, 0, 0, DefaultBlanking, DefaultExposures);
    XSync(other, False);
    ASSERT_TRUE(pumpUntil([&] { return workspace->secondsSinceLastInput() > 2.5; }, 10));
    EXPECT_FALSE(heldOff()) << "a saver switched off is the user's choice";
}

}  // namespace
}  // namespace orvane
