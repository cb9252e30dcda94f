#include "ui/menubar/SkyTexts.h"

#include <cmath>
#include <memory>

#include <fmt/format.h>
#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/simpletz.h>
#include <unicode/smpdtfmt.h>

#include "core/Kelvin.h"

namespace orvane::SkyTexts {
namespace {

std::int64_t roundedHalfAway(double x) { return static_cast<std::int64_t>(std::round(x)); }

}  // namespace

std::string shownTime(Date date, const TimeZone& zone, const std::string& locale) {
    const icu::Locale loc = locale.empty() ? icu::Locale::getDefault() : icu::Locale(locale.c_str());
    // Making the pattern generator loads the locale's data; keep the last one made.
    thread_local std::string cachedLocale;
    thread_local std::unique_ptr<icu::SimpleDateFormat> cached;
    UErrorCode status = U_ZERO_ERROR;
    if (!cached || cachedLocale != loc.getName()) {
        cached.reset();
        std::unique_ptr<icu::DateTimePatternGenerator> generator(
            icu::DateTimePatternGenerator::createInstance(loc, status));
        if (U_FAILURE(status)) return Calendar(zone).hhmm(date);
        const icu::UnicodeString pattern = generator->getBestPattern(icu::UnicodeString("jmm"), status);
        if (U_FAILURE(status)) return Calendar(zone).hhmm(date);
        auto made = std::make_unique<icu::SimpleDateFormat>(pattern, loc, status);
        if (U_FAILURE(status)) return Calendar(zone).hhmm(date);
        cached = std::move(made);
        cachedLocale = loc.getName();
    }
    icu::SimpleDateFormat& format = *cached;
    // The zone's offset at that moment comes from the tz database, not ICU's older copy.
    format.adoptTimeZone(new icu::SimpleTimeZone(zone.secondsFromGMT(date) * 1000, icu::UnicodeString("place")));
    icu::UnicodeString text;
    format.format(date.secondsSince1970 * 1000.0, text);
    std::string result;
    text.toUTF8String(result);
    return result;
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
        if (d->date.timeIntervalSince(in.now) <= 604800) return "True color until " + calendar.hhmm(d->date);
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
            if (const auto k = in.curve->nextMorning(in.now)) return "Warming until " + calendar.hhmm(k->time);
        return "Warming";
    }
    if (in.curve)
        if (const auto k = in.curve->nextEvening(in.now)) return "Daylight until " + calendar.hhmm(k->time);
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
