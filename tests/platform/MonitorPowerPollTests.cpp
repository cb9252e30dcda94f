// When the monitors' power level is read: often only while they are off or a DPMS timeout
// is due, and a return from off is a wake seen within about a second.
#include <gtest/gtest.h>

#include <vector>

#include "platform/FakeScheduler.h"
#include "platform/linux/MonitorPowerPoll.h"

namespace orvane::platform::linuxsys {
namespace {

TEST(MonitorPowerPollTest, TheNextReadComesSoonOnlyWhileOffOrWhenATimeoutIsDue) {
    using Poll = MonitorPowerPoll;
    const struct {
        const char* what;
        MonitorPower power;
        TimeInterval next;
    } cases[] = {
        {"off", {false, std::nullopt}, Poll::whileOff},
        {"off, a timeout far away", {false, 600.0}, Poll::whileOff},
        {"on, no timeout in force", {true, std::nullopt}, Poll::whileOn},
        {"on, the timeout far away", {true, 300.0}, Poll::whileOn},
        {"on, the timeout in 3 s", {true, 3.0}, 3.0 + Poll::pastTimeout},
        {"on, the timeout now", {true, 0.0}, Poll::pastTimeout},
        {"on past the timeout: held off", {true, -40.0}, Poll::whileOn},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(Poll::nextRead(c.power), c.next) << c.what;
}

class MonitorPowerPollRun : public ::testing::Test {
protected:
    // Reads with the idle time grown by the fake clock since the last input.
    MonitorPower read() {
        ++reads;
        const double idle = scheduler.clock()->monotonic() - lastInput;
        if (on && timeout && idle >= *timeout) on = false;  // the server's own timeout
        MonitorPower power{on, std::nullopt};
        if (on && timeout) power.untilTimeout = *timeout - idle;
        return power;
    }
    std::unique_ptr<MonitorPowerPoll> start() {
        return std::make_unique<MonitorPowerPoll>(
            scheduler, [this] { return read(); }, [this] { wakes.push_back(scheduler.clock()->monotonic()); });
    }

    FakeScheduler scheduler;
    bool on = true;
    std::optional<TimeInterval> timeout;
    double lastInput = scheduler.clock()->monotonic();
    int reads = 0;
    std::vector<double> wakes;
};

TEST_F(MonitorPowerPollRun, MonitorsThatStayOnAreReadSlowly) {
    const auto poll = start();
    scheduler.advance(60);
    EXPECT_LE(reads, 1 + static_cast<int>(60 / MonitorPowerPoll::whileOn)) << "the first read and the slow ones";
    EXPECT_GE(reads, 1 + static_cast<int>(60 / (MonitorPowerPoll::whileOn * 1.25)));
    EXPECT_TRUE(wakes.empty());
}

TEST_F(MonitorPowerPollRun, ATimeoutIsReadJustAfterItAndTheReturnIsAWakeWithinASecond) {
    timeout = 25.0;
    const auto poll = start();
    scheduler.advance(25 + MonitorPowerPoll::pastTimeout + 0.01);
    EXPECT_FALSE(on);
    const int readsWhenOff = reads;
    EXPECT_LE(readsWhenOff, 5) << "not every second while on";
    scheduler.advance(30);
    EXPECT_GE(reads - readsWhenOff, 24) << "every second while off";
    EXPECT_TRUE(wakes.empty()) << "going off is no wake";

    on = true;  // input: the server switches them back on
    timeout.reset();
    const double back = scheduler.clock()->monotonic();
    scheduler.advance(1.5);
    ASSERT_EQ(wakes.size(), 1u);
    EXPECT_LE(wakes[0] - back, MonitorPowerPoll::whileOff * 1.25);
    scheduler.advance(60);
    EXPECT_EQ(wakes.size(), 1u) << "one wake for one return";
}

TEST_F(MonitorPowerPollRun, MonitorsSwitchedOffByHandAreSeenAtTheSlowReadAndTheirReturnAtOnce) {
    const auto poll = start();
    scheduler.advance(3);
    on = false;  // a locker forces them off; no timeout is due
    scheduler.advance(MonitorPowerPoll::whileOn * 1.25);
    const int reads0 = reads;
    scheduler.advance(5);
    EXPECT_GE(reads - reads0, 4) << "seen off, read every second";
    on = true;
    const double back = scheduler.clock()->monotonic();
    scheduler.advance(1.5);
    ASSERT_EQ(wakes.size(), 1u);
    EXPECT_LE(wakes[0] - back, MonitorPowerPoll::whileOff * 1.25);
}

}  // namespace
}  // namespace orvane::platform::linuxsys
