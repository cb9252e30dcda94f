// The front window on a real X server named through the desktop entries: the Exclusions
// pane offers it under its entry's name, and an exclusion stored under its window class
// or its desktop ID lifts the tint.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "RequiredTool.h"
#include "SimFixture.h"
#include "XcbSession.h"
#include "app/FrontmostAppObserver.h"
#include "core/Resolver.h"
#include "platform/Missing.h"
#include "platform/linux/X11Workspace.h"
#include "platform/linux/XdgAppCatalog.h"
#include "ui/settings/ExclusionsPane.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace orvane::testing {
namespace {

TEST(LastActiveX11Test, TheActiveWindowIsOfferedUnderItsEntrysNameAndItsExclusionsMatch) {
    ORVANE_REQUIRE_TOOL(xcbServerMissing);
    const auto root = freshDirectory("last-active");
    std::filesystem::create_directories(root / "applications");
    std::ofstream(root / "applications" / "gimp.desktop")
        << "[Desktop Entry]\nType=Application\nName=GNU Image Manipulation Program\n"
           "Name[de]=GNU-Bildbearbeitungsprogramm\nStartupWMClass=Gimp-2.10\n";
    platform::linuxsys::XdgAppCatalog catalog({root / "applications"}, "de_DE.UTF-8");

    Display* dpy = XOpenDisplay(xcbServer->display().c_str());
    ASSERT_NE(dpy, nullptr);
    const Window w = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 200, 100, 0, 0, 0);
    char instance[] = "gimp-2.10";
    char klass[] = "Gimp-2.10";
    XClassHint hint{instance, klass};
    XSetClassHint(dpy, w, &hint);
    const long pid = 4242;
    XChangeProperty(dpy, w, XInternAtom(dpy, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    XMapWindow(dpy, w);
    const Window active = w;
    XChangeProperty(dpy, DefaultRootWindow(dpy), XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&active), 1);
    XSync(dpy, False);

    const auto workspace = platform::linuxsys::openX11Workspace(nullptr, xcbServer->display());
    ASSERT_TRUE(workspace);
    platform::MissingDisplays displays;
    FrontmostAppObserver observer(*workspace, displays, catalog);
    const auto& front = observer.current();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->bundleID, "gimp");
    EXPECT_EQ(front->windowClass, "Gimp-2.10");
    EXPECT_EQ(ExclusionsRules::lastActiveTitle(front, {}), "GNU-Bildbearbeitungsprogramm (last active)");

    for (const char* stored : {"Gimp-2.10", "gimp"}) {
        const std::vector<ExcludedApp> excluded{{stored, "GIMP", false}};
        EXPECT_EQ(ExclusionsRules::lastActiveTitle(front, excluded), std::nullopt) << stored;
        ResolverInput in;
        in.now = Date{1773572400.0};
        in.settings.enabled = true;
        in.settings.mode = Mode::manual;
        in.settings.manualKelvin = 3400;
        in.settings.excludedApps = excluded;
        in.frontmostBundleID = front->bundleID;
        in.frontmostWindowClass = front->windowClass;
        EXPECT_TRUE(Resolver::resolve(in).status.is<TintStatus::ExcludedApp>()) << stored;
    }
    XDestroyWindow(dpy, w);
    XCloseDisplay(dpy);
}

}  // namespace
}  // namespace orvane::testing
