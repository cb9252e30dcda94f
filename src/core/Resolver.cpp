#include "core/Resolver.h"

#include <algorithm>
#include <vector>

#include "core/EveningPlan.h"
#include "core/Hash.h"
#include "core/Kelvin.h"
#include "core/ShortTime.h"

namespace orvane {

namespace Resolver {

namespace {

struct Base {
    std::int64_t kelvin = Kelvin::maximum;
    double dim = 1.0;
    TintStatus status;
    std::optional<Date> nextChange;
    bool isRamping = false;
};

TintState resolved(const TintTarget& target, const Settings& settings) {
    return target.resolve(settings.presets, settings.redStyle);
}

Base base(const ResolverInput& input, const RuntimeState& runtime, const std::optional<WarmthCurve>& curve) {
    const Settings& s = input.settings;
    Base b;
    if (runtime.cozyActive) {
        // Tonight's deepest colour: the plan's late-night target, else the darkest preset.
        const bool plan = s.mode == Mode::sunset && EveningPlan::matching(s.sunset);
        const TintState t =
            resolved(plan ? s.sunset.lateNightTarget : TintTarget::preset(id(Preset::BuiltIn::midnight)), s);
        b.kelvin = t.kelvin;
        b.dim = t.dim;
        b.status = TintStatus::Cozy{};
    } else if (runtime.pausedUntil && runtime.pausedState) {
        b.kelvin = runtime.pausedState->kelvin;
        b.dim = runtime.pausedState->dim;
        b.status = TintStatus::PausedUntil{*runtime.pausedUntil};
        b.nextChange = runtime.pausedUntil;
    } else if (!curve) {
        b.kelvin = clamped(s.manualKelvin, Kelvin::minimum, Kelvin::maximum);
        b.dim = clamped01(s.manualDim);
        b.status = TintStatus::Manual{};
    } else {
        const TintState t = curve->state(input.now);
        b.kelvin = t.kelvin;
        b.dim = t.dim;
        b.isRamping = curve->isRamping(input.now);
        b.nextChange = curve->nextChange(input.now);
        b.status = TintStatus::Following{s.mode};
    }
    return b;
}

// The name of the excluded application in front; the first entry for its bundle decides.
std::optional<std::string> exclusion(const ResolverInput& input) {
    if (!input.frontmostBundleID) return std::nullopt;
    const auto& apps = input.settings.excludedApps;
    const auto it = std::find_if(apps.begin(), apps.end(), [&](const ExcludedApp& app) {
        return app.matches(*input.frontmostBundleID, input.frontmostWindowClass);
    });
    if (it == apps.end() || (it->onlyWhenFullScreen && !input.frontmostIsFullScreen)) return std::nullopt;
    return it->name;
}

}  // namespace

Resolution resolve(const ResolverInput& input) {
    const Settings& s = input.settings;
    RuntimeState runtime = input.runtime;
    runtime.clearExpired(input.now);

    Resolution r;
    r.curve = CurveBuilder::curve(s, input.location, input.now, input.systemTimeZone);

    const Base b = base(input, runtime, r.curve);
    r.status = b.status;
    r.nextChange = b.nextChange;
    r.isRamping = b.isRamping;
    // Style and darkroom are the settings' own; the dim floor holds under every base rule.
    r.modeState = TintState(b.kelvin, std::max(b.dim, s.dimFloor), s.redStyle, s.darkroom);
    r.transition = Transition(b.isRamping ? 1.0 : duration(s.smoothing));

    const Transition exclusionFade(duration(s.exclusionFade));
    const auto lift = [&](TintStatus status, std::optional<Transition> transition = std::nullopt) {
        r.target = TintState::off;
        r.status = std::move(status);
        if (transition) r.transition = *transition;
    };
    if (!s.enabled) {
        lift(TintStatus::Off{});
    } else if (runtime.disabledUntil) {
        lift(TintStatus::DisabledUntil{*runtime.disabledUntil});
        r.nextChange = r.nextChange ? std::min(*r.nextChange, *runtime.disabledUntil) : *runtime.disabledUntil;
    } else if (input.revealHeld) {
        lift(TintStatus::Revealing{}, Transition::instant);
    } else if (input.securityPromptVisible && s.securityPromptAutoReveal) {
        lift(TintStatus::SecurityPrompt{}, exclusionFade);
    } else if (const auto name = exclusion(input)) {
        lift(TintStatus::ExcludedApp{*name}, exclusionFade);
    } else {
        r.target = r.modeState.isNoTint() ? TintState::off : r.modeState;
    }
    return r;
}

std::string modeSubtitle(const Settings& settings, const Location& location, Date now,
                         const std::optional<WarmthCurve>& curve, const TimeZone& systemTimeZone) {
    if (settings.mode == Mode::manual) return "Stays warm until you turn it off";
    if (!curve) return "";
    const Calendar calendar(location.timeZone(systemTimeZone));
    const bool placeable = Calendar::canRepresent(now);
    const Date start = placeable ? calendar.startOfDay(now) : now;
    // Thirty hours, so that the small hours of the next day are included.
    const Date stop = start + 108000;

    const Keyframe* warming = nullptr;
    const Keyframe* deepest = nullptr;
    for (const auto& k : curve->keyframes) {
        if (!(k.time >= start && k.time < stop)) continue;
        if (!warming && k.target.kelvin < Kelvin::maximum) warming = &k;
        if (!deepest || k.target.kelvin < deepest->target.kelvin) deepest = &k;
    }
    const auto hhmm = [&](Date d) {
        return Calendar::canRepresent(d) ? ShortTime::of(calendar, d) : std::string("--:--");
    };

    std::vector<std::string> parts;
    if (warming) parts.push_back("Warming at " + hhmm(warming->time));
    if (deepest && deepest->target.kelvin <= 6499 && (!warming || deepest->time != warming->time))
        parts.push_back(std::to_string(Kelvin::snap(deepest->target.kelvin)) + "K by " + hhmm(deepest->end()));
    parts.push_back(location.name);

    std::string line;
    for (std::size_t i = 0; i < parts.size(); ++i) line += (i == 0 ? "" : " \u00b7 ") + parts[i];
    return line;
}

}  // namespace Resolver
}  // namespace orvane

std::size_t std::hash<orvane::TintStatus>::operator()(const orvane::TintStatus& s) const noexcept {
    using orvane::TintStatus;
    std::size_t seed = s.value.index();
    std::visit(
        [&](const auto& c) {
            using C = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<C, TintStatus::DisabledUntil> || std::is_same_v<C, TintStatus::PausedUntil>)
                orvane::hashCombine(seed, std::hash<double>{}(c.date.secondsSince1970 + 0.0));
            else if constexpr (std::is_same_v<C, TintStatus::ExcludedApp>)
                orvane::hashCombine(seed, std::hash<std::string>{}(c.name));
            else if constexpr (std::is_same_v<C, TintStatus::Following>)
                orvane::hashCombine(seed, static_cast<std::size_t>(c.mode));
        },
        s.value);
    return seed;
}

std::size_t std::hash<orvane::Resolution>::operator()(const orvane::Resolution& r) const noexcept {
    std::size_t seed = 0;
    orvane::hashCombine(seed, orvane::hashValue(r.target));
    orvane::hashCombine(seed, orvane::hashValue(r.modeState));
    orvane::hashCombine(seed, std::hash<orvane::TintStatus>{}(r.status));
    orvane::hashCombine(seed, std::hash<double>{}(r.transition.duration + 0.0));
    orvane::hashCombine(seed, r.nextChange ? std::hash<double>{}(r.nextChange->secondsSince1970 + 0.0) : 0x5bd1e995u);
    orvane::hashCombine(seed, std::hash<bool>{}(r.isRamping));
    orvane::hashCombine(seed, r.curve ? std::hash<orvane::WarmthCurve>{}(*r.curve) : 0x27d4eb2du);
    return seed;
}
