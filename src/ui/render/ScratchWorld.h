#pragma once
// The screenshot mode's own machine, never the user's: a simulated machine with the
// built-in layout in a fresh private directory, its wall clock standing at one evening,
// a suppressed engine on it, and a store and model over the scratch suite. Everything of
// the run is given this machine explicitly; nothing reads the real platform, so no
// display of the user's is touched and no record of a running instance is read or
// removed. On destruction what the store still holds back is dropped, never written, and
// the directory goes.
#include <filesystem>
#include <memory>
#include <string_view>

#include "app/AppModel.h"
#include "app/SettingsStore.h"
#include "engine/TintEngine.h"
#include "platform/Clock.h"
#include "platform/Scheduler.h"
#include "platform/sim/SimPlatform.h"

namespace orvane {

class ScratchWorld {
public:
    static constexpr std::string_view suite = "app.orvane.render";
    static constexpr std::string_view zone = "Europe/Berlin";
    // 2026-11-13 21:30 in Berlin (CET).
    static constexpr Date frozenNow{1794601800.0};
    static constexpr std::string_view directoryPrefix = "orvane-render-";

    // Null when no private directory can be made.
    static std::unique_ptr<ScratchWorld> make(std::shared_ptr<platform::Scheduler> scheduler);
    ~ScratchWorld();
    ScratchWorld(const ScratchWorld&) = delete;
    ScratchWorld& operator=(const ScratchWorld&) = delete;

    const std::filesystem::path& directory() const { return directory_; }
    const std::shared_ptr<platform::sim::SimPlatform>& platform() const { return platform_; }
    const std::shared_ptr<platform::Clock>& clock() const { return platform_->clockShared(); }
    TintEngine& engine() const { return *engine_; }
    const std::shared_ptr<SettingsStore>& store() const { return store_; }
    const std::shared_ptr<AppModel>& model() const { return model_; }

private:
    explicit ScratchWorld(std::filesystem::path directory);

    std::filesystem::path directory_;
    std::shared_ptr<platform::sim::SimPlatform> platform_;
    std::shared_ptr<TintEngine> engine_;
    std::shared_ptr<platform::UserDefaults> suite_;
    std::shared_ptr<SettingsStore> store_;
    std::shared_ptr<AppModel> model_;
};

}  // namespace orvane
