#include "ui/menubar/SkyTexts.h"

#include <cmath>
#include <memory>

#include <fmt/format.h>

#include "core/Kelvin.h"
#include "core/ShortTime.h"

namespace orvane::SkyTexts {
namespace {

std::int64_t roundedHalfAway(double x) { return static_cast<std::int64_t>(std::round(x)); }

}  // namespace

TimeInterval untilNextMinute(Date now) {
    double into = std::fmod(now.secondsSince1970, 60.0);
    if (into < 0) into += 60.0;
    return 60.0 - into;
}

std::string shownTime(Date date, const TimeZone& zone, const std::string& locale) {
    const DateComponents wall = Calendar(zone).components(date);
    return ShortTime::format(wall.hour, wall.minute, locale.empty() ? ShortTime::locale() : locale);
}

std::string nextSunEvent(Date after, const Location& place, const TimeZone& zone, const std::string& locale) {
    const SunTimes today = Solar::times(after, place.latitude, place.longitude, zone);
    const SunTimes tomorrow = Solar::times(after + 86400, place.latitude, place.longitude, zone);
    const std::pair<const char*, std::optional<Date>> candidates[] = {
        {"Sunrise", today.sunrise}, {"Sunset", today.sunset}, {"Sunrise", tomorrow.sunrise}};
    for (const auto& [name, moment] : candidates) {
        if (!moment || !(*moment > after)) continue;
        const auto minutes = static_cast<std::int64_t>(moment->timeIntervalSince(after) / 60);
        if (minutes < 60) return fmt::format("{} in {} min", name, minutes);
        if (minutes < 180) return fmt::format("{} in {} h {} min", name, minutes / 60, minutes % 60);
        return fmt::format("{} at {} · {}", name, shownTime(*moment, zone, locale), place.name);
    }
    return place.name;
}

std::string stateLine(const StateInputs& in) {
    if (!in.enabled) return "Off";
    // The hero's title is one short line; the reason takes the line under the numeral.
    if (in.notTinted) return "Not tinted";
    const Calendar calendar(in.zone);
    if (const auto* d = in.status.as<TintStatus::DisabledUntil>()) {
        if (d->date.timeIntervalSince(in.now) <= 604800) return "True color until " + ShortTime::of(calendar, d->date);
        return "True color while Focus is on";
    }
    if (const auto* e = in.status.as<TintStatus::ExcludedApp>()) return "Not tinted in " + e->name;
    if (in.status.is<TintStatus::PausedUntil>()) {
        switch (in.mode) {
            case Mode::manual:
                return "Manual hold · Manual";
            case Mode::sunset:
                return "Manual hold · Sunset";
            case Mode::schedule:
                return "Manual hold · Schedule";
        }
    }
    if (in.isWarming) {
        if (in.curve)
            if (const auto k = in.curve->nextMorning(in.now))
                return "Warming until " + ShortTime::of(calendar, k->time);
        return "Warming";
    }
    if (in.curve)
        if (const auto k = in.curve->nextEvening(in.now)) return "Daylight until " + ShortTime::of(calendar, k->time);
    return "Daylight";
}

std::string moonLine(const MoonPosition& moon) {
    return fmt::format("{} · {}% lit", moon.phaseName(), roundedHalfAway(moon.illumination * 100));
}

std::string accessibilityText(const SunPosition& sun, const std::optional<MoonPosition>& moon,
                              const std::string& nextEvent) {
    const std::string sunPart = sun.elevation >= 0
                                    ? fmt::format("{}° above the horizon", roundedHalfAway(sun.elevation))
                                    : std::string("below the horizon");
    const std::string moonPart = moon ? " The moon is up: " + moonLine(*moon) + "." : std::string();
    return "Sky now: the sun is " + sunPart + "." + moonPart + " " + nextEvent + ".";
}

std::optional<TintState> previewState(std::optional<Date> scrub, Mode mode, const std::optional<WarmthCurve>& curve) {
    if (!scrub || mode == Mode::manual || !curve) return std::nullopt;
    return curve->state(*scrub);
}

std::string previewAlertingLabel(const TintState& preview) {
    const Multiplier k = Kelvin::multiplier(preview.kelvin);
    return Melanopic::label(Multiplier(k.r * preview.dim, k.g * preview.dim, k.b * preview.dim));
}

}  // namespace orvane::SkyTexts
