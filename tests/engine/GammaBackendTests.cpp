#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/GammaBackend.h"
#include "platform/Status.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::EngineTest;
using orvane::testing::LogCapture;

namespace {

RenderRequest gains(double r, double g, double b) {
    return RenderRequest(Multiplier(r, g, b), false, false, OverlayPlan::none, std::nullopt);
}

class GammaBackendTest : public EngineTest {
protected:
    std::optional<GammaRamp> table(std::uint32_t display) const { return sim->state().display(display)->gamma; }
    // The brightest entry of each channel as the display holds it (identity when none is stored).
    std::array<float, 3> top(std::uint32_t display) const {
        const auto t = table(display);
        if (!t) return {1, 1, 1};
        return {t->red.back(), t->green.back(), t->blue.back()};
    }
    void tamper(std::uint32_t display, const std::function<void(GammaRamp&)>& change) {
        sim->update([&](sim::SimState& s) {
            auto* d = s.display(display);
            if (!d->gamma) d->gamma = GammaRamp::identity(d->gammaCapacity);
            change(*d->gamma);
        });
    }
};

}  // namespace

TEST_F(GammaBackendTest, AttachFailsWithoutAReadableTable) {
    sim->changeDisplay(2, [](sim::SimDisplay& d) { d.gammaCapacity = 0; });
    GammaBackend none(builtIn(), sim);
    auto error = none.attach(external());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description(), "display has no gamma table");
    EXPECT_EQ(none.display().id, 2u);

    sim->fail("gamma.read", status::illegalArgument, 1);
    GammaBackend unreadable(builtIn(), sim);
    error = unreadable.attach(builtIn());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description(), "reading the gamma ramp (XRRGetCrtcGamma) failed: 1001");
    EXPECT_EQ(unreadable.count(), 0u);
}

TEST_F(GammaBackendTest, AFreshBackendWritesTheDisplaysOwnTablesUnchanged) {
    GammaRamp own = GammaRamp::identity(256);
    for (auto& v : own.blue) v *= 0.9f;
    sim->changeDisplay(1, [&](sim::SimDisplay& d) { d.gamma = own; });
    GammaBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    EXPECT_EQ(backend.count(), 256u);
    EXPECT_EQ(backend.base(), own);
    EXPECT_EQ(count("gammaTables.write"), 1u);
    EXPECT_EQ(table(1), own);
}

TEST_F(GammaBackendTest, GainsScaleTheBaseTablesAndFadeAtThirtyFrames) {
    GammaBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    backend.apply(gains(1, 0.5, 0.25), 0);
    EXPECT_EQ(top(1), (std::array<float, 3>{1, 0.5f, 0.25f}));
    EXPECT_TRUE(orvane::testing::colorNear(seen(1), {0.5, 0.25, 0.125}));

    backend.apply(gains(1, 0.6, 0.3), 0.03);  // at once
    EXPECT_FALSE(backend.isAnimating());
    EXPECT_EQ(top(1), (std::array<float, 3>{1, 0.6f, 0.3f}));
    backend.apply(gains(1, 0.5, 0.25), 0.031);
    EXPECT_TRUE(backend.isAnimating());
    scheduler->advance(0.1);
    EXPECT_EQ(top(1), (std::array<float, 3>{1, 0.5f, 0.25f}));

    sim->journal().clear();
    backend.apply(RenderRequest::identity(), 1);
    EXPECT_TRUE(backend.isAnimating());
    scheduler->advance(1.5);
    EXPECT_EQ(count("gammaTables.write"), 30u);
    EXPECT_FALSE(backend.isAnimating());
    EXPECT_FALSE(table(1));  // back to the identity exactly

    sim->journal().clear();
    backend.apply(RenderRequest::identity(), 2);  // what is shown already: at once, no fade
    EXPECT_FALSE(backend.isAnimating());
    EXPECT_EQ(count("gammaTables.write"), 1u);
}

TEST_F(GammaBackendTest, ReattachingWhileTintedTakesTheUntintedTablesAndKeepsTheOtherDisplaysTint) {
    GammaBackend first(builtIn(), sim), second(external(), sim);
    ASSERT_FALSE(first.attach(builtIn()));
    ASSERT_FALSE(second.attach(external()));
    first.apply(gains(1, 0.6, 0.3), 0);
    second.apply(gains(1, 0.7, 0.4), 0);
    const auto otherTint = table(2);

    sim->journal().clear();
    ASSERT_FALSE(first.attach(builtIn()));
    EXPECT_EQ(first.base(), GammaRamp::identity(256));  // not the tinted tables
    EXPECT_EQ(top(1), (std::array<float, 3>{1, 0.6f, 0.3f}));
    EXPECT_EQ(table(2), otherTint);
    EXPECT_EQ(count("gammaTables.restoreColorSyncSettings"), 0u);
    ASSERT_EQ(count("gammaTables.restoreDisplay"), 1u);
    EXPECT_EQ(calls("gammaTables.restoreDisplay")[0].arguments, Value(Dictionary{{"display", 1}}));
}

TEST_F(GammaBackendTest, DetachRestoresOnlyItsOwnDisplay) {
    GammaBackend first(builtIn(), sim), second(external(), sim);
    ASSERT_FALSE(first.attach(builtIn()));
    ASSERT_FALSE(second.attach(external()));
    first.apply(gains(1, 0.6, 0.3), 0);
    second.apply(gains(1, 0.7, 0.4), 0);
    const auto otherTint = table(2);

    first.detach();
    EXPECT_FALSE(table(1));
    EXPECT_EQ(table(2), otherTint);
    EXPECT_TRUE(orvane::testing::colorNear(seen(2), {0.5, 0.35, 0.2}));
    EXPECT_EQ(count("gammaTables.restoreColorSyncSettings"), 0u);

    // One that never attached only asks for its display's own tables back.
    sim->journal().clear();
    GammaBackend fresh(builtIn(), sim);
    fresh.detach();
    EXPECT_EQ(count("gammaTables.write"), 0u);
    EXPECT_EQ(count("gammaTables.restoreDisplay"), 1u);
    EXPECT_EQ(table(2), otherTint);
}

TEST_F(GammaBackendTest, RepairsADriftOfMoreThanAHundredthInTheBrightestGreenOrBlue) {
    LogCapture logs;
    GammaBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    backend.apply(gains(1, 0.5, 0.5), 0);
    const struct {
        const char* what;
        std::function<void(GammaRamp&)> change;
        bool repaired;
    } cases[] = {
        {"green off by 0.01", [](GammaRamp& t) { t.green.back() = 0.5f + 0.01f; }, false},
        {"blue off by 0.01", [](GammaRamp& t) { t.blue.back() = 0.5f - 0.01f; }, false},
        {"green off by 0.0101", [](GammaRamp& t) { t.green.back() = 0.5f + 0.0101f; }, true},
        {"blue off by 0.0101", [](GammaRamp& t) { t.blue.back() = 0.5f - 0.0101f; }, true},
        {"red alone", [](GammaRamp& t) { t.red.back() = 0.2f; }, false},
        {"a darker entry", [](GammaRamp& t) { t.green[128] = 0.9f; }, false},
        {"reset by another program", [](GammaRamp& t) { t = GammaRamp::identity(256); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        backend.apply(gains(1, 0.5, 0.5), 0);
        tamper(1, c.change);
        const auto before = logs.messages("gamma").size();
        backend.verifyAndRepair();
        EXPECT_EQ(logs.messages("gamma").size() - before, c.repaired ? 1u : 0u);
        if (c.repaired) {
            EXPECT_EQ(logs.messages("gamma").back(), "gamma table drifted, reapplying");
            EXPECT_EQ(top(1), (std::array<float, 3>{1, 0.5f, 0.5f}));
        }
    }
}

TEST_F(GammaBackendTest, NoRepairDuringAFadeButAgainOnceItEnded) {
    GammaBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    backend.apply(gains(1, 0.5, 0.5), 1);
    scheduler->advance(0.5);
    sim->resetDisplays();
    sim->journal().clear();
    backend.verifyAndRepair();
    EXPECT_EQ(count("gammaTables.write"), 0u);

    scheduler->advance(1);
    sim->resetDisplays();
    backend.verifyAndRepair();
    EXPECT_EQ(top(1), (std::array<float, 3>{1, 0.5f, 0.5f}));
}

// Tables that fail the repair check's read, or a write, are no longer the back-end's: it
// says so once and reports itself lost, so that the engine attaches the display anew. A
// fresh attach takes them back.
TEST_F(GammaBackendTest, TablesThatFailARepairReadOrAWriteLeaveTheBackendLost) {
    LogCapture logs;
    GammaBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    backend.apply(gains(1, 0.5, 0.5), 0);
    backend.verifyAndRepair();
    EXPECT_FALSE(backend.lost());
    sim->fail("gamma.read", status::illegalArgument, 2);
    backend.verifyAndRepair();
    backend.verifyAndRepair();
    EXPECT_TRUE(backend.lost());
    EXPECT_EQ(logs.messages("gamma"),
              std::vector<std::string>{
                  "reading the gamma ramp (XRRGetCrtcGamma) failed: 1001; the display's tables are gone"});

    ASSERT_FALSE(backend.attach(builtIn()));
    EXPECT_FALSE(backend.lost());
    sim->fail("gamma.write", status::cannotComplete, 3);
    backend.apply(gains(1, 0.6, 0.6), 0.5);
    scheduler->advance(1);
    EXPECT_TRUE(backend.lost());
    EXPECT_EQ(logs.messages("gamma").size(), 2u) << "a fade's failing frames are logged once";
}

TEST_F(GammaBackendTest, AFailingWriteIsLogged) {
    LogCapture logs;
    GammaBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    sim->fail("gamma.write", status::cannotComplete, 1);
    backend.apply(gains(1, 0.5, 0.5), 0);
    EXPECT_EQ(logs.messages("gamma"),
              std::vector<std::string>{"writing the gamma ramp (XRRSetCrtcGamma) failed: 1004"});
    EXPECT_EQ(backend.current(), Multiplier(1, 0.5, 0.5));
}
