// The application core alone through a whole day: Berlin from noon to the next noon on
// the simulated machine, driven only by the model's own tick on the fake scheduler. At
// each sampled moment every display must show what the warmth curve gives for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>

#include "ModelFixture.h"
#include "core/ColorMatrix.h"
#include "core/Curve.h"

namespace orvane {
namespace {

using platform::sim::Rgb;

// Passes everything to the fake scheduler and counts the wake-ups of the model's tick
// (the only one-shot timer with the tick's tolerances) and of every other timer.
class CountingScheduler final : public platform::Scheduler {
public:
    explicit CountingScheduler(std::shared_ptr<platform::FakeScheduler> inner) : inner_(std::move(inner)) {}

    platform::Handle schedule(TimeInterval delay, TimeInterval tolerance, std::function<void()> fire) override {
        const bool tick = tolerance == 0.1 || tolerance == 5.0;
        return inner_->schedule(delay, tolerance, [this, tick, fire = std::move(fire)] {
            ++(tick ? ticks : otherWakeUps);
            fire();
        });
    }
    platform::Handle scheduleRepeating(TimeInterval interval, TimeInterval tolerance,
                                       std::function<void()> fire) override {
        return inner_->scheduleRepeating(interval, tolerance, [this, fire = std::move(fire)] {
            ++otherWakeUps;
            fire();
        });
    }
    void post(std::function<void()> work) override { inner_->post(std::move(work)); }
    platform::Handle watchFd(int fd, platform::FdEvent event, std::function<void()> ready) override {
        return inner_->watchFd(fd, event, std::move(ready));
    }

    long ticks = 0;
    long otherWakeUps = 0;

private:
    std::shared_ptr<platform::FakeScheduler> inner_;
};

class AppModelDayTest : public testing::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        std::string pattern =
            (std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp") + std::string("/orvane-day-XXXXXX");
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        machineDirectory = pattern;
        counting = std::make_shared<CountingScheduler>(scheduler);
        sim = std::make_shared<platform::sim::SimPlatform>(platform::Runtime{clock, counting}, machineDirectory,
                                                           platform::sim::SimSharing::thisProcess);
        defaults = platform::UserDefaults::open(machineDirectory / "defaults.json");
        store = std::make_shared<SettingsStore>(defaults, counting);
    }
    void TearDown() override {
        ModelTest::TearDown();
        std::error_code ignored;
        std::filesystem::remove_all(machineDirectory, ignored);
    }

    // What the user sees in the middle of a display, and what the matrix of a state makes
    // of the desktop there.
    Rgb seen(std::uint32_t id) const {
        const auto& f = display(id).frame;
        return sim->scanOutColorAt({f.x + f.width / 2, f.y + f.height / 2});
    }
    static Rgb expectedLook(const TintState& state) {
        const auto out = ColorMatrix::make(state).applied(
            {platform::sim::desktopColor.r, platform::sim::desktopColor.g, platform::sim::desktopColor.b});
        return {std::clamp(out[0], 0.0, 1.0), std::clamp(out[1], 0.0, 1.0), std::clamp(out[2], 0.0, 1.0)};
    }
    TintState curveState(Date at) const {
        const auto curve = CurveBuilder::curve(model->settings(), model->location(), at, systemZone);
        return curve ? curve->state(at) : TintState::off;
    }
    std::size_t appliesSince(std::size_t mark) const {
        std::size_t n = 0;
        for (std::size_t i = mark; i < rendered->size(); ++i) n += (*rendered)[i].display == display(1).key;
        return n;
    }

    std::filesystem::path machineDirectory;
    std::shared_ptr<CountingScheduler> counting;
};

TEST_F(AppModelDayTest, BerlinFromNoonToNoon) {
    // Shorter ramps keep the run quick; the shape of the day is the built-in plan's.
    Settings settings;
    settings.sunset.eveningRampMinutes = 10;
    settings.sunset.lateNightRampMinutes = 10;
    settings.sunset.morning = MorningBehavior::RampOutBy{ClockTime(420), 10};
    start(settings);
    ASSERT_EQ(model->location().timeZoneIdentifier, "Europe/Berlin");
    ASSERT_EQ(model->primaryMethod(), TintMethod::matrix);
    const Calendar berlin(systemZone);
    const auto curve = *CurveBuilder::curve(model->settings(), model->location(), clock->now(), systemZone);
    const Date end = clock->now() + 86400;

    struct Phase {
        std::string name;
        Date from, to;
    };
    std::vector<Phase> ramps;
    for (const auto& k : curve.keyframes)
        if (k.ramp > 0 && k.end() > clock->now() && k.time < end) ramps.push_back({k.label, k.time, k.end()});
    ASSERT_GE(ramps.size(), 3u) << "sunset, late night and wake-up";
    const auto rampAt = [&](Date t) {
        for (const auto& r : ramps)
            if (t >= r.from && t <= r.to + 1.5) return true;
        return false;
    };
    // Whether some ramp runs between two moments.
    const auto rampWithin = [&](Date from, Date to) {
        for (const auto& r : ramps)
            if (r.from <= to && r.to + 1.5 >= from) return true;
        return false;
    };

    // Every five minutes, and a few moments inside each ramp.
    std::vector<Date> samples;
    for (Date t = clock->now() + 300; t <= end; t += 300) samples.push_back(t);
    for (const auto& r : ramps)
        for (const double f : {0.25, 0.5, 0.75}) samples.push_back(r.from + (r.to - r.from) * f);
    std::sort(samples.begin(), samples.end());

    int checked = 0, inRamps = 0, warm = 0;
    std::size_t quietApplies = 0;
    for (const Date t : samples) {
        const std::size_t mark = rendered->size();
        const Date from = clock->now();
        scheduler->advance(t - from);
        if (!rampWithin(from, t)) quietApplies += appliesSince(mark);
        const TintState want = curveState(t);
        // Inside a ramp the screen shows the state of the last tick, at most a second ago.
        const TintState earlier = curveState(t - 1.2);
        const std::string when = berlin.hhmm(t) + " (" + std::to_string(want.kelvin) + " K)";
        for (const std::uint32_t id : {1u, 2u}) {
            const Rgb s = seen(id), a = expectedLook(want), b = expectedLook(earlier);
            const auto between = [](double v, double x, double y) {
                return v >= std::min(x, y) - 2e-3 && v <= std::max(x, y) + 2e-3;
            };
            EXPECT_TRUE(between(s.r, a.r, b.r) && between(s.g, a.g, b.g) && between(s.b, a.b, b.b))
                << when << ", display " << id << ": seen (" << s.r << ", " << s.g << ", " << s.b << "), curve (" << a.r
                << ", " << a.g << ", " << a.b << ")";
        }
        ++checked;
        inRamps += rampAt(t);
        warm += want.kelvin < 6500;
    }
    EXPECT_GT(inRamps, 6);
    EXPECT_GT(warm, 100) << "most of the night is warm";
    EXPECT_EQ(quietApplies, 0u) << "outside the ramps the ticks re-render nothing";

    // The evening was booked.
    const auto evening = model->statistics().tonight(berlin.date(2026, 3, 15, 23), berlin);
    ASSERT_TRUE(evening);
    EXPECT_NEAR(evening->eveningScreenSeconds, 12 * 3600, 60);

    const std::size_t applies = appliesSince(0);
    std::cout << "[ day      ] " << checked << " samples; " << applies << " engine applies; " << counting->ticks
              << " tick wake-ups; " << counting->otherWakeUps << " other timer wake-ups\n";
    RecordProperty("engineApplies", static_cast<int>(applies));
    RecordProperty("tickWakeUps", static_cast<int>(counting->ticks));
    // A tick a second while ramping, one every 30 s or so otherwise.
    double rampSeconds = 0;
    for (const auto& r : ramps) rampSeconds += r.to - r.from;
    EXPECT_GE(counting->ticks, static_cast<long>(rampSeconds * 0.9));
    EXPECT_LE(counting->ticks, static_cast<long>(rampSeconds + 86400 / 30 * 1.1 + 50));
    EXPECT_LE(applies, static_cast<std::size_t>(rampSeconds + 50));
}

}  // namespace
}  // namespace orvane
