#include <limits>

#include <gtest/gtest.h>

#include "core/Presets.h"
#include "core/TintState.h"

namespace orvane {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(RedStyle, NamesTitlesAndCases) {
    EXPECT_EQ(toString(RedStyle::pure), "pure");
    EXPECT_EQ(fromString<RedStyle>("readable"), RedStyle::readable);
    EXPECT_EQ(fromString<RedStyle>("Readable"), std::nullopt);
    EXPECT_EQ(title(RedStyle::pure), "Pure red");
    EXPECT_EQ(title(RedStyle::readable), "Readable red");
    EXPECT_EQ(allCases<RedStyle>(), (std::array{RedStyle::pure, RedStyle::readable}));
    EXPECT_THROW(enumFromJson<RedStyle>(Json("red"), "redStyle"), JsonError);
}

TEST(TintState, ConstructorClamps) {
    const TintState low(100, 1.7, RedStyle::pure, false);
    EXPECT_EQ(low.kelvin, 500);
    EXPECT_EQ(low.dim, 1.0);
    const TintState high(9000, -0.2, RedStyle::readable, true);
    EXPECT_EQ(high.kelvin, 6500);
    EXPECT_EQ(high.dim, 0.0);
    EXPECT_TRUE(high.darkroom);
    EXPECT_EQ(TintState(3000, nan, RedStyle::pure, false).dim, 0.0);
    EXPECT_EQ(TintState::off, TintState(6500, 1.0, RedStyle::readable, false));
}

TEST(TintState, NoTintAndReadableRed) {
    EXPECT_TRUE(TintState(6500, 0.999, RedStyle::pure, false).isNoTint());
    EXPECT_FALSE(TintState(6500, 0.9989, RedStyle::pure, false).isNoTint());
    EXPECT_FALSE(TintState(6500, 1, RedStyle::pure, true).isNoTint());
    EXPECT_FALSE(TintState(6450, 1, RedStyle::pure, false).isNoTint());
    EXPECT_TRUE(TintState::off.isNoTint());

    EXPECT_TRUE(TintState(1000, 1, RedStyle::readable, false).readableRedActive());
    EXPECT_FALSE(TintState(1001, 1, RedStyle::readable, false).readableRedActive());
    EXPECT_FALSE(TintState(800, 1, RedStyle::pure, false).readableRedActive());
}

TEST(TintState, MultipliersApplyDimAfterColour) {
    const TintState s(3400, 0.5, RedStyle::readable, false);
    EXPECT_EQ(s.colorMultiplier(), Kelvin::multiplier(3400));
    const Multiplier m = s.multiplier();
    EXPECT_DOUBLE_EQ(m.r, 0.5);
    EXPECT_DOUBLE_EQ(m.g, Kelvin::multiplier(3400).g * 0.5);
}

TEST(TintState, LerpRoundsHalfAwayAndSwitchesStyleAtTheEnd) {
    const TintState a(3400, 1, RedStyle::readable, false);
    const TintState b(3401, 0.5, RedStyle::pure, true);
    EXPECT_EQ(TintState::lerp(a, b, 0.5).kelvin, 3401);
    EXPECT_EQ(TintState::lerp(b, a, 0.5).kelvin, 3401);

    const TintState almost = TintState::lerp(a, b, 0.999);
    EXPECT_EQ(almost.redStyle, RedStyle::readable);
    EXPECT_FALSE(almost.darkroom);
    EXPECT_EQ(TintState::lerp(a, b, 1.5), b);
    EXPECT_EQ(TintState::lerp(a, b, nan), a);
    EXPECT_EQ(TintState::lerp(a, b, -1), a);

    const TintState far = TintState::lerp(TintState(500, 0, RedStyle::pure, false), TintState::off, 0.25);
    EXPECT_EQ(far.kelvin, 2000);
    EXPECT_DOUBLE_EQ(far.dim, 0.25);
}

TEST(TintState, LerpOfStoredOutOfRangeValuesStaysInRange) {
    TintState wild;
    wild.kelvin = std::numeric_limits<std::int64_t>::max();
    wild.dim = 5;
    const TintState r = TintState::lerp(wild, TintState::off, 0.5);
    EXPECT_EQ(r.kelvin, 6500);
    EXPECT_EQ(r.dim, 1.0);
}

TEST(TintState, JsonRequiresAllFourKeysAndStoresAsRead) {
    const TintState s(2700, 0.8, RedStyle::pure, true);
    EXPECT_EQ(s.toJson(), Json::parse(R"({"kelvin":2700,"dim":0.8,"redStyle":"pure","darkroom":true})"));
    EXPECT_EQ(TintState::fromJson(s.toJson()), s);

    const TintState raw =
        TintState::fromJson(Json::parse(R"({"kelvin":90,"dim":3,"redStyle":"readable","darkroom":false})"));
    EXPECT_EQ(raw.kelvin, 90);
    EXPECT_EQ(raw.dim, 3);

    for (const char* bad : {R"({"kelvin":2700,"dim":0.8,"redStyle":"pure"})",
                            R"({"kelvin":2700.5,"dim":0.8,"redStyle":"pure","darkroom":false})",
                            R"({"kelvin":2700,"dim":0.8,"redStyle":"deep","darkroom":false})",
                            R"({"kelvin":2700,"dim":0.8,"redStyle":"pure","darkroom":0})"})
        EXPECT_THROW(TintState::fromJson(Json::parse(bad)), JsonError) << bad;
}

TEST(TintTarget, ResolveAgainstPresets) {
    const auto& builtIns = Preset::builtIns();
    const TintState ember = TintTarget::preset("builtin.ember").resolve(builtIns, RedStyle::pure);
    EXPECT_EQ(ember, TintState(1200, 0.8, RedStyle::pure, false));  // follows the default red style
    EXPECT_EQ(TintTarget::preset("builtin.midnight").resolve(builtIns, RedStyle::pure).redStyle, RedStyle::readable);

    EXPECT_EQ(TintTarget::preset("builtin.ember").resolve({}, RedStyle::pure),
              TintState(6500, 1, RedStyle::pure, false));
    EXPECT_EQ(TintTarget::custom(100, 1.4).resolve(builtIns, RedStyle::readable),
              TintState(500, 1, RedStyle::readable, false));

    // The first preset with the identifier wins, and its values are clamped.
    std::vector<Preset> twice{Preset{.id = "x", .name = "One", .kelvin = 9000, .dim = -1, .icon = "a"},
                              Preset{.id = "x", .name = "Two", .kelvin = 2000, .dim = 1, .icon = "b"}};
    EXPECT_EQ(TintTarget::preset("x").resolve(twice, RedStyle::readable),
              TintState(6500, 0, RedStyle::readable, false));
}

TEST(TintTarget, Describe) {
    const auto& builtIns = Preset::builtIns();
    EXPECT_EQ(TintTarget::custom(1900, 0.9).describe(builtIns), "1900K · 90%");
    EXPECT_EQ(TintTarget::custom(1900, 0.995).describe(builtIns), "1900K");
    EXPECT_EQ(TintTarget::custom(1900, 0.125).describe(builtIns), "1900K · 13%");
    // 0.285 * 100 is 28.4999... in binary; the shared percent function reads it as written.
    EXPECT_EQ(TintTarget::custom(1900, 0.285).describe(builtIns), "1900K · 29%");
    EXPECT_EQ(TintTarget::custom(90000, nan).describe(builtIns), "90000K");
    EXPECT_EQ(TintTarget::preset("builtin.candle").describe(builtIns), "Candle");
    EXPECT_EQ(TintTarget::preset("nope").describe(builtIns), "Preset");
}

TEST(TintTarget, JsonIsAOneKeyCaseObject) {
    EXPECT_EQ(TintTarget::preset("builtin.evening").toJson(), Json::parse(R"({"preset":{"id":"builtin.evening"}})"));
    EXPECT_EQ(TintTarget::custom(2700, 0.8).toJson(), Json::parse(R"({"custom":{"kelvin":2700,"dim":0.8}})"));
    for (const auto& t : {TintTarget::preset("builtin.evening"), TintTarget::custom(2700, 0.8)})
        EXPECT_EQ(TintTarget::fromJson(t.toJson()), t);
    // Keys that name no case are passed over.
    EXPECT_EQ(TintTarget::fromJson(Json::parse(R"({"preset":{"id":"a"},"later":1})")), TintTarget::preset("a"));

    for (const char* bad : {R"({})", R"({"preset":{"id":"a"},"custom":{"kelvin":1,"dim":1}})", R"({"other":{}})"}) {
        try {
            TintTarget::fromJson(Json::parse(bad), "sunset.eveningTarget");
            ADD_FAILURE() << bad;
        } catch (const JsonError& e) {
            EXPECT_EQ(e.kind(), JsonError::Kind::typeMismatch);
            EXPECT_STREQ(e.what(), "Invalid number of keys found, expected one.");
            EXPECT_EQ(e.path(), "sunset.eveningTarget");
        }
    }
    EXPECT_THROW(TintTarget::fromJson(Json::parse(R"({"custom":{"kelvin":2700}})")), JsonError);
    EXPECT_THROW(TintTarget::fromJson(Json::parse(R"({"custom":{"kelvin":2700.5,"dim":1}})")), JsonError);
    EXPECT_THROW(TintTarget::fromJson(Json::parse(R"({"preset":"builtin.evening"})")), JsonError);
}

TEST(Transition, NeverNegative) {
    EXPECT_EQ(Transition(-3).duration, 0);
    EXPECT_EQ(Transition(nan).duration, 0);
    EXPECT_EQ(Transition(1.5).duration, 1.5);
    EXPECT_EQ(Transition::instant.duration, 0);
    EXPECT_EQ(Transition::wake.duration, 2.0);
}

TEST(Melanopic, FractionReductionPercentAndLabel) {
    EXPECT_DOUBLE_EQ(Melanopic::fraction(Multiplier(1, 1, 1)), 1.0);  // weights sum to 1
    EXPECT_DOUBLE_EQ(Melanopic::fraction(Multiplier(1, 0, 0)), 0.0004);
    EXPECT_DOUBLE_EQ(Melanopic::reduction(Multiplier(1, 0.5, 0)), 1 - 0.0004 - 0.283 * 0.5);

    EXPECT_EQ(Melanopic::label(Multiplier::identity), "True colors");
    EXPECT_EQ(Melanopic::label(Multiplier(1, 0, 0)), "≈100% less alerting light");
    EXPECT_EQ(Melanopic::label(Multiplier(1, 1, 0)), "≈72% less alerting light");

    EXPECT_EQ(Melanopic::percent(0.425), 43);
    EXPECT_EQ(Melanopic::percent(1.7), 100);
    EXPECT_EQ(Melanopic::percent(-0.2), 0);
    EXPECT_EQ(Melanopic::percent(nan), 0);
}

}  // namespace
}  // namespace orvane
