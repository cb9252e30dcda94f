#include "platform/Clock.h"

#include <chrono>

namespace orvane::platform {

Date SystemClock::now() const {
    const auto t = std::chrono::system_clock::now().time_since_epoch();
    return Date(std::chrono::duration<double>(t).count());
}

TimeInterval SystemClock::monotonic() const {
    const auto t = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(t).count();
}

std::shared_ptr<Clock> SystemClock::shared() {
    static const auto clock = std::make_shared<SystemClock>();
    return clock;
}

}  // namespace orvane::platform
