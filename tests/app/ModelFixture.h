#pragma once
// The application model on the simulated machine: the real engine with its back-ends
// wrapped so the test sees every request the engine hands them, a store on a defaults
// file of the test's own, a scripted location service and a fixed computer zone.
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "SimFixture.h"
#include "app/AppModel.h"
#include "core/SettingsCodec.h"
#include "engine/TintEngine.h"

namespace orvane::testing {

// A location service whose answers the test plays, each from a thread of its own, as the
// real service calls back off the main thread.
class ScriptedLocationProvider final : public platform::LocationProvider {
public:
    void setDelegate(Delegate d) override { delegate = std::move(d); }
    platform::LocationAuthorization authorizationStatus() override { return status; }
    void requestWhenInUseAuthorization() override { ++authorizationRequests; }
    void requestLocation() override { ++locationRequests; }

    void changeAuthorization(platform::LocationAuthorization to) {
        status = to;
        std::thread([this] { delegate.didChangeAuthorization(); }).join();
    }
    void locate(std::vector<platform::LocationCoordinate> fixes) {
        std::thread([this, fixes] { delegate.didUpdateLocations(fixes); }).join();
    }
    void fail(std::string text) {
        std::thread([this, text] { delegate.didFail(text); }).join();
    }

    Delegate delegate;
    platform::LocationAuthorization status = platform::LocationAuthorization::notDetermined;
    int authorizationRequests = 0;
    int locationRequests = 0;
};

// What the engine asked of every display's back-end, in order.
struct Rendered {
    std::string display;  // the display key
    TintMethod method;    // the method the back-end was made for
    RenderRequest request;
    double duration;
};

// Passes everything on to the real back-end and writes each request down.
class RecordingBackend final : public TintBackend {
public:
    RecordingBackend(std::shared_ptr<TintBackend> inner, TintMethod method, std::shared_ptr<std::vector<Rendered>> log)
        : inner_(std::move(inner)), method_(method), log_(std::move(log)) {}

    BackendKind kind() const override { return inner_->kind(); }
    const DisplayInfo& display() const override { return inner_->display(); }
    std::optional<BackendError> attach(const DisplayInfo& display) override { return inner_->attach(display); }
    void apply(const RenderRequest& request, double duration) override {
        log_->push_back({inner_->display().key, method_, request, duration});
        inner_->apply(request, duration);
    }
    void detach() override { inner_->detach(); }
    void verifyAndRepair() override { inner_->verifyAndRepair(); }

private:
    std::shared_ptr<TintBackend> inner_;
    TintMethod method_;
    std::shared_ptr<std::vector<Rendered>> log_;
};

// Passes everything on and counts the store's debounce: how often a save armed it and how
// often it fired (each firing writes what was staged).
class StoreScheduler final : public platform::Scheduler {
public:
    explicit StoreScheduler(std::shared_ptr<platform::Scheduler> inner) : inner_(std::move(inner)) {}

    platform::Handle schedule(TimeInterval delay, TimeInterval tolerance, std::function<void()> fire) override {
        ++saves;
        return inner_->schedule(delay, tolerance, [this, fire = std::move(fire)] {
            ++writes;
            fire();
        });
    }
    platform::Handle scheduleRepeating(TimeInterval interval, TimeInterval tolerance,
                                       std::function<void()> fire) override {
        return inner_->scheduleRepeating(interval, tolerance, std::move(fire));
    }
    void post(std::function<void()> work) override { inner_->post(std::move(work)); }
    platform::Handle watchFd(int fd, platform::FdEvent event, std::function<void()> ready) override {
        return inner_->watchFd(fd, event, std::move(ready));
    }

    int saves = 0;
    int writes = 0;

private:
    std::shared_ptr<platform::Scheduler> inner_;
};

// 12:00 in Berlin (CET) on Sunday 15 March 2026.
inline constexpr Date berlinNoon{1773572400.0};

inline Settings manualSettings(std::int64_t kelvin = 3400, double dim = 1.0) {
    Settings s;
    s.mode = Mode::manual;
    s.manualKelvin = kelvin;
    s.manualDim = dim;
    return s;
}

class ModelTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        clock->setNow(berlinNoon);
        defaults = platform::UserDefaults::open(directory / "defaults.json");
        store = std::make_shared<SettingsStore>(defaults, scheduler);
    }
    void TearDown() override {
        hooks.clear();
        model.reset();
        if (engine) engine->detachAll();
        engine.reset();
        SimTest::TearDown();
    }

    // Stores the settings as a previous run would have left them.
    void storeSettings(const Settings& settings) {
        const std::string text = SettingsCodec::encode(settings);
        defaults->set(std::string(SettingsStore::settingsKey),
                      platform::Value(platform::Bytes(text.begin(), text.end())));
    }

    // Starts the engine and the model over what is stored, and lets the first fades finish.
    AppModel& start() {
        engine = std::make_shared<TintEngine>(sim);
        engine->backendFactory = [log = rendered, platform = sim](TintMethod method, const DisplayInfo& display,
                                                                  const Calibration& c) {
            return std::make_shared<RecordingBackend>(TintEngine::defaultBackend(platform, method, display, c), method,
                                                      log);
        };
        engine->detachAll();
        engine->reconfigure();  // every slot now records
        AppModel::Environment environment;
        environment.platform = sim;
        environment.systemTimeZone = [this] { return systemZone; };
        environment.locationProvider = locationService ? locationService : location;
        environment.playSound = [this](const std::string& name) { sounds.push_back(name); };
        environment.setLaunchAtLogin = [this](bool on) {
            launchAtLogin.push_back(on);
            return true;
        };
        model = AppModel::create(engine, store, environment);
        hooks.push_back(model->onSettingsChanged.subscribe([this](const Settings& old, const Settings& now) {
            settingsChanges.push_back({old, now});
        }));
        hooks.push_back(
            model->onResolutionChanged.subscribe([this](const Resolution& r) { resolutions.push_back(r); }));
        settle();
        return *model;
    }
    AppModel& start(const Settings& settings) {
        storeSettings(settings);
        return start();
    }

    // Runs posted work, lets running fades (the wake fade is 2 s) and the store's debounce
    // end, short of the next tick in the tests' quiet hours.
    void settle() {
        scheduler->runPending();
        scheduler->advance(2.5);
    }
    void forget() {
        rendered->clear();
        settingsChanges.clear();
        resolutions.clear();
        sounds.clear();
    }

    DisplayInfo display(std::uint32_t id) const {
        for (const auto& d : engine->displays())
            if (d.id == id) return d;
        ADD_FAILURE() << "no display " << id;
        return {};
    }
    // What the engine last asked of a display, if anything since forget().
    std::optional<Rendered> lastRendered(std::uint32_t id) const {
        const std::string key = display(id).key;
        for (auto it = rendered->rbegin(); it != rendered->rend(); ++it)
            if (it->display == key) return *it;
        return std::nullopt;
    }
    std::size_t renderCount(std::uint32_t id) const {
        const std::string key = display(id).key;
        std::size_t n = 0;
        for (const auto& r : *rendered) n += r.display == key;
        return n;
    }
    // The stored document under a key, as text.
    std::optional<std::string> storedText(std::string_view key) const {
        const auto data = defaults->data(std::string(key));
        if (!data) return std::nullopt;
        return std::string(data->begin(), data->end());
    }

    TimeZone systemZone = *TimeZone::named("Europe/Berlin");
    std::shared_ptr<platform::UserDefaults> defaults;
    std::shared_ptr<SettingsStore> store;
    std::shared_ptr<ScriptedLocationProvider> location = std::make_shared<ScriptedLocationProvider>();
    std::shared_ptr<platform::LocationProvider> locationService;  // in place of the scripted one when set
    std::shared_ptr<std::vector<Rendered>> rendered = std::make_shared<std::vector<Rendered>>();
    std::shared_ptr<TintEngine> engine;
    std::shared_ptr<AppModel> model;

    std::vector<Subscription> hooks;
    std::vector<std::pair<Settings, Settings>> settingsChanges;
    std::vector<Resolution> resolutions;
    std::vector<std::string> sounds;
    std::vector<bool> launchAtLogin;
};

}  // namespace orvane::testing
