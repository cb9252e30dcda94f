#pragma once
// The keyboard port on X: global hot keys are passive key grabs on the root window, the
// brightness-key tap a synchronous grab of XF86MonBrightnessUp/Down whose events are
// replayed or dropped as the tap decides. The port keeps its own connection, because grabbed
// key events go to the connection that grabbed them. Declared without X types.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Keyboard.h"
#include "platform/Scheduler.h"

namespace orvane::platform::linuxsys {

// Null when no X display opens. Events are read through `scheduler`'s descriptor watch.
std::shared_ptr<Keyboard> openX11Keyboard(std::shared_ptr<Scheduler> scheduler,
                                          const std::optional<std::string>& displayName = std::nullopt);

}  // namespace orvane::platform::linuxsys
