#pragma once
// The display services of a Wayland session, made over one connection to the compositor.
#include <memory>
#include <optional>
#include <string>

#include "platform/Displays.h"
#include "platform/GammaTables.h"
#include "platform/Scheduler.h"
#include "platform/linux/DrmConnectors.h"
#include "platform/wayland/WaylandSession.h"

namespace orvane::platform::waylandsys {

struct WaylandFacilities {
    std::string socketName;
    std::shared_ptr<WaylandSession> session;
    std::shared_ptr<Displays> displays;
    std::shared_ptr<GammaTables> gamma;
};

// Null when no compositor answers. `socket` absent: $WAYLAND_DISPLAY (or wayland-0).
std::shared_ptr<WaylandFacilities> openWayland(std::shared_ptr<Scheduler> scheduler,
                                               const std::optional<std::string>& socket = std::nullopt);

// The EDIDs of the outputs, for pairing DDC/CI buses with displays (their ids are the
// outputs' registry names).
std::vector<linuxsys::OutputEdid> outputEdids(const WaylandSession& session,
                                              const std::filesystem::path& drmClass = "/sys/class/drm");

}  // namespace orvane::platform::waylandsys
