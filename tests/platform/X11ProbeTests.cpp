// The questions asked of the X server before any window exists, against a private Xvfb.
#include <gtest/gtest.h>

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
    EXPECT_TRUE(x11DisplayOpens(server.display()));
    EXPECT_FALSE(compositingManagerRunning(server.display())) << "a bare server has no compositor";

    // Stand in for a compositor: own _NET_WM_CM_S0 with a window of our own.
    Display* dpy = XOpenDisplay(server.display().c_str());
    ASSERT_NE(dpy, nullptr);
    const Window owner = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(dpy, XInternAtom(dpy, "_NET_WM_CM_S0", False), owner, CurrentTime);
    XSync(dpy, False);
    EXPECT_TRUE(compositingManagerRunning(server.display()));

    XCloseDisplay(dpy);  // the compositor goes away
    EXPECT_FALSE(compositingManagerRunning(server.display()));
}

}  // namespace
}  // namespace orvane::platform::linuxsys
