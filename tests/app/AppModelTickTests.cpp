// The model's decide-and-apply step and its one-shot tick: when the engine is skipped,
// how the tick is timed, what a tick books and what it expires.
#include <gtest/gtest.h>

#include "ModelFixture.h"
#include "core/Kelvin.h"

namespace orvane {
namespace {

using TickTimer = AppModel::TickTimer;

class AppModelTickTest : public testing::ModelTest {
protected:
    // The pending tick as the scheduler holds it: one-shot with one of the tick's tolerances.
    std::vector<platform::FakeScheduler::TimerInfo> pendingTicks() const {
        std::vector<platform::FakeScheduler::TimerInfo> ticks;
        for (const auto& t : scheduler->timers())
            if (t.interval == 0 && (t.tolerance == 0.1 || t.tolerance == 5.0)) ticks.push_back(t);
        return ticks;
    }
    double eveningScreenSeconds() const {
        double total = 0;
        for (const auto& d : model->statistics().days) total += d.eveningScreenSeconds;
        return total;
    }
    // Lets the pending tick fire after the wall clock jumped `jump` seconds (a sleep or a
    // stopped process), so the tick sees `jump` plus its own interval.
    void tickAfterJump(double jump) {
        clock->setNow(clock->now() + jump);
        scheduler->advance(model->tickTimer()->interval);
    }
    // The statistics as the defaults file on disk holds them, read by a second reader.
    std::optional<Statistics> statisticsOnDisk() const {
        const auto data =
            platform::UserDefaults::open(directory / "defaults.json")->data(std::string(SettingsStore::statisticsKey));
        if (!data) return std::nullopt;
        return Statistics::fromJson(json::parse(std::string(data->begin(), data->end())));
    }
};

TEST_F(AppModelTickTest, ARepeatedRecomputeSkipsTheEngineButStillReportsAndRearms) {
    start(testing::manualSettings());
    forget();
    model->recompute();
    model->recompute();
    EXPECT_LE(renderCount(1), 1u);
    EXPECT_EQ(resolutions.size(), 2u);
    EXPECT_EQ(pendingTicks().size(), 1u) << "exactly one tick is ever pending";
}

TEST_F(AppModelTickTest, AGivenTransitionAlwaysReachesTheEngine) {
    start(testing::manualSettings());
    forget();
    model->recompute(Transition::instant);
    ASSERT_EQ(renderCount(1), 1u);
    EXPECT_EQ(lastRendered(1)->duration, 0);
}

TEST_F(AppModelTickTest, AChangeOfStatusAloneReachesTheEngineWithTheResolversTransition) {
    start();  // the sunset curve, untinted at noon
    ASSERT_TRUE(model->resolution().status.is<TintStatus::Following>());
    forget();
    // Holding exactly what the curve shows changes the status, not the target.
    model->setWarmth(6500, 1.0);
    EXPECT_TRUE(model->resolution().status.is<TintStatus::PausedUntil>());
    ASSERT_TRUE(lastRendered(1));
    EXPECT_TRUE(lastRendered(1)->request.isIdentity());
    EXPECT_EQ(lastRendered(1)->duration, duration(Smoothing::ms150));
}

TEST_F(AppModelTickTest, ADimFloorChangeAloneReachesTheEngine) {
    Settings s = testing::manualSettings();
    start(s);
    s = model->settings();
    s.displays[display(1).key].dimOffset = -0.95;  // far below any floor
    model->setSettings(s);
    const Multiplier gains = Kelvin::multiplier(3400.0);
    EXPECT_NEAR(lastRendered(1)->request.multiplier.g, gains.g * 0.05, 1e-9);

    s.dimFloor = 0.2;
    model->setSettings(s);
    EXPECT_EQ(engine->dimFloor(), 0.2);
    EXPECT_NEAR(lastRendered(1)->request.multiplier.g, gains.g * 0.2, 1e-9);
}

TEST_F(AppModelTickTest, TheTickIsCutToJustAfterTheNextChangeButNeverBelowAFifth) {
    start();
    const Date evening = *model->resolution().nextChange;  // the evening ramp's start
    ASSERT_FALSE(model->resolution().isRamping);
    struct Case {
        const char* what;
        double before;
        TickTimer expected;
    };
    for (const Case& c : {Case{"change 10 s away", 10, {10.05, 5.0}}, Case{"change 40 s away", 40, {30, 5.0}},
                          Case{"change 0.1 s away", 0.1, {0.2, 5.0}}}) {
        clock->setNow(evening - c.before);
        model->recompute();
        ASSERT_TRUE(model->tickTimer()) << c.what;
        EXPECT_NEAR(model->tickTimer()->interval, c.expected.interval, 1e-6) << c.what;
        EXPECT_EQ(model->tickTimer()->tolerance, c.expected.tolerance) << c.what;
        ASSERT_EQ(pendingTicks().size(), 1u) << c.what;
        EXPECT_NEAR(pendingTicks()[0].due - clock->monotonic(), c.expected.interval, 1e-6) << c.what;
    }

    // Ramping: every second, or just after the ramp's end when that is nearer.
    clock->setNow(evening + 600);
    model->recompute();
    ASSERT_TRUE(model->resolution().isRamping);
    EXPECT_EQ(*model->tickTimer(), (TickTimer{1.0, 0.1}));
    clock->setNow(*model->resolution().nextChange - 0.5);
    model->recompute();
    ASSERT_TRUE(model->resolution().isRamping);
    EXPECT_NEAR(model->tickTimer()->interval, 0.55, 1e-6);
    EXPECT_EQ(model->tickTimer()->tolerance, 0.1);
}

TEST_F(AppModelTickTest, GapsUnderTenMinutesAreBookedAndLongerOnesAreNot) {
    clock->setNow(testing::berlinNoon + 9 * 3600);  // 21:00, in the evening
    start(testing::manualSettings(2700));
    scheduler->advance(model->tickTimer()->interval);  // the first tick
    const double before = eveningScreenSeconds();
    ASSERT_GT(before, 0);

    tickAfterJump(599.9 - model->tickTimer()->interval);
    EXPECT_NEAR(eveningScreenSeconds() - before, 599.9, 1e-6);

    const double booked = eveningScreenSeconds();
    tickAfterJump(600 - model->tickTimer()->interval);
    EXPECT_EQ(eveningScreenSeconds(), booked);

    store->flush();  // what quit does; the five-minute write has a test of its own
    ASSERT_TRUE(storedText("statistics.json"));
    const Statistics stored = Statistics::fromJson(json::parse(*storedText("statistics.json")));
    EXPECT_EQ(stored, model->statistics());
}

TEST_F(AppModelTickTest, TheBookedWhiteIsTheTargetsBeforeTheRestBreakCap) {
    clock->setNow(testing::berlinNoon + 9 * 3600);
    start(testing::manualSettings(2700, 0.8));
    model->setRestDim(0.3);
    scheduler->advance(model->tickTimer()->interval);  // books the time since construction
    const double before = [&] {
        double m = 0;
        for (const auto& d : model->statistics().days) m += d.eveningMelanopicSeconds;
        return m;
    }();
    scheduler->advance(model->tickTimer()->interval);
    double after = 0;
    for (const auto& d : model->statistics().days) after += d.eveningMelanopicSeconds;
    const double fraction = Melanopic::fraction(model->effectiveWhite(TintState(2700, 0.8, RedStyle::readable, false)));
    EXPECT_NEAR(after - before, fraction * model->tickTimer()->interval, 1e-6);
}

TEST_F(AppModelTickTest, NothingIsBookedWithStatisticsOffOrTheMainDisplayAsleep) {
    clock->setNow(testing::berlinNoon + 9 * 3600);
    Settings s = testing::manualSettings(2700);
    s.statisticsEnabled = false;
    start(s);
    scheduler->advance(61);
    EXPECT_TRUE(model->statistics().days.empty());
    EXPECT_FALSE(storedText("statistics.json"));

    s = model->settings();
    s.statisticsEnabled = true;
    model->setSettings(s);
    sim->changeDisplay(1, [](platform::sim::SimDisplay& d) { d.asleep = true; });
    scheduler->advance(61);
    EXPECT_TRUE(model->statistics().days.empty());
}

TEST_F(AppModelTickTest, ATickThatBooksNothingAnnouncesAndWritesNothing) {
    // Noon, untinted: nothing to book, so the views are not told and the disk is not touched.
    clock->setNow(testing::berlinNoon);
    start(testing::manualSettings(Kelvin::maximum));
    int announced = 0;
    auto subscription = model->observe([&](AppModel::Property p) { announced += p == AppModel::Property::statistics; });
    for (int i = 0; i < 4; ++i) scheduler->advance(model->tickTimer()->interval);
    scheduler->advance(1.0);
    EXPECT_EQ(announced, 0);
    EXPECT_FALSE(storedText("statistics.json"));

    // Tinted, every tick books time: announced at once, on disk within five minutes.
    Settings s = model->settings();
    s.manualKelvin = 2700;
    model->setSettings(s);
    scheduler->advance(model->tickTimer()->interval);
    scheduler->advance(1.0);
    EXPECT_GE(announced, 1);
    scheduler->advance(SettingsStore::statisticsDelay);
    ASSERT_TRUE(storedText("statistics.json"));
    EXPECT_FALSE(Statistics::fromJson(json::parse(*storedText("statistics.json"))).days.empty());
}

// A tinted evening books every tick; the file is written at most every five minutes, never
// later than five minutes after a booking, and a setting the user changes is still written
// after the short debounce, the booked counters with it.
TEST_F(AppModelTickTest, BookedStatisticsReachTheFileWithinFiveMinutesAndWithTheNextSave) {
    clock->setNow(testing::berlinNoon + 9 * 3600);  // 21:00
    start(testing::manualSettings(2700));
    scheduler->advance(model->tickTimer()->interval);  // the first booking
    ASSERT_FALSE(model->statistics().days.empty());
    for (int i = 0; i < 9; ++i) {  // 4.5 minutes of ticks
        scheduler->advance(30);
        ASSERT_FALSE(statisticsOnDisk()) << "no write per tick, " << i;
    }
    scheduler->advance(30);  // five minutes after the first booking
    ASSERT_TRUE(statisticsOnDisk());

    // A setting changed by the user: on disk after the debounce, with the newest counters.
    scheduler->advance(30);
    ASSERT_FALSE(*statisticsOnDisk() == model->statistics()) << "the last booking waits";
    Settings s = model->settings();
    s.manualKelvin = 3000;
    model->setSettings(s);
    scheduler->advance(SettingsStore::debounce + 0.01);
    const auto settings =
        platform::UserDefaults::open(directory / "defaults.json")->data(std::string(SettingsStore::settingsKey));
    ASSERT_TRUE(settings);
    EXPECT_EQ(SettingsCodec::decode(std::string(settings->begin(), settings->end())).manualKelvin, 3000);
    EXPECT_EQ(*statisticsOnDisk(), model->statistics());
}

TEST_F(AppModelTickTest, TheCountersGoToDiskWhenTheDayChanges) {
    clock->setNow(testing::berlinNoon + 11 * 3600 + 58 * 60);  // 23:58
    start(testing::manualSettings(2700));
    scheduler->advance(model->tickTimer()->interval);  // booked at 23:58:33, due on disk by 00:03:33
    ASSERT_FALSE(model->statistics().days.empty());
    EXPECT_FALSE(statisticsOnDisk());
    scheduler->advance(89);  // 00:00:02
    ASSERT_TRUE(statisticsOnDisk()) << "written as the day changed";
    EXPECT_FALSE(statisticsOnDisk()->days.empty());
}

TEST_F(AppModelTickTest, OneTickTimerIsReArmedRatherThanMadeAnew) {
    clock->setNow(testing::berlinNoon + 9 * 3600);
    start(testing::manualSettings(2700));
    ASSERT_EQ(pendingTicks().size(), 1u);
    const std::uint64_t id = pendingTicks()[0].id;
    for (int i = 0; i < 3; ++i) scheduler->advance(model->tickTimer()->interval);
    model->recompute();
    ASSERT_EQ(pendingTicks().size(), 1u);
    EXPECT_EQ(pendingTicks()[0].id, id);
}

TEST_F(AppModelTickTest, AnExpiredHoldIsClearedAtTheNextTickSavedAndTheCurveFollowed) {
    Settings s;
    s.statisticsEnabled = false;  // expiry does not depend on the statistics
    start(s);
    RuntimeState hold;
    hold.pausedUntil = clock->now() + 10;
    hold.pausedState = TintState(3000, 1.0, RedStyle::readable, false);
    model->setRuntime(hold);
    EXPECT_TRUE(model->resolution().status.is<TintStatus::PausedUntil>());
    scheduler->advance(0.5);
    forget();

    scheduler->advance(11);
    EXPECT_EQ(model->runtime(), RuntimeState());
    EXPECT_TRUE(model->resolution().status.is<TintStatus::Following>());
    ASSERT_TRUE(lastRendered(1));
    EXPECT_TRUE(lastRendered(1)->request.isIdentity());
    EXPECT_EQ(lastRendered(1)->duration, duration(Smoothing::ms150));
    scheduler->advance(0.5);
    EXPECT_EQ(RuntimeState::fromJson(json::parse(*storedText("runtime.json"))), RuntimeState());
}

TEST_F(AppModelTickTest, ATickNoticesThatTheComputersZoneChanged) {
    start();
    EXPECT_EQ(model->location().timeZoneIdentifier, "Europe/Berlin");
    systemZone = *TimeZone::named("Asia/Tokyo");
    scheduler->advance(model->tickTimer()->interval);
    EXPECT_EQ(model->location().timeZoneIdentifier, "Asia/Tokyo");
}

TEST_F(AppModelTickTest, NoTickRunsOnAVanishedModel) {
    start(testing::manualSettings());
    model.reset();
    EXPECT_TRUE(pendingTicks().empty()) << "the tick ends with its model";
}

}  // namespace
}  // namespace orvane
