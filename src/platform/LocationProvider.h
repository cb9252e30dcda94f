#pragma once
// One location fix at about a kilometre's accuracy, as the location service of the
// system gives it. Answers come through the delegate, on any thread, on the service's
// own schedule; the receiver hops to the main thread itself.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvane::platform {

// Raw values as the system numbers them; 3 and above are authorised.
enum class LocationAuthorization {
    notDetermined = 0,
    restricted = 1,
    denied = 2,
    authorizedAlways = 3,
    authorizedWhenInUse = 4
};

inline bool isAuthorized(LocationAuthorization status) { return static_cast<int>(status) >= 3; }

struct LocationCoordinate {
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees, east positive
    bool operator==(const LocationCoordinate&) const = default;
};

class LocationProvider {
public:
    struct Delegate {
        std::function<void(const std::vector<LocationCoordinate>&)> didUpdateLocations;
        std::function<void(const std::string& description)> didFail;  // the service's own text
        std::function<void()> didChangeAuthorization;
    };

    virtual ~LocationProvider() = default;

    // Set once, before the first request.
    virtual void setDelegate(Delegate delegate) = 0;
    virtual LocationAuthorization authorizationStatus() = 0;
    virtual void requestWhenInUseAuthorization() = 0;
    // Starts one request; a request already under way answers for both.
    virtual void requestLocation() = 0;
};

}  // namespace orvane::platform
