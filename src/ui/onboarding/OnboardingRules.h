#pragma once
// What the first-run window shows and writes, apart from its pixels: the night it shows
// (the plan's, or 23:00, 07:00 and Warm without one), the texts, the plan a clock menu
// writes, the start action, and the numbers of its backdrop, stars and wash.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/EveningPlan.h"

namespace orvane {

class AppModel;

namespace OnboardingRules {

// The night the window shows: the plan's, or the defaults when the model reports none.
EveningPlan night(const std::optional<EveningPlan>& plan);
inline constexpr ClockTime defaultBedtime{1380};
inline constexpr ClockTime defaultWake{420};

std::string description(EveningIntensity intensity);
// "Orvane warms your screen …"; where no display can be tinted, that it cannot here.
std::string subtitle(bool canTint = true);
std::string emergencyOffText();  // "Emergency off " and the reset's keys

// The plan a choice in the bed or wake menu writes, the rest taken from the shown night.
EveningPlan withBedtime(const EveningPlan& shown, ClockTime bedtime);
EveningPlan withWake(const EveningPlan& shown, ClockTime wake);

// "Start": marks onboarding done; nothing else changes.
void start(AppModel& model);

// The preset three places after the intensity (candle, ember, midnight) gives the glow.
std::int64_t glowKelvin(EveningIntensity intensity);
double starOpacity(EveningIntensity intensity);
// The radial glow's centre, in unit coordinates of the window's height.
double glowCentreY(EveningIntensity intensity);
double washOpacity(EveningIntensity intensity, bool flash);

struct BackdropOpacities {
    double top;     // the linear gradient at 0
    double middle;  // at 0.38
    double radial;  // the radial glow's centre
};
BackdropOpacities backdropOpacities(bool dark);

}  // namespace OnboardingRules

// The onboarding's own stars: 60 candidates from one fixed seed, skipped in the middle
// below the top band, so the same stars come back on every drawing of one size.
struct OnboardingStarField {
    struct Star {
        double x = 0, y = 0;  // centre, from the top-left corner
        double radius = 0;
        double opacity = 0;
    };
    static constexpr std::uint64_t seed = 0x9E3779B97F4A7C15ULL;
    static constexpr int candidates = 60;

    static std::vector<Star> stars(double width, double height);
};

}  // namespace orvane
