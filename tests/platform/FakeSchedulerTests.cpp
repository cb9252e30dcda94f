#include <cmath>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/FakeScheduler.h"

using namespace orvane::platform;

namespace {

struct Recorder {
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    FakeScheduler scheduler{clock};
    std::vector<std::string> events;
    double start = clock->monotonic();

    std::function<void()> note(std::string name) {
        return [this, name] {
            events.push_back(name + "@" + std::to_string(std::lround((clock->monotonic() - start) * 1000)));
        };
    }
};

}  // namespace

TEST(FakeScheduler, FiresTimersInDueOrderWithTheClockAtTheirDueTime) {
    Recorder r;
    auto late = r.scheduler.schedule(0.3, 0, r.note("late"));
    auto early = r.scheduler.schedule(0.1, 0, r.note("early"));
    auto tieA = r.scheduler.schedule(0.2, 0, r.note("tieA"));
    auto tieB = r.scheduler.schedule(0.2, 0, r.note("tieB"));
    r.scheduler.advance(0.25);
    EXPECT_EQ(r.events, (std::vector<std::string>{"early@100", "tieA@200", "tieB@200"}));
    EXPECT_DOUBLE_EQ(r.clock->monotonic() - r.start, 0.25);
    r.scheduler.advance(1);
    EXPECT_EQ(r.events.back(), "late@300");
    EXPECT_EQ(r.scheduler.timerCount(), 0u);
}

TEST(FakeScheduler, RepeatingTimerKeepsItsCadenceAndStopsWithItsHandle) {
    Recorder r;
    Handle tick = r.scheduler.scheduleRepeating(5.0, 2.0, r.note("tick"));
    ASSERT_EQ(r.scheduler.timers().size(), 1u);
    EXPECT_DOUBLE_EQ(r.scheduler.timers()[0].tolerance, 2.0);
    r.scheduler.advance(16);
    EXPECT_EQ(r.events, (std::vector<std::string>{"tick@5000", "tick@10000", "tick@15000"}));
    tick = Handle();
    r.scheduler.advance(20);
    EXPECT_EQ(r.events.size(), 3u);
}

TEST(FakeScheduler, ATimerMayCancelItselfAndOthersFromItsCallback) {
    Recorder r;
    Handle other = r.scheduler.schedule(2, 0, r.note("other"));
    Handle self;
    int fired = 0;
    self = r.scheduler.scheduleRepeating(1, 0, [&] {
        ++fired;
        self.cancel();
        other.cancel();
    });
    r.scheduler.advance(5);
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(r.events.empty());
}

TEST(FakeScheduler, PostedWorkRunsBetweenTimersAndAfterTheCaller) {
    Recorder r;
    auto a = r.scheduler.schedule(1, 0, [&] {
        r.events.push_back("timer");
        r.scheduler.post([&] { r.events.push_back("posted by timer"); });
    });
    auto b = r.scheduler.schedule(1, 0, [&] { r.events.push_back("second timer"); });
    r.scheduler.post([&] { r.events.push_back("posted"); });
    EXPECT_TRUE(r.events.empty());  // nothing runs inside post()
    r.scheduler.advance(1);
    EXPECT_EQ(r.events, (std::vector<std::string>{"posted", "timer", "posted by timer", "second timer"}));
}

TEST(FakeScheduler, WatchesDescriptorsUntilTheHandleGoes) {
    Recorder r;
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    int ready = 0;
    Handle watch = r.scheduler.watchFd(fds[0], FdEvent::readable, [&] {
        char c;
        while (::read(fds[0], &c, 1) == 1) {}
        ++ready;
    });
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    r.scheduler.runPending();
    EXPECT_EQ(ready, 0);
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    r.scheduler.runPending();
    EXPECT_EQ(ready, 1);
    watch.cancel();
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    r.scheduler.runPending();
    EXPECT_EQ(ready, 1);
    EXPECT_EQ(r.scheduler.fdWatchCount(), 0u);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(FakeScheduler, WeakCallbacksDoNothingOnceTheOwnerIsGone) {
    Recorder r;
    struct Owner {
        int calls = 0;
    };
    auto owner = std::make_shared<Owner>();
    auto timer = r.scheduler.scheduleRepeating(1, 0, weakly(owner, [](Owner& o) { ++o.calls; }));
    r.scheduler.advance(2);
    EXPECT_EQ(owner->calls, 2);
    std::weak_ptr<Owner> watch = owner;
    owner.reset();
    r.scheduler.advance(2);  // fires into nothing, without a crash
    EXPECT_TRUE(watch.expired());
}

TEST(FakeScheduler, HandleOutlivingTheSchedulerCancelsHarmlessly) {
    Handle survivor;
    {
        FakeScheduler s;
        survivor = s.schedule(1, 0, [] {});
    }
    survivor.cancel();
    EXPECT_FALSE(survivor.active());
}

TEST(FakeScheduler, AMadeTimerFiresOncePerArmingKeepsItsEntryAndMayReArmItselfOrDie) {
    Recorder r;
    std::unique_ptr<Timer> timer;
    int fired = 0;
    timer = r.scheduler.makeTimer([&] {
        r.note("tick")();
        if (++fired < 3) timer->arm(1.0, 0.1);  // a tick that re-arms itself, as the model's does
    });
    EXPECT_FALSE(timer->armed());
    timer->arm(2.0, 0.5);
    ASSERT_EQ(r.scheduler.timers().size(), 1u);
    const std::uint64_t id = r.scheduler.timers()[0].id;
    EXPECT_DOUBLE_EQ(r.scheduler.timers()[0].tolerance, 0.5);
    timer->arm(1.5, 0.5);  // moved, not added
    ASSERT_EQ(r.scheduler.timers().size(), 1u);
    r.scheduler.advance(2.6);
    EXPECT_EQ(r.events, (std::vector<std::string>{"tick@1500", "tick@2500"}));
    ASSERT_EQ(r.scheduler.timers().size(), 1u);
    EXPECT_EQ(r.scheduler.timers()[0].id, id) << "re-armed, not made anew";
    r.scheduler.advance(5);
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(timer->armed()) << "a one-shot that fired is disarmed until armed again";

    timer->arm(1, 0);
    timer->disarm();
    r.scheduler.advance(2);
    EXPECT_EQ(fired, 3);
    timer->arm(1, 0);
    timer.reset();  // its end disarms it
    EXPECT_EQ(r.scheduler.timerCount(), 0u);

    // A timer that ends itself from its own callback.
    timer = r.scheduler.makeTimer([&] { timer.reset(); });
    timer->arm(1, 0);
    r.scheduler.advance(2);
    EXPECT_FALSE(timer);
}
