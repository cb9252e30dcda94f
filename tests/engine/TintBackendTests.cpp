#include <cmath>
#include <unordered_set>

#include <gtest/gtest.h>

#include "engine/TintBackend.h"

using namespace orvane;

namespace {

RenderRequest withPlan(double redOpacity, double dimOpacity, std::optional<std::int64_t> nightShift = std::nullopt) {
    RenderRequest r = RenderRequest::identity();
    r.plan = OverlayPlan(nightShift, 1.0, 0.3, 0.0, redOpacity, dimOpacity);
    return r;
}

}  // namespace

TEST(RenderRequest, TheNeutralStateIsAnIdentityRequest) {
    const RenderRequest neutral(TintState::off);
    EXPECT_TRUE(neutral.isIdentity());
    EXPECT_TRUE(RenderRequest::identity().isIdentity());
    EXPECT_EQ(neutral, RenderRequest::identity());
    EXPECT_EQ(&RenderRequest::identity(), &RenderRequest::identity());  // made once, shared
}

TEST(RenderRequest, AnOverlayBelowATenthOfAPercentStillCountsAsIdentity) {
    EXPECT_TRUE(withPlan(0.001, 0).isIdentity());
    EXPECT_FALSE(withPlan(0.0011, 0).isIdentity());
    EXPECT_TRUE(withPlan(0, 0.001).isIdentity());
    EXPECT_FALSE(withPlan(0, 0.0011).isIdentity());
    // The Night Shift kelvin and the layer colour do not count.
    RenderRequest colored = withPlan(0, 0, 3400);
    colored.plan.green = 0.9;
    EXPECT_TRUE(colored.isIdentity());
}

TEST(RenderRequest, GainsFlagsAndMatrixEachBreakIdentity) {
    RenderRequest r = RenderRequest::identity();
    r.multiplier = Multiplier(1, 1 - 5e-7, 1);
    EXPECT_TRUE(r.isIdentity());
    r.multiplier = Multiplier(1, 1 - 2e-6, 1);
    EXPECT_FALSE(r.isIdentity());
    r = RenderRequest::identity();
    r.desaturate = true;
    EXPECT_FALSE(r.isIdentity());
    r = RenderRequest::identity();
    r.invert = true;
    EXPECT_FALSE(r.isIdentity());
    r = RenderRequest::identity();
    r.matrix.m[1] = 0.01;
    EXPECT_FALSE(r.isIdentity());
}

TEST(RenderRequest, WithoutAMatrixTheGainsFormTheDiagonal) {
    const Multiplier gains(1.0, 0.6, 0.2);
    const RenderRequest r(gains, false, false, OverlayPlan::none, std::nullopt);
    EXPECT_EQ(r.matrix, ColorMatrix::diagonal(gains));
    const ColorMatrix given(std::array<double, 9>{0.5, 0.5, 0, 0, 1, 0, 0, 0, 1});
    EXPECT_EQ(RenderRequest(gains, false, false, OverlayPlan::none, given).matrix, given);
}

TEST(RenderRequest, FromAStateCarriesGainsTimesDimTheMatrixAndNoPlan) {
    const TintState state(2700, 0.5, RedStyle::pure, false);
    const RenderRequest r(state);
    const Multiplier m = Kelvin::multiplier(2700.0);
    EXPECT_DOUBLE_EQ(r.multiplier.r, m.r * 0.5);
    EXPECT_DOUBLE_EQ(r.multiplier.g, m.g * 0.5);
    EXPECT_DOUBLE_EQ(r.multiplier.b, m.b * 0.5);
    EXPECT_EQ(r.matrix, ColorMatrix::make(state));
    EXPECT_EQ(r.plan, OverlayPlan::none);
    EXPECT_FALSE(r.desaturate);
    EXPECT_FALSE(r.invert);
    EXPECT_TRUE(RenderRequest(TintState(6500, 1, RedStyle::pure, true)).invert);
}

TEST(RenderRequest, ReadableRedDesaturatesAtAThousandKelvinAndBelow) {
    const struct {
        std::int64_t kelvin;
        RedStyle style;
        bool desaturate;
    } cases[] = {{1000, RedStyle::readable, true},
                 {1001, RedStyle::readable, false},
                 {500, RedStyle::readable, true},
                 {1000, RedStyle::pure, false},
                 {500, RedStyle::pure, false}};
    for (const auto& c : cases)
        EXPECT_EQ(RenderRequest(TintState(c.kelvin, 1, c.style, false)).desaturate, c.desaturate) << c.kelvin;
}

TEST(RenderRequest, EqualRequestsHashAlike) {
    RenderRequest a = withPlan(0.2, 0.1, 2700);
    RenderRequest b = a;
    b.matrix.m[1] = -0.0;
    a.matrix.m[1] = 0.0;
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<RenderRequest>{}(a), std::hash<RenderRequest>{}(b));
    std::unordered_set<RenderRequest> set{a, b, RenderRequest::identity()};
    EXPECT_EQ(set.size(), 2u);
}

TEST(BackendKind, RawValuesTitlesAndMethods) {
    EXPECT_EQ(fromString<BackendKind>("ddc"), BackendKind::ddc);
    EXPECT_EQ(fromString<BackendKind>("Ddc"), std::nullopt);
    EXPECT_EQ(fromString<BackendKind>("Matrix"), std::nullopt);
    EXPECT_EQ(fromString<BackendKind>("nightShift"), std::nullopt);
    const struct {
        BackendKind kind;
        const char* raw;
        const char* title;
        TintMethod method;
    } table[] = {{BackendKind::matrix, "matrix", "Color matrix", TintMethod::matrix},
                 {BackendKind::overlay, "overlay", "Overlay tint", TintMethod::overlay},
                 {BackendKind::gamma, "gamma", "Gamma table", TintMethod::gamma},
                 {BackendKind::ddc, "ddc", "Hardware (DDC)", TintMethod::ddc}};
    const auto cases = allCases<BackendKind>();
    ASSERT_EQ(cases.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(cases[i], table[i].kind);
        EXPECT_EQ(toString(table[i].kind), table[i].raw);
        EXPECT_EQ(title(table[i].kind), table[i].title);
        EXPECT_EQ(method(table[i].kind), table[i].method);
    }
}

TEST(BackendError, DescribesItselfWithTheGivenText) {
    EXPECT_EQ(BackendError::noScreen("").description(), "No screen for display ");
    EXPECT_EQ(BackendError::noScreen("Studio").description(), "No screen for display Studio");
    const auto unsupported = BackendError::unsupported("display has no gamma table");
    EXPECT_EQ(unsupported.description(), "display has no gamma table");
    EXPECT_TRUE(unsupported.is<BackendError::Unsupported>());
    EXPECT_EQ(unsupported.failureReason(), std::nullopt);
    EXPECT_EQ(unsupported.recoverySuggestion(), std::nullopt);
    EXPECT_EQ(unsupported.helpAnchor(), std::nullopt);
}
