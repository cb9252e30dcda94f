#include "ui/onboarding/OnboardingRules.h"

#include "app/AppModel.h"
#include "core/DisplaySettings.h"
#include "core/Presets.h"
#include "ui/views/SeededGenerator.h"

namespace orvane::OnboardingRules {

EveningPlan night(const std::optional<EveningPlan>& plan) {
    if (plan) return *plan;
    EveningPlan shown;
    shown.bedtime = defaultBedtime;
    shown.wake = defaultWake;
    shown.intensity = EveningIntensity::warm;
    return shown;
}

std::string description(EveningIntensity intensity) {
    switch (intensity) {
        case EveningIntensity::gentle:
            return "Soft amber at night. Colors stay close to normal.";
        case EveningIntensity::warm:
            return "Candlelight warm at night, with very little blue. Most people start here.";
        case EveningIntensity::deepRed:
            return "Deep red at night and almost no blue light. Best for late nights.";
    }
    return {};
}

std::string subtitle(bool canTint) {
    if (!canTint)
        return "Nothing on this desktop lets Orvane change your screen's colors, so it cannot warm your screen "
               "here.";
    return std::string("Orvane") + " warms your screen from sunset and gives you daylight back when you wake up.";
}

std::string emergencyOffText() { return "Emergency off " + Shortcuts::emergencyReset.display(); }

EveningPlan withBedtime(const EveningPlan& shown, ClockTime bedtime) {
    EveningPlan plan = shown;
    plan.bedtime = bedtime;
    return plan;
}

EveningPlan withWake(const EveningPlan& shown, ClockTime wake) {
    EveningPlan plan = shown;
    plan.wake = wake;
    return plan;
}

void start(AppModel& model) {
    model.change([](Settings& s, RuntimeState&) { s.onboardingCompleted = true; });
}

std::int64_t glowKelvin(EveningIntensity intensity) {
    switch (intensity) {
        case EveningIntensity::gentle:
            return Preset::builtIn(Preset::BuiltIn::candle).kelvin;
        case EveningIntensity::warm:
            return Preset::builtIn(Preset::BuiltIn::ember).kelvin;
        case EveningIntensity::deepRed:
            return Preset::builtIn(Preset::BuiltIn::midnight).kelvin;
    }
    return 6500;
}

namespace {
double byIntensity(EveningIntensity intensity, double gentle, double warm, double deepRed) {
    switch (intensity) {
        case EveningIntensity::gentle:
            return gentle;
        case EveningIntensity::warm:
            return warm;
        case EveningIntensity::deepRed:
            return deepRed;
    }
    return warm;
}
}  // namespace

double starOpacity(EveningIntensity intensity) { return byIntensity(intensity, 0.15, 0.475, 0.8); }
double glowCentreY(EveningIntensity intensity) { return byIntensity(intensity, 0.1, 0.125, 0.15); }
double washOpacity(EveningIntensity intensity, bool flash) {
    return byIntensity(intensity, 0.035, 0.06, 0.09) + (flash ? 0.12 : 0.0);
}

BackdropOpacities backdropOpacities(bool dark) {
    return dark ? BackdropOpacities{0.42, 0.14, 0.55} : BackdropOpacities{0.28, 0.1, 0.4};
}

}  // namespace orvane::OnboardingRules

namespace orvane {

std::vector<OnboardingStarField::Star> OnboardingStarField::stars(double width, double height) {
    SeededGenerator random(seed);
    std::vector<Star> out;
    for (int i = 0; i < candidates; ++i) {
        const double x = width * random.next();
        const double y = height * random.next() * 0.34;
        // The middle below the top band stays clear; a skipped candidate draws no more.
        if (0.12 * width <= x && x <= 0.88 * width && y > 0.15 * height) continue;
        const double radius = random.next() * 1.1 + 0.5;
        const double opacity = random.next() * 0.6 + 0.25;
        out.push_back({x, y, radius, opacity});
    }
    return out;
}

}  // namespace orvane
