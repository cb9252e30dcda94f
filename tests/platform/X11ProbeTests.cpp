// The questions asked of the X server before any window exists, against a private Xvfb.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <unistd.h>

#include <X11/Xlib.h>

#include "XvfbServer.h"
#include "platform/FakeScheduler.h"
#include "platform/linux/X11Probe.h"

namespace orvane::platform::linuxsys {
namespace {

TEST(X11ProbeTest, DisplayThatDoesNotOpenAnswersNoToBoth) {
    EXPECT_FALSE(x11DisplayOpens(std::string(":9999")));
    EXPECT_FALSE(compositingManagerRunning(std::string(":9999")));
    EXPECT_EQ(CompositorWatch::open(std::string(":9999")), nullptr);
}

TEST(X11ProbeTest, ADisplayThatDoesNotOpenSaysWhy) {
    const struct {
        std::optional<std::string> name;
        const char* displayName;
        const char* failure;
    } cases[] = {
        {":9999", ":9999", "no X server is listening"},
        {"unix:9998.0", "unix:9998.0", "no X server is listening"},
        {"nonsense", "nonsense", "not a display name"},
        {":x", ":x", "not a display name"},
        {std::nullopt, "", ""},  // tests run without $DISPLAY: nothing was asked for
    };
    for (const auto& c : cases) {
        const auto hold = holdX11Display(c.name);
        EXPECT_FALSE(hold.opened()) << c.displayName;
        EXPECT_EQ(hold.displayName(), c.displayName);
        EXPECT_EQ(hold.failure(), c.failure) << c.displayName;
    }
}

// Whether the server still knows an atom that an earlier client interned: a server resets,
// forgetting every atom, when its last client leaves.
Atom markOn(const std::string& display, bool create) {
    Display* d = nullptr;
    // Right after a reset the server refuses connections for a moment.
    for (int i = 0; i < 200 && !d; ++i)
        if (!(d = XOpenDisplay(display.c_str()))) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!d) return None;
    const Atom atom = XInternAtom(d, "ORVANE_PROBE_MARK", create ? False : True);
    XCloseDisplay(d);
    return atom;
}

TEST(X11ProbeTest, TheProbesConnectionKeepsABareServerFromResettingUntilReleased) {
    testing::XvfbServer server;  // no client of its own: the probe is the first
    ORVANE_REQUIRE_TOOL(server.error());
    auto hold = holdX11Display(server.display());
    ASSERT_TRUE(hold.opened());
    EXPECT_EQ(hold.failure(), "");
    // The toolkit connects next; the server must not have reset in between.
    ASSERT_NE(markOn(server.display(), true), None);
    EXPECT_NE(markOn(server.display(), false), None) << "the server reset while the probe held on";

    hold.release();
    markOn(server.display(), true);
    EXPECT_EQ(markOn(server.display(), false), None) << "released, the last client's leaving resets the server";
}

TEST(X11ProbeTest, CompositingManagerIsTheOwnerOfTheScreensSelection) {
    testing::XvfbServer server;
    ORVANE_REQUIRE_TOOL(server.error());
    // A client that stays connected throughout: a server whose last client leaves resets
    // itself and refuses connections for a moment, which no desktop ever does.
    Display* keeper = XOpenDisplay(server.display().c_str());
    ASSERT_NE(keeper, nullptr);
    EXPECT_TRUE(x11DisplayOpens(server.display()));
    EXPECT_FALSE(compositingManagerRunning(server.display())) << "a bare server has no compositor";

    // Stand in for a compositor: own _NET_WM_CM_S0 with a window of our own.
    Display* compositor = XOpenDisplay(server.display().c_str());
    ASSERT_NE(compositor, nullptr);
    const Window owner = XCreateSimpleWindow(compositor, DefaultRootWindow(compositor), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(compositor, XInternAtom(compositor, "_NET_WM_CM_S0", False), owner, CurrentTime);
    XSync(compositor, False);
    EXPECT_TRUE(compositingManagerRunning(server.display()));

    XCloseDisplay(compositor);  // the compositor goes away; the server notices in its own time
    bool gone = false;
    for (int i = 0; i < 200 && !gone; ++i) {
        gone = !compositingManagerRunning(server.display());
        if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone);
    XCloseDisplay(keeper);
}

// Plays a compositing manager on a connection of its own: owns _NET_WM_CM_S0 until it
// closes.
Display* startCompositor(const std::string& display) {
    Display* compositor = XOpenDisplay(display.c_str());
    if (!compositor) return nullptr;
    const Window owner = XCreateSimpleWindow(compositor, DefaultRootWindow(compositor), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(compositor, XInternAtom(compositor, "_NET_WM_CM_S0", False), owner, CurrentTime);
    XSync(compositor, False);
    return compositor;
}

// The watch keeps one connection: questions send the server nothing, and a compositor
// that starts or goes after it opened is seen from the server's events, read by the loop
// (which tells the observers) or, without one, at the next question.
TEST(X11ProbeTest, TheCompositorWatchHearsTheCompositorComeAndGoOnItsOneConnection) {
    testing::XvfbServer server{testing::XvfbServer::Audited{}};
    ORVANE_REQUIRE_TOOL(server.error());
    Display* keeper = XOpenDisplay(server.display().c_str());
    ASSERT_NE(keeper, nullptr);
    auto scheduler = std::make_shared<FakeScheduler>();
    auto listened = CompositorWatch::open(server.display());
    auto unlistened = CompositorWatch::open(server.display());
    ASSERT_TRUE(listened && unlistened);
    listened->listen(scheduler);
    int changes = 0;
    const Handle observer = listened->observe([&] { ++changes; });
    const int opened = server.connectionsFrom(::getpid());
    ASSERT_EQ(opened, 3) << "the keeper and the two watches";

    const auto requests = listened->requestsSent();
    const auto requestsUnlistened = unlistened->requestsSent();
    for (int i = 0; i < 100; ++i) {
        EXPECT_FALSE(listened->running());
        EXPECT_FALSE(unlistened->running());
    }
    scheduler->runPending();
    EXPECT_EQ(changes, 0);

    Display* compositor = startCompositor(server.display());
    ASSERT_NE(compositor, nullptr);
    EXPECT_TRUE(testing::pumpUntil(*scheduler, [&] { return changes == 1; }));
    EXPECT_TRUE(listened->running());
    EXPECT_TRUE(testing::pumpUntil(*scheduler, [&] { return unlistened->running(); }));

    XCloseDisplay(compositor);  // its window and selection go with it
    EXPECT_TRUE(testing::pumpUntil(*scheduler, [&] { return changes == 2; }));
    EXPECT_FALSE(listened->running());
    EXPECT_TRUE(testing::pumpUntil(*scheduler, [&] { return !unlistened->running(); }));

    EXPECT_EQ(listened->requestsSent(), requests) << "answered from the events alone";
    EXPECT_EQ(unlistened->requestsSent(), requestsUnlistened) << "answered from the events alone";
    EXPECT_EQ(server.connectionsFrom(::getpid()), opened + 1) << "only the compositor's own connection";
    XCloseDisplay(keeper);
}

}  // namespace
}  // namespace orvane::platform::linuxsys
