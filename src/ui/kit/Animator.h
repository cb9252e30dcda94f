#pragma once
// The kit's one animation clock. Values move on springs toward their targets; the animator
// advances every running value to the time of its monotonic clock, 60 times a second on a
// Qt timer in the program, or by hand in tests (step) with an injected clock. settleAll()
// ends every animation at its target, as the render harness needs.
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <QPointer>
#include <QTimer>

#include "ui/kit/Spring.h"

namespace orvane::kit {

class Animator;

// A number a view draws, which may be on its way to a target. Copies share the value.
class AnimatedValue {
public:
    explicit AnimatedValue(double initial = 0);

    double value() const;
    double target() const;
    bool animating() const;
    // Called after every change of value (each frame and each jump).
    void setOnChange(std::function<void()> onChange);

private:
    friend class Animator;
    struct State {
        double value = 0;
        double target = 0;
        double velocity = 0;
        double startDisplacement = 0;
        double startVelocity = 0;
        double startTime = 0;
        double threshold = 0;
        Spring spring;
        bool animating = false;
        std::function<void()> onChange;
    };
    std::shared_ptr<State> state_;
};

class Animator {
public:
    using Clock = std::function<double()>;  // monotonic seconds
    static constexpr double frameInterval = 1.0 / 60.0;

    // With `timerDriven` a Qt timer steps every running animation at 60 Hz.
    explicit Animator(Clock clock = steadyClock(), bool timerDriven = true);
    ~Animator();
    Animator(const Animator&) = delete;
    Animator& operator=(const Animator&) = delete;

    static Clock steadyClock();

    // Moves the value to `target` on the spring, keeping its present velocity; with reduce
    // motion (or a target already reached) it jumps.
    void animate(AnimatedValue& value, double target, Spring spring);
    // Jumps, ending any animation of the value.
    void set(AnimatedValue& value, double target);

    // Advances every running animation to the clock's present time.
    void step();
    // Ends every animation at its target.
    void settleAll();
    bool idle() const;

    void setReduceMotion(bool on) { reduceMotion_ = on; }
    bool reduceMotion() const { return reduceMotion_; }

private:
    static void notify(AnimatedValue::State& state);
    void startTimer();
    void prune();

    Clock clock_;
    bool reduceMotion_ = false;
    std::vector<std::weak_ptr<AnimatedValue::State>> running_;
    QPointer<QTimer> timer_;  // owned by the application object, so it never outlives it
};

}  // namespace orvane::kit
