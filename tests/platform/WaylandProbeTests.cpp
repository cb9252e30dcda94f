// Whether a compositor answers, asked before the toolkit picks its platform.
#include <gtest/gtest.h>

#include "FakeCompositor.h"
#include "SimFixture.h"
#include "platform/wayland/WaylandProbe.h"

namespace orvane::platform::waylandsys {
namespace {

TEST(WaylandProbeTest, AnswersOnlyWhereACompositorListens) {
    const auto directory = testing::freshDirectory("wayland-probe");
    EXPECT_FALSE(compositorAnswers((directory / "nobody-here").string()));
    testing::FakeCompositor compositor(directory / "wayland-test");
    ASSERT_TRUE(compositor.error().empty()) << compositor.error();
    EXPECT_TRUE(compositorAnswers(compositor.socketPath().string()));
}

}  // namespace
}  // namespace orvane::platform::waylandsys
