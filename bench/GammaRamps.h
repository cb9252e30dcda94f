#pragma once
// A CRTC's gamma ramp as one vector, red, green and blue interleaved, for the X bench tools.
#include <cstddef>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

// Empty when the server cannot say.
inline std::vector<unsigned short> readRamp(Display* dpy, RRCrtc crtc) {
    std::vector<unsigned short> out;
    if (XRRCrtcGamma* g = XRRGetCrtcGamma(dpy, crtc)) {
        for (int i = 0; i < g->size; ++i) {
            out.push_back(g->red[i]);
            out.push_back(g->green[i]);
            out.push_back(g->blue[i]);
        }
        XRRFreeGamma(g);
    }
    return out;
}

// Sets a ramp of the CRTC's own size; one of another size is left unset.
inline void writeRamp(Display* dpy, RRCrtc crtc, const std::vector<unsigned short>& ramp) {
    const int size = XRRGetCrtcGammaSize(dpy, crtc);
    if (size <= 0 || ramp.size() != 3 * static_cast<std::size_t>(size)) return;
    XRRCrtcGamma* g = XRRAllocGamma(size);
    if (!g) return;
    for (int i = 0; i < size; ++i) {
        g->red[i] = ramp[3 * i];
        g->green[i] = ramp[3 * i + 1];
        g->blue[i] = ramp[3 * i + 2];
    }
    XRRSetCrtcGamma(dpy, crtc, g);
    XRRFreeGamma(g);
    XFlush(dpy);
}
