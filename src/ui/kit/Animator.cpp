#include "ui/kit/Animator.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>

namespace orvane::kit {

AnimatedValue::AnimatedValue(double initial) : state_(std::make_shared<State>()) {
    state_->value = initial;
    state_->target = initial;
}

double AnimatedValue::value() const { return state_->value; }
double AnimatedValue::target() const { return state_->target; }
bool AnimatedValue::animating() const { return state_->animating; }
void AnimatedValue::setOnChange(std::function<void()> onChange) { state_->onChange = std::move(onChange); }

Animator::Animator(Clock clock, bool timerDriven) : clock_(std::move(clock)) {
    if (timerDriven) {
        timer_ = new QTimer(QCoreApplication::instance());
        timer_->setTimerType(Qt::PreciseTimer);
        timer_->setInterval(static_cast<int>(std::lround(frameInterval * 1000)));
        timer_->callOnTimeout([this] { step(); });
    }
}

Animator::~Animator() { delete timer_.data(); }

Animator::Clock Animator::steadyClock() {
    return [] { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); };
}

void Animator::notify(AnimatedValue::State& s) {
    if (s.onChange) s.onChange();
}

void Animator::set(AnimatedValue& value, double target) {
    auto& s = *value.state_;
    const bool changed = s.value != target;
    s.value = s.target = target;
    s.velocity = 0;
    s.animating = false;
    if (changed) notify(s);
}

void Animator::animate(AnimatedValue& value, double target, Spring spring) {
    auto& s = *value.state_;
    if (reduceMotion_ || !std::isfinite(target) || (!s.animating && s.value == target)) {
        set(value, target);
        return;
    }
    const double now = clock_();
    s.target = target;
    s.spring = spring;
    s.startDisplacement = s.value - target;
    s.startVelocity = s.animating ? s.velocity : 0;
    s.startTime = now;
    // Settled once within a small part of the distance still to go.
    s.threshold = std::max(std::abs(s.startDisplacement), std::abs(s.startVelocity) * spring.response) * 5e-4;
    if (!s.animating) {
        s.animating = true;
        running_.push_back(value.state_);
    }
    startTimer();
}

void Animator::step() {
    const double now = clock_();
    // Callbacks may start animations; walk a copy.
    const auto running = running_;
    for (const auto& weak : running) {
        const auto s = weak.lock();
        if (!s || !s->animating) continue;
        const auto m = s->spring.motion(s->startDisplacement, s->startVelocity, now - s->startTime);
        if (std::abs(m.displacement) <= s->threshold && std::abs(m.velocity) <= s->threshold * 20) {
            s->value = s->target;
            s->velocity = 0;
            s->animating = false;
        } else {
            s->value = s->target + m.displacement;
            s->velocity = m.velocity;
        }
        notify(*s);
    }
    prune();
}

void Animator::settleAll() {
    // Settling may start new animations from callbacks; a few rounds catch them.
    for (int round = 0; round < 8 && !running_.empty(); ++round) {
        const auto running = running_;
        for (const auto& weak : running) {
            const auto s = weak.lock();
            if (!s || !s->animating) continue;
            s->value = s->target;
            s->velocity = 0;
            s->animating = false;
            notify(*s);
        }
        prune();
    }
}

bool Animator::idle() const {
    return std::none_of(running_.begin(), running_.end(), [](const auto& weak) {
        const auto s = weak.lock();
        return s && s->animating;
    });
}

void Animator::startTimer() {
    if (timer_ && !timer_->isActive()) timer_->start();
}

void Animator::prune() {
    std::erase_if(running_, [](const auto& weak) {
        const auto s = weak.lock();
        return !s || !s->animating;
    });
    if (timer_ && running_.empty()) timer_->stop();
}

}  // namespace orvane::kit
