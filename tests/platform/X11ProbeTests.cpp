// The questions asked of the X server before any window exists, against a private Xvfb.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <X11/Xlib.h>

#include "XvfbServer.h"
#include "platform/linux/X11Probe.h"

namespace orvane::platform::linuxsys {
namespace {

TEST(X11ProbeTest, DisplayThatDoesNotOpenAnswersNoToBoth) {
    EXPECT_FALSE(x11DisplayOpens(std::string(":9999")));
    EXPECT_FALSE(compositingManagerRunning(std::string(":9999")));
}

TEST(X11ProbeTest, CompositingManagerIsTheOwnerOfTheScreensSelection) {
    testing::XvfbServer server;
    if (!server.error().empty()) GTEST_SKIP() << server.error();
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

}  // namespace
}  // namespace orvane::platform::linuxsys
