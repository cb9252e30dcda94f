#include "platform/GammaTables.h"

#include <algorithm>
#include <cmath>

#include "platform/Status.h"

namespace orvane::platform {

GammaRamp GammaRamp::identity(std::size_t samples) {
    GammaRamp ramp;
    ramp.red.resize(samples);
    for (std::size_t i = 0; i < samples; ++i)
        ramp.red[i] =
            samples > 1 ? static_cast<float>(static_cast<double>(i) / static_cast<double>(samples - 1)) : 1.0f;
    ramp.green = ramp.red;
    ramp.blue = ramp.red;
    return ramp;
}

float GammaRamp::lookup(const std::vector<float>& ramp, float x) {
    if (ramp.empty()) return x;
    if (ramp.size() == 1) return ramp[0];
    const float clampedX = std::clamp(x != x ? 0.0f : x, 0.0f, 1.0f);
    const float pos = clampedX * static_cast<float>(ramp.size() - 1);
    const auto i = std::min(static_cast<std::size_t>(pos), ramp.size() - 2);
    const float f = pos - static_cast<float>(i);
    return ramp[i] + (ramp[i + 1] - ramp[i]) * f;
}

GammaRamp GammaRamp::resampled(std::size_t samples) const {
    if (samples == size()) return *this;
    GammaRamp out;
    const auto channel = [&](const std::vector<float>& in) {
        std::vector<float> v(samples);
        for (std::size_t i = 0; i < samples; ++i) {
            const float x = samples > 1 ? static_cast<float>(i) / static_cast<float>(samples - 1) : 1.0f;
            v[i] = lookup(in, x);
        }
        return v;
    };
    out.red = channel(red);
    out.green = channel(green);
    out.blue = channel(blue);
    return out;
}

void GammaTables::readLater(std::uint32_t display, std::uint32_t capacity,
                            std::function<void(std::int32_t, GammaRamp)> done) {
    GammaRamp ramp;
    const std::int32_t status = read(display, capacity, ramp);
    done(status, std::move(ramp));
}

std::int32_t GammaTables::restoreDisplay(std::uint32_t display) {
    const std::uint32_t samples = capacity(display);
    if (samples == 0) return status::illegalArgument;
    return write(display, GammaRamp::identity(samples));
}

}  // namespace orvane::platform
