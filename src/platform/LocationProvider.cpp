#include "platform/LocationProvider.h"

#include "platform/Platform.h"
#include "platform/linux/GeoClueLocationProvider.h"
#include "platform/sim/SimLocationProvider.h"
#include "platform/sim/SimPlatform.h"

namespace orvane::platform {

std::shared_ptr<LocationProvider> makeLocationProvider(Platform& platform) {
    if (auto* sim = dynamic_cast<sim::SimPlatform*>(&platform)) {
        // A handle of its own on the shared state file, so it does not depend on the platform's lifetime.
        return std::make_shared<sim::SimLocationProvider>(std::make_shared<sim::SimMachine>(sim->machine().directory()),
                                                          platform.scheduler());
    }
    return std::make_shared<linuxsys::GeoClueLocationProvider>();
}

}  // namespace orvane::platform
