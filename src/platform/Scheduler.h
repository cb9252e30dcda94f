#pragma once
// Everything timed or asynchronous on the main thread: one-shot and repeating timers
// with a tolerance, posted work and file-descriptor watches. Each registration comes back
// as a Handle that cancels it when destroyed, so an owner that dies takes its timers with
// it; callbacks that must outlive a scope hold their owner weakly (see weakly()).
#include <functional>
#include <memory>
#include <utility>

#include "support/Date.h"

namespace orvane::platform {

class Handle {
public:
    Handle() = default;
    explicit Handle(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    ~Handle() { cancel(); }
    Handle(Handle&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    // Idempotent; safe from inside the callback it cancels.
    void cancel() {
        if (auto c = std::exchange(cancel_, nullptr)) c();
    }
    bool active() const { return static_cast<bool>(cancel_); }
    explicit operator bool() const { return active(); }

private:
    std::function<void()> cancel_;
};

enum class FdEvent { readable, writable };

// A one-shot timer made once and armed again and again: a tick that re-arms itself keeps
// one registration instead of making a new timer each time. Destroying it disarms it.
class Timer {
public:
    virtual ~Timer() = default;
    // Fires once, `delay` seconds from now, at the latest `tolerance` later; arming an armed
    // timer moves it.
    virtual void arm(TimeInterval delay, TimeInterval tolerance) = 0;
    virtual void disarm() = 0;
    virtual bool armed() const = 0;
};

class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Fires once, `delay` seconds from now (monotonic), at the latest `tolerance` later.
    virtual Handle schedule(TimeInterval delay, TimeInterval tolerance, std::function<void()> fire) = 0;
    // Fires every `interval` seconds; a late firing does not shift the later ones.
    virtual Handle scheduleRepeating(TimeInterval interval, TimeInterval tolerance, std::function<void()> fire) = 0;
    // Runs `work` on the main thread after the current callback returns. Thread-safe.
    virtual void post(std::function<void()> work) = 0;
    // Calls `ready` on the main thread whenever the descriptor is ready.
    virtual Handle watchFd(int fd, FdEvent event, std::function<void()> ready) = 0;
    // A re-armable one-shot timer. By default each arming is a schedule(); a scheduler that
    // can keep one timer overrides this. The scheduler outlives the timers it made.
    virtual std::unique_ptr<Timer> makeTimer(std::function<void()> fire);
};

namespace detail {

class ScheduledTimer final : public Timer {
public:
    ScheduledTimer(Scheduler& scheduler, std::function<void()> fire) : scheduler_(scheduler), fire_(std::move(fire)) {}
    void arm(TimeInterval delay, TimeInterval tolerance) override {
        armed_ = true;
        handle_ = scheduler_.schedule(delay, tolerance, [this] {
            armed_ = false;
            const auto fire = fire_;  // the callback may destroy this timer
            fire();
        });
    }
    void disarm() override {
        armed_ = false;
        handle_.cancel();
    }
    bool armed() const override { return armed_; }

private:
    Scheduler& scheduler_;
    std::function<void()> fire_;
    Handle handle_;
    bool armed_ = false;
};

}  // namespace detail

inline std::unique_ptr<Timer> Scheduler::makeTimer(std::function<void()> fire) {
    return std::make_unique<detail::ScheduledTimer>(*this, std::move(fire));
}

// A callback that calls `f(owner, args...)` while the owner lives and does nothing after.
template <class T, class F>
auto weakly(const std::shared_ptr<T>& owner, F f) {
    return [weak = std::weak_ptr<T>(owner), f = std::move(f)](auto&&... args) {
        if (auto strong = weak.lock()) f(*strong, std::forward<decltype(args)>(args)...);
    };
}

}  // namespace orvane::platform
