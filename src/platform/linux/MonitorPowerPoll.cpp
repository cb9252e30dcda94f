#include "platform/linux/MonitorPowerPoll.h"

#include <algorithm>

namespace orvane::platform::linuxsys {

TimeInterval MonitorPowerPoll::nextRead(const MonitorPower& power) {
    if (!power.on) return whileOff;
    // A timeout already passed with the monitors on is held off (a player suspends DPMS):
    // nothing is due then.
    if (power.untilTimeout && *power.untilTimeout >= 0) return std::min(whileOn, *power.untilTimeout + pastTimeout);
    return whileOn;
}

MonitorPowerPoll::MonitorPowerPoll(Scheduler& scheduler, std::function<MonitorPower()> read, std::function<void()> woke)
    : read_(std::move(read)), woke_(std::move(woke)) {
    timer_ = scheduler.makeTimer([this] { poll(); });
    const MonitorPower power = read_();
    on_ = power.on;
    const TimeInterval delay = nextRead(power);
    timer_->arm(delay, delay / 4);
}

void MonitorPowerPoll::poll() {
    const MonitorPower power = read_();
    const bool woke = power.on && !on_;
    on_ = power.on;
    const TimeInterval delay = nextRead(power);
    timer_->arm(delay, delay / 4);
    if (woke) woke_();
}

}  // namespace orvane::platform::linuxsys
