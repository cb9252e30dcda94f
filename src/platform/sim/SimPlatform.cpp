#include "platform/sim/SimPlatform.h"

#include <algorithm>
#include <map>

#include "platform/Missing.h"
#include "platform/linux/DBusNotifications.h"
#include "platform/sim/SimAppCatalog.h"
#include "platform/sim/SimBacklight.h"
#include "platform/sim/SimColorAdjustments.h"
#include "platform/sim/SimDisplays.h"
#include "platform/sim/SimDithering.h"
#include "platform/sim/SimGammaTables.h"
#include "platform/sim/SimI2C.h"
#include "platform/sim/SimKeyboard.h"
#include "platform/sim/SimLocationProvider.h"
#include "platform/sim/SimLoginItems.h"
#include "platform/sim/SimNightShiftClient.h"
#include "platform/sim/SimOverlayWindows.h"
#include "platform/sim/SimPreferences.h"
#include "platform/sim/SimScreenshots.h"
#include "platform/sim/SimSounds.h"
#include "platform/sim/SimSystemInfo.h"
#include "platform/sim/SimWorkspace.h"

namespace orvane::platform::sim {

// --- the platform ----------------------------------------------------------------------

SimPlatform::SimPlatform(Runtime runtime, std::filesystem::path directory, SimSharing sharing)
    : Platform(std::move(runtime), directory / "defaults"),
      machine_(std::make_shared<SimMachine>(directory, sharing)),
      journal_(std::make_shared<SimJournal>()) {
    machine_->read();  // lays the machine out on first use
    simDisplays_ = std::make_shared<SimDisplays>(machine_, runtime_.scheduler);
    simKeyboard_ = std::make_shared<SimKeyboard>(machine_, journal_);
    simWorkspace_ = std::make_shared<SimWorkspace>(machine_, journal_, runtime_.scheduler, runtime_.clock);
    displays_ = simDisplays_;
    keyboard_ = simKeyboard_;
    workspace_ = simWorkspace_;
    gamma_ = std::make_shared<SimGammaTables>(machine_, journal_);
    overlays_ = std::make_shared<SimOverlayWindows>(machine_);
    i2c_ = std::make_shared<SimI2C>(machine_, journal_, runtime_.clock);
    dithering_ = std::make_shared<SimDithering>(machine_, journal_);
    preferences_ = std::make_shared<SimPreferences>(machine_, journal_);
    notifications_ = linuxsys::sessionOrInProcessNotifications(runtime_.scheduler);
    screenshots_ = std::make_shared<SimScreenshots>(machine_, journal_);
    systemInfo_ = std::make_shared<SimSystemInfo>(machine_);
    location_ = std::make_shared<SimLocationProvider>(machine_, runtime_.scheduler);
    loginItems_ = std::make_shared<SimLoginItems>(machine_, journal_);
    appCatalog_ = std::make_shared<SimAppCatalog>(machine_, journal_);
    sounds_ = std::make_shared<SimSounds>(machine_, journal_);

    colorAdjustments_ = std::make_shared<SimColorAdjustments>(machine_, journal_);
    backlight_ = std::make_shared<SimBacklight>(machine_, journal_);
    setNightShiftClient(nullptr);
}

void SimPlatform::setNightShiftClient(std::shared_ptr<NightShiftClient> client) {
    if (client) {
        nightShiftClients_ = [client = std::move(client)] { return client; };
        return;
    }
    nightShiftClients_ = [machine = machine_, journal = journal_]() -> std::shared_ptr<NightShiftClient> {
        if (!machine->inspect([](const SimState& s) { return s.hasPort("nightShift"); })) return nullptr;
        return std::make_shared<SimNightShiftClient>(machine, journal);
    };
}

SimPlatform::~SimPlatform() = default;

void SimPlatform::update(const std::function<void(SimState&)>& change) {
    machine_->update([&](SimState& s) { change(s); });
    simDisplays_->checkLayout();
}

std::uint32_t SimPlatform::addDisplay(SimDisplay display) {
    std::uint32_t id = 0;
    update([&](SimState& s) {
        if (display.id == 0 || s.display(display.id)) display.id = s.nextDisplayId;
        s.nextDisplayId = std::max(s.nextDisplayId, display.id + 1);
        id = display.id;
        s.displays.push_back(display);
    });
    return id;
}

bool SimPlatform::removeDisplay(std::uint32_t id) {
    bool removed = false;
    update(
        [&](SimState& s) { removed = std::erase_if(s.displays, [&](const SimDisplay& d) { return d.id == id; }) > 0; });
    return removed;
}

bool SimPlatform::changeDisplay(std::uint32_t id, const std::function<void(SimDisplay&)>& change) {
    bool found = false;
    update([&](SimState& s) {
        if (auto* d = s.display(id)) {
            change(*d);
            d->id = id;
            found = true;
        }
    });
    return found;
}

void SimPlatform::setColorFilterEnabled(bool enabled) {
    update([&](SimState& s) {
        s.preferences["com.apple.mediaaccessibility"]["__Color__-MADisplayFilterCategoryEnabled"] = enabled;
    });
}

void SimPlatform::fail(const std::string& facility, std::int32_t status, std::int64_t count) {
    update([&](SimState& s) { s.failures[facility] = {status, count == 0 ? 1 : count}; });
}

void SimPlatform::clearFailure(const std::string& facility) {
    update([&](SimState& s) { s.failures.erase(facility); });
}

void SimPlatform::setPortMissing(const std::string& port, bool missing) {
    update([&](SimState& s) {
        if (missing) s.missingPorts.insert(port);
        else s.missingPorts.erase(port);
    });
}

void SimPlatform::resetDisplays() {
    update([](SimState& s) {
        for (auto& d : s.displays) {
            d.gamma.reset();
            d.matrix.reset();
        }
        s.windows.clear();
    });
}

std::optional<Image> SimPlatform::scanOut(std::uint32_t display, std::optional<double> scale) const {
    const SimState s = state();
    const auto* d = s.display(display);
    if (!d || s.displays.empty()) return std::nullopt;
    const double mainTop = s.displays.front().frame.maxY();
    const Rect area{d->frame.x, mainTop - d->frame.maxY(), d->frame.width, d->frame.height};
    return renderImage(s, area, scale.value_or(d->scale), true);
}

bool SimPlatform::injectSystemDefinedEvent(const SystemDefinedEvent& event) {
    const bool passed = simKeyboard_->inject(event);
    journal_->add("systemDefinedEvent", Dictionary{{"type", static_cast<std::int64_t>(event.type)},
                                                   {"subtype", event.subtype},
                                                   {"data1", event.data1},
                                                   {"passed", passed}});
    return passed;
}

void SimPlatform::disableEventTaps(std::uint32_t reason) { simKeyboard_->disableTaps(reason); }

bool SimPlatform::pressHotKey(const KeyChord& chord, bool released) { return simKeyboard_->press(chord, released); }

void SimPlatform::postWorkspaceEvent(WorkspaceEvent event) { simWorkspace_->post(event); }

}  // namespace orvane::platform::sim
