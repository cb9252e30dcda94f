#pragma once
// Screen captures, as the screenshot tool takes them: what the windows show, before the
// gamma tables and the colour adjustment act.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Geometry.h"

namespace orvane::platform {

// 8-bit encoded sRGB, four bytes (r, g, b, a) per pixel, row 0 at the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    const std::uint8_t* pixel(int x, int y) const {
        return rgba.data() +
               (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
    }
    std::uint8_t* pixel(int x, int y) {
        return rgba.data() +
               (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
    }
};

class Screenshots {
public:
    virtual ~Screenshots() = default;
    virtual bool preflightAccess() = 0;
    virtual bool requestAccess() = 0;
    // `rect` in points with a top-left origin at the main display's top edge; absent: the
    // whole main display. Absent result when the capture fails.
    virtual std::optional<Image> capture(const std::optional<Rect>& rect) = 0;
};

}  // namespace orvane::platform
