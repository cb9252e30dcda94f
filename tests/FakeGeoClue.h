#pragma once
// A small stand-in for the GeoClue2 service on a private bus: it answers the manager,
// client and location objects as GeoClue does, with a fix, a refusal by the agent, or
// silence.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <systemd/sd-bus.h>

#include "platform/linux/DBusConnection.h"

namespace orvane::testing {

inline constexpr const char* geoClueClientPath = "/org/freedesktop/GeoClue2/Client/1";
inline constexpr const char* geoClueLocationPath = "/org/freedesktop/GeoClue2/Location/1";
inline constexpr const char* geoClueClientInterface = "org.freedesktop.GeoClue2.Client";

// Answers the manager, client and location objects as GeoClue does.
class FakeGeoClue {
public:
    enum class Behaviour { locate, refuse, stayQuiet };

    FakeGeoClue(const std::string& address, Behaviour behaviour) : behaviour_(behaviour) {
        platform::linuxsys::DBusError error;
        bus_ = platform::linuxsys::DBusConnection::connect(address, error);
        ready_ = bus_ != nullptr;
        for (const char* path : {"/org/freedesktop/GeoClue2/Manager", geoClueClientPath, geoClueLocationPath}) {
            if (!ready_) break;
            objects_.push_back(bus_->addObject(path, [this](sd_bus_message* m) { return handle(m); }));
            ready_ = static_cast<bool>(objects_.back());
        }
        ready_ = ready_ && !bus_->requestName("org.freedesktop.GeoClue2");
        if (!ready_) return;
        thread_ = std::thread([this] {
            while (!stop_) {
                bus_->processPending();
                bus_->wait(50'000);
            }
        });
    }
    ~FakeGeoClue() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

    bool ready() const { return ready_; }
    std::string desktopId() const { return std::string(desktopId_.load() ? "orvane" : ""); }
    std::uint32_t accuracy() const { return accuracy_; }
    bool stopped() const { return stopped_; }

private:
    int handle(sd_bus_message* m) {
        const std::string path = sd_bus_message_get_path(m);
        if (sd_bus_message_is_method_call(m, "org.freedesktop.GeoClue2.Manager", "GetClient"))
            return sd_bus_reply_method_return(m, "o", geoClueClientPath);
        if (sd_bus_message_is_method_call(m, "org.freedesktop.DBus.Properties", "Set") && path == geoClueClientPath) {
            const char* interface = nullptr;
            const char* name = nullptr;
            sd_bus_message_read(m, "ss", &interface, &name);
            if (std::string(name) == "DesktopId") {
                const char* id = nullptr;
                sd_bus_message_read(m, "v", "s", &id);
                desktopId_ = id && std::string(id) == "orvane";
            } else if (std::string(name) == "RequestedAccuracyLevel") {
                std::uint32_t level = 0;
                sd_bus_message_read(m, "v", "u", &level);
                accuracy_ = level;
            }
            return sd_bus_reply_method_return(m, "");
        }
        if (sd_bus_message_is_method_call(m, geoClueClientInterface, "Start")) {
            if (behaviour_ == Behaviour::refuse)
                return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_ACCESS_DENIED, "The agent refused.");
            const int r = sd_bus_reply_method_return(m, "");
            if (behaviour_ == Behaviour::locate)
                bus_->emitSignal(geoClueClientPath, geoClueClientInterface, "LocationUpdated", "oo", "/",
                                 geoClueLocationPath);
            return r;
        }
        if (sd_bus_message_is_method_call(m, geoClueClientInterface, "Stop")) {
            stopped_ = true;
            return sd_bus_reply_method_return(m, "");
        }
        if (sd_bus_message_is_method_call(m, "org.freedesktop.DBus.Properties", "Get") && path == geoClueLocationPath) {
            const char* interface = nullptr;
            const char* name = nullptr;
            sd_bus_message_read(m, "ss", &interface, &name);
            return sd_bus_reply_method_return(m, "v", "d", std::string(name) == "Latitude" ? 52.52 : 13.405);
        }
        return 0;
    }

    Behaviour behaviour_;
    std::unique_ptr<platform::linuxsys::DBusConnection> bus_;
    std::vector<platform::linuxsys::DBusSlot> objects_;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> desktopId_{false};
    std::atomic<std::uint32_t> accuracy_{0};
    std::atomic<bool> stopped_{false};
    std::thread thread_;
};

}  // namespace orvane::testing
