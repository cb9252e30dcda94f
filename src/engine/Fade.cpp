#include "engine/Fade.h"

namespace orvane {

void Fade::stop() {
    if (animator_) animator_->stop();
    animator_.reset();
}

void Fade::start(double duration, platform::Platform& platform, std::function<void(double eased)> frame) {
    // The animator dies with this fade and takes its timer along, so `this` is safe.
    const std::uint64_t generation = ++generation_;
    animator_ = std::make_unique<Animator>(
        duration, framesPerSecond_,
        [this, generation, frame = std::move(frame)](double eased) {
            frame(eased);
            // The target is shown: the fade ends, unless the frame started another one.
            if (eased >= 1 && generation_ == generation) animator_.reset();
        },
        platform.scheduler(), platform.clockShared());
    if (first_ == FirstFrame::atOnce) animator_->stepAtOnce();
}

}  // namespace orvane
