#pragma once
// The location service of a Linux desktop: GeoClue2 on the system bus (sd-bus). Each
// request runs on a worker thread of its own: it asks the manager for a client, starts
// it at neighbourhood accuracy (about a kilometre), waits for the first location and
// stops. Without a system bus or without GeoClue the request fails with a text that
// says location services are not available.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/LocationProvider.h"

namespace orvane::platform::linuxsys {

class GeoClueLocationProvider final : public LocationProvider {
public:
    explicit GeoClueLocationProvider(double timeoutSeconds = 60);
    ~GeoClueLocationProvider() override;

    void setDelegate(Delegate delegate) override;
    // GeoClue asks its agent when a client starts; nothing to ask beforehand.
    LocationAuthorization authorizationStatus() override { return LocationAuthorization::authorizedWhenInUse; }
    void requestWhenInUseAuthorization() override {}
    void requestLocation() override;

    static constexpr const char* notAvailable = "Location services are not available.";
    static constexpr const char* denied = "Access to the location was denied.";
    static constexpr const char* timedOut = "The location could not be determined in time.";

private:
    struct Shared {
        std::mutex mutex;
        Delegate delegate;
        std::atomic<bool> stop{false};
        std::atomic<bool> busy{false};
    };
    static void run(std::shared_ptr<Shared> shared, double timeoutSeconds);

    double timeoutSeconds_;
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    std::thread worker_;
};

}  // namespace orvane::platform::linuxsys
