#include "platform/linux/GeoClueLocationProvider.h"

#include <chrono>
#include <cstring>
#include <optional>
#include <string>

#include <systemd/sd-bus.h>

#include "platform/Log.h"

namespace orvane::platform::linuxsys {

namespace {

constexpr const char* service = "org.freedesktop.GeoClue2";
constexpr const char* managerPath = "/org/freedesktop/GeoClue2/Manager";
constexpr const char* managerInterface = "org.freedesktop.GeoClue2.Manager";
constexpr const char* clientInterface = "org.freedesktop.GeoClue2.Client";
constexpr const char* locationInterface = "org.freedesktop.GeoClue2.Location";
constexpr std::uint32_t neighbourhoodAccuracy = 5;  // GClue accuracy level: about a kilometre

const Log& log() {
    static const Log l("location");
    return l;
}

// Frees what sd-bus hands out when a scope ends.
struct Bus {
    sd_bus* bus = nullptr;
    ~Bus() {
        if (bus) sd_bus_flush_close_unref(bus);
    }
};
struct Error {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    ~Error() { sd_bus_error_free(&error); }
    bool named(const char* name) const { return sd_bus_error_has_name(&error, name); }
    std::string text(int r) const {
        if (error.message) return error.message;
        if (error.name) return error.name;
        return std::strerror(-r);
    }
};
struct Reply {
    sd_bus_message* message = nullptr;
    ~Reply() { sd_bus_message_unref(message); }
};
struct Slot {
    sd_bus_slot* slot = nullptr;
    ~Slot() { sd_bus_slot_unref(slot); }
};

struct Outcome {
    std::optional<LocationCoordinate> fix;
    std::string error;
};

bool serviceMissing(const Error& e) {
    return e.named(SD_BUS_ERROR_SERVICE_UNKNOWN) || e.named(SD_BUS_ERROR_NAME_HAS_NO_OWNER) ||
           e.named("org.freedesktop.DBus.Error.Spawn.ServiceNotFound");
}

Outcome failure(const char* text) { return {std::nullopt, text}; }

int onLocationUpdated(sd_bus_message* message, void* userdata, sd_bus_error*) {
    const char* oldPath = nullptr;
    const char* newPath = nullptr;
    if (sd_bus_message_read(message, "oo", &oldPath, &newPath) >= 0 && newPath && std::strcmp(newPath, "/") != 0)
        *static_cast<std::optional<std::string>*>(userdata) = std::string(newPath);
    return 0;
}

Outcome locate(const std::atomic<bool>& stop, double timeoutSeconds) {
    Bus bus;
    int r = sd_bus_open_system(&bus.bus);
    if (r < 0) {
        log().error("no system bus for the location: %s", std::strerror(-r));
        return failure(GeoClueLocationProvider::notAvailable);
    }

    std::string clientPath;
    {
        Error error;
        Reply reply;
        r = sd_bus_call_method(bus.bus, service, managerPath, managerInterface, "GetClient", &error.error,
                               &reply.message, "");
        if (r < 0) {
            if (serviceMissing(error)) return failure(GeoClueLocationProvider::notAvailable);
            if (error.named(SD_BUS_ERROR_ACCESS_DENIED)) return failure(GeoClueLocationProvider::denied);
            log().error("location client: %s", error.text(r));
            return failure(GeoClueLocationProvider::notAvailable);
        }
        const char* path = nullptr;
        if (sd_bus_message_read(reply.message, "o", &path) < 0 || !path) return failure(GeoClueLocationProvider::notAvailable);
        clientPath = path;
    }

    {
        Error error;
        r = sd_bus_set_property(bus.bus, service, clientPath.c_str(), clientInterface, "DesktopId", &error.error, "s",
                                "orvane");
        if (r >= 0)
            r = sd_bus_set_property(bus.bus, service, clientPath.c_str(), clientInterface, "RequestedAccuracyLevel",
                                    &error.error, "u", neighbourhoodAccuracy);
        if (r < 0) {
            log().error("location client settings: %s", error.text(r));
            return failure(GeoClueLocationProvider::notAvailable);
        }
    }

    std::optional<std::string> locationPath;
    Slot match;
    r = sd_bus_match_signal(bus.bus, &match.slot, nullptr, clientPath.c_str(), clientInterface, "LocationUpdated",
                            onLocationUpdated, &locationPath);
    if (r < 0) {
        log().error("location signal: %s", std::strerror(-r));
        return failure(GeoClueLocationProvider::notAvailable);
    }
    {
        Error error;
        r = sd_bus_call_method(bus.bus, service, clientPath.c_str(), clientInterface, "Start", &error.error, nullptr, "");
        if (r < 0) {
            if (error.named(SD_BUS_ERROR_ACCESS_DENIED)) return failure(GeoClueLocationProvider::denied);
            log().error("location start: %s", error.text(r));
            return failure(GeoClueLocationProvider::notAvailable);
        }
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    Outcome outcome = failure(GeoClueLocationProvider::timedOut);
    while (!stop && !locationPath && std::chrono::steady_clock::now() < deadline) {
        r = sd_bus_process(bus.bus, nullptr);
        if (r < 0) {
            log().error("location bus: %s", std::strerror(-r));
            outcome = failure(GeoClueLocationProvider::notAvailable);
            break;
        }
        if (r == 0) sd_bus_wait(bus.bus, 200'000);  // short slices, so a stop is seen soon
    }
    if (locationPath) {
        Error error;
        double latitude = 0;
        double longitude = 0;
        r = sd_bus_get_property_trivial(bus.bus, service, locationPath->c_str(), locationInterface, "Latitude",
                                        &error.error, 'd', &latitude);
        if (r >= 0)
            r = sd_bus_get_property_trivial(bus.bus, service, locationPath->c_str(), locationInterface, "Longitude",
                                            &error.error, 'd', &longitude);
        if (r >= 0) {
            outcome = {LocationCoordinate{latitude, longitude}, {}};
        } else {
            log().error("location read: %s", error.text(r));
            outcome = failure(GeoClueLocationProvider::notAvailable);
        }
    }
    Error ignored;
    sd_bus_call_method(bus.bus, service, clientPath.c_str(), clientInterface, "Stop", &ignored.error, nullptr, "");
    return outcome;
}

}  // namespace

GeoClueLocationProvider::GeoClueLocationProvider(double timeoutSeconds) : timeoutSeconds_(timeoutSeconds) {}

GeoClueLocationProvider::~GeoClueLocationProvider() {
    shared_->stop = true;
    if (worker_.joinable()) worker_.join();
}

void GeoClueLocationProvider::setDelegate(Delegate delegate) {
    std::lock_guard lock(shared_->mutex);
    shared_->delegate = std::move(delegate);
}

void GeoClueLocationProvider::requestLocation() {
    if (shared_->busy.exchange(true)) return;  // the request under way answers
    if (worker_.joinable()) worker_.join();    // the last one has finished
    worker_ = std::thread(run, shared_, timeoutSeconds_);
}

void GeoClueLocationProvider::run(std::shared_ptr<Shared> shared, double timeoutSeconds) {
    Outcome outcome = locate(shared->stop, timeoutSeconds);
    Delegate delegate;
    {
        std::lock_guard lock(shared->mutex);
        delegate = shared->delegate;
    }
    shared->busy = false;
    if (shared->stop) return;
    if (outcome.fix) {
        if (delegate.didUpdateLocations) delegate.didUpdateLocations({*outcome.fix});
    } else if (delegate.didFail) {
        delegate.didFail(outcome.error);
    }
}

}  // namespace orvane::platform::linuxsys
