#pragma once
// The little bounce a symbol gives when what it stands for changes: a quick dip and an
// overshoot back to its size. scale() is 1 at rest.
#include "ui/kit/Animator.h"

namespace orvane::kit {

class Bounce {
public:
    void trigger(Animator& animator) {
        animator.set(offset_, -0.18);
        animator.animate(offset_, 0, Spring{0.3, 0.45});
    }
    double scale() const { return 1 + offset_.value(); }
    void setOnChange(std::function<void()> onChange) { offset_.setOnChange(std::move(onChange)); }

private:
    AnimatedValue offset_{0};
};

}  // namespace orvane::kit
