#include "app/ToolkitPlatform.h"

#include "platform/Platform.h"
#include "platform/wayland/WaylandProbe.h"
#include "platform/wayland/WaylandSession.h"

namespace orvane {

std::string toolkitPlatform(const ToolkitSession& session) {
    if (session.requested && !session.requested->empty()) return *session.requested;
    if (session.xOpens) return "xcb";
    if (session.waylandSession && session.compositorAnswers) return "wayland;offscreen";
    return "offscreen";
}

bool missingDisplayIsFatal(const ToolkitSession& session, bool displayNamed) {
    if (!displayNamed || session.xOpens) return false;
    return !(session.waylandSession && session.compositorAnswers);
}

ToolkitSession toolkitSession(bool xOpens) {
    ToolkitSession session;
    session.requested = platform::environmentValue("QT_QPA_PLATFORM");
    if (session.requested && session.requested->empty()) session.requested.reset();
    session.waylandSession = platform::waylandsys::isWaylandSession();
    // Asked only where it decides something.
    session.compositorAnswers = !xOpens && session.waylandSession && platform::waylandsys::compositorAnswers();
    session.xOpens = xOpens;
    return session;
}

}  // namespace orvane
