// Qt on a real X server: a private Xvfb is started before the application object, which
// then speaks xcb to it. Without Xvfb the tests skip (the application runs offscreen).
#include <cstdlib>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>
#include <QApplication>

#include "QtX11.h"

namespace orvane::testing {

XvfbServer* qtX11Server = nullptr;

}  // namespace orvane::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) return RUN_ALL_TESTS();
    orvane::testing::XvfbServer server;
    if (server.error().empty()) {
        orvane::testing::qtX11Server = &server;
        ::setenv("DISPLAY", server.display().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    } else {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    int result = 0;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    orvane::testing::qtX11Server = nullptr;
    return result;
}
