#include "platform/linux/X11Screenshots.h"

#include <algorithm>
#include <cmath>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace orvane::platform::linuxsys {

std::optional<Image> X11Screenshots::capture(const std::optional<Rect>& rect) {
    const auto lock = session_->lock();
    Display* dpy = session_->display();
    const auto& outs = session_->outputs();
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(dpy, session_->root(), &attributes)) return std::nullopt;
    // Points with the origin at the main display's top-left corner are root pixels here.
    const int originX = outs.empty() ? 0 : outs.front().x;
    const int originY = outs.empty() ? 0 : outs.front().y;
    Rect area = rect ? rect->standardized()
                     : Rect{0, 0, outs.empty() ? static_cast<double>(attributes.width) : outs.front().width,
                            outs.empty() ? static_cast<double>(attributes.height) : outs.front().height};
    const int x0 = static_cast<int>(std::floor(area.x)) + originX;
    const int y0 = static_cast<int>(std::floor(area.y)) + originY;
    const int w = static_cast<int>(std::lround(area.width));
    const int h = static_cast<int>(std::lround(area.height));
    if (w <= 0 || h <= 0) return std::nullopt;
    Image image;
    image.width = w;
    image.height = h;
    image.rgba.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0);
    for (std::size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = 255;
    // Only the part inside the root window can be read; the rest stays black.
    const int cx0 = std::max(x0, 0), cy0 = std::max(y0, 0);
    const int cx1 = std::min(x0 + w, attributes.width), cy1 = std::min(y0 + h, attributes.height);
    if (cx1 <= cx0 || cy1 <= cy0) return image;
    const X11ErrorTrap errors;
    XImage* xi = XGetImage(dpy, session_->root(), cx0, cy0, static_cast<unsigned>(cx1 - cx0),
                           static_cast<unsigned>(cy1 - cy0), AllPlanes, ZPixmap);
    if (!xi) return std::nullopt;
    const auto channel = [](unsigned long pixel, unsigned long mask) -> std::uint8_t {
        if (mask == 0) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1ul)) ++shift;
        const unsigned long max = mask >> shift;
        return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255ul / max);
    };
    for (int y = cy0; y < cy1; ++y)
        for (int x = cx0; x < cx1; ++x) {
            const unsigned long p = XGetPixel(xi, x - cx0, y - cy0);
            std::uint8_t* out = image.pixel(x - x0, y - y0);
            out[0] = channel(p, xi->red_mask);
            out[1] = channel(p, xi->green_mask);
            out[2] = channel(p, xi->blue_mask);
        }
    XDestroyImage(xi);
    return image;
}

}  // namespace orvane::platform::linuxsys
