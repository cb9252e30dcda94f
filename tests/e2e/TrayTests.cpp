// The tray item on a private X server without a tray host: the hidden-icon notice opens
// 2 s after start, and the debug popover window shows the 352-wide popover.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "ProgramProcess.h"
#include "XvfbServer.h"

namespace orvane::e2e {
namespace {

struct TopWindow {
    std::string name;
    int width = 0, height = 0;
};

class TrayProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.error().empty()) GTEST_SKIP() << server.error();
        dpy = XOpenDisplay(server.display().c_str());
        if (!dpy) GTEST_SKIP() << "cannot open the private X display";
        session.environment["ORVANE_PLATFORM"] = "linux";
        session.environment["DISPLAY"] = server.display();
        session.environment["QT_QPA_PLATFORM"] = "xcb";
    }
    void TearDown() override {
        if (dpy) XCloseDisplay(dpy);
    }

    // The mapped top-level window with this title, if any.
    std::optional<TopWindow> mapped(const std::string& title) {
        std::optional<TopWindow> result;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) return result;
        for (unsigned i = 0; i < count && !result; ++i) {
            XWindowAttributes a;
            if (!XGetWindowAttributes(dpy, children[i], &a) || a.map_state != IsViewable) continue;
            char* name = nullptr;
            if (XFetchName(dpy, children[i], &name) && name) {
                if (title == name) result = TopWindow{name, a.width, a.height};
                XFree(name);
            }
        }
        if (children) XFree(children);
        return result;
    }

    testing::XvfbServer server;
    Display* dpy = nullptr;
    Session session;
};

TEST_F(TrayProgramTest, WithoutATrayTheNoticeOpensTwoSecondsAfterStart) {
    const auto started = Steady::now();
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitFor([&] { return mapped("Orvane").has_value(); }, 10s)) << program.output();
    EXPECT_GE(Steady::now() - started, 2s) << "the check runs 2 s after the item is made";
    EXPECT_EQ(mapped("Orvane")->width, 540);
}

TEST_F(TrayProgramTest, DebugPopoverWindowIs352Wide) {
    session.environment["ORVANE_POPOVER_WINDOW"] = "1";
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitFor([&] { return mapped("Popover (debug)").has_value(); }, 10s)) << program.output();
    const auto window = mapped("Popover (debug)");
    EXPECT_EQ(window->width, 352);
    EXPECT_EQ(window->height, 700);
}

}  // namespace
}  // namespace orvane::e2e
