#include "platform/wayland/WaylandFacilities.h"

#include "platform/Platform.h"
#include "platform/wayland/WaylandDisplays.h"
#include "platform/wayland/WaylandGammaTables.h"

namespace orvane::platform::waylandsys {

std::shared_ptr<WaylandFacilities> openWayland(std::shared_ptr<Scheduler> scheduler,
                                               const std::optional<std::string>& socket) {
    auto session = WaylandSession::open(std::move(scheduler), socket);
    if (!session) return nullptr;
    auto facilities = std::make_shared<WaylandFacilities>();
    facilities->socketName = socket.value_or(environmentValue("WAYLAND_DISPLAY").value_or("wayland-0"));
    facilities->session = session;
    facilities->displays = std::make_shared<WaylandDisplays>(session);
    facilities->gamma = std::make_shared<WaylandGammaTables>(session);
    return facilities;
}

std::vector<linuxsys::OutputEdid> outputEdids(const WaylandSession& session, const std::filesystem::path& drmClass) {
    std::vector<linuxsys::OutputEdid> list;
    const auto connectors = linuxsys::readDrmConnectors(drmClass);
    for (const auto& o : session.outputs())
        for (const auto& c : connectors)
            if (!o.name.empty() && c.connector == o.name && !c.edid.empty()) list.push_back({o.id, c.edid});
    return list;
}

}  // namespace orvane::platform::waylandsys
