// Where the pointer was, read back from a window sway centred on it and kept on the output.
#include <gtest/gtest.h>

#include "platform/wayland/SwayIpc.h"

namespace orvane::platform::waylandsys {
namespace {

TEST(SwayIpcTest, ThePointerIsTheCentreUnlessSwayPushedTheWindowAgainstAnEdge) {
    const SwayRect output{1280, 0, 1920, 1080};  // the second of two outputs
    struct Case {
        const char* what;
        SwayRect window;
        std::pair<int, int> pointer;
    };
    const Case cases[] = {
        {"free in the middle", {1280 + 500, 200, 352, 600}, {1280 + 676, 500}},
        {"pushed into the top right corner", {1280 + 1920 - 352, 0, 352, 600}, {1280 + 1919, 0}},
        {"pushed against the bottom", {1280 + 700, 1080 - 600, 352, 600}, {1280 + 876, 1079}},
        {"pushed against the left edge", {1280, 300, 352, 600}, {1280, 600}},
    };
    for (const auto& c : cases) {
        SwayWindow w;
        w.rect = c.window;
        w.output = output;
        EXPECT_EQ(pointerFromCentredWindow(w), c.pointer) << c.what;
    }
}

TEST(SwayIpcTest, WithoutSwayThereIsNothingToAsk) {
    EXPECT_FALSE(SwayIpc::connect(std::string("/nonexistent/sway-ipc.sock")));
    EXPECT_FALSE(SwayIpc::connect(std::string()));
}

}  // namespace
}  // namespace orvane::platform::waylandsys
