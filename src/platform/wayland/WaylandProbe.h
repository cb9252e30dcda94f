#pragma once
// Whether a Wayland compositor answers, asked before the toolkit chooses its platform:
// the toolkit's own Wayland platform ends the process when it cannot connect.
#include <optional>
#include <string>

namespace orvane::platform::waylandsys {

// `socket` absent: $WAYLAND_DISPLAY (or wayland-0).
bool compositorAnswers(const std::optional<std::string>& socket = std::nullopt);

}  // namespace orvane::platform::waylandsys
