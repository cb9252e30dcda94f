#include "platform/wayland/WaylandProbe.h"

#include <wayland-client.h>

namespace orvane::platform::waylandsys {

bool compositorAnswers(const std::optional<std::string>& socket) {
    wl_display* display = wl_display_connect(socket ? socket->c_str() : nullptr);
    if (!display) return false;
    // A socket that accepts is not yet a compositor: it must answer a first round trip.
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_display_disconnect(display);
    return answered;
}

}  // namespace orvane::platform::waylandsys
