#pragma once
// Global shortcuts through the desktop portal (org.freedesktop.portal.GlobalShortcuts),
// the one way a Wayland session lets a program hear keys while another has the focus. The
// portal binds shortcuts to a session of its own and may ask the user to confirm them, so
// registrations are gathered and bound together on the next turn of the loop; the
// desktop's answer comes later and it reports presses (Activated) and releases
// (Deactivated) by the shortcut's id. The chord is only a wish (the preferred trigger):
// the user may bind another combination in the desktop's settings.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Keyboard.h"
#include "platform/Scheduler.h"

namespace orvane::platform::linuxsys {

class DBusConnection;

// The portal's words for a chord ("CTRL+ALT+LOGO+b"); absent for a key it has no name for
// here.
std::optional<std::string> portalTrigger(const KeyChord& chord);
// The id a chord is bound under; the same chord always has the same id.
std::string portalShortcutId(const KeyChord& chord);

// Null where the session bus has no portal with global shortcuts. `address`: a private bus
// (tests); absent: the session bus.
std::shared_ptr<Keyboard> openPortalGlobalShortcuts(std::shared_ptr<Scheduler> scheduler,
                                                    const std::optional<std::string>& address = std::nullopt);

}  // namespace orvane::platform::linuxsys
