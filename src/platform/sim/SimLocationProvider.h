#pragma once
// The location service of the simulated machine. Its answer is scripted in the state file
// under the key "location": {"latitude": 52.52, "longitude": 13.40} for a fix, or
// {"error": "text"} for a failure; without the key the location is unknown. The value is
// kept as written, so a malformed script reaches the request and is answered as unknown.
#include <memory>
#include <mutex>
#include <optional>

#include "platform/LocationProvider.h"
#include "platform/Scheduler.h"
#include "platform/sim/SimMachine.h"
#include "support/Json.h"

namespace orvane::platform::sim {

class SimLocationProvider final : public LocationProvider {
public:
    // Answers are posted to the scheduler when there is one, else given at once.
    SimLocationProvider(std::shared_ptr<SimMachine> machine, std::shared_ptr<Scheduler> scheduler);

    void setDelegate(Delegate delegate) override;
    LocationAuthorization authorizationStatus() override { return LocationAuthorization::authorizedWhenInUse; }
    void requestWhenInUseAuthorization() override {}
    void requestLocation() override;

    static constexpr const char* unknownLocation = "The location is unknown.";

    // Sets (or, with null, removes) the scripted answer.
    static void script(SimMachine& machine, const Json& location);

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<Scheduler> scheduler_;
    std::mutex mutex_;
    Delegate delegate_;
};

}  // namespace orvane::platform::sim
