#pragma once
// The Displays port on Wayland: one display per wl_output, the one at the origin first.
// The ids are the outputs' registry names, valid while they are connected. A monitor whose
// DRM connector gives an EDID is told apart by it, exactly as under X, so what is stored
// for it carries over between the two sessions; one without is named by a UUID made from
// what the compositor says of it (make, model, connector), the same at every start.
#include <memory>
#include <string>

#include "platform/Displays.h"
#include "platform/wayland/WaylandSession.h"

namespace orvane::platform::waylandsys {

class WaylandDisplays final : public Displays {
public:
    explicit WaylandDisplays(std::shared_ptr<WaylandSession> session) : session_(std::move(session)) {}

    std::vector<Screen> screens() override;
    std::vector<std::uint32_t> onlineDisplays(std::uint32_t maxDisplays) override;
    std::optional<std::uint32_t> mainDisplay() override;
    std::optional<std::string> uuid(std::uint32_t id) override;
    std::uint32_t vendorNumber(std::uint32_t id) override { return edidField(id, &linuxsys::EdidIdentity::vendor); }
    std::uint32_t modelNumber(std::uint32_t id) override { return edidField(id, &linuxsys::EdidIdentity::model); }
    std::uint32_t serialNumber(std::uint32_t id) override { return edidField(id, &linuxsys::EdidIdentity::serial); }
    bool isBuiltin(std::uint32_t id) override;
    bool isAsleep(std::uint32_t) override { return false; }
    Handle observeReconfiguration(std::function<void()> changed) override;

private:
    std::uint32_t edidField(std::uint32_t id, std::uint32_t linuxsys::EdidIdentity::*field);

    std::shared_ptr<WaylandSession> session_;
};

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" from the output's make, model and connector.
std::string outputUuid(const WaylandOutput& output);

}  // namespace orvane::platform::waylandsys
