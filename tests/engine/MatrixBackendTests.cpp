#include <array>
#include <cstring>

#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/Animator.h"
#include "engine/MatrixBackend.h"
#include "platform/Status.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::EngineTest;
using orvane::testing::LogCapture;

namespace {

RenderRequest warmRequest(std::int64_t kelvin = 3400, double dim = 1) {
    return RenderRequest(TintState(kelvin, dim, RedStyle::pure, false));
}

// The matrix of the last adjustment sent, absent for a reset.
std::optional<std::vector<float>> sentMatrix(const Dictionary& d) {
    const auto it = d.find("matrix");
    if (it == d.end() || !it->second.array() || it->second.array()->size() != 9) return std::nullopt;
    std::vector<float> m;
    for (const auto& element : *it->second.array()) m.push_back(element.get<float>() ? *element.get<float>() : -1.0f);
    return m;
}

std::vector<float> floats(const ColorMatrix& m) {
    std::vector<float> out;
    for (double v : m.m) out.push_back(static_cast<float>(v));
    return out;
}

// Frame times add up sixtieths of a second, so a fade's progress is exact only to rounding.
::testing::AssertionResult near(const ColorMatrix& a, const ColorMatrix& b) {
    for (std::size_t i = 0; i < 9; ++i)
        if (std::fabs(a.m[i] - b.m[i]) > 1e-9)
            return ::testing::AssertionFailure() << "element " << i << ": " << a.m[i] << " vs " << b.m[i];
    return ::testing::AssertionSuccess();
}

class MatrixBackendTest : public EngineTest {};

}  // namespace

TEST_F(MatrixBackendTest, AttachRefusesWhereTheMatrixCannotWorkAndKeepsTheNewDisplay) {
    const struct {
        const char* what;
        std::function<void(sim::SimPlatform&)> script;
        std::string message;
    } cases[] = {
        {"colour filter", [](sim::SimPlatform& s) { s.setColorFilterEnabled(true); },
         "an Accessibility color filter is on"},
        {"no colour adjustments", [](sim::SimPlatform& s) { s.setPortMissing("colorAdjustments"); },
         "the output has no color matrix (CTM property)"},
        {"first write", [](sim::SimPlatform& s) { s.fail("colorAdjustment", 1001, 1); },
         "setting the output's color matrix (CTM property) failed: 1001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.script(*sim);
        MatrixBackend backend(builtIn(), sim);
        const auto error = backend.attach(external());
        ASSERT_TRUE(error);
        EXPECT_EQ(error->description(), c.message);
        EXPECT_EQ(backend.display().id, 2u);
        TearDown();
    }
}

TEST_F(MatrixBackendTest, AFreshBackendClearsWhateverTheDisplayCarries) {
    sim->update([](sim::SimState& s) { s.displays[0].matrix = Matrix3x3{0.5f, 0, 0, 0, 0.5f, 0, 0, 0, 0.5f}; });
    MatrixBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    EXPECT_TRUE(isReset(lastAdjustment(), 1));
    EXPECT_FALSE(sim->state().displays[0].matrix);
}

TEST_F(MatrixBackendTest, FadesLongerThanThreeHundredthsOfASecond) {
    MatrixBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    sim->journal().clear();
    backend.apply(warmRequest(), 0.03);
    EXPECT_FALSE(backend.isAnimating());
    EXPECT_EQ(adjustments().size(), 1u);
    EXPECT_EQ(sentMatrix(lastAdjustment()), floats(warmRequest().matrix));

    sim->journal().clear();
    backend.apply(warmRequest(2000), 0.031);
    EXPECT_TRUE(backend.isAnimating());
    EXPECT_EQ(adjustments().size(), 1u);  // the first frame goes out at once
    scheduler->advance(0.1);
    EXPECT_FALSE(backend.isAnimating());
    EXPECT_EQ(adjustments().size(), 2u);  // frames at 0 and 1/60 s
    EXPECT_EQ(backend.current(), warmRequest(2000).matrix);
    EXPECT_EQ(sentMatrix(lastAdjustment()), floats(warmRequest(2000).matrix));
}

TEST_F(MatrixBackendTest, AFadeRunsAtSixtyFramesAndTheSameRequestAgainIsSentAtOnce) {
    MatrixBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    sim->journal().clear();
    backend.apply(warmRequest(), 2);
    scheduler->advance(2.5);
    EXPECT_EQ(adjustments().size(), 120u);
    EXPECT_EQ(backend.current(), warmRequest().matrix);

    sim->journal().clear();
    backend.apply(warmRequest(), 2);
    EXPECT_FALSE(backend.isAnimating());
    EXPECT_EQ(adjustments().size(), 1u);
}

TEST_F(MatrixBackendTest, ANewApplyDuringAFadeStartsFromTheMatrixReached) {
    MatrixBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    const ColorMatrix target = warmRequest(1500).matrix;
    backend.apply(warmRequest(1500), 1);
    scheduler->advance(0.5);
    // The first frame went out at once, so each frame is one interval ahead of the clock.
    const double frame = 1.0 / 60;
    const ColorMatrix reached = backend.current();
    EXPECT_TRUE(near(reached, ColorMatrix::lerp(ColorMatrix::identity, target, Animator::eased(0.5 + frame))));

    backend.apply(RenderRequest::identity(), 1);
    scheduler->advance(0.25);
    EXPECT_TRUE(
        near(backend.current(), ColorMatrix::lerp(reached, ColorMatrix::identity, Animator::eased(0.25 + frame))));
}

TEST_F(MatrixBackendTest, AFadeToIdentityEndsWithTheResetDictionary) {
    MatrixBackend backend(external(), sim);
    ASSERT_FALSE(backend.attach(external()));
    backend.apply(warmRequest(), 0);
    backend.apply(RenderRequest::identity(), 0.5);
    scheduler->advance(1);
    EXPECT_TRUE(isReset(lastAdjustment(), 2));
    EXPECT_FALSE(sim->state().displays[1].matrix);
}

TEST_F(MatrixBackendTest, RepairRewritesWhatIsShownButNotDuringAFadeNorWhenNeutral) {
    MatrixBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    backend.verifyAndRepair();
    sim->journal().clear();
    backend.verifyAndRepair();
    EXPECT_EQ(adjustments().size(), 0u);

    backend.apply(warmRequest(), 1);
    scheduler->advance(0.5);
    sim->journal().clear();
    backend.verifyAndRepair();
    EXPECT_EQ(adjustments().size(), 0u);

    scheduler->advance(1);
    sim->resetDisplays();  // another program clears the adjustment
    sim->journal().clear();
    backend.verifyAndRepair();
    backend.verifyAndRepair();
    EXPECT_EQ(adjustments().size(), 2u);  // unconditionally, on every call
    const auto shown = sim->state().displays[0].matrix;
    ASSERT_TRUE(shown);
    EXPECT_EQ(std::vector<float>(shown->begin(), shown->end()), floats(warmRequest().matrix));
}

TEST_F(MatrixBackendTest, AFailingWriteIsLoggedAndTheMatrixKept) {
    LogCapture logs;
    MatrixBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    sim->fail("colorAdjustment", status::cannotComplete, 1);
    backend.apply(warmRequest(), 0);
    EXPECT_EQ(logs.messages("matrix"), std::vector<std::string>{"color matrix failed: 1004"});
    EXPECT_EQ(backend.current(), warmRequest().matrix);
    sim->fail("colorAdjustment", status::cannotComplete, 1);
    backend.verifyAndRepair();  // a failing repair is silent
    EXPECT_EQ(logs.messages("matrix").size(), 1u);
}

TEST_F(MatrixBackendTest, DetachStopsTheFadeAndClearsTheDisplay) {
    MatrixBackend backend(builtIn(), sim);
    ASSERT_FALSE(backend.attach(builtIn()));
    backend.apply(warmRequest(), 1);
    scheduler->advance(0.5);
    backend.detach();
    EXPECT_FALSE(backend.isAnimating());
    EXPECT_EQ(backend.current(), ColorMatrix::identity);
    EXPECT_TRUE(isReset(lastAdjustment(), 1));
    const auto sent = adjustments().size();
    scheduler->advance(1);
    EXPECT_EQ(adjustments().size(), sent);
    EXPECT_FALSE(sim->state().displays[0].matrix);
}
