#include "platform/qt/QtScheduler.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

namespace orvane::platform {

namespace {

using SteadyClock = std::chrono::steady_clock;

double secondsNow() { return std::chrono::duration<double>(SteadyClock::now().time_since_epoch()).count(); }

// Coarse timers may fire up to 5 % of the interval early or late and very coarse ones
// round both the start and the interval to whole seconds. An early firing would have to be
// caught and re-armed, which costs a second wakeup, so the wait handed to a loose timer is
// stretched until its earliest firing is no earlier than asked; the loosest kind whose
// latest firing still lies within the tolerance is taken.
struct Arming {
    Qt::TimerType type;
    double wait;
};

Arming armingFor(TimeInterval wait, TimeInterval tolerance) {
    // Start and interval each rounded to the nearest second: up to 1 s early, 1 s late.
    if (tolerance >= 2.0 && wait >= 2.0) return {Qt::VeryCoarseTimer, wait + 1.0};
    // Within [0.95, 1.05] of the interval.
    const double stretched = wait / 0.95;
    if (stretched * 1.05 - wait <= tolerance && tolerance >= 0.001) return {Qt::CoarseTimer, stretched};
    return {Qt::PreciseTimer, wait};
}

int millisecondsFor(TimeInterval seconds) {
    if (!(seconds > 0)) return 0;  // NaN included
    const double ms = std::ceil(seconds * 1000.0);
    return ms >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}

// One timer's state, shared by the QTimer's slot and the handle.
struct TimerState {
    QPointer<QTimer> timer;
    std::shared_ptr<std::function<void()>> fire;
    double due = 0;       // steady seconds
    double interval = 0;  // 0 for one-shot
    double tolerance = 0;

    void arm(double now) {
        if (!timer) return;
        const Arming arming = armingFor(std::max(0.0, due - now), tolerance);
        // A wait longer than the timer's range is covered in steps.
        timer->setTimerType(arming.type);
        timer->start(millisecondsFor(arming.wait));
    }

    void cancel() {
        fire.reset();
        if (timer) {
            timer->stop();
            timer->deleteLater();
            timer.clear();
        }
    }
};

}  // namespace

QtScheduler::QtScheduler() : context_(std::make_unique<QObject>()), wakeups_(std::make_shared<std::uint64_t>(0)) {}

std::uint64_t QtScheduler::timerWakeups() const { return *wakeups_; }

QtScheduler::~QtScheduler() = default;

Handle QtScheduler::addTimer(TimeInterval delay, TimeInterval interval, TimeInterval tolerance,
                             std::function<void()> fire) {
    auto state = std::make_shared<TimerState>();
    auto* timer = new QTimer(context_.get());
    timer->setSingleShot(true);
    state->timer = timer;
    state->fire = std::make_shared<std::function<void()>>(std::move(fire));
    state->interval = interval;
    state->tolerance = std::max(0.0, tolerance);
    state->due = secondsNow() + (delay > 0 ? delay : 0);

    // The slot owns the state for as long as the QTimer lives; the handle only cancels.
    QObject::connect(timer, &QTimer::timeout, timer, [s = state, wakeups = wakeups_] {
        ++*wakeups;
        if (!s->fire) return;
        const double now = secondsNow();
        if (now < s->due - 0.0005) {
            s->arm(now);  // early, or a step of a long wait
            return;
        }
        const auto callback = s->fire;  // survives a cancel from inside the callback
        if (s->interval > 0) {
            // Keep to the grid: a late firing does not shift later ones, missed ones are dropped.
            const double missed = std::floor((now - s->due) / s->interval);
            s->due += (missed + 1) * s->interval;
            s->arm(now);
        } else {
            s->fire.reset();
            if (s->timer) s->timer->deleteLater();
            s->timer.clear();
        }
        (*callback)();
    });
    state->arm(secondsNow());
    return Handle([weak = std::weak_ptr<TimerState>(state)] {
        if (auto s = weak.lock()) s->cancel();
    });
}

Handle QtScheduler::schedule(TimeInterval delay, TimeInterval tolerance, std::function<void()> fire) {
    return addTimer(delay, 0, tolerance, std::move(fire));
}

Handle QtScheduler::scheduleRepeating(TimeInterval interval, TimeInterval tolerance, std::function<void()> fire) {
    // A zero interval would spin the loop.
    const TimeInterval every = interval > 1e-3 ? interval : 1e-3;
    return addTimer(every, every, tolerance, std::move(fire));
}

namespace {

class QtTimer final : public Timer {
public:
    QtTimer(QObject* context, std::shared_ptr<std::uint64_t> wakeups, std::function<void()> fire)
        : state_(std::make_shared<TimerState>()) {
        auto* timer = new QTimer(context);
        timer->setSingleShot(true);
        state_->timer = timer;
        state_->fire = std::make_shared<std::function<void()>>(std::move(fire));
        QObject::connect(timer, &QTimer::timeout, timer,
                         [weak = std::weak_ptr<TimerState>(state_), wakeups = std::move(wakeups)] {
                             ++*wakeups;
                             const auto s = weak.lock();
                             if (!s || s->due == 0) return;  // disarmed
                             const double now = secondsNow();
                             if (now < s->due - 0.0005) {
                                 s->arm(now);
                                 return;
                             }
                             s->due = 0;
                             const auto callback = s->fire;  // survives the timer's end inside it
                             (*callback)();
                         });
    }
    ~QtTimer() override {
        if (state_->timer) state_->timer->deleteLater();  // perhaps inside its own slot
    }

    void arm(TimeInterval delay, TimeInterval tolerance) override {
        const double now = secondsNow();
        state_->due = now + (delay > 0 ? delay : 0);
        state_->tolerance = std::max(0.0, tolerance);
        state_->arm(now);
    }
    void disarm() override {
        state_->due = 0;
        if (state_->timer) state_->timer->stop();
    }
    bool armed() const override { return state_->due != 0; }

private:
    std::shared_ptr<TimerState> state_;
};

}  // namespace

std::unique_ptr<Timer> QtScheduler::makeTimer(std::function<void()> fire) {
    return std::make_unique<QtTimer>(context_.get(), wakeups_, std::move(fire));
}

void QtScheduler::post(std::function<void()> work) {
    QMetaObject::invokeMethod(context_.get(), std::move(work), Qt::QueuedConnection);
}

Handle QtScheduler::watchFd(int fd, FdEvent event, std::function<void()> ready) {
    auto* notifier = new QSocketNotifier(static_cast<qintptr>(fd),
                                         event == FdEvent::readable ? QSocketNotifier::Read : QSocketNotifier::Write,
                                         context_.get());
    struct Watch {
        std::function<void()> ready;
        bool cancelled = false;
    };
    auto watch = std::make_shared<Watch>();
    watch->ready = std::move(ready);
    // A cancel only raises the flag, so a callback that cancels its own watch keeps running.
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [watch] {
        if (!watch->cancelled && watch->ready) watch->ready();
    });
    QPointer<QSocketNotifier> guard(notifier);
    return Handle([guard, watch] {
        watch->cancelled = true;
        if (guard) {
            guard->setEnabled(false);
            guard->deleteLater();
        }
    });
}

}  // namespace orvane::platform
