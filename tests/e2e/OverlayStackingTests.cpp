// The toolkit's overlay windows on a real X server: X stacks top-level windows by their
// last raise, so the window levels must be kept by the program itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>

#include "XvfbServer.h"
#include "platform/qt/QtOverlayWindows.h"

// After the toolkit's headers: Xlib's macros would break them.
#include <X11/Xlib.h>

namespace orvane::e2e {
namespace {

enum Outcome { panelAbove = 0, panelBelow = 1, notFound = 2 };

// Where the two windows of the given sizes lie in the root's stacking order (bottom first).
Outcome stacking(Display* dpy, int patchWidth, int panelWidth) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) return notFound;
    int patch = -1, panel = -1;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(dpy, children[i], &a) || a.map_state != IsViewable) continue;
        if (a.width == patchWidth) patch = static_cast<int>(i);
        if (a.width == panelWidth) panel = static_cast<int>(i);
    }
    if (children) XFree(children);
    if (patch < 0 || panel < 0) return notFound;
    return panel > patch ? panelAbove : panelBelow;
}

// In a child process of its own, as the toolkit allows one application object per
// process: a tint panel shown first, then the patch row; the panel must stay on top.
[[noreturn]] void showPanelThenPatches(const std::string& display) {
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::setenv("DISPLAY", display.c_str(), 1);
    int argc = 1;
    char name[] = "stacking";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    platform::QtOverlayWindows windows([] { return true; });
    auto panel =
        windows.create({0, 0, 1280, 800}, {platform::highestWindowLevel, false, platform::SharingType::readOnly});
    auto patches = windows.create({40, 660, 480, 80}, {3, true, platform::SharingType::readOnly});
    if (!panel || !patches) std::_Exit(notFound);
    panel->orderFront();
    patches->orderFront();
    Display* dpy = XOpenDisplay(display.c_str());
    if (!dpy) std::_Exit(notFound);
    Outcome outcome = notFound;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (outcome == notFound && std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents();
        outcome = stacking(dpy, 480, 1280);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Settled: a raise still in flight would show here.
    for (int i = 0; i < 10 && outcome != notFound; ++i) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        outcome = stacking(dpy, 480, 1280);
    }
    XCloseDisplay(dpy);
    std::_Exit(outcome);
}

TEST(OverlayStackingTest, ALaterLowerWindowStaysBelowTheTintPanel) {
    testing::XvfbServer server;
    ORVANE_REQUIRE_TOOL(server.error());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) showPanelThenPatches(server.display());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), notFound) << "the windows never showed";
    EXPECT_EQ(WEXITSTATUS(status), panelAbove) << "the patch row covers the tint panel";
}

}  // namespace
}  // namespace orvane::e2e
