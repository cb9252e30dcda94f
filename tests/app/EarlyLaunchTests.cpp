// A normal start before the toolkit: the instance claimed, the platform on held timers, the
// first tint on the displays; every other mode is left to the program without a claim.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../SimFixture.h"
#include "app/EarlyLaunch.h"
#include "app/SettingsStore.h"
#include "platform/FakeScheduler.h"
#include "platform/sim/SimPlatform.h"

namespace orvane {
namespace {

using Arguments = std::vector<std::string>;

// Fresh configuration, runtime and machine directories for each start.
class EarlyLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = testing::freshDirectory("early");
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "ORVANE_SIM_DIR"}) {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? value : "");
            const auto dir = root / name;
            std::filesystem::create_directories(dir);
            ::setenv(name, dir.c_str(), 1);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved) ::setenv(name.c_str(), value.c_str(), 1);
    }

    // The settings a user left: a manual 3000 K.
    void storeManualTint() {
        auto platform = platform::Platform::create({});
        SettingsStore store(platform->standardUserDefaults(), std::make_shared<platform::FakeScheduler>());
        Settings settings;
        settings.mode = Mode::manual;
        settings.manualKelvin = 3000;
        store.saveSettings(settings);
        store.flush();
    }

    std::filesystem::path root;
    std::vector<std::pair<std::string, std::string>> saved;
};

TEST_F(EarlyLaunchTest, OtherModesAreLeftToTheProgramWithoutAClaim) {
    const std::vector<Arguments> others = {
        {"orvane", "--selftest"},
        {"orvane", "--render-icon", "/nowhere"},
        {"orvane", "--render-ui", "/nowhere"},
        {"orvane", "--toggle"},
    };
    for (const auto& arguments : others) {
        const auto outcome = EarlyLaunch::run(arguments);
        EXPECT_FALSE(outcome.launch) << arguments[1];
        EXPECT_FALSE(outcome.exitStatus) << arguments[1];
    }
    // Nothing was claimed on the way.
    EXPECT_EQ(SingleInstance::claim({}).outcome, SingleInstance::Outcome::primary);
}

TEST_F(EarlyLaunchTest, ANormalStartTintsBeforeTheToolkitAndHoldsItsTimers) {
    storeManualTint();
    const auto outcome = EarlyLaunch::run({"orvane"});
    ASSERT_TRUE(outcome.launch);
    EXPECT_FALSE(outcome.exitStatus);
    const auto& launch = *outcome.launch;
    ASSERT_TRUE(launch.instance && launch.platform && launch.scheduler);
    ASSERT_TRUE(launch.tint.safety && launch.tint.store && launch.tint.engine && launch.tint.model);
    EXPECT_FALSE(launch.scheduler->started()) << "the toolkit's scheduler takes over later";
    EXPECT_EQ(launch.overlays, nullptr) << "the simulated machine has overlay windows of its own";

    const auto sim = std::dynamic_pointer_cast<platform::sim::SimPlatform>(launch.platform);
    ASSERT_TRUE(sim);
    const auto state = sim->state();
    ASSERT_FALSE(state.displays.empty());
    for (const auto& display : state.displays) EXPECT_TRUE(display.gamma || display.matrix) << display.id;

    // The quit sequence is not wired yet: a termination until then runs nothing.
    ASSERT_TRUE(launch.tint.terminate);
    EXPECT_FALSE(*launch.tint.terminate);
}

TEST_F(EarlyLaunchTest, AnAbandonedLaunchLeavesTheDisplaysNeutral) {
    storeManualTint();
    void* prepared = nullptr;
    char program[] = "orvane";
    char* argv[] = {program, nullptr};
    ASSERT_EQ(orvaneLaunchBeforeToolkit(1, argv, &prepared), -1);
    ASSERT_NE(prepared, nullptr);
    const auto sim =
        std::dynamic_pointer_cast<platform::sim::SimPlatform>(static_cast<EarlyLaunch*>(prepared)->platform);
    ASSERT_TRUE(sim);
    for (const auto& display : sim->state().displays) ASSERT_TRUE(display.gamma || display.matrix) << display.id;
    orvaneAbandonLaunch(prepared);
    for (const auto& display : sim->state().displays) EXPECT_FALSE(display.gamma || display.matrix) << display.id;
}

}  // namespace
}  // namespace orvane
