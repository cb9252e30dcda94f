#pragma once
// The program's scheduler: timers, posted work and descriptor watches on the Qt event
// loop of the main thread. Create it on the main thread after the application object;
// handles may outlive it and then cancel nothing.
#include <cstdint>
#include <memory>

#include "platform/Scheduler.h"

class QObject;

namespace orvane::platform {

class QtScheduler final : public Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    Handle schedule(TimeInterval delay, TimeInterval tolerance, std::function<void()> fire) override;
    Handle scheduleRepeating(TimeInterval interval, TimeInterval tolerance, std::function<void()> fire) override;
    // Thread-safe while the scheduler lives.
    void post(std::function<void()> work) override;
    Handle watchFd(int fd, FdEvent event, std::function<void()> ready) override;
    // One QTimer for the timer's whole life, restarted at each arming.
    std::unique_ptr<Timer> makeTimer(std::function<void()> fire) override;

    // How often a timer of this scheduler woke the event loop, early wakes included.
    std::uint64_t timerWakeups() const;

private:
    Handle addTimer(TimeInterval delay, TimeInterval interval, TimeInterval tolerance, std::function<void()> fire);

    std::unique_ptr<QObject> context_;
    std::shared_ptr<std::uint64_t> wakeups_;  // shared with the timers' slots, which may outlive this
};

}  // namespace orvane::platform
