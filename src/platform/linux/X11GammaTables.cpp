#include "platform/linux/X11GammaTables.h"

#include <algorithm>
#include <cmath>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "platform/Status.h"

namespace orvane::platform::linuxsys {

GammaRamp rampFromX(const std::vector<std::uint16_t>& red, const std::vector<std::uint16_t>& green,
                    const std::vector<std::uint16_t>& blue) {
    const auto allZero = [](const std::vector<std::uint16_t>& v) {
        return std::all_of(v.begin(), v.end(), [](std::uint16_t s) { return s == 0; });
    };
    if (allZero(red) && allZero(green) && allZero(blue)) return GammaRamp::identity(red.size());
    const auto channel = [](const std::vector<std::uint16_t>& v) {
        std::vector<float> out;
        out.reserve(v.size());
        for (auto s : v) out.push_back(static_cast<float>(s) / 65535.0f);
        return out;
    };
    return {channel(red), channel(green), channel(blue)};
}

std::vector<std::uint16_t> channelToX(const std::vector<float>& channel) {
    std::vector<std::uint16_t> out;
    out.reserve(channel.size());
    for (float f : channel) {
        const float v = std::clamp(f != f ? 0.0f : f, 0.0f, 1.0f);
        out.push_back(static_cast<std::uint16_t>(std::lround(v * 65535.0f)));
    }
    return out;
}

std::uint32_t X11GammaTables::capacity(std::uint32_t display) {
    const auto lock = session_->lock();
    const auto o = session_->output(display);
    if (!o || !o->crtc) return 0;
    const int size = session_->gammaSize(o->crtc);
    return size > 0 ? static_cast<std::uint32_t>(size) : 0;
}

std::int32_t X11GammaTables::read(std::uint32_t display, std::uint32_t capacity, GammaRamp& out) {
    out = {};
    const auto lock = session_->lock();
    const auto o = session_->output(display);
    if (!o || !o->crtc) return status::illegalArgument;
    XRRCrtcGamma* g = XRRGetCrtcGamma(session_->display(), o->crtc);
    if (!g || g->size <= 0) {
        if (g) XRRFreeGamma(g);
        return status::illegalArgument;
    }
    const auto n = static_cast<std::size_t>(g->size);
    GammaRamp ramp = rampFromX({g->red, g->red + n}, {g->green, g->green + n}, {g->blue, g->blue + n});
    XRRFreeGamma(g);
    out = capacity >= n ? ramp : ramp.resampled(capacity);
    return status::success;
}

void X11GammaTables::readLater(std::uint32_t display, std::uint32_t capacity,
                               std::function<void(std::int32_t, GammaRamp)> done) {
    {
        const auto lock = session_->lock();
        const auto o = session_->output(display);
        if (o && o->crtc && session_->requestGamma(o->crtc, [capacity, done](X11Session::GammaChannels channels) {
                const std::size_t n = channels.red.size();
                if (n == 0 || channels.green.size() != n || channels.blue.size() != n) {
                    done(status::illegalArgument, {});
                    return;
                }
                const GammaRamp ramp = rampFromX(channels.red, channels.green, channels.blue);
                done(status::success, capacity >= n ? ramp : ramp.resampled(capacity));
            }))
            return;
    }
    GammaTables::readLater(display, capacity, std::move(done));
}

std::int32_t X11GammaTables::write(std::uint32_t display, const GammaRamp& ramp) {
    if (!ramp.isConsistent() || ramp.size() < 2) return status::illegalArgument;
    const auto lock = session_->lock();
    const auto o = session_->output(display);
    if (!o || !o->crtc) return status::illegalArgument;
    return setCrtcGamma(o->crtc, ramp);
}

void X11GammaTables::restoreColorSyncSettings() {
    const auto lock = session_->lock();
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(session_->display(), session_->root());
    if (!res) return;
    for (int i = 0; i < res->ncrtc; ++i) {
        const int size = session_->gammaSize(res->crtcs[i]);
        if (size > 0) setCrtcGamma(res->crtcs[i], GammaRamp::identity(static_cast<std::size_t>(size)));
    }
    XRRFreeScreenResources(res);
}

std::int32_t X11GammaTables::setCrtcGamma(unsigned long crtc, const GammaRamp& ramp) {
    const int size = session_->gammaSize(crtc);
    if (size <= 0) return status::illegalArgument;
    const GammaRamp fitted = ramp.resampled(static_cast<std::size_t>(size));
    XRRCrtcGamma* g = XRRAllocGamma(size);
    if (!g) return status::failure;
    const auto r = channelToX(fitted.red), gr = channelToX(fitted.green), b = channelToX(fitted.blue);
    std::copy(r.begin(), r.end(), g->red);
    std::copy(gr.begin(), gr.end(), g->green);
    std::copy(b.begin(), b.end(), g->blue);
    const X11ErrorTrap errors;
    XRRSetCrtcGamma(session_->display(), crtc, g);
    XSync(session_->display(), False);
    session_->takeReplies();
    XRRFreeGamma(g);
    return errors.caught() ? status::failure : status::success;
}

}  // namespace orvane::platform::linuxsys
