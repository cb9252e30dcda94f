#include <gtest/gtest.h>

#include "core/MethodHeuristic.h"

using namespace orvane;

TEST(MethodHeuristic, GenerationFromBrandStrings) {
    const std::pair<std::optional<std::string>, std::optional<int>> cases[] = {
        {"Apple M2 Pro", 2},   {"Apple M4 Max", 4},
        {"Apple M10", 10},     {"Apple m3", 3},
        {"MM2", std::nullopt}, {std::nullopt, std::nullopt},
        {"", std::nullopt},    {"Intel(R) Core(TM) i7-9750H CPU @ 2.60GHz", std::nullopt},
        {"  M", std::nullopt}, {"AMD Ryzen 7 PRO 4750U", std::nullopt},
    };
    for (const auto& [brand, want] : cases)
        EXPECT_EQ(MethodHeuristic::appleSiliconGeneration(brand), want) << brand.value_or("<none>");
}

TEST(MethodHeuristic, Recommend) {
    using M = TintMethod;
    struct Case {
        std::optional<std::string> brand;
        int os;
        bool external, ddc, hardware, nightShift, matrix;
        M want;
    };
    const Case cases[] = {
        {"Apple M5", 15, false, false, false, false, true, M::matrix},
        {"Apple M1", 26, false, false, false, true, true, M::gamma},
        {std::nullopt, 26, false, false, false, true, false, M::nightShift},
        {std::nullopt, 25, false, false, false, true, true, M::gamma},
        {"Intel(R) Core(TM) i9", 14, false, false, false, true, true, M::gamma},
        {"Apple M1", 14, true, true, true, false, false, M::ddc},
        {"Apple M1", 14, true, true, false, false, false, M::gamma},
        {"Apple M6", 14, false, false, false, false, false, M::overlay},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MethodHeuristic::recommend(c.brand, c.os, c.external, c.ddc, c.hardware, c.nightShift, c.matrix),
                  c.want)
            << c.brand.value_or("<none>") << " os " << c.os;
}

TEST(MethodHeuristic, ResolveForADisplay) {
    using M = TintMethod;
    const auto settings = [](M method, std::optional<M> check, bool rejected, std::optional<bool> ddc) {
        DisplaySettings d;
        d.method = method;
        d.methodCheckResult = check;
        d.methodCheckRejectedMatrix = rejected;
        d.ddcBrightness = ddc;
        return d;
    };
    const std::string m5 = "Apple M5";
    EXPECT_EQ(MethodHeuristic::resolve(settings(M::overlay, {}, false, {}), m5, 26, false, false, true, true),
              M::overlay);
    EXPECT_EQ(MethodHeuristic::resolve(settings(M::automatic, M::overlay, false, {}), m5, 26, false, false, true, true),
              M::matrix);
    EXPECT_EQ(MethodHeuristic::resolve(settings(M::automatic, M::overlay, true, {}), m5, 26, false, false, true, true),
              M::overlay);
    EXPECT_EQ(
        MethodHeuristic::resolve(settings(M::automatic, M::nightShift, false, {}), m5, 26, false, false, true, false),
        M::nightShift);
    EXPECT_EQ(MethodHeuristic::resolve(settings(M::automatic, M::gamma, false, true), m5, 26, true, true, true, true),
              M::gamma);
    EXPECT_EQ(MethodHeuristic::resolve(settings(M::automatic, {}, false, {}), m5, 26, true, true, true, true),
              M::matrix);
    EXPECT_EQ(MethodHeuristic::resolve(settings(M::automatic, {}, false, true), m5, 26, true, true, true, true),
              M::ddc);
    EXPECT_EQ(MethodHeuristic::resolve(settings(M::automatic, {}, false, true), m5, 26, false, true, true, true),
              M::matrix);
    EXPECT_EQ(MethodHeuristic::resolve(settings(M::automatic, M::automatic, false, {}), "Apple M2", 26, false, false,
                                       true, true),
              M::gamma);
}

TEST(MethodHeuristic, FallbackChain) {
    using M = TintMethod;
    EXPECT_EQ(MethodHeuristic::fallback(M::overlay, true), std::nullopt);
    EXPECT_EQ(MethodHeuristic::fallback(M::matrix, false), M::overlay);
    EXPECT_EQ(MethodHeuristic::fallback(M::matrix, true), M::nightShift);
    EXPECT_EQ(MethodHeuristic::fallback(M::automatic, true), M::nightShift);
    for (M m : {M::nightShift, M::gamma, M::ddc}) EXPECT_EQ(MethodHeuristic::fallback(m, true), M::overlay);
}
