#include "engine/DDCRecovery.h"

#include <string>
#include <utility>
#include <vector>

#include "engine/DDCRecord.h"
#include "engine/DDCService.h"
#include "engine/DisplayManager.h"
#include "platform/Log.h"

namespace orvane {

void DDCRecovery::restoreLeftovers(platform::UserDefaults& defaults, const std::shared_ptr<DDCLibrary>& library) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : defaults.dictionaryRepresentation())
        if (key.rfind(DDCRecord::keyPrefix, 0) == 0) keys.push_back(key);
    if (keys.empty() || !DDCService::isAvailable(*library)) return;

    const platform::Log log("ddc");
    // Each monitor by the record key of the display it shows.
    std::vector<std::pair<std::string, std::shared_ptr<DDCService>>> monitors;
    for (auto& service : DDCService::externalServices(library)) {
        if (!service->displayId()) continue;
        const std::string displayKey = DisplayInfo::stableKey(*service->displayId(), library->platform().displays());
        monitors.emplace_back(DDCRecord::key(displayKey), std::move(service));
    }

    for (const auto& key : keys) {
        const auto record = defaults.object(key);
        const auto values = record ? DDCRecord::decode(*record, key, log) : std::nullopt;
        if (!values) {
            log.error("%s is not a dictionary; left in place", key);
            continue;
        }
        bool restored = false;
        for (const auto& [monitorKey, service] : monitors) {
            if (monitorKey != key) continue;
            DDCRecord::restore(*service, *values);
            restored = true;
        }
        if (!restored) {
            log.notice("%s: its monitor does not answer; kept for when it is attached", key);
            continue;
        }
        log.notice("%s: restored the monitor's own values", key);
        defaults.remove(key);
    }
}

}  // namespace orvane
