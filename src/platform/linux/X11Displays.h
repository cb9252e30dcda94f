#pragma once
// The Displays port on X: the online RandR outputs, the primary one first.
#include <memory>
#include <string>

#include "platform/Displays.h"
#include "platform/linux/X11Session.h"

namespace orvane::platform::linuxsys {

class X11Displays final : public Displays {
public:
    explicit X11Displays(std::shared_ptr<X11Session> session) : session_(std::move(session)) {}

    std::vector<Screen> screens() override;
    std::vector<std::uint32_t> onlineDisplays(std::uint32_t maxDisplays) override;
    std::optional<std::uint32_t> mainDisplay() override;
    std::optional<std::string> uuid(std::uint32_t) override { return std::nullopt; }
    std::uint32_t vendorNumber(std::uint32_t id) override { return edidField(id, &EdidIdentity::vendor); }
    std::uint32_t modelNumber(std::uint32_t id) override { return edidField(id, &EdidIdentity::model); }
    std::uint32_t serialNumber(std::uint32_t id) override { return edidField(id, &EdidIdentity::serial); }
    bool isBuiltin(std::uint32_t id) override;
    bool isAsleep(std::uint32_t) override { return false; }
    Handle observeReconfiguration(std::function<void()> changed) override;

private:
    std::uint32_t edidField(std::uint32_t id, std::uint32_t EdidIdentity::*field);

    std::shared_ptr<X11Session> session_;
};

// eDP, LVDS and DSI connectors are the built-in panels.
bool isBuiltInConnector(const std::string& outputName);

}  // namespace orvane::platform::linuxsys
