// The display identifier's panels on a real X server: where they are mapped, that clicks
// pass through them and focus never goes to them, and that each goes again (how long it
// stays is the identifier's rule, checked on the fake clock; the real clock here only
// catches a panel that never goes).
#include <gtest/gtest.h>

#include <vector>

#include "RequiredTool.h"
#include "XcbSession.h"
#include "app/DisplayIdentifier.h"
#include "platform/qt/QtScheduler.h"
#include "ui/hud/QtPanels.h"

// After the toolkit's headers: Xlib's macros would break them.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

namespace orvane::testing {
namespace {

struct Mapped {
    Window window;
    int x, y;
};

// The viewable top-level windows of the identifier's size.
std::vector<Mapped> identifierWindows(Display* dpy) {
    std::vector<Mapped> found;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) return found;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(dpy, children[i], &a) || a.map_state != IsViewable) continue;
        if (a.width == 360 && a.height == 140) found.push_back({children[i], a.x, a.y});
    }
    if (children) XFree(children);
    return found;
}

bool focusedWithin(Display* dpy, Window w) {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(dpy, &focus, &revert);
    while (focus && focus != PointerRoot && focus != DefaultRootWindow(dpy)) {
        if (focus == w) return true;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy, focus, &root, &parent, &children, &count)) break;
        if (children) XFree(children);
        focus = parent;
    }
    return false;
}

TEST(DisplayIdentifierX11Test, FlashMapsACentredClickThroughUnfocusedPanelThatGoesAgain) {
    ORVANE_REQUIRE_TOOL(xcbServerMissing);
    Display* dpy = XOpenDisplay(xcbServer->display().c_str());
    ASSERT_NE(dpy, nullptr);
    QtPanels panels;
    platform::QtScheduler scheduler;
    app::DisplayIdentifier identifier(panels, scheduler);
    const DisplayInfo screen(1, "uuid:main", "Main", true, {0, 0, 1280, 800}, 1);

    identifier.flash(screen);
    ASSERT_TRUE(processUntil([&] { return identifierWindows(dpy).size() == 1; }));
    const Mapped shown = identifierWindows(dpy).front();
    EXPECT_EQ(shown.x, (1280 - 360) / 2);
    EXPECT_EQ(shown.y, (800 - 140) / 2);
    int rectangles = -1, ordering = 0;
    XRectangle* input = XShapeGetRectangles(dpy, shown.window, ShapeInput, &rectangles, &ordering);
    if (input) XFree(input);
    EXPECT_EQ(rectangles, 0) << "the input region is empty: clicks reach the window below";
    EXPECT_FALSE(focusedWithin(dpy, shown.window));

    ASSERT_TRUE(processUntil([&] { return identifierWindows(dpy).empty(); }, 60));
    EXPECT_FALSE(focusedWithin(dpy, shown.window));

    // Two calls, two panels.
    identifier.flash(screen);
    identifier.flash(screen);
    EXPECT_TRUE(processUntil([&] { return identifierWindows(dpy).size() == 2; }));
    EXPECT_TRUE(processUntil([&] { return identifierWindows(dpy).empty(); }, 60));
    XCloseDisplay(dpy);
}

}  // namespace
}  // namespace orvane::testing
