#include "ui/render/ScratchWorld.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

namespace orvane {

std::unique_ptr<ScratchWorld> ScratchWorld::make(std::shared_ptr<platform::Scheduler> scheduler) {
    std::error_code error;
    const auto temporary = std::filesystem::temp_directory_path(error);
    if (error) return nullptr;
    std::string pattern = (temporary / (std::string(directoryPrefix) + "XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) return nullptr;

    std::unique_ptr<ScratchWorld> world(new ScratchWorld(name.data()));
    auto clock = std::make_shared<platform::FrozenWallClock>(frozenNow);
    auto sim = std::make_shared<platform::sim::SimPlatform>(platform::Runtime{clock, std::move(scheduler)},
                                                            world->directory_, platform::sim::SimSharing::thisProcess);
    // The images show the Linux program: a Linux computer whose built-in panel takes a
    // colour matrix and whose external monitor has gamma ramps only. Its firmware names
    // no model, as many a Linux machine's does, so no note meant for a Mac's backlight shows.
    sim->update([](platform::sim::SimState& s) {
        s.linuxName = "Debian GNU/Linux 12 (bookworm)";
        s.sysctl["machdep.cpu.brand_string"] = "Intel(R) Core(TM) i7-1165G7 @ 2.80GHz";
        s.sysctl.erase("hw.model");
        s.missingPorts.insert({"nightShift", "dithering", "preferences"});
        for (auto& d : s.displays) d.ctm = d.builtIn;
    });
    world->platform_ = sim;
    // Suppressed before anything is shown; the snapshot restore reads this machine's
    // own defaults, which hold none.
    world->engine_ = std::make_shared<TintEngine>(world->platform_);
    world->engine_->setSuppressed(true);
    world->engine_->nightShift().restore();

    world->suite_ = world->platform_->userDefaults(std::string(suite));
    world->suite_->clear();
    world->store_ = std::make_shared<SettingsStore>(world->suite_, world->platform_->scheduler());
    AppModel::Environment environment;
    environment.platform = world->platform_;
    const TimeZone berlin = TimeZone::named(zone).value_or(TimeZone::utc());
    environment.systemTimeZone = [berlin] { return berlin; };
    world->model_ = AppModel::create(world->engine_, world->store_, std::move(environment));
    return world;
}

ScratchWorld::ScratchWorld(std::filesystem::path directory) : directory_(std::move(directory)) {}

ScratchWorld::~ScratchWorld() {
    // Held back writes would land in a suite that is about to go, or recreate it later.
    if (store_) store_->discardPending();
    if (engine_) engine_->detachAll();
    if (suite_) suite_->clear();
    model_.reset();
    store_.reset();
    suite_.reset();
    engine_.reset();
    platform_.reset();
    std::error_code error;
    std::filesystem::remove_all(directory_, error);
}

}  // namespace orvane
