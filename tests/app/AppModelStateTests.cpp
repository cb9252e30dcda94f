// The application model's construction, its property observers and derived values.
#include <gtest/gtest.h>

#include <algorithm>

#include "ModelFixture.h"
#include "core/ColorMatrix.h"
#include "core/Kelvin.h"
#include "core/SettingsCodec.h"

namespace orvane {
namespace {

using platform::sim::SimState;
using Property = AppModel::Property;

class AppModelStateTest : public testing::ModelTest {};

TEST_F(AppModelStateTest, ConstructionLoadsTheDocumentsAndAppliesTheFirstDecisionWithTheWakeTransition) {
    RuntimeState runtime;
    runtime.cozyActive = true;
    const std::string text = json::encodeCompact(runtime.toJson());
    defaults->set("runtime.json", platform::Value(platform::Bytes(text.begin(), text.end())));
    start(testing::manualSettings(2900, 0.8));
    EXPECT_EQ(model->settings().manualKelvin, 2900);
    EXPECT_TRUE(model->runtime().cozyActive);
    ASSERT_TRUE(lastRendered(1));
    // The first real decision already sees the stored wind down; it arrives with the wake fade.
    EXPECT_TRUE(model->resolution().status.is<TintStatus::Cozy>());
    EXPECT_EQ(lastRendered(1)->duration, Transition::wake.duration);
    EXPECT_EQ(lastRendered(1)->request, engine->request(display(1)));
    EXPECT_TRUE(model->tickTimer());
}

// A desktop's overlay windows as far as the compositing manager goes: the test says
// whether one runs, and each change is announced on the loop, as the X server's event is.
class AnnouncingCompositor final : public platform::OverlayWindows {
public:
    explicit AnnouncingCompositor(std::shared_ptr<platform::Scheduler> scheduler) : scheduler_(std::move(scheduler)) {}
    std::unique_ptr<platform::OverlayWindow> create(const platform::Rect&, const platform::OverlayStyle&) override {
        return nullptr;  // no panel is needed here
    }
    int maximumWindowLevel() override { return platform::highestWindowLevel; }
    bool canShowTranslucent() override {
        ++questions;
        return running;
    }
    platform::Handle observeTranslucency(std::function<void()> changed) override {
        auto f = std::make_shared<std::function<void()>>(std::move(changed));
        observers.push_back(f);
        return platform::Handle([this, f] { std::erase(observers, f); });
    }
    void set(bool on) {
        running = on;
        for (const auto& f : observers) scheduler_->post([f] { (*f)(); });
    }

    bool running = false;
    int questions = 0;
    std::vector<std::shared_ptr<std::function<void()>>> observers;

private:
    std::shared_ptr<platform::Scheduler> scheduler_;
};

// What the computer can do is read again when a compositing manager comes or goes, at
// once; while nothing changes nothing asks again on a timer.
TEST_F(AppModelStateTest, ACompositorComingOrGoingIsReadIntoTheCapabilitiesAtOnce) {
    auto compositor = std::make_shared<AnnouncingCompositor>(scheduler);
    sim->setOverlayWindows(compositor);
    start();  // the daytime: no tint, so no repair pass either
    EXPECT_FALSE(model->capabilities().compositor);
    ASSERT_EQ(compositor->observers.size(), 1u);

    compositor->set(true);
    scheduler->runPending();
    EXPECT_TRUE(model->capabilities().compositor);
    compositor->set(false);
    scheduler->runPending();
    EXPECT_FALSE(model->capabilities().compositor);

    const int asked = compositor->questions;
    scheduler->advance(600);
    EXPECT_EQ(compositor->questions, asked) << "asked again with nothing changed";
    model.reset();
    EXPECT_TRUE(compositor->observers.empty()) << "the model's observer goes with it";
}

TEST_F(AppModelStateTest, AnEqualSettingsValueRunsNothing) {
    start(testing::manualSettings());
    forget();
    int notifications = 0;
    auto subscription = model->observe([&](Property) { ++notifications; });
    model->setSettings(model->settings());
    EXPECT_EQ(notifications, 0);
    EXPECT_FALSE(store->hasPending());
    EXPECT_TRUE(settingsChanges.empty());
    EXPECT_TRUE(resolutions.empty());
    EXPECT_TRUE(rendered->empty());
}

TEST_F(AppModelStateTest, APresetChangeSavesRecomputesOnceAndReportsOldAndNew) {
    start(testing::manualSettings());
    forget();
    std::vector<Property> announced;
    auto subscription = model->observe([&](Property p) { announced.push_back(p); });
    Settings s = model->settings();
    s.presets[0].name = "Noon";
    const Settings old = model->settings();
    model->setSettings(s);
    EXPECT_TRUE(store->hasPending());
    ASSERT_EQ(settingsChanges.size(), 1u);
    EXPECT_EQ(settingsChanges[0].first, old);
    EXPECT_EQ(settingsChanges[0].second, s);
    EXPECT_EQ(resolutions.size(), 1u);
    ASSERT_FALSE(announced.empty());
    EXPECT_EQ(announced.front(), Property::settings);
    EXPECT_EQ(std::count(announced.begin(), announced.end(), Property::settings), 1);
    scheduler->advance(0.5);
    EXPECT_EQ(SettingsCodec::decode(*storedText("settings.json")), s);
}

TEST_F(AppModelStateTest, ADisplayEntryChangeReconfiguresTheEngineBeforeTheRecompute) {
    start(testing::manualSettings());
    ASSERT_EQ(engine->activeMethod(display(1)), TintMethod::matrix);
    forget();
    Settings s = model->settings();
    s.displays[display(1).key].method = TintMethod::gamma;
    model->setSettings(s);
    EXPECT_EQ(engine->slots().at(1).method, TintMethod::gamma);
    // The recompute after the change already reaches the new back-end.
    ASSERT_TRUE(lastRendered(1));
    EXPECT_EQ(lastRendered(1)->method, TintMethod::gamma);
}

TEST_F(AppModelStateTest, ACalibrationChangeReachesTheEngine) {
    start(testing::manualSettings());
    Settings s = model->settings();
    s.calibration.layerColorMode = LayerColorMode::rawSRGB;
    model->setSettings(s);
    EXPECT_EQ(engine->calibration(), s.calibration);
}

TEST_F(AppModelStateTest, ChangingTheLocationSourceRelocatesAndRecomputesTwice) {
    start();
    EXPECT_EQ(model->location().timeZoneIdentifier, "Europe/Berlin");
    forget();
    Settings s = model->settings();
    s.sunset.locationSource = LocationSource::TimeZone{std::string("Asia/Tokyo")};
    model->setSettings(s);
    EXPECT_EQ(model->location().timeZoneIdentifier, "Asia/Tokyo");
    EXPECT_EQ(resolutions.size(), 2u);
    EXPECT_EQ(settingsChanges.size(), 1u);
}

TEST_F(AppModelStateTest, HidingTheTintFromScreenshotsSetsTheEnginesSharingType) {
    start(testing::manualSettings());
    Settings s = model->settings();
    s.hideTintFromScreenshots = true;
    s.nightShiftFloorKelvin = 3000;
    s.deepRedStrength = 0.4;
    model->setSettings(s);
    EXPECT_EQ(engine->sharingType(), platform::SharingType::none);
    EXPECT_EQ(engine->nightShiftFloor(), 3000);
    EXPECT_EQ(engine->deepRedStrength(), 0.4);
    s.hideTintFromScreenshots = false;
    model->setSettings(s);
    EXPECT_EQ(engine->sharingType(), platform::SharingType::readOnly);
}

TEST_F(AppModelStateTest, RestDimStartsAndEndsABreakWithItsOwnFadesAndOnlyDarkens) {
    start(testing::manualSettings(3400, 0.8));
    forget();
    model->setRestDim(0.45);
    ASSERT_TRUE(lastRendered(1));
    EXPECT_EQ(lastRendered(1)->duration, 3.0);
    const Multiplier gains = Kelvin::multiplier(3400.0);
    EXPECT_NEAR(lastRendered(1)->request.multiplier.g, gains.g * 0.45, 1e-9);
    EXPECT_EQ(model->resolution().target.dim, 0.8) << "the decision itself keeps its dim";

    forget();
    model->setRestDim(0.45);
    EXPECT_TRUE(rendered->empty()) << "an equal value does nothing";

    model->setRestDim(std::nullopt);
    ASSERT_TRUE(lastRendered(1));
    EXPECT_EQ(lastRendered(1)->duration, 1.5);
    EXPECT_NEAR(lastRendered(1)->request.multiplier.g, gains.g * 0.8, 1e-9);

    // A target darker than the break's dim stays as it is.
    Settings s = model->settings();
    s.manualDim = 0.3;
    model->setSettings(s);
    model->setRestDim(0.45);
    EXPECT_NEAR(lastRendered(1)->request.multiplier.g, gains.g * 0.3, 1e-9);
}

TEST_F(AppModelStateTest, EveryAssignmentOfPreciseCoordinatesRelocatesAndRecomputes) {
    Settings s;
    s.sunset.locationSource = LocationSource::Precise{};
    start(s);
    forget();
    model->setPreciseCoordinates(LocationSource::Coordinates{48.85, 2.35});
    model->setPreciseCoordinates(LocationSource::Coordinates{48.85, 2.35});
    EXPECT_EQ(resolutions.size(), 2u);
    EXPECT_NEAR(model->location().latitude, 48.85, 1e-9);
    EXPECT_NEAR(model->location().longitude, 2.35, 1e-9);
}

TEST_F(AppModelStateTest, RevealIsInstantAndOnlyOnAChange) {
    start(testing::manualSettings());
    forget();
    model->setRevealHeld(true);
    ASSERT_TRUE(lastRendered(1));
    EXPECT_EQ(lastRendered(1)->duration, 0);
    EXPECT_TRUE(lastRendered(1)->request.isIdentity());
    forget();
    model->setRevealHeld(true);
    EXPECT_TRUE(rendered->empty());
    EXPECT_TRUE(resolutions.empty());
}

// The front application follows every focus change: to the program's own windows, which
// are never excluded (not even under their own identifier), and to nothing at all. The views
// keep offering the last other application while the program's own window is in front.
TEST_F(AppModelStateTest, TheFrontApplicationFollowsTheFocusToTheProgramsOwnWindowsAndToNothing) {
    const platform::RunningApplication editor{std::string("com.example.editor"), std::string("Editor"), 42};
    const platform::RunningApplication own{std::string(platform::bundleIdentifier), std::string("Orvane"), 7};
    Settings s = testing::manualSettings();
    s.excludedApps = {ExcludedApp{"com.example.editor", "Editor", false},
                      ExcludedApp{std::string(platform::bundleIdentifier), "Orvane", false}};
    sim->update([&](SimState& st) { st.frontApplication = editor; });
    start(s);
    EXPECT_TRUE(model->resolution().status.is<TintStatus::ExcludedApp>());

    const struct {
        const char* name;
        std::optional<platform::RunningApplication> front;
        std::optional<std::string> bundleID;
        bool excluded;
        std::optional<std::string> offered;  // the application the views offer to exclude
    } steps[] = {
        {"the program's own window", own, std::nullopt, false, "Editor"},
        {"the excluded application again", editor, "com.example.editor", true, "Editor"},
        {"the excluded window closed: nothing in front", std::nullopt, std::nullopt, false, std::nullopt},
        {"the program's own window after nothing", own, std::nullopt, false, std::nullopt},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        sim->update([&](SimState& st) { st.frontApplication = step.front; });
        sim->postWorkspaceEvent(platform::WorkspaceEvent::didActivateApplication);
        settle();
        EXPECT_EQ(model->frontmostBundleID(), step.bundleID);
        EXPECT_EQ(model->resolution().status.is<TintStatus::ExcludedApp>(), step.excluded);
        ASSERT_TRUE(lastRendered(1));
        EXPECT_EQ(lastRendered(1)->request.isIdentity(), step.excluded) << "tinted unless excluded";
        EXPECT_EQ(model->frontmostAppInfo() ? std::optional(model->frontmostAppInfo()->name) : std::nullopt,
                  step.offered);
    }
}

// Started while its own window is in front (the settings window brought up by a second
// start): nothing is excluded and nothing is offered.
TEST_F(AppModelStateTest, StartedWithItsOwnWindowInFrontNothingIsExcluded) {
    Settings s = testing::manualSettings();
    s.excludedApps = {ExcludedApp{std::string(platform::bundleIdentifier), "Orvane", false}};
    sim->update([](SimState& st) {
        st.frontApplication =
            platform::RunningApplication{std::string(platform::bundleIdentifier), std::string("Orvane"), 7};
    });
    start(s);
    EXPECT_EQ(model->frontmostBundleID(), std::nullopt);
    EXPECT_EQ(model->frontmostAppInfo(), std::nullopt);
    EXPECT_FALSE(lastRendered(1)->request.isIdentity());
}

// Settings damaged in one value start with every other value, are kept aside at once and
// replaced by what was read of them; the model holds what happened until it is dismissed.
TEST_F(AppModelStateTest, DamagedSettingsAreKeptAsideAndToldUntilDismissed) {
    Settings user = testing::manualSettings(2900, 0.8);
    user.onboardingCompleted = true;
    Json damaged = user.toJson();
    damaged["dimFloor"] = "very dark";
    const std::string text = damaged.dump();
    defaults->set(std::string(SettingsStore::settingsKey), platform::Value(platform::Bytes(text.begin(), text.end())));
    start();
    EXPECT_EQ(model->settings().manualKelvin, 2900);
    EXPECT_TRUE(model->settings().onboardingCompleted);
    EXPECT_EQ(model->damagedDocuments(),
              (std::vector<SettingsStore::Damage>{{"settings.json", {"dimFloor"}, "settings.json.unreadable"}}));
    EXPECT_EQ(defaults->data("settings.json.unreadable"), platform::Bytes(text.begin(), text.end()));
    const auto stored = defaults->data(std::string(SettingsStore::settingsKey));
    ASSERT_TRUE(stored);
    EXPECT_EQ(SettingsCodec::decode(std::string(stored->begin(), stored->end())), model->settings())
        << "the damaged document was replaced";

    std::vector<Property> announced;
    auto subscription = model->observe([&](Property p) { announced.push_back(p); });
    model->dismissDamagedDocuments();
    EXPECT_TRUE(model->damagedDocuments().empty());
    EXPECT_EQ(std::count(announced.begin(), announced.end(), Property::damagedDocuments), 1);

    // The next start finds nothing damaged.
    model.reset();
    engine->detachAll();
    start();
    EXPECT_TRUE(model->damagedDocuments().empty());
    EXPECT_EQ(model->settings().manualKelvin, 2900);
}

TEST_F(AppModelStateTest, AnExcludedFrontApplicationLiftsTheTint) {
    Settings s = testing::manualSettings();
    s.excludedApps.push_back(ExcludedApp{"com.example.player", "Player", false});
    start(s);
    EXPECT_FALSE(lastRendered(1)->request.isIdentity());
    sim->update([](SimState& st) {
        st.frontApplication = platform::RunningApplication{std::string("com.example.player"), std::string("Player"), 9};
    });
    sim->postWorkspaceEvent(platform::WorkspaceEvent::didActivateApplication);
    settle();
    EXPECT_TRUE(model->resolution().status.is<TintStatus::ExcludedApp>());
    EXPECT_TRUE(lastRendered(1)->request.isIdentity());
}

TEST_F(AppModelStateTest, AnExclusionStoredUnderTheWindowClassOrTheCatalogueIdLiftsTheTint) {
    // The catalogue knows the application whose windows report "Gimp-2.10" as "gimp".
    sim->update([](SimState& st) {
        st.applications = {{"gimp", "GIMP", std::nullopt, std::string("Gimp-2.10"), std::nullopt}};
    });
    for (const char* stored : {"Gimp-2.10", "gimp"}) {
        SCOPED_TRACE(stored);
        Settings s = testing::manualSettings();
        s.excludedApps = {ExcludedApp{"other", "Other", false}, ExcludedApp{stored, "GIMP", false}};
        sim->update([](SimState& st) { st.frontApplication.reset(); });
        start(s);
        EXPECT_FALSE(lastRendered(1)->request.isIdentity());
        sim->update([](SimState& st) {
            st.frontApplication = platform::RunningApplication{std::string("Gimp-2.10"), std::nullopt, 9};
        });
        sim->postWorkspaceEvent(platform::WorkspaceEvent::didActivateApplication);
        settle();
        ASSERT_TRUE(model->frontmostAppInfo());
        EXPECT_EQ(model->frontmostAppInfo()->bundleID, "gimp");
        EXPECT_EQ(model->frontmostAppInfo()->name, "GIMP");
        EXPECT_EQ(model->frontmostAppInfo()->windowClass, "Gimp-2.10");
        EXPECT_TRUE(model->resolution().status.is<TintStatus::ExcludedApp>());
        EXPECT_TRUE(lastRendered(1)->request.isIdentity());
        EXPECT_EQ(model->settings().excludedApps[1].bundleID, stored) << "nothing stored is rewritten";

        // Toggling the front application takes out its entry, whichever name it is stored under.
        model->toggleExclusion("gimp", "GIMP");
        EXPECT_EQ(model->settings().excludedApps, (std::vector<ExcludedApp>{{"other", "Other", false}}));
    }
}

TEST_F(AppModelStateTest, NewDisplaysAreRememberedAndKnownOnesCauseNoWrite) {
    start();
    for (const std::uint32_t id : {1u, 2u}) {
        const auto entry = model->settings().displays.find(display(id).key);
        ASSERT_NE(entry, model->settings().displays.end());
        EXPECT_EQ(entry->second.lastKnownName, display(id).name);
        EXPECT_EQ(entry->second.isBuiltIn, display(id).isBuiltIn);
    }
    scheduler->advance(0.5);
    model.reset();
    engine->detachAll();

    // Everything already known: nothing to write.
    start();
    EXPECT_FALSE(store->hasPending());

    // A display plugged in later gets its entry.
    forget();
    platform::sim::SimDisplay projector;
    projector.name = "Projector";
    projector.frame = {-1920, 0, 1920, 1080};
    projector.uuid = "0C3A5E7F-1B2D-4F60-8A9C-B1D2E3F40516";
    const auto id = sim->addDisplay(projector);
    settle();
    EXPECT_EQ(model->displays().size(), 3u);
    EXPECT_EQ(model->settings().displays.at(display(id).key).lastKnownName, "Projector");
    EXPECT_EQ(settingsChanges.size(), 1u);
}

TEST_F(AppModelStateTest, WakeVerifiesAndReappliesWithTheWakeFade) {
    start(testing::manualSettings());
    forget();
    sim->postWorkspaceEvent(platform::WorkspaceEvent::didWake);
    scheduler->runPending();
    ASSERT_TRUE(lastRendered(1));
    EXPECT_EQ(lastRendered(1)->duration, Transition::wake.duration);
}

TEST_F(AppModelStateTest, EffectiveWhiteFollowsThePrimaryDisplaysMethod) {
    start(testing::manualSettings());
    ASSERT_EQ(model->primaryMethod(), TintMethod::matrix);
    const TintState state(3400, 0.5, RedStyle::readable, false);
    EXPECT_EQ(model->effectiveWhite(state), ColorMatrix::make(state).white());
    EXPECT_EQ(model->effectiveWhite(TintState(6500, 0.9995, RedStyle::readable, false)), Multiplier::identity);
    EXPECT_NE(model->effectiveWhite(TintState(6500, 0.998, RedStyle::readable, false)), Multiplier::identity);

    // With the overlay method the red layer is laid over the kelvin-less base.
    Settings s = model->settings();
    s.displays[display(1).key].method = TintMethod::overlay;
    model->setSettings(s);
    ASSERT_EQ(model->primaryMethod(), TintMethod::overlay);
    const OverlayPlan plan = OverlayPlan::make(3400, 0.5, false, s.nightShiftFloorKelvin, s.deepRedStrength);
    const Multiplier white = model->effectiveWhite(state);
    EXPECT_NEAR(white.g,
                (1 - plan.redOpacity) * (1 - plan.dimOpacity) + plan.green * plan.redOpacity * (1 - plan.dimOpacity),
                1e-12);

    // The night light alone (no overlay reaches the screen) shows its own temperature, below
    // the floor too, with nothing laid over it and no dim.
    sim->update([](SimState& st) {
        st.overlaysReachScreen = false;
        for (auto& d : st.displays) d.gammaCapacity = 0;
    });
    s.displays[display(1).key].method = TintMethod::nightShift;
    model->setSettings(s);
    engine->reattach(display(1).id);
    model->refreshCapabilities();
    ASSERT_EQ(model->primaryMethod(), TintMethod::nightShift);
    EXPECT_EQ(model->effectiveWhite(TintState(1900, 0.5, RedStyle::pure, false)), Kelvin::multiplier(1900.0));
    EXPECT_EQ(model->effectiveWhite(TintState(6200, 0.5, RedStyle::pure, false)), Multiplier::identity);
}

TEST_F(AppModelStateTest, WithoutDisplaysTheWhiteIsTheKelvinGainsTimesDim) {
    sim->update([](SimState& st) { st.displays.clear(); });
    start();
    EXPECT_EQ(model->primaryMethod(), std::nullopt);
    const Multiplier gains = Kelvin::multiplier(3400.0);
    EXPECT_EQ(model->effectiveWhite(TintState(3400, 0.5, RedStyle::readable, false)),
              Multiplier(gains.r * 0.5, gains.g * 0.5, gains.b * 0.5));
}

TEST_F(AppModelStateTest, TonightReductionNeedsAMinuteOfEveningScreenTime) {
    // 21:00 in Berlin.
    clock->setNow(testing::berlinNoon + 9 * 3600);
    start(testing::manualSettings());
    Statistics statistics;
    const Calendar calendar(systemZone);
    statistics.record(TintState::off, 1.0, 59, clock->now(), calendar);
    model->setStatistics(statistics);
    EXPECT_EQ(model->tonightReduction(), std::nullopt);
    statistics.record(TintState(2700, 1.0, RedStyle::readable, false), 0.2, 61, clock->now(), calendar);
    model->setStatistics(statistics);
    ASSERT_TRUE(model->tonightReduction());
    EXPECT_NEAR(*model->tonightReduction(), 1 - (59 * 1.0 + 61 * 0.2) / 120, 1e-9);
    model->setRenderTonightReduction(0.42);
    EXPECT_EQ(model->tonightReduction(), 0.42);
}

TEST_F(AppModelStateTest, WarmingAndTheDerivedTexts) {
    start(testing::manualSettings(2700));
    EXPECT_TRUE(model->isWarming());
    EXPECT_FALSE(model->modeSubtitle().empty());
    const SunTimes today = model->sunTimesToday();
    ASSERT_TRUE(today.sunrise);
    EXPECT_EQ(Calendar(systemZone).dayKey(*today.sunrise), "2026-03-15");
    model->setEnabled(false);
    EXPECT_FALSE(model->isWarming());
}

TEST_F(AppModelStateTest, ObserversHearEachRealChangeOnce) {
    start(testing::manualSettings());
    std::vector<Property> heard;
    auto subscription = model->observe([&](Property p) { heard.push_back(p); });
    model->setSecurityPromptVisible(true);
    model->setSecurityPromptVisible(true);
    model->setHotkeysSuspended(true);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), Property::securityPromptVisible), 1);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), Property::resolution), 1) << "the prompt lifts the tint";
    EXPECT_EQ(std::count(heard.begin(), heard.end(), Property::hotkeysSuspended), 1);
}

TEST_F(AppModelStateTest, HotkeySuspensionCallsItsHookOnAChange) {
    start();
    int calls = 0;
    auto hook = model->onHotkeysChanged.subscribe([&] { ++calls; });
    model->setHotkeysSuspended(true);
    model->setHotkeysSuspended(true);
    model->setHotkeysSuspended(false);
    EXPECT_EQ(calls, 2);
}

TEST_F(AppModelStateTest, TheEngineHoldsTheDisplaySettingsAsValuesThatOutliveTheModel) {
    Settings s = testing::manualSettings();
    start(s);
    s = model->settings();
    s.displays[display(1).key].warmthOffsetKelvin = -500;
    model->setSettings(s);
    EXPECT_EQ(engine->displaySettings(display(1)).warmthOffsetKelvin, -500);
    model.reset();
    EXPECT_EQ(engine->displaySettings(display(1)).warmthOffsetKelvin, -500) << "no closure reaches into the model";
    sim->postWorkspaceEvent(platform::WorkspaceEvent::didWake);
    scheduler->advance(60);  // nothing runs on the vanished model
}

}  // namespace
}  // namespace orvane
