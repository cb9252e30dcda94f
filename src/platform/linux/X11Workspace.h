#pragma once
// The workspace port on X: the on-screen window list from the window manager's stacking
// list (or, without an EWMH window manager, the root's mapped children), front first,
// without desktop and dock windows; the owner is the WM_CLASS instance name. The rest of
// the port has no X counterpart yet and answers as missing. Declared without X types.
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/Workspace.h"

namespace orvane::platform::linuxsys {

// The polkit agents and prompters of the common desktops; GNOME Shell draws its own
// prompts inside the shell, where no window list sees them.
std::set<std::string> linuxAuthenticationPromptOwners();

// Null when no X display opens.
std::shared_ptr<Workspace> openX11Workspace(const std::optional<std::string>& displayName = std::nullopt);

}  // namespace orvane::platform::linuxsys
