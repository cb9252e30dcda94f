#include "engine/Animator.h"

namespace orvane {

Animator::Animator(double duration, double fps, Step step, std::shared_ptr<platform::Scheduler> scheduler,
                   std::shared_ptr<platform::Clock> clock)
    : clock_(std::move(clock)), start_(clock_->monotonic()), duration_(duration), step_(std::move(step)) {
    if (!scheduler) return;
    interval_ = fps > 0 ? 1.0 / fps : 1.0 / 60.0;
    // The timer belongs to this animator and ends with it, so the raw pointer never dangles.
    timer_ = scheduler->scheduleRepeating(interval_, 0, [this] { tick(); });
}

void Animator::stepAtOnce() {
    // A fade no longer than one interval keeps its single step at its end.
    if (!timer_ || !(interval_ < duration_)) return;
    start_ -= interval_;
    tick();
}

double Animator::eased(double p) {
    if (!(p < 1)) return 1;  // NaN as well
    if (p >= 0.5) {
        const double u = 2 - 2 * p;
        return 1 - u * u / 2;
    }
    return 2 * p * p;
}

void Animator::tick() {
    const double p = (clock_->monotonic() - start_) / duration_;
    const bool finished = !(p < 1);
    if (finished) timer_.cancel();
    // The owner may drop this animator from inside the step; keep the step alive for the call.
    const Step step = step_;
    step(eased(p));
}

}  // namespace orvane
