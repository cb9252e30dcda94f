// The counters a tinted evening books wait up to five minutes for their write; the quit
// sequence, whether chosen or brought by a termination signal, writes them first.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include "SimFixture.h"
#include "app/SettingsStore.h"
#include "support/Json.h"
#include "ui/AppDelegate.h"

namespace orvane {
namespace {

class AppDelegateQuitTest : public testing::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        clock->setNow(Date{1773572400.0 + 9 * 3600});  // 21:00 in Berlin
        Settings settings;
        settings.mode = Mode::manual;
        settings.manualKelvin = 2700;
        settings.onboardingCompleted = true;
        SettingsStore(sim->standardUserDefaults(), nullptr).saveSettings(settings);
        delegate = std::make_shared<AppDelegate>(sim);
        delegate->applicationDidFinishLaunching();
        ASSERT_TRUE(delegate->model());
        scheduler->runPending();
    }
    void TearDown() override {
        if (delegate && !quit) delegate->applicationWillTerminate();
        delegate.reset();
        SimTest::TearDown();
    }

    // The statistics as the defaults file holds them on disk.
    std::optional<Statistics> statisticsOnDisk() const {
        std::ifstream in(sim->standardUserDefaults()->file());
        std::stringstream text;
        text << in.rdbuf();
        const auto contents = platform::decodeDefaultsFile(text.str());
        const auto found = contents.values.find(std::string(SettingsStore::statisticsKey));
        if (found == contents.values.end() || !found->second.data()) return std::nullopt;
        const auto& data = *found->second.data();
        return Statistics::fromJson(json::parse(std::string(data.begin(), data.end())));
    }
    // Books a minute of tinted time; it is not on disk yet.
    void bookAMinute() {
        scheduler->advance(60);
        ASSERT_FALSE(delegate->model()->statistics().days.empty());
        const auto onDisk = statisticsOnDisk();
        ASSERT_TRUE(!onDisk || !(*onDisk == delegate->model()->statistics())) << "written at a tick";
    }

    bool quit = false;         // the test ran the quit sequence itself
    testing::LogCapture logs;  // the missing watchdog and the like stay off the output
    std::shared_ptr<AppDelegate> delegate;
};

TEST_F(AppDelegateQuitTest, QuittingWritesTheBookedCounters) {
    bookAMinute();
    quit = true;
    delegate->terminate();
    EXPECT_EQ(statisticsOnDisk(), delegate->model()->statistics());
}

TEST_F(AppDelegateQuitTest, ATerminationSignalWritesTheBookedCountersBeforeTheEnd) {
    bookAMinute();
    quit = true;
    ASSERT_EQ(::raise(SIGTERM), 0);  // caught: the main loop reads it and runs the quit sequence
    for (int i = 0; i < 200 && statisticsOnDisk() != delegate->model()->statistics(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        scheduler->runPending();
    }
    EXPECT_EQ(statisticsOnDisk(), delegate->model()->statistics());
}

}  // namespace
}  // namespace orvane
