// The settings window of the real program on a private X server: each later start hands
// over to the running one, which shows its one settings window again.
#include <gtest/gtest.h>

#include <string>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "ProgramProcess.h"
#include "XProgramTest.h"
#include "XvfbServer.h"

namespace orvane::e2e {
namespace {

class SettingsWindowProgramTest : public XProgramTest {
protected:
    // How many top-level windows with this title exist, and how many of them are mapped.
    std::pair<int, int> windowsTitled(const std::string& title) {
        int all = 0, shown = 0;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) return {0, 0};
        for (unsigned i = 0; i < count; ++i) {
            char* name = nullptr;
            if (!XFetchName(dpy, children[i], &name) || !name) continue;
            if (title == name) {
                ++all;
                XWindowAttributes a;
                if (XGetWindowAttributes(dpy, children[i], &a) && a.map_state == IsViewable) ++shown;
            }
            XFree(name);
        }
        if (children) XFree(children);
        return {all, shown};
    }
};

TEST_F(SettingsWindowProgramTest, StartedThreeTimesShowsOneSettingsWindow) {
    ProgramProcess first(session, {});
    ASSERT_TRUE(first.waitUntilReady()) << first.errors();
    EXPECT_EQ(windowsTitled("Orvane Settings").first, 0) << "no settings window at a plain start";
    for (int i = 0; i < 2; ++i) {
        ProgramProcess again(session, {});
        EXPECT_TRUE(again.waitForExit().has_value()) << "a later start hands over and ends";
        ASSERT_TRUE(first.waitFor([&] { return windowsTitled("Orvane Settings").second == 1; }, 10s)) << first.errors();
    }
    first.waitFor([] { return false; }, 500ms);
    EXPECT_EQ(windowsTitled("Orvane Settings"), std::make_pair(1, 1));
}

}  // namespace
}  // namespace orvane::e2e
