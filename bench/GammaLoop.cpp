// The least a tint on X can cost: sets a warm gamma ramp on every CRTC of $DISPLAY, then
// every 5 s reads each ramp back and sets it again where it differs, and otherwise sleeps on
// the X connection. bench/x11-costs measures it beside Orvane as the floor of its figures.
// Says "launched: gamma loop" on standard error once the ramps are set; ends on SIGTERM.
#include <cmath>
#include <csignal>
#include <cstdio>
#include <vector>

#include <poll.h>

#include "GammaRamps.h"

namespace {

volatile std::sig_atomic_t ending = 0;

std::vector<unsigned short> wanted(int size) {
    // About 3000 K: full red, green and blue lowered.
    std::vector<unsigned short> out;
    for (int i = 0; i < size; ++i) {
        const double v = size > 1 ? double(i) / (size - 1) : 0;
        for (const double gain : {1.0, 0.72, 0.42})
            out.push_back(static_cast<unsigned short>(std::lround(v * gain * 65535)));
    }
    return out;
}

// Sets the ramp where it is not what it should be.
void keep(Display* dpy, RRCrtc crtc) {
    const auto now = readRamp(dpy, crtc);
    if (now.empty()) return;
    const auto want = wanted(static_cast<int>(now.size() / 3));
    if (now != want) writeRamp(dpy, crtc, want);
}

}  // namespace

int main() {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "GammaLoop: cannot open the display\n");
        return 1;
    }
    std::signal(SIGTERM, [](int) { ending = 1; });
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, XDefaultRootWindow(dpy));
    std::vector<RRCrtc> crtcs;
    if (res) crtcs.assign(res->crtcs, res->crtcs + res->ncrtc);
    if (res) XRRFreeScreenResources(res);
    for (const RRCrtc crtc : crtcs) keep(dpy, crtc);
    std::fprintf(stderr, "launched: gamma loop\n");
    while (!ending) {
        pollfd p{ConnectionNumber(dpy), POLLIN, 0};
        if (::poll(&p, 1, 5000) == 0)
            for (const RRCrtc crtc : crtcs) keep(dpy, crtc);
        while (XPending(dpy) > 0) {
            XEvent event;
            XNextEvent(dpy, &event);
        }
    }
    XCloseDisplay(dpy);
    return 0;
}
