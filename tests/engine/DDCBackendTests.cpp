#include <gtest/gtest.h>

#include "DDCFixture.h"
#include "engine/DDCBackend.h"
#include "engine/TintEngine.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::DDCTest;
using orvane::testing::LogCapture;

namespace {

using Sets = std::vector<std::pair<int, int>>;

RenderRequest gains(double r, double g, double b) {
    return RenderRequest(Multiplier(r, g, b), false, false, OverlayPlan::none, std::nullopt);
}

class DDCBackendTest : public DDCTest {
protected:
    std::string recordKey() const { return "ddc.snapshot." + external().key; }
    std::unique_ptr<DDCBackend> backend(std::uint32_t display = 2) {
        return std::make_unique<DDCBackend>(info(display), service(display), defaults, sim);
    }
    // Red, green, blue 80, brightness 60 and, when asked, a colour preset.
    void eightyEightyEighty(bool preset) {
        setFeature(2, 0x16, 80);
        setFeature(2, 0x18, 80);
        setFeature(2, 0x1A, 80);
        setFeature(2, 0x10, 60);
        if (preset) setFeature(2, 0x14, 5, 20);
    }
    std::unique_ptr<DDCBackend> attached() {
        auto b = backend();
        EXPECT_EQ(b->attach(external()), std::nullopt);
        sim->journal().clear();
        return b;
    }
};

}  // namespace

TEST_F(DDCBackendTest, AttachRecordsTheMonitorsOwnValuesAndLeavesItAlone) {
    auto b = backend();
    ASSERT_EQ(b->attach(external()), std::nullopt);
    EXPECT_EQ(b->snapshot(), (DDCRecord::Values{{0x10, 70}, {0x16, 50}, {0x18, 50}, {0x1A, 50}}));
    EXPECT_EQ(b->maxima().at(0x16), 100);
    EXPECT_EQ(
        defaults->dictionary(recordKey()),
        (Dictionary{
            {"16", std::int64_t{70}}, {"22", std::int64_t{50}}, {"24", std::int64_t{50}}, {"26", std::int64_t{50}}}));
    EXPECT_TRUE(sets().empty());
    EXPECT_EQ(b->kind(), BackendKind::ddc);
}

TEST_F(DDCBackendTest, AMonitorWithoutRedGainIsUnsupportedAndLeavesNoRecord) {
    // It answers "unsupported" for 0x16, which must not be taken for a red gain of 0.
    removeFeature(2, 0x16);
    auto b = backend();
    const auto error = b->attach(external());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description(), "monitor does not expose RGB gain over DDC");
    EXPECT_FALSE(defaults->object(recordKey()));

    // A monitor whose red-gain reply is garbled on the way is refused the same way.
    setFeature(2, 0x16, 50);
    sim->fail("i2c.checksum", 0, 2);
    EXPECT_TRUE(backend()->attach(external()));  // brightness and red both garbled
    EXPECT_FALSE(defaults->object(recordKey()));
}

TEST_F(DDCBackendTest, AGainSetScalesTheSnapshotAfterThePreset) {
    struct Case {
        bool preset;
        Multiplier m;
        Sets written;
    };
    const Case cases[] = {
        {true, {0.5, 0.4, 0.3}, {{0x14, 11}, {0x16, 80}, {0x18, 64}, {0x1A, 48}, {0x10, 30}}},
        {false, {0.5, 0.4, 0.3}, {{0x16, 80}, {0x18, 64}, {0x1A, 48}, {0x10, 30}}},
        {false, {0, 0, 0}, {{0x16, 80}, {0x18, 80}, {0x1A, 80}, {0x10, 0}}},
        {false, {1, 0.5, 0.25}, {{0x16, 80}, {0x18, 40}, {0x1A, 20}, {0x10, 60}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preset ? "with preset" : "without preset");
        if (!c.preset) removeFeature(2, 0x14);
        eightyEightyEighty(c.preset);
        defaults->remove(recordKey());
        auto b = attached();
        b->apply(RenderRequest(c.m, false, false, OverlayPlan::none, std::nullopt), 0);
        EXPECT_EQ(sets(), c.written);
        EXPECT_EQ(b->current(), c.m);
        // Every non-animated apply sends all writes, even when nothing changed.
        sim->journal().clear();
        b->apply(RenderRequest(c.m, false, false, OverlayPlan::none, std::nullopt), 0);
        EXPECT_EQ(sets(), c.written);
        b->detach();
    }
}

TEST_F(DDCBackendTest, ShortTransitionsAreWrittenAtOnceLongerOnesFadeAtFourStepsASecond) {
    eightyEightyEighty(false);
    auto b = attached();
    b->apply(gains(0.5, 0.5, 0.5), 0.1);
    EXPECT_EQ(sets(), (Sets{{0x16, 80}, {0x18, 80}, {0x1A, 80}, {0x10, 30}}));
    EXPECT_FALSE(b->isAnimating());

    sim->journal().clear();
    const double start = clock->monotonic();
    b->apply(gains(1, 1, 1), 0.11);
    EXPECT_TRUE(b->isAnimating());
    EXPECT_TRUE(sets().empty());
    scheduler->advance(0.25);
    EXPECT_EQ(sets(), (Sets{{0x16, 80}, {0x18, 80}, {0x1A, 80}, {0x10, 60}}));
    EXPECT_GE(packets().front().time - start, 0.25 - 1e-9);
    EXPECT_FALSE(b->isAnimating());

    // A one-second fade: four gain sets, eased, the last on the target.
    sim->journal().clear();
    b->apply(gains(0.5, 0.5, 0.5), 1.0);
    std::vector<int> brightness;
    for (int i = 0; i < 6; ++i) {
        scheduler->advance(0.25);
        for (const auto& [code, v] : sets())
            if (code == 0x10) brightness.push_back(v);
        sim->journal().clear();
    }
    EXPECT_EQ(brightness, (std::vector<int>{56, 45, 34, 30}));  // 60 → 30 eased at 0.25, 0.5, 0.75, 1
    EXPECT_EQ(b->current(), Multiplier(0.5, 0.5, 0.5));
    EXPECT_FALSE(b->isAnimating());
}

TEST_F(DDCBackendTest, RepairRewritesTheGainsOnlyBeyondTwoSteps) {
    LogCapture logs;
    eightyEightyEighty(false);
    auto b = attached();
    b->apply(gains(0.5, 0.4, 0.3), 0);  // red written as 80
    struct Case {
        int red;
        bool rewrites;
    };
    for (const Case c : {Case{82, false}, Case{78, false}, Case{83, true}, Case{77, true}}) {
        SCOPED_TRACE(c.red);
        setFeature(2, 0x16, static_cast<std::uint16_t>(c.red));
        sim->journal().clear();
        b->verifyAndRepair();
        EXPECT_EQ(requests(), 1u);
        EXPECT_EQ(sets(), c.rewrites ? (Sets{{0x16, 80}, {0x18, 64}, {0x1A, 48}, {0x10, 30}}) : Sets{});
    }

    // During a fade nothing is read; once it has ended the check runs again.
    b->apply(gains(1, 1, 1), 1.0);
    sim->journal().clear();
    b->verifyAndRepair();
    EXPECT_TRUE(packets().empty());
    scheduler->advance(1.0);
    ASSERT_FALSE(b->isAnimating());
    setFeature(2, 0x16, 70);
    sim->journal().clear();
    b->verifyAndRepair();
    EXPECT_EQ(sets(), (Sets{{0x16, 80}, {0x18, 80}, {0x1A, 80}, {0x10, 60}}));
    EXPECT_EQ(logs.messages("ddc").back(), "red gain reads 70, expected 80; writing the gains again");
}

TEST_F(DDCBackendTest, DetachRestoresPresetFirstAndBrightnessLastThenDropsTheRecord) {
    eightyEightyEighty(true);
    auto b = attached();
    b->apply(gains(0.5, 0.4, 0.3), 0);
    sim->journal().clear();
    b->detach();
    // The preset goes first: selecting it afterwards could undo the gains.
    EXPECT_EQ(sets(), (Sets{{0x14, 5}, {0x16, 80}, {0x18, 80}, {0x1A, 80}, {0x10, 60}}));
    EXPECT_EQ(value(2, 0x14), 5);
    EXPECT_EQ(value(2, 0x18), 80);
    EXPECT_EQ(value(2, 0x10), 60);
    EXPECT_FALSE(defaults->object(recordKey()));
    EXPECT_EQ(b->current(), Multiplier::identity);

    // A back-end that never attached has nothing to undo and leaves an earlier record alone.
    defaults->set(recordKey(), Dictionary{{"22", std::int64_t{40}}});
    sim->journal().clear();
    backend()->detach();
    EXPECT_TRUE(sets().empty());
    EXPECT_TRUE(defaults->object(recordKey()));
}

TEST_F(DDCBackendTest, BrightnessSetByTheKeysSurvivesTheNextGainSet) {
    eightyEightyEighty(false);
    auto b = attached();
    b->apply(gains(0.5, 0.4, 0.3), 0);
    sim->journal().clear();
    b->setBrightness(0.4);
    EXPECT_EQ(sets(), (Sets{{0x10, 40}}));
    EXPECT_EQ(b->current(), Multiplier(0.5, 0.4, 0.3));

    sim->journal().clear();
    b->apply(gains(0.5, 0.4, 0.3), 0);
    EXPECT_EQ(sets().back(), std::make_pair(0x10, 40));
    // Brighter tint: brightness rises with it from the user's level, up to the maximum.
    sim->journal().clear();
    b->apply(gains(1, 0.8, 0.6), 0);
    EXPECT_EQ(sets().back(), std::make_pair(0x10, 80));
    sim->journal().clear();
    b->setBrightness(0.9);
    b->apply(gains(0.5, 0.4, 0.3), 0);
    EXPECT_EQ(sets().back(), std::make_pair(0x10, 45));

    // The monitor's own value is still what goes back.
    EXPECT_EQ(b->snapshot().at(0x10), 60);
    b->detach();
    EXPECT_EQ(value(2, 0x10), 60);
}

TEST_F(DDCBackendTest, BrightnessFractionsAreClampedToTheMonitorsRange) {
    setFeature(2, 0x10, 60, 80);
    auto b = attached();
    struct Case {
        double fraction;
        int written;
    };
    for (const Case c : {Case{1.5, 80}, Case{-1, 0}, Case{0.5, 40}, Case{std::nan(""), 0}}) {
        sim->journal().clear();
        b->setBrightness(c.fraction);
        EXPECT_EQ(sets(), (Sets{{0x10, c.written}})) << c.fraction;
    }
    setFeature(2, 0x10, 20, 80);
    EXPECT_EQ(b->brightnessFraction(), 0.25);
    setFeature(2, 0x10, 0, 0);
    EXPECT_EQ(b->brightnessFraction(), std::nullopt);
    setFeature(2, 0x10, 20, 80);
    sim->fail("i2c.read", 1000, 1);
    EXPECT_EQ(b->brightnessFraction(), std::nullopt);
}

TEST_F(DDCBackendTest, AttachRestoresARecordLeftBehindBeforeItLooks) {
    // A crashed run left the monitor tinted and its own values on record.
    eightyEightyEighty(true);
    setFeature(2, 0x16, 40);
    setFeature(2, 0x10, 20);
    setFeature(2, 0x14, 11, 20);
    defaults->set(recordKey(), Dictionary{{"16", std::int64_t{60}},
                                          {"20", std::int64_t{5}},
                                          {"22", std::int64_t{80}},
                                          {"24", std::int64_t{80}},
                                          {"26", std::int64_t{80}}});
    auto b = backend();
    ASSERT_EQ(b->attach(external()), std::nullopt);
    EXPECT_EQ(sets(), (Sets{{0x14, 5}, {0x16, 80}, {0x18, 80}, {0x1A, 80}, {0x10, 60}}));
    EXPECT_EQ(b->snapshot(), (DDCRecord::Values{{0x10, 60}, {0x14, 5}, {0x16, 80}, {0x18, 80}, {0x1A, 80}}));
    EXPECT_EQ(defaults->dictionary(recordKey())->at("16"), Value(std::int64_t{60}));
}

TEST_F(DDCBackendTest, BadRecordsWriteNothingUnsafeAndLoseNoOtherEntry) {
    struct Case {
        const char* what;
        Value record;
        Sets written;
        std::size_t logLines;
    };
    const Case cases[] = {
        {"a value out of range", Dictionary{{"22", std::int64_t{70000}}, {"16", std::int64_t{60}}}, {{0x10, 60}}, 1},
        {"a factory reset", Dictionary{{"4", std::int64_t{1}}, {"24", std::int64_t{45}}}, {{0x18, 45}}, 1},
        {"a key that is no code", Dictionary{{"x", std::int64_t{5}}, {"26", std::int64_t{44}}}, {{0x1A, 44}}, 1},
        {"a code with a leading zero, a negative value, a Boolean",
         Dictionary{{"022", std::int64_t{1}}, {"16", std::int64_t{-3}}, {"24", true}, {"22", std::int64_t{30}}},
         {{0x16, 30}},
         1},
        {"not a dictionary", Value(std::int64_t{22}), {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        defaults->set(recordKey(), c.record);
        sim->journal().clear();
        LogCapture logs;
        auto b = backend();
        ASSERT_EQ(b->attach(external()), std::nullopt);
        EXPECT_EQ(sets(), c.written);
        EXPECT_EQ(logs.messages("ddc").size(), c.logLines);
        // The fresh snapshot replaces the record.
        EXPECT_EQ(defaults->dictionary(recordKey())->size(), 4u);
        b->detach();
    }
}

TEST_F(DDCBackendTest, ReattachedUnderAnotherKeyTheMonitorIsRestoredFirst) {
    eightyEightyEighty(false);
    auto b = attached();
    b->apply(gains(0.5, 0.4, 0.3), 0);
    DisplayInfo renamed = external();
    renamed.key = "vms:1-2-3";
    ASSERT_EQ(b->attach(renamed), std::nullopt);
    // The fresh snapshot holds the monitor's own values, not the tint.
    EXPECT_EQ(b->snapshot(), (DDCRecord::Values{{0x10, 60}, {0x16, 80}, {0x18, 80}, {0x1A, 80}}));
    EXPECT_FALSE(defaults->object(recordKey()));
    EXPECT_TRUE(defaults->object("ddc.snapshot.vms:1-2-3"));
}

TEST_F(DDCBackendTest, TheEngineRestoresEveryMonitorWhenItDetachesAll) {
    eightyEightyEighty(false);
    const std::uint32_t second = addMonitor(50, 90, 90, 90);
    std::map<std::uint32_t, std::shared_ptr<DDCService>> services;
    for (auto& s : DDCService::externalServices(library)) services[*s->displayId()] = s;
    ASSERT_EQ(services.size(), 2u);

    TintEngine engine(sim);
    engine.ddcAvailability = [&](const DisplayInfo& d) { return services.count(d.id) > 0; };
    std::map<std::string, DisplaySettings> displays;
    for (const auto& d : DisplayManager::currentDisplays(*sim)) {
        DisplaySettings s;
        s.isBuiltIn = d.isBuiltIn;
        if (!d.isBuiltIn) s.method = TintMethod::ddc;
        displays[d.key] = s;
    }
    engine.setDisplaySettings(displays);
    engine.backendFactory = [&](TintMethod m, const DisplayInfo& d,
                                const Calibration&) -> std::shared_ptr<TintBackend> {
        if (m == TintMethod::ddc && services.count(d.id))
            return std::make_shared<DDCBackend>(d, services[d.id], defaults, sim);
        return nullptr;
    };
    engine.reconfigure();
    ASSERT_EQ(engine.activeMethod(external()), TintMethod::ddc);
    ASSERT_EQ(engine.activeMethod(info(second)), TintMethod::ddc);

    engine.apply(TintState(3400, 0.8, RedStyle::pure, false), Transition::instant, 0.05);
    EXPECT_LT(value(2, 0x1A), 80);
    EXPECT_LT(value(second, 0x1A), 90);

    engine.detachAll();
    EXPECT_EQ((std::vector<int>{value(2, 0x10), value(2, 0x16), value(2, 0x18), value(2, 0x1A)}),
              (std::vector<int>{60, 80, 80, 80}));
    EXPECT_EQ((std::vector<int>{value(second, 0x10), value(second, 0x16), value(second, 0x18), value(second, 0x1A)}),
              (std::vector<int>{50, 90, 90, 90}));
    for (const auto& key : defaults->keys()) EXPECT_NE(key.rfind("ddc.snapshot.", 0), 0u) << key;
}
