#pragma once
// The fade every back-end uses to move what it shows from one value to another: a frame
// timer on the platform's scheduler (see Animator) shows the blend of the two at the
// eased progress, and the last frame shows the target exactly, so an equal request later
// needs no fade. A fade no longer than the back-end's minimum, between equal values or
// without a scheduler (a one-shot command line) shows the target at once.
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/Animator.h"
#include "platform/Platform.h"

namespace orvane {

class Fade {
public:
    enum class FirstFrame { afterOneInterval, atOnce };

    // `atOnce`: a change starts to show with the request instead of a frame later, for
    // back-ends whose frame is a cheap write.
    Fade(double minimumDuration, double framesPerSecond, FirstFrame first = FirstFrame::afterOneInterval)
        : minimumDuration_(minimumDuration), framesPerSecond_(framesPerSecond), first_(first) {}
    // Takes the timer along: a dropped fade never shows another frame.
    ~Fade() = default;
    Fade(const Fade&) = delete;
    Fade& operator=(const Fade&) = delete;

    // Stops a running fade, then shows `from` → `to` over `duration` seconds on
    // `platform`: `show(blend(from, to, eased))` per frame, `show(to)` last. `show` may
    // stop or restart this fade.
    template <class T, class Blend, class Show>
    void run(const T& from, const T& to, double duration, platform::Platform& platform, Blend blend, Show show) {
        stop();
        if (!(duration > minimumDuration_) || from == to || !platform.scheduler()) {
            show(to);
            return;
        }
        start(duration, platform,
              [from, to, blend, show](double eased) { show(eased >= 1 ? to : blend(from, to, eased)); });
    }

    void stop();
    bool isRunning() const { return animator_ != nullptr; }

private:
    void start(double duration, platform::Platform& platform, std::function<void(double eased)> frame);

    double minimumDuration_;
    double framesPerSecond_;
    FirstFrame first_;
    std::unique_ptr<Animator> animator_;
    std::uint64_t generation_ = 0;  // of the fade under way
};

}  // namespace orvane
