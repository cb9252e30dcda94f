#pragma once
// When to read the monitors' power level. X announces DPMS changes to no one, so the level
// is polled, but often only while the monitors are off (their return is a wake to be seen
// within a second) or when the idle time is about to reach a DPMS timeout; while they are
// on, a slow poll catches a client switching them off by hand.
#include <functional>
#include <memory>
#include <optional>

#include "platform/Scheduler.h"

namespace orvane::platform::linuxsys {

struct MonitorPower {
    bool on = true;  // DPMS On, or DPMS not in force
    // Seconds until the idle time reaches the smallest DPMS timeout in force; absent when
    // none is (DPMS disabled, every timeout 0) or the idle time is unknown.
    std::optional<TimeInterval> untilTimeout;
};

class MonitorPowerPoll {
public:
    static constexpr TimeInterval whileOff = 1.0;
    static constexpr TimeInterval whileOn = 10.0;
    // Read just after the server's own timeout, not just before it.
    static constexpr TimeInterval pastTimeout = 0.5;

    // The delay before the next read after `power` was read.
    static TimeInterval nextRead(const MonitorPower& power);

    // Reads once now, then as nextRead says; `woke` runs when monitors seen off are seen on.
    MonitorPowerPoll(Scheduler& scheduler, std::function<MonitorPower()> read, std::function<void()> woke);

private:
    void poll();

    std::function<MonitorPower()> read_;
    std::function<void()> woke_;
    std::unique_ptr<Timer> timer_;
    bool on_ = true;
};

}  // namespace orvane::platform::linuxsys
