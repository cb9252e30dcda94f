#pragma once
// The frame timer the colour-matrix, gamma and DDC back-ends fade with: a repeating
// timer on the main scheduler that calls a step with the eased progress. Progress follows
// the monotonic clock, so a change of the wall clock cannot stretch or cut a fade, and
// frames the main thread misses are skipped rather than queued.
#include <functional>
#include <memory>

#include "platform/Clock.h"
#include "platform/Scheduler.h"
#include "support/Date.h"

namespace orvane {

class Animator {
public:
    using Step = std::function<void(double eased)>;

    // Starts at once on `scheduler`; the first step comes one interval later, the last
    // one receives exactly 1. The step may drop the animator. Without a scheduler (a
    // one-shot command line) nothing steps, so owners check for one and show their
    // target at once instead.
    Animator(double duration, double fps, Step step, std::shared_ptr<platform::Scheduler> scheduler,
             std::shared_ptr<platform::Clock> clock);
    // Takes the timer along: a dropped animator never steps again.
    ~Animator() = default;
    Animator(const Animator&) = delete;
    Animator& operator=(const Animator&) = delete;

    // Quadratic ease-in-out of a progress; 1 from 1 on, and for a progress that is not a number.
    static double eased(double progress);

    // Shows the first step now instead of one interval later, the later ones each an
    // interval after it, so the animation ends an interval sooner: a change starts to show
    // at once. Nothing for an animation no longer than one interval. The step may drop the
    // animator.
    void stepAtOnce();

    void stop() { timer_.cancel(); }
    bool isRunning() const { return timer_.active(); }

    TimeInterval start() const { return start_; }  // monotonic
    double duration() const { return duration_; }

private:
    void tick();

    std::shared_ptr<platform::Clock> clock_;
    platform::Handle timer_;
    TimeInterval start_ = 0;
    double duration_ = 0;
    double interval_ = 0;
    Step step_;
};

}  // namespace orvane
