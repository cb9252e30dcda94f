#pragma once
// Borderless, click-through windows above other windows: the overlay panels that tint
// and dim a display, and the self-test's patch row. A window shows its layers, bottom to
// top, each a rectangle of one colour at an opacity.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Scheduler.h"

namespace orvane::platform {

// Whether screen captures see the window.
enum class SharingType { none = 0, readOnly = 1, readWrite = 2 };

struct OverlayLayer {
    // In window coordinates (origin at the window's bottom-left); absent: the whole window.
    std::optional<Rect> frame;
    double red = 0;  // encoded sRGB, 0...1
    double green = 0;
    double blue = 0;
    double opacity = 0;  // 0...1
    bool operator==(const OverlayLayer&) const = default;
};

class OverlayWindow {
public:
    virtual ~OverlayWindow() = default;  // ordered out and gone

    virtual Rect frame() const = 0;
    virtual void setFrame(const Rect& frame) = 0;
    virtual int level() const = 0;
    virtual void setLevel(int level) = 0;
    virtual SharingType sharingType() const = 0;
    virtual void setSharingType(SharingType type) = 0;
    // Replaces every layer at once, without animation.
    virtual void setLayers(const std::vector<OverlayLayer>& layers) = 0;
    virtual std::vector<OverlayLayer> layers() const = 0;
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    virtual bool isVisible() const = 0;
};

struct OverlayStyle {
    int level = 0;
    bool opaque = false;
    SharingType sharingType = SharingType::readOnly;
};

// The highest window level, where the tint panels sit.
inline constexpr int highestWindowLevel = 2147483631;

class OverlayWindows {
public:
    virtual ~OverlayWindows() = default;
    // A new window, not yet on screen; null when this desktop cannot show one (without a
    // compositing manager a translucent overlay would black the screen out).
    virtual std::unique_ptr<OverlayWindow> create(const Rect& frame, const OverlayStyle& style) = 0;
    // The highest window level, where the tint panels sit.
    virtual int maximumWindowLevel() = 0;
    // Whether a translucent window can show now (on X11: a compositing manager runs).
    virtual bool canShowTranslucent() { return true; }
    // Calls `changed` on the main loop after canShowTranslucent's answer changed (a
    // compositing manager came or went); an empty handle where nothing tells.
    virtual Handle observeTranslucency(std::function<void()> /*changed*/) { return {}; }
    // Whether a window's sharing type keeps it out of screen captures (X11 has no such rule).
    virtual bool canHideFromCaptures() { return true; }
};

}  // namespace orvane::platform
