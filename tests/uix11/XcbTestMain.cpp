// Qt tests on a private X server: the server starts before the application object, which
// then talks to it through the xcb platform. Without Xvfb the application runs offscreen
// and the tests that need the server say so with ORVANE_REQUIRE_TOOL.
#include <cstdlib>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>
#include <QApplication>

#include "XcbSession.h"

namespace orvane::testing {
XvfbServer* xcbServer = nullptr;
std::string xcbServerMissing;
}  // namespace orvane::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) return RUN_ALL_TESTS();
    auto server = std::make_unique<orvane::testing::XvfbServer>();
    if (server->error().empty()) {
        ::setenv("DISPLAY", server->display().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        orvane::testing::xcbServer = server.get();
    } else {
        orvane::testing::xcbServerMissing = server->error();
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    int status = 0;
    {
        QApplication application(argc, argv);
        status = RUN_ALL_TESTS();
    }
    return status;
}
