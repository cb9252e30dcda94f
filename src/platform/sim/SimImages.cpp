#include "platform/sim/SimImages.h"

#include <algorithm>
#include <cmath>

#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

namespace {

struct Layer {
    Rect frame;  // global
    Rgb color;
    double alpha;
    bool solid;  // an opaque window's backing
};

double unit(double v) { return std::clamp(v != v ? 0.0 : v, 0.0, 1.0); }

// The layers of every window on screen, bottom to top. A capture leaves out the windows
// that refuse sharing; the user sees them all the same.
std::vector<Layer> visibleLayers(const SimState& state, bool forCapture) {
    std::vector<const SimWindow*> windows;
    for (const auto& w : state.windows)
        if (w.visible && (!forCapture || w.sharing != SharingType::none) && SimMachine::ownerAlive(w))
            windows.push_back(&w);
    std::stable_sort(windows.begin(), windows.end(), [](const SimWindow* a, const SimWindow* b) {
        return a->level != b->level ? a->level < b->level : a->order < b->order;
    });
    std::vector<Layer> out;
    for (const auto* w : windows) {
        const Rect frame = w->frame.standardized();
        if (w->opaque) out.push_back({frame, {0, 0, 0}, 1, true});
        for (const auto& l : w->layers) {
            Rect r = frame;
            if (l.frame) {
                const Rect lf = l.frame->standardized();
                r = {frame.x + lf.x, frame.y + lf.y, lf.width, lf.height};
            }
            out.push_back({r, {unit(l.red), unit(l.green), unit(l.blue)}, unit(l.opacity), false});
        }
    }
    return out;
}

const SimDisplay* displayAt(const SimState& state, Point p) {
    for (const auto& d : state.displays)
        if (d.frame.standardized().contains(p)) return &d;
    return nullptr;
}

Rgb compose(const SimState& state, const std::vector<Layer>& layers, Point p, const SimDisplay** under) {
    const SimDisplay* d = displayAt(state, p);
    if (under) *under = d;
    if (!d) return {0, 0, 0};
    Rgb c = p.y >= d->frame.maxY() - menuBarHeight ? menuBarColor : desktopColor;
    for (const auto& l : layers) {
        if (!l.frame.contains(p)) continue;
        c.r = c.r * (1 - l.alpha) + l.color.r * l.alpha;
        c.g = c.g * (1 - l.alpha) + l.color.g * l.alpha;
        c.b = c.b * (1 - l.alpha) + l.color.b * l.alpha;
    }
    return c;
}

Rgb throughPipeline(const SimDisplay& d, Rgb c) {
    if (d.matrix) {
        const auto& m = *d.matrix;
        const Rgb in = c;
        c.r = unit(m[0] * in.r + m[1] * in.g + m[2] * in.b);
        c.g = unit(m[3] * in.r + m[4] * in.g + m[5] * in.b);
        c.b = unit(m[6] * in.r + m[7] * in.g + m[8] * in.b);
    }
    if (d.gamma) {
        c.r = GammaRamp::lookup(d.gamma->red, static_cast<float>(c.r));
        c.g = GammaRamp::lookup(d.gamma->green, static_cast<float>(c.g));
        c.b = GammaRamp::lookup(d.gamma->blue, static_cast<float>(c.b));
    }
    return c;
}

std::uint8_t byte(double v) { return static_cast<std::uint8_t>(std::lround(unit(v) * 255.0)); }

}  // namespace

Rgb screenColor(const SimState& state, Point global) {
    return compose(state, visibleLayers(state, true), global, nullptr);
}

Rgb scanOutColor(const SimState& state, Point global) {
    const SimDisplay* d = nullptr;
    const Rgb c = compose(state, visibleLayers(state, false), global, &d);
    return d ? throughPipeline(*d, c) : c;
}

Image renderImage(const SimState& state, const Rect& rect, double scale, bool scanOut) {
    Image image;
    if (state.displays.empty() || scale <= 0) return image;
    const double mainTop = state.displays.front().frame.maxY();
    image.width = std::max(0, static_cast<int>(std::lround(rect.width * scale)));
    image.height = std::max(0, static_cast<int>(std::lround(rect.height * scale)));
    image.rgba.assign(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4, 255);
    const auto layers = visibleLayers(state, !scanOut);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Point p{rect.x + (x + 0.5) / scale, mainTop - (rect.y + (y + 0.5) / scale)};
            const SimDisplay* d = nullptr;
            Rgb c = compose(state, layers, p, &d);
            if (scanOut && d) c = throughPipeline(*d, c);
            std::uint8_t* px = image.pixel(x, y);
            px[0] = byte(c.r);
            px[1] = byte(c.g);
            px[2] = byte(c.b);
            px[3] = 255;
        }
    }
    return image;
}

}  // namespace orvane::platform::sim
