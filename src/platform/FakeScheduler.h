#pragma once
// The scheduler of tests: nothing happens until advance(), which moves the fake clock
// forward and fires every timer that falls due, in due order (ties in the order they were
// scheduled), running posted work and ready descriptors between firings.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Clock.h"
#include "platform/Scheduler.h"

namespace orvane::platform {

class FakeScheduler final : public Scheduler {
public:
    explicit FakeScheduler(std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>());

    Handle schedule(TimeInterval delay, TimeInterval tolerance, std::function<void()> fire) override;
    Handle scheduleRepeating(TimeInterval interval, TimeInterval tolerance, std::function<void()> fire) override;
    void post(std::function<void()> work) override;
    Handle watchFd(int fd, FdEvent event, std::function<void()> ready) override;
    // Keeps one entry (one id) for its whole life.
    std::unique_ptr<platform::Timer> makeTimer(std::function<void()> fire) override;

    // Moves time forward by `seconds`, firing what falls due on the way.
    void advance(TimeInterval seconds);
    // Runs posted work and ready descriptors without moving time.
    void runPending();

    struct TimerInfo {
        TimeInterval due;       // monotonic
        TimeInterval interval;  // 0 for one-shot
        TimeInterval tolerance;
        std::uint64_t id = 0;  // a re-armed timer keeps its id
    };
    // The live timers, soonest first.
    std::vector<TimerInfo> timers() const;
    std::size_t timerCount() const { return timers().size(); }
    std::size_t fdWatchCount() const;

    const std::shared_ptr<FakeClock>& clock() const { return clock_; }

private:
    struct Timer {
        TimeInterval due;
        TimeInterval interval;
        TimeInterval tolerance;
        std::uint64_t sequence;
        std::shared_ptr<std::function<void()>> fire;
    };
    struct Watch {
        int fd;
        FdEvent event;
        std::shared_ptr<std::function<void()>> ready;
    };

    Handle addTimer(TimeInterval delay, TimeInterval interval, TimeInterval tolerance, std::function<void()> fire);
    bool runPosted();
    bool pollWatches();
    void settle();

    std::shared_ptr<FakeClock> clock_;
    // Shared with the handles, so a handle outliving the scheduler cancels harmlessly.
    struct Tables {
        mutable std::mutex mutex;
        std::map<std::uint64_t, Timer> timers;
        std::map<std::uint64_t, Watch> watches;
        std::vector<std::function<void()>> posted;
        std::uint64_t nextId = 1;  // ids and sequences
    };
    std::shared_ptr<Tables> tables_ = std::make_shared<Tables>();
    class ArmedTimer;
};

}  // namespace orvane::platform
