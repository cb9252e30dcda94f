#pragma once
// What the engine tests share: the simulated machine's two displays as DisplayInfo, the
// calls this process made of it, and the colour a user sees on each display.
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SimFixture.h"
#include "engine/DisplayManager.h"
#include "platform/sim/SimPlatform.h"

namespace orvane::testing {

class EngineTest : public SimTest {
protected:
    DisplayInfo info(std::uint32_t id) const {
        for (const auto& d : DisplayManager::currentDisplays(*sim))
            if (d.id == id) return d;
        ADD_FAILURE() << "no display " << id;
        return {};
    }
    DisplayInfo builtIn() const { return info(1); }
    DisplayInfo external() const { return info(2); }

    std::vector<platform::sim::SimCall> calls(const std::string& facility) const {
        return sim->journal().calls(facility);
    }
    std::size_t count(const std::string& facility) const { return calls(facility).size(); }
    std::vector<platform::sim::SimCall> adjustments() const { return calls("colorAdjustments.set"); }
    // What the last colour-adjustment call carried.
    platform::Dictionary lastAdjustment() const {
        const auto all = adjustments();
        if (all.empty() || !all.back().arguments.dictionary()) return {};
        return *all.back().arguments.dictionary();
    }
    static bool isReset(const platform::Dictionary& d, std::uint32_t display) {
        return d == platform::Dictionary{{"display", std::int64_t{display}}};
    }

    // Middle of each display, clear of the menu-bar strip.
    static platform::Point middleOf(std::uint32_t display) {
        return display == 1 ? platform::Point{756, 400} : platform::Point{1512 + 1280, 700};
    }
    platform::sim::Rgb seen(std::uint32_t display) const { return sim->scanOutColorAt(middleOf(display)); }
    platform::sim::Rgb captured(std::uint32_t display) const { return sim->screenColorAt(middleOf(display)); }

    std::vector<platform::sim::SimWindow> windows() const { return sim->state().windows; }
    std::vector<platform::sim::SimWindow> visibleWindows() const {
        std::vector<platform::sim::SimWindow> out;
        for (const auto& w : windows())
            if (w.visible) out.push_back(w);
        return out;
    }
};

inline ::testing::AssertionResult colorNear(const platform::sim::Rgb& actual, const platform::sim::Rgb& expected,
                                            double tolerance = 2e-3) {
    if (std::fabs(actual.r - expected.r) <= tolerance && std::fabs(actual.g - expected.g) <= tolerance &&
        std::fabs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "seen (" << actual.r << ", " << actual.g << ", " << actual.b
                                         << "), expected (" << expected.r << ", " << expected.g << ", " << expected.b
                                         << ")";
}

inline const platform::sim::Rgb grey = platform::sim::desktopColor;

}  // namespace orvane::testing
