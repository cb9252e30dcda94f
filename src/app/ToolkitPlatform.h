#pragma once
// Which of the toolkit's window-system platforms the interface runs on, from what the
// session offers. No Qt here: it is decided before the toolkit loads.
#include <optional>
#include <string>

namespace orvane {

struct ToolkitSession {
    std::optional<std::string> requested;  // $QT_QPA_PLATFORM, when set and not empty
    bool waylandSession = false;           // $WAYLAND_DISPLAY or XDG_SESSION_TYPE=wayland
    bool compositorAnswers = false;        // a Wayland compositor answered
    bool xOpens = false;                   // the X display (XWayland in a Wayland session) opened
};

// The value for QT_QPA_PLATFORM:
// - what the user asked for;
// - "xcb" wherever an X display opens, XWayland included: an X window can be placed at the
//   tray icon and overlay windows must be X windows;
// - in a Wayland session without XWayland, the compositor's own protocol ("wayland"), with
//   the windowless platform behind it for a toolkit built without Wayland;
// - else "offscreen": the program runs without any window.
std::string toolkitPlatform(const ToolkitSession& session);

// Whether a display that was asked for ($DISPLAY) and did not open ends the start: it does,
// unless the interface has a Wayland compositor to run on instead.
bool missingDisplayIsFatal(const ToolkitSession& session, bool displayNamed);

// The session as the environment describes it; `xOpens` is the caller's to give.
ToolkitSession toolkitSession(bool xOpens);

}  // namespace orvane
