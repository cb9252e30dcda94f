#pragma once
// Tests that need a program of the system (Xvfb, dbus-daemon) say so with
// ORVANE_REQUIRE_TOOL(why it is not there), the reason empty when it is. Outside CI they
// skip with that reason. CI (the environment variable CI set) installs every such program,
// so there a missing one is a broken install: the test fails instead of hiding it.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace orvane::testing {

inline bool inContinuousIntegration() {
    const char* ci = std::getenv("CI");
    return ci && *ci;
}

}  // namespace orvane::testing

#define ORVANE_REQUIRE_TOOL(missing)                                                         \
    do {                                                                                     \
        if (const std::string orvaneMissingTool_ = (missing); !orvaneMissingTool_.empty()) { \
            if (::orvane::testing::inContinuousIntegration())                                \
                GTEST_FAIL() << orvaneMissingTool_ << " (CI must have it)";                  \
            GTEST_SKIP() << orvaneMissingTool_;                                              \
        }                                                                                    \
    } while (false)
