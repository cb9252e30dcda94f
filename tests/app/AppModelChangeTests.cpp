// A user operation is one unit of change: one save of each changed document, one
// decision, one apply, and announcements only once everything agrees. The hooks take
// several subscribers, and at launch the engine attaches each display once.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "ModelFixture.h"

namespace orvane {
namespace {

using Property = AppModel::Property;

class AppModelChangeTest : public testing::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        storeScheduler = std::make_shared<testing::StoreScheduler>(scheduler);
        store = std::make_shared<SettingsStore>(defaults, storeScheduler);
    }
    void forgetAll() {
        forget();
        storeScheduler->saves = 0;
        storeScheduler->writes = 0;
    }

    std::shared_ptr<testing::StoreScheduler> storeScheduler;
};

struct OperationCase {
    const char* name;
    bool startEnabled;
    std::function<void(AppModel&)> operation;
    std::function<bool(const Resolution&)> decided;  // what the new decision shows
};

TEST_F(AppModelChangeTest, AnOperationSavesOnceDecidesOnceAppliesOnceAndAnnouncesAConsistentModel) {
    const OperationCase cases[] = {
        {"setWarmth while off", false, [](AppModel& m) { m.setWarmth(2700, 0.8); },
         [](const Resolution& r) { return r.target.kelvin == 2700 && r.target.dim == 0.8; }},
        {"setCozy(true) while off", false, [](AppModel& m) { m.setCozy(true); },
         [](const Resolution& r) { return r.status.is<TintStatus::Cozy>(); }},
        {"disableUntilSunrise", true, [](AppModel& m) { m.disableUntilSunrise(); },
         [](const Resolution& r) { return r.status.is<TintStatus::DisabledUntil>(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Settings s = testing::manualSettings(3400, 1.0);
        s.enabled = c.startEnabled;
        start(s);
        const Settings settingsBefore = model->settings();
        const RuntimeState runtimeBefore = model->runtime();

        // What every kind of listener finds in the model at the moment it is told.
        std::vector<std::string> told;
        std::vector<bool> consistent;
        const auto check = [&](const std::string& who) {
            told.push_back(who);
            consistent.push_back(c.decided(model->resolution()) &&
                                 model->resolution() == Resolver::resolve(model->input()));
        };
        auto views = model->observe([&](Property p) {
            if (p == Property::settings || p == Property::runtime || p == Property::resolution)
                check("property " + std::to_string(static_cast<int>(p)));
        });
        auto settingsView = model->observeSettings([&](const Settings& old, const Settings& current) {
            EXPECT_EQ(old, settingsBefore);
            EXPECT_EQ(current, model->settings());
            check("observeSettings");
        });
        auto controller = model->onSettingsChanged.subscribe([&](const Settings&, const Settings&) { check("hook"); });
        forgetAll();

        c.operation(*model);
        const bool settingsChanged = !(model->settings() == settingsBefore);
        const bool runtimeChanged = !(model->runtime() == runtimeBefore);
        ASSERT_TRUE(settingsChanged || runtimeChanged);
        EXPECT_EQ(storeScheduler->saves, int(settingsChanged) + int(runtimeChanged)) << "each document goes once";
        EXPECT_EQ(resolutions.size(), 1u) << "one recompute";
        EXPECT_EQ(rendered->size(), engine->slots().size()) << "one apply, one render per display";
        for (const auto& [id, slot] : engine->slots()) EXPECT_EQ(renderCount(id), 1u);
        EXPECT_EQ(settingsChanges.size(), settingsChanged ? 1u : 0u);
        EXPECT_EQ(std::count(told.begin(), told.end(), "observeSettings"), settingsChanged ? 1 : 0);
        ASSERT_FALSE(told.empty());
        for (std::size_t i = 0; i < told.size(); ++i) EXPECT_TRUE(consistent[i]) << told[i] << " saw a stale model";

        scheduler->advance(SettingsStore::debounce + 0.1);
        EXPECT_EQ(storeScheduler->writes, 1) << "one store write after the debounce";
        if (settingsChanged) {
            EXPECT_EQ(SettingsCodec::decode(*storedText("settings.json")), model->settings());
        }
        if (runtimeChanged) {
            EXPECT_TRUE(storedText("runtime.json"));
        }

        views.cancel();
        settingsView.cancel();
        controller.cancel();
        hooks.clear();
        model.reset();
        engine->detachAll();
        engine.reset();
    }
}

TEST_F(AppModelChangeTest, OperationsThatTouchBothDocumentsRecomputeOnce) {
    const std::pair<const char*, std::function<void(AppModel&)>> operations[] = {
        {"setEnabled(true)", [](AppModel& m) { m.setEnabled(true); }},
        {"setEveningPlan", [](AppModel& m) { m.setEveningPlan(EveningPlan()); }},
        {"followEvening", [](AppModel& m) { m.followEvening(); }},
        {"setMode", [](AppModel& m) { m.setMode(Mode::schedule); }},
        {"dimmer", [](AppModel& m) { m.dimmer(); }},
        {"nextPreset", [](AppModel& m) { m.nextPreset(); }},
        {"applyFocus(windDown)", [](AppModel& m) { m.applyFocus(FocusLook::windDown); }},
        {"emergencyReset", [](AppModel& m) { m.emergencyReset(); }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        Settings s = testing::manualSettings(3400, 0.9);
        s.enabled = false;
        start(s);
        // A hold, wind-down and a switch-off for the operation to undo.
        RuntimeState r = model->runtime();
        r.pausedUntil = clock->now() + 600;
        r.pausedState = TintState(3000, 1.0, RedStyle::readable, false);
        r.disabledUntil = clock->now() + 3600;
        model->setRuntime(r);
        model->setCozy(true);
        model->setEnabled(false);
        forgetAll();

        operation(*model);
        EXPECT_EQ(resolutions.size(), 1u);
        EXPECT_LE(storeScheduler->saves, 2);
        EXPECT_LE(settingsChanges.size(), 1u);

        hooks.clear();
        model.reset();
        engine->detachAll();
        engine.reset();
    }
}

TEST_F(AppModelChangeTest, AChangeThatEndsWhereItStartedRunsNothing) {
    start(testing::manualSettings());
    forgetAll();
    std::vector<Property> heard;
    auto subscription = model->observe([&](Property p) { heard.push_back(p); });
    auto settingsView =
        model->observeSettings([&](const Settings&, const Settings&) { heard.push_back(Property::settings); });
    model->change([](Settings&, RuntimeState&) {});
    // Setters inside the edit join the unit: a value set and set back leaves nothing to do.
    model->change([&](Settings&, RuntimeState&) {
        Settings t = model->settings();
        t.manualKelvin += 100;
        model->setSettings(t);
        RuntimeState r = model->runtime();
        r.disabledUntil = clock->now() + 60;
        model->setRuntime(r);
        t.manualKelvin -= 100;
        model->setSettings(t);
        r.disabledUntil.reset();
        model->setRuntime(r);
    });
    EXPECT_TRUE(heard.empty());
    EXPECT_TRUE(resolutions.empty());
    EXPECT_TRUE(settingsChanges.empty());
    EXPECT_TRUE(rendered->empty());
    EXPECT_EQ(storeScheduler->saves, 0);
}

TEST_F(AppModelChangeTest, SettersInsideAUnitWaitForItsEndAndTheLastTransitionWins) {
    start(testing::manualSettings(3000, 1.0));
    forgetAll();
    std::vector<Property> heard;
    auto subscription = model->observe([&](Property p) { heard.push_back(p); });
    model->change([&](Settings& s, RuntimeState&) {
        s.manualKelvin = 2500;
        model->setRevealHeld(true);  // asks for the instant transition
        EXPECT_TRUE(heard.empty()) << "nothing is told before the unit ends";
        EXPECT_TRUE(resolutions.empty());
    });
    EXPECT_EQ(resolutions.size(), 1u);
    ASSERT_TRUE(lastRendered(1));
    EXPECT_EQ(lastRendered(1)->duration, 0) << "the reveal's instant transition";
    EXPECT_TRUE(model->resolution().status.is<TintStatus::Revealing>());
    EXPECT_EQ(std::count(heard.begin(), heard.end(), Property::revealHeld), 1);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), Property::settings), 1);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), Property::resolution), 1);
}

TEST_F(AppModelChangeTest, AnOperationCalledInsideAnEditJoinsItsUnit) {
    Settings s = testing::manualSettings(3000, 1.0);
    s.enabled = false;
    start(s);
    forgetAll();
    model->change([&](Settings&, RuntimeState& r) {
        model->setWarmth(2200, 0.7);  // settings, within this unit
        r.disabledUntil = clock->now() + 600;
    });
    EXPECT_EQ(model->settings().manualKelvin, 2200) << "an untouched copy does not undo the inner change";
    EXPECT_TRUE(model->settings().enabled);
    EXPECT_EQ(model->runtime().disabledUntil, clock->now() + 600);
    EXPECT_EQ(resolutions.size(), 1u);
    EXPECT_EQ(settingsChanges.size(), 1u);
    EXPECT_EQ(storeScheduler->saves, 2);
    EXPECT_TRUE(model->resolution().status.is<TintStatus::DisabledUntil>());
}

TEST_F(AppModelChangeTest, EveryHookTakesSeveralSubscribersUntilTheirSubscriptionsEnd) {
    start(testing::manualSettings());
    int settingsA = 0, settingsB = 0, resolutionA = 0, resolutionB = 0, hotkeysA = 0, hotkeysB = 0, restA = 0,
        restB = 0, displaysA = 0, displaysB = 0;
    auto s1 = model->onSettingsChanged.subscribe([&](const Settings&, const Settings&) { ++settingsA; });
    auto s2 = model->onSettingsChanged.subscribe([&](const Settings&, const Settings&) { ++settingsB; });
    auto r1 = model->onResolutionChanged.subscribe([&](const Resolution&) { ++resolutionA; });
    auto r2 = model->onResolutionChanged.subscribe([&](const Resolution&) { ++resolutionB; });
    auto h1 = model->onHotkeysChanged.subscribe([&] { ++hotkeysA; });
    auto h2 = model->onHotkeysChanged.subscribe([&] { ++hotkeysB; });
    auto t1 = model->onTryRestBreak.subscribe([&] { ++restA; });
    auto t2 = model->onTryRestBreak.subscribe([&] { ++restB; });
    auto d1 = model->onDisplaysChanged.subscribe([&] { ++displaysA; });
    auto d2 = model->onDisplaysChanged.subscribe([&] { ++displaysB; });

    model->setWarmth(2900, 1.0);
    model->setHotkeysSuspended(true);
    model->tryRestBreak();
    platform::sim::SimDisplay projector;
    projector.name = "Projector";
    projector.frame = {-1920, 0, 1920, 1080};
    const auto projectorId = sim->addDisplay(projector);
    settle();
    EXPECT_EQ(settingsA, 2) << "the warmth, then the new display's entry";
    EXPECT_EQ(settingsB, settingsA);
    EXPECT_GE(resolutionA, 1);
    EXPECT_EQ(resolutionB, resolutionA);
    EXPECT_EQ(hotkeysA, 1);
    EXPECT_EQ(hotkeysB, 1);
    EXPECT_EQ(restA, 1);
    EXPECT_EQ(restB, 1);
    EXPECT_EQ(displaysA, 1);
    EXPECT_EQ(displaysB, 1);

    s1.cancel();
    r1.cancel();
    h1.cancel();
    t1.cancel();
    d1.cancel();
    model->setWarmth(3100, 1.0);
    model->setHotkeysSuspended(false);
    model->tryRestBreak();
    sim->removeDisplay(projectorId);
    settle();
    EXPECT_EQ(settingsA, 2);
    EXPECT_EQ(settingsB, 3);
    EXPECT_EQ(hotkeysA, 1);
    EXPECT_EQ(hotkeysB, 2);
    EXPECT_EQ(restA, 1);
    EXPECT_EQ(restB, 2);
    EXPECT_EQ(displaysA, 1);
    EXPECT_EQ(displaysB, 2);
    EXPECT_EQ(model->onSettingsChanged.count(), 2u) << "the fixture's and s2";
}

// Wraps each back-end the engine makes and writes down every attach.
class CountingBackend final : public TintBackend {
public:
    struct Attach {
        std::string display;
        TintMethod method;
    };
    CountingBackend(std::shared_ptr<TintBackend> inner, TintMethod method, std::shared_ptr<std::vector<Attach>> log)
        : inner_(std::move(inner)), method_(method), log_(std::move(log)) {}

    BackendKind kind() const override { return inner_->kind(); }
    const DisplayInfo& display() const override { return inner_->display(); }
    std::optional<BackendError> attach(const DisplayInfo& display) override {
        log_->push_back({display.key, method_});
        return inner_->attach(display);
    }
    void apply(const RenderRequest& request, double duration) override { inner_->apply(request, duration); }
    void detach() override { inner_->detach(); }
    void verifyAndRepair() override { inner_->verifyAndRepair(); }

private:
    std::shared_ptr<TintBackend> inner_;
    TintMethod method_;
    std::shared_ptr<std::vector<Attach>> log_;
};

TEST_F(AppModelChangeTest, AtLaunchEachDisplayAttachesOnceWithItsStoredMethod) {
    // A previous run chose the gamma method for the external monitor.
    const auto displays = DisplayManager::currentDisplays(*sim);
    ASSERT_EQ(displays.size(), 2u);
    const DisplayInfo& builtIn = displays[0].isBuiltIn ? displays[0] : displays[1];
    const DisplayInfo& external = displays[0].isBuiltIn ? displays[1] : displays[0];
    Settings s = testing::manualSettings(3000, 1.0);
    s.displays[external.key].method = TintMethod::gamma;
    s.displays[external.key].lastKnownName = external.name;
    storeSettings(s);
    sim->journal().clear();

    // As the delegate launches: the store, the engine made with the stored values, the model.
    const auto attaches = std::make_shared<std::vector<CountingBackend::Attach>>();
    engine = std::make_shared<TintEngine>(
        sim, AppModel::engineConfiguration(store->loadSettings()),
        [attaches, this](TintMethod method, const DisplayInfo& display, const Calibration& c) {
            return std::make_shared<CountingBackend>(TintEngine::defaultBackend(sim, method, display, c), method,
                                                     attaches);
        });
    AppModel::Environment environment;
    environment.platform = sim;
    environment.systemTimeZone = [this] { return systemZone; };
    environment.locationProvider = location;
    model = AppModel::create(engine, store, environment);
    settle();

    ASSERT_EQ(attaches->size(), 2u);
    const auto attachesOf = [&](const std::string& key) {
        return std::count_if(attaches->begin(), attaches->end(), [&](const auto& a) { return a.display == key; });
    };
    EXPECT_EQ(attachesOf(builtIn.key), 1);
    EXPECT_EQ(attachesOf(external.key), 1);
    for (const auto& a : *attaches) {
        if (a.display == external.key) {
            EXPECT_EQ(a.method, TintMethod::gamma);
        }
    }
    EXPECT_EQ(engine->slots().at(external.id).method, TintMethod::gamma);
    EXPECT_NE(engine->slots().at(builtIn.id).method, TintMethod::gamma);

    // The machine's journal: gamma tables written for the external monitor only, and
    // never given back (no gamma back-end was detached).
    const auto written = sim->journal().calls("gammaTables.write");
    ASSERT_FALSE(written.empty());
    for (const auto& call : written) {
        ASSERT_TRUE(call.arguments.dictionary());
        EXPECT_EQ(call.arguments.dictionary()->at("display").integer(), std::int64_t(external.id));
    }
    EXPECT_TRUE(sim->journal().calls("gammaTables.restoreDisplay").empty());
    EXPECT_TRUE(sim->journal().calls("gammaTables.restoreColorSyncSettings").empty());
    const auto state = sim->state();
    ASSERT_TRUE(state.display(external.id));
    EXPECT_TRUE(state.display(external.id)->gamma) << "the first decision is on screen";
}

}  // namespace
}  // namespace orvane
