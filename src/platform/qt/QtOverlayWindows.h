#pragma once
// Overlay panels as Qt windows: frameless, above other windows, transparent to input and
// translucent, each painting its layers. Frames arrive in the display frames' space
// (bottom-left origin at the main display, y upward) and are turned into the toolkit's
// top-left screen coordinates here. X11 stacks windows by their last raise, so levels are
// kept here: every raise puts the shown windows of higher levels back on top. Sharing
// types have no counterpart on X11; they are kept so that callers read back what they set.
#include <functional>
#include <memory>

#include "platform/OverlayWindows.h"

namespace orvane::platform {

class QtOverlayWindows final : public OverlayWindows {
public:
    // `compositing` answers whether a compositing manager runs now (a translucent window
    // needs one); by default the session's compositor watch answers, and tells of changes.
    explicit QtOverlayWindows(std::function<bool()> compositing = {});

    std::unique_ptr<OverlayWindow> create(const Rect& frame, const OverlayStyle& style) override;
    int maximumWindowLevel() override;
    bool canShowTranslucent() override { return compositing_(); }
    Handle observeTranslucency(std::function<void()> changed) override;
    bool canHideFromCaptures() override { return false; }

    // The live windows, restacked by level on every raise.
    struct Stack;

private:
    std::function<bool()> compositing_;
    bool askSession_ = false;  // the session's compositor watch answers
    std::shared_ptr<Stack> stack_;
};

}  // namespace orvane::platform
