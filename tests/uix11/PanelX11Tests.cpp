// Whether the interface's own windows are blended, on a real X server: the toolkit's
// windows are X windows here, so the server's compositing manager decides; in a Wayland
// session (XWayland's windows included) the compositor always blends.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "RequiredTool.h"
#include "XcbSession.h"
#include "platform/Platform.h"
#include "ui/kit/Panel.h"

// After the toolkit's headers: Xlib's macros would break them.
#include <X11/Xlib.h>

namespace orvane::testing {
namespace {

TEST(PanelX11Test, WindowsAreBlendedWhereTheSessionBlendsThem) {
    ORVANE_REQUIRE_TOOL(xcbServerMissing);
    EXPECT_FALSE(kit::compositingManagerRunning()) << "a bare X server blends nothing";

    const auto wayland = platform::environmentValue("WAYLAND_DISPLAY");
    ::setenv("WAYLAND_DISPLAY", "wayland-orvane-test", 1);
    EXPECT_TRUE(kit::compositingManagerRunning()) << "a Wayland compositor blends XWayland's windows too";
    if (wayland) ::setenv("WAYLAND_DISPLAY", wayland->c_str(), 1);
    else ::unsetenv("WAYLAND_DISPLAY");

    // Another client becomes the compositing manager.
    Display* dpy = XOpenDisplay(xcbServer->display().c_str());
    ASSERT_NE(dpy, nullptr);
    const Window owner = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(dpy, XInternAtom(dpy, "_NET_WM_CM_S0", False), owner, CurrentTime);
    XSync(dpy, False);
    EXPECT_TRUE(processUntil([] { return kit::compositingManagerRunning(); }, 5));
    XCloseDisplay(dpy);
    EXPECT_TRUE(processUntil([] { return !kit::compositingManagerRunning(); }, 5)) << "the manager left";
}

}  // namespace
}  // namespace orvane::testing
