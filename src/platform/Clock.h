#pragma once
// Time as the engine and the application read it: the wall clock for what is stored or
// shown (pauses, statistics) and a monotonic clock for what is measured (fades,
// throttles, debounce, breaks), which never jumps when the user changes the time.
#include <memory>

#include "support/Date.h"

namespace orvane::platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual Date now() const = 0;
    virtual TimeInterval monotonic() const = 0;  // seconds from an arbitrary origin
};

class SystemClock final : public Clock {
public:
    Date now() const override;
    TimeInterval monotonic() const override;
    static std::shared_ptr<Clock> shared();
};

// A wall clock that stands still at one moment while the monotonic clock runs, so
// timers, fades and debounces work while every text and sky shows the same moment (the
// screenshot mode's repeatable images).
class FrozenWallClock final : public Clock {
public:
    explicit FrozenWallClock(Date wall) : wall_(wall) {}
    Date now() const override { return wall_; }
    TimeInterval monotonic() const override { return SystemClock::shared()->monotonic(); }

private:
    Date wall_;
};

// For tests: both clocks move only when told to.
class FakeClock final : public Clock {
public:
    explicit FakeClock(Date start = Date(1767225600.0), TimeInterval monotonicStart = 1000.0)
        : now_(start), monotonic_(monotonicStart) {}

    Date now() const override { return now_; }
    TimeInterval monotonic() const override { return monotonic_; }

    // Moves both clocks forward (never backward).
    void advance(TimeInterval seconds) {
        if (seconds <= 0) return;
        now_ += seconds;
        monotonic_ += seconds;
    }
    // A wall-clock jump (the user set the time); the monotonic clock stays.
    void setNow(Date date) { now_ = date; }

private:
    Date now_;
    TimeInterval monotonic_;
};

}  // namespace orvane::platform
