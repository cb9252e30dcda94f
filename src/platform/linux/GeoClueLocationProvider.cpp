#include "platform/linux/GeoClueLocationProvider.h"

#include <chrono>
#include <cstring>
#include <optional>
#include <string>

#include "platform/Log.h"
#include "platform/linux/DBusConnection.h"

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

struct Outcome {
    std::optional<LocationCoordinate> fix;
    std::string error;
};

Outcome failure(const char* text) { return {std::nullopt, text}; }

Outcome locate(const std::atomic<bool>& stop, double timeoutSeconds) {
    DBusError openError;
    auto bus = DBusConnection::open(DBusConnection::Bus::system, openError);
    if (!bus) {
        log().error("no system bus for the location: %s", openError.message);
        return failure(GeoClueLocationProvider::notAvailable);
    }

    std::string clientPath;
    {
        const auto reply = bus->call({service, managerPath, managerInterface}, "GetClient", "");
        if (reply.error) {
            if (reply.error->serviceMissing()) return failure(GeoClueLocationProvider::notAvailable);
            if (reply.error->named(SD_BUS_ERROR_ACCESS_DENIED)) return failure(GeoClueLocationProvider::denied);
            log().error("location client: %s", logExcerpt(reply.error->message));
            return failure(GeoClueLocationProvider::notAvailable);
        }
        const char* path = nullptr;
        if (!reply.message.read("o", &path) || !path) return failure(GeoClueLocationProvider::notAvailable);
        clientPath = path;
    }
    const DBusObject client{service, clientPath, clientInterface};

    auto settingsError = bus->setProperty(client, "DesktopId", "s", "orvane");
    if (!settingsError) settingsError = bus->setProperty(client, "RequestedAccuracyLevel", "u", neighbourhoodAccuracy);
    if (settingsError) {
        log().error("location client settings: %s", logExcerpt(settingsError->message));
        return failure(GeoClueLocationProvider::notAvailable);
    }

    std::optional<std::string> locationPath;
    DBusError matchError;
    const auto match = bus->matchSignal(
        nullptr, clientPath.c_str(), clientInterface, "LocationUpdated",
        [&locationPath](sd_bus_message* m) {
            const char* oldPath = nullptr;
            const char* newPath = nullptr;
            if (sd_bus_message_read(m, "oo", &oldPath, &newPath) >= 0 && newPath && std::strcmp(newPath, "/") != 0)
                locationPath = std::string(newPath);
        },
        &matchError);
    if (!match) {
        log().error("location signal: %s", matchError.message);
        return failure(GeoClueLocationProvider::notAvailable);
    }
    if (const auto started = bus->call(client, "Start", ""); started.error) {
        if (started.error->named(SD_BUS_ERROR_ACCESS_DENIED)) return failure(GeoClueLocationProvider::denied);
        log().error("location start: %s", logExcerpt(started.error->message));
        return failure(GeoClueLocationProvider::notAvailable);
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    Outcome outcome = failure(GeoClueLocationProvider::timedOut);
    while (!stop && !locationPath && std::chrono::steady_clock::now() < deadline) {
        if (const auto lost = bus->processPending()) {
            log().error("location bus: %s", logExcerpt(lost->message));
            outcome = failure(GeoClueLocationProvider::notAvailable);
            break;
        }
        if (!locationPath) bus->wait(200'000);  // short slices, so a stop is seen soon
    }
    if (locationPath) {
        const DBusObject location{service, *locationPath, locationInterface};
        double latitude = 0;
        double longitude = 0;
        auto readError = bus->getProperty(location, "Latitude", 'd', &latitude);
        if (!readError) readError = bus->getProperty(location, "Longitude", 'd', &longitude);
        if (!readError) {
            outcome = {LocationCoordinate{latitude, longitude}, {}};
        } else {
            log().error("location read: %s", logExcerpt(readError->message));
            outcome = failure(GeoClueLocationProvider::notAvailable);
        }
    }
    bus->call(client, "Stop", "");
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
