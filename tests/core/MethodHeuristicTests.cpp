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

// Every combination of what a display offers: the recommendation is the first of colour
// matrix, gamma, Night Shift with the overlay (or alone, where no overlay can be shown),
// overlay that can run, and the attach order after any request holds exactly the other
// runnable methods in that order.
TEST(MethodHeuristic, DisplayFactsRecommendationAndFallbackForEveryCombination) {
    using M = TintMethod;
    for (int bits = 0; bits < 64; ++bits) {
        MethodFacts f;
        f.colorMatrix = bits & 1;
        f.gammaRamps = bits & 2;
        f.compositor = bits & 4;
        f.nightShift = bits & 8;
        f.ddc = bits & 16;
        f.nightLightAlone = bits & 32;
        std::optional<M> want;
        if (f.colorMatrix) want = M::matrix;
        else if (f.gammaRamps) want = M::gamma;
        else if (f.nightShift && (f.compositor || f.nightLightAlone)) want = M::nightShift;
        else if (f.compositor) want = M::overlay;
        SCOPED_TRACE("facts " + std::to_string(bits));
        EXPECT_EQ(MethodHeuristic::recommend(f), want);
        // Automatic, without DDC chosen: the recommendation, or the overlay whose failure says why.
        EXPECT_EQ(
            MethodHeuristic::resolve(DisplaySettings(), MethodRules::displayFacts, "Intel Core m5-6Y54", 40, true, f),
            want.value_or(M::overlay));
        for (const M requested : {M::matrix, M::gamma, M::nightShift, M::overlay, M::ddc}) {
            const auto order = MethodHeuristic::attachOrder(requested, MethodRules::displayFacts, f);
            ASSERT_FALSE(order.empty());
            EXPECT_EQ(order.front(), requested);
            std::vector<M> rest;
            for (const M m : {M::matrix, M::gamma, M::nightShift, M::overlay})
                if (m != requested && f.canRun(m)) rest.push_back(m);
            EXPECT_EQ(std::vector<M>(order.begin() + 1, order.end()), rest) << toString(requested);
        }
        for (const M m : {M::matrix, M::gamma, M::nightShift, M::overlay, M::ddc})
            EXPECT_EQ(MethodHeuristic::whyNot(m, f).empty(), f.canRun(m)) << toString(m);
    }
}

// Why a method cannot run, in the words of the session: on X11 the driver and the
// compositing manager, on Wayland (where no overlay reaches the screen) the compositor.
TEST(MethodHeuristic, TheReasonsSpeakOfTheSessionTheyAreGivenIn) {
    using M = TintMethod;
    const struct {
        M method;
        const char* onX11;
        const char* onWayland;
    } cases[] = {
        {M::matrix, "The driver has no color matrix for this output.", "The compositor offers no color matrix."},
        {M::gamma, "The driver has no gamma ramps for this output.", "The compositor offers no gamma control."},
        {M::overlay, "Needs a compositing manager.", "Overlays cannot show on Wayland."},
        {M::nightShift, "This desktop has no night light Orvane can drive.",
         "This desktop has no night light Orvane can drive."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toString(c.method));
        MethodFacts x11;  // nothing runs
        MethodFacts wayland;
        wayland.nightLightAlone = true;
        EXPECT_EQ(MethodHeuristic::whyNot(c.method, x11), c.onX11);
        EXPECT_EQ(MethodHeuristic::whyNot(c.method, wayland), c.onWayland);
    }
}

// Processor brands and system versions that would read as a Mac's play no part on Linux.
TEST(MethodHeuristic, DisplayFactsIgnoreBrandAndVersion) {
    MethodFacts gammaOnly;
    gammaOnly.gammaRamps = true;
    const std::pair<std::optional<std::string>, int> machines[] = {
        {"Intel(R) Core(TM) m5-6Y54 CPU", 40}, {"Apple M5", 26}, {std::nullopt, 12}, {"AMD Ryzen 7", 26}};
    for (const auto& [brand, os] : machines)
        EXPECT_EQ(MethodHeuristic::resolve(DisplaySettings(), MethodRules::displayFacts, brand, os, false, gammaOnly),
                  TintMethod::gamma)
            << brand.value_or("<none>") << " " << os;
    // The Mac rules still read them.
    EXPECT_EQ(MethodHeuristic::resolve(DisplaySettings(), MethodRules::macHardware, "Apple M5", 26, false,
                                       MethodFacts{true, true, true, false, false}),
              TintMethod::matrix);
}

// DDC by the Part's rule; a method check's pick holds while it can run, and one below the
// colour matrix gives way to a matrix that works now unless the check rejected it.
TEST(MethodHeuristic, DisplayFactsResolveChoicesAndChecks) {
    using M = TintMethod;
    const MethodFacts all{true, true, true, true, true};
    const MethodFacts noMatrix{false, true, true, true, true};
    DisplaySettings ddcChosen;
    ddcChosen.ddcBrightness = true;
    EXPECT_EQ(MethodHeuristic::resolve(ddcChosen, MethodRules::displayFacts, std::nullopt, 0, true, all), M::ddc);
    EXPECT_EQ(MethodHeuristic::resolve(ddcChosen, MethodRules::displayFacts, std::nullopt, 0, false, all), M::matrix);
    DisplaySettings fixed;
    fixed.method = M::overlay;
    EXPECT_EQ(MethodHeuristic::resolve(fixed, MethodRules::displayFacts, std::nullopt, 0, false, MethodFacts{}),
              M::overlay);
    DisplaySettings checked;
    checked.methodCheckResult = M::overlay;
    EXPECT_EQ(MethodHeuristic::resolve(checked, MethodRules::displayFacts, std::nullopt, 0, false, all), M::matrix);
    EXPECT_EQ(MethodHeuristic::resolve(checked, MethodRules::displayFacts, std::nullopt, 0, false, noMatrix),
              M::overlay);
    checked.methodCheckRejectedMatrix = true;
    EXPECT_EQ(MethodHeuristic::resolve(checked, MethodRules::displayFacts, std::nullopt, 0, false, all), M::overlay);
    // A checked method that cannot run now (the compositing manager went) is passed over.
    EXPECT_EQ(MethodHeuristic::resolve(checked, MethodRules::displayFacts, std::nullopt, 0, false,
                                       MethodFacts{false, true, false, false, false}),
              M::gamma);
}
