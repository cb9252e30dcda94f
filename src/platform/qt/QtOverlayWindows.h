#pragma once
// Overlay panels as Qt windows: frameless, above other windows, transparent to input and
// translucent, each painting its layers. Frames arrive in the display frames' space
// (bottom-left origin at the main display, y upward) and are turned into the toolkit's
// top-left screen coordinates here. Window levels and sharing types have no counterpart
// on X11; they are kept so that callers read back what they set.
#include <functional>
#include <memory>

#include "platform/OverlayWindows.h"

namespace orvane::platform {

class QtOverlayWindows final : public OverlayWindows {
public:
    // `compositing` answers whether a compositing manager runs now; by default the X
    // server is asked.
    explicit QtOverlayWindows(std::function<bool()> compositing = {});

    std::unique_ptr<OverlayWindow> create(const Rect& frame, const OverlayStyle& style) override;
    int maximumWindowLevel() override;

private:
    std::function<bool()> compositing_;
};

}  // namespace orvane::platform
