#pragma once
// Two questions the program asks of the X server before it has windows of its own:
// whether a display opens at all, and whether a compositing manager runs (without one a
// translucent overlay shows as an opaque black window). Declared without X types.
#include <optional>
#include <string>

namespace orvane::platform::linuxsys {

// `displayName` absent: $DISPLAY.
bool x11DisplayOpens(const std::optional<std::string>& displayName = std::nullopt);
// Whether some client owns the selection _NET_WM_CM_S<n> of the display's default screen;
// false when the display does not open.
bool compositingManagerRunning(const std::optional<std::string>& displayName = std::nullopt);

}  // namespace orvane::platform::linuxsys
