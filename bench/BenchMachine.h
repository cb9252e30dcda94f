#pragma once
// The real application model on a simulated machine in a temporary directory, at Berlin,
// for the interface benchmarks.
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <unistd.h>

#include "app/AppModel.h"
#include "app/SettingsStore.h"
#include "core/Calendar.h"
#include "engine/TintEngine.h"
#include "platform/FakeScheduler.h"
#include "platform/UserDefaults.h"
#include "platform/sim/SimPlatform.h"

namespace orvane::bench {

struct Machine {
    std::filesystem::path directory;
    std::shared_ptr<platform::FakeClock> clock = std::make_shared<platform::FakeClock>();
    std::shared_ptr<platform::FakeScheduler> scheduler = std::make_shared<platform::FakeScheduler>(clock);
    std::shared_ptr<platform::sim::SimPlatform> sim;
    std::shared_ptr<TintEngine> engine;
    std::shared_ptr<AppModel> model;

    explicit Machine(Date now) {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvane-bench-XXXXXX").string();
        directory = ::mkdtemp(pattern.data());
        ::setenv("ORVANE_PLATFORM", "sim", 1);
        ::setenv("XDG_CONFIG_HOME", (directory / "config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (directory / "runtime").c_str(), 1);
        clock->setNow(now);
        for (const char* sub : {"config", "runtime", "sim"}) std::filesystem::create_directories(directory / sub);
        sim = std::make_shared<platform::sim::SimPlatform>(platform::Runtime{clock, scheduler}, directory / "sim");
        auto defaults = platform::UserDefaults::open(directory / "defaults.json");
        auto store = std::make_shared<SettingsStore>(defaults, scheduler);
        engine = std::make_shared<TintEngine>(sim);
        AppModel::Environment environment;
        environment.platform = sim;
        environment.systemTimeZone = [] { return *TimeZone::named("Europe/Berlin"); };
        model = AppModel::create(engine, store, environment);
        Settings settings = model->settings();
        settings.sunset.locationSource = LocationSource::City{"2950159"};  // Berlin
        model->setSettings(settings);
        model->setRenderTonightReduction(0.62);
        scheduler->advance(2.5);
    }
    ~Machine() {
        model.reset();
        engine->detachAll();
        engine.reset();
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
};

}  // namespace orvane::bench
