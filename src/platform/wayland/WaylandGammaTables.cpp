#include "platform/wayland/WaylandGammaTables.h"

#include "platform/Status.h"
#include "platform/linux/X11GammaTables.h"

namespace orvane::platform::waylandsys {

std::int32_t WaylandGammaTables::read(std::uint32_t display, std::uint32_t capacity, GammaRamp& out) {
    out = {};
    const std::uint32_t size = session_->gammaSize(display);
    if (size == 0) return status::illegalArgument;
    const auto held = session_->heldGamma(display);
    GammaRamp ramp;
    if (held.size() == static_cast<std::size_t>(size) * 3) {
        const auto channel = [&](std::size_t first) {
            return std::vector<std::uint16_t>(held.begin() + static_cast<std::ptrdiff_t>(first * size),
                                              held.begin() + static_cast<std::ptrdiff_t>((first + 1) * size));
        };
        ramp = linuxsys::rampFromX(channel(0), channel(1), channel(2));
    } else {
        ramp = GammaRamp::identity(size);
    }
    out = capacity >= size ? ramp : ramp.resampled(capacity);
    return status::success;
}

std::int32_t WaylandGammaTables::write(std::uint32_t display, const GammaRamp& ramp) {
    if (!ramp.isConsistent() || ramp.size() < 2) return status::illegalArgument;
    const std::uint32_t size = session_->gammaSize(display);
    if (size == 0) return status::illegalArgument;
    const GammaRamp fitted = ramp.resampled(size);
    std::vector<std::uint16_t> ramps;
    ramps.reserve(static_cast<std::size_t>(size) * 3);
    for (const auto* channel : {&fitted.red, &fitted.green, &fitted.blue}) {
        const auto samples = linuxsys::channelToX(*channel);
        ramps.insert(ramps.end(), samples.begin(), samples.end());
    }
    return session_->setGamma(display, ramps);
}

std::int32_t WaylandGammaTables::restoreDisplay(std::uint32_t display) {
    session_->releaseGamma(display);
    return status::success;
}

}  // namespace orvane::platform::waylandsys
