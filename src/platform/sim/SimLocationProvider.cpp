#include "platform/sim/SimLocationProvider.h"

#include <cmath>
#include <exception>
#include <string>

#include "platform/Log.h"

namespace orvane::platform::sim {

namespace {

const Log& log() {
    static const Log l("location");
    return l;
}

struct Answer {
    std::optional<LocationCoordinate> fix;
    std::string error;
};

Answer scripted(const SimMachine& machine) {
    try {
        const Json location = machine.inspect([](const SimState& s) { return s.location; });
        if (location.is_null()) return {std::nullopt, SimLocationProvider::unknownLocation};
        json::ObjectReader reader(location, "location");
        if (const auto error = reader.optString("error")) return {std::nullopt, *error};
        const double latitude = reader.number("latitude");
        const double longitude = reader.number("longitude");
        if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::abs(latitude) > 90 ||
            std::abs(longitude) > 180)
            json::dataCorrupted("Coordinates out of range.", "location");
        return {LocationCoordinate{latitude, longitude}, {}};
    } catch (const JsonError& e) {
        log().error("scripted location unreadable: %s", e.description());
    } catch (const std::exception& e) {
        log().error("scripted location unreadable: %s", e.what());
    }
    return {std::nullopt, SimLocationProvider::unknownLocation};
}

}  // namespace

SimLocationProvider::SimLocationProvider(std::shared_ptr<SimMachine> machine, std::shared_ptr<Scheduler> scheduler)
    : machine_(std::move(machine)), scheduler_(std::move(scheduler)) {}

void SimLocationProvider::setDelegate(Delegate delegate) {
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
}

void SimLocationProvider::requestLocation() {
    Delegate delegate;
    {
        std::lock_guard lock(mutex_);
        delegate = delegate_;
    }
    auto deliver = [answer = scripted(*machine_), delegate] {
        if (answer.fix) {
            if (delegate.didUpdateLocations) delegate.didUpdateLocations({*answer.fix});
        } else if (delegate.didFail) {
            delegate.didFail(answer.error);
        }
    };
    if (scheduler_) scheduler_->post(std::move(deliver));
    else deliver();
}

void SimLocationProvider::script(SimMachine& machine, const Json& location) {
    machine.update([&](SimState& s) { s.location = location; });
}

}  // namespace orvane::platform::sim
