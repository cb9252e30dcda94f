#pragma once
// The real program on a private X server: the tests' own Xvfb, a client connection of the
// test's own, and a session that points the program at that display on the Linux platform.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "ProgramProcess.h"
#include "XvfbServer.h"

namespace orvane::e2e {

class XProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ORVANE_REQUIRE_TOOL(server.error());
        dpy = XOpenDisplay(server.display().c_str());
        ORVANE_REQUIRE_TOOL(dpy ? "" : "cannot open the private X display");
        session.environment["ORVANE_PLATFORM"] = "linux";
        session.environment["DISPLAY"] = server.display();
        session.environment["QT_QPA_PLATFORM"] = "xcb";
    }
    void TearDown() override {
        if (dpy) XCloseDisplay(dpy);
    }

    testing::XvfbServer server;
    Display* dpy = nullptr;
    Session session;
};

}  // namespace orvane::e2e
