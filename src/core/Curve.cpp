#include "core/Curve.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Hash.h"
#include "core/Solar.h"

namespace orvane {

namespace {

// NaN times sort last, so that the sort's ordering stays consistent whatever it is given.
bool earlier(const Keyframe& a, const Keyframe& b) {
    if (std::isnan(b.time.secondsSince1970)) return !std::isnan(a.time.secondsSince1970);
    return a.time < b.time;
}

double positiveZero(double x) { return x == 0 ? 0.0 : x; }

}  // namespace

std::size_t hashValue(const TintState& state) {
    return hashValues(state.kelvin, positiveZero(state.dim), static_cast<int>(state.redStyle), state.darkroom);
}

WarmthCurve::WarmthCurve(std::vector<Keyframe> frames) : keyframes(std::move(frames)) {
    std::stable_sort(keyframes.begin(), keyframes.end(), earlier);
}

TintState WarmthCurve::state(Date m) const {
    if (keyframes.empty()) return TintState::off;
    if (m < keyframes.front().time) return keyframes.back().target;

    // The curve repeats: what the last keyframe reaches also holds before the first one.
    TintState r = keyframes.back().target;
    const Date distantFuture(std::numeric_limits<double>::infinity());
    for (std::size_t i = 0; i < keyframes.size(); ++i) {
        const Keyframe& k = keyframes[i];
        const Date next = i + 1 < keyframes.size() ? keyframes[i + 1].time : distantFuture;
        // A ramp is cut off where the next keyframe starts; that one starts from what was reached.
        const Date t = next < m ? next : m;
        if (t < k.time) return r;
        const double p = k.ramp <= 0 ? 1.0 : clamped01(std::min((t - k.time) / k.ramp, 1.0));
        r = TintState::lerp(r, k.target, p);
        if (m < next) return r;
    }
    return r;
}

std::optional<Keyframe> WarmthCurve::current(Date at) const {
    for (auto it = keyframes.rbegin(); it != keyframes.rend(); ++it)
        if (it->time <= at) return *it;
    return std::nullopt;
}

bool WarmthCurve::isRamping(Date at) const {
    const auto k = current(at);
    return k && k->ramp > 0 && at < k->end();
}

std::optional<Keyframe> WarmthCurve::nextKeyframe(Date after) const {
    for (const auto& k : keyframes)
        if (k.time > after) return k;
    return std::nullopt;
}

bool WarmthCurve::isNight(Date at) const {
    const auto k = current(at);
    return k && !k->isDay;
}

std::optional<Keyframe> WarmthCurve::nextMorning(Date after) const {
    for (const auto& k : keyframes)
        if (k.isDay && k.time > after) return k;
    return std::nullopt;
}

std::optional<Keyframe> WarmthCurve::nextEvening(Date after) const {
    for (const auto& k : keyframes)
        if (!k.isDay && k.time > after) return k;
    return std::nullopt;
}

std::optional<Date> WarmthCurve::nextChange(Date after) const {
    std::optional<Date> rampEnd;
    if (const auto k = current(after); k && k->end() > after) rampEnd = k->end();
    std::optional<Date> next;
    if (const auto k = nextKeyframe(after)) next = k->time;
    if (rampEnd && next) return std::min(*rampEnd, *next);
    return rampEnd ? rampEnd : next;
}

std::vector<TintState> WarmthCurve::samples(Date from, int count, double span) const {
    std::vector<TintState> out;
    if (count <= 0) return out;
    if (count == 1) return {state(from)};
    out.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) out.push_back(state(from + span * i / (count - 1)));
    return out;
}

namespace CurveBuilder {

namespace {

constexpr double hour = 3600;
constexpr double day = 86400;

double minutesToSeconds(std::int64_t minutes) { return static_cast<double>(minutes) * 60; }
double rampSeconds(std::int64_t minutes) { return std::max(0.0, minutesToSeconds(minutes)); }

bool isDawn(SunEvent event) {
    return event == SunEvent::sunrise || event == SunEvent::civilDawn || event == SunEvent::nauticalDawn;
}

// The builder's common ground: the zone, the settings and the sun times of a day.
struct Context {
    const Settings& settings;
    const Location& location;
    TimeZone zone;
    Calendar calendar;

    Context(const Settings& s, const Location& l, const TimeZone& systemTimeZone)
        : settings(s), location(l), zone(l.timeZone(systemTimeZone)), calendar(zone) {}

    Date clock(ClockTime time, Date on) const { return clockDate(time, on, zone); }

    SunTimes sun(Date on) const { return Solar::times(on, location.latitude, location.longitude, zone); }

    // Where the sun does not reach the event that day, the polar clock time of its group.
    Date event(const SunTimes& times, SunEvent event, Date on) const {
        if (const auto at = times.time(event)) return *at;
        return clock(isDawn(event) ? settings.sunset.polarMorning : settings.sunset.polarEvening, on);
    }

    Date nextDay(Date d) const {
        const Date next = calendar.addingDays(1, d);
        return Calendar::canRepresent(next) ? next : d + day;
    }

    TintState resolve(const TintTarget& target) const { return target.resolve(settings.presets, settings.redStyle); }
};

Keyframe morningKeyframe(const Context& c, Date next) {
    const SunsetSettings& s = c.settings.sunset;
    const TintState daytime(clamped(s.daytimeKelvin, Kelvin::minimum, Kelvin::maximum), 1.0, c.settings.redStyle,
                            false);
    const auto anchor = [&] {
        if (const auto sunrise = c.sun(next).sunrise) return *sunrise;
        return c.clock(s.polarMorning, next);
    };
    if (const auto* fixed = s.morning.as<MorningBehavior::OffAtFixed>())
        return Keyframe(c.clock(fixed->time, next), daytime, 0, "Morning", true);
    if (const auto* ramp = s.morning.as<MorningBehavior::RampOut>())
        return Keyframe(anchor() - minutesToSeconds(ramp->minutes), daytime, rampSeconds(ramp->minutes), "Sunrise",
                        true);
    if (const auto* by = s.morning.as<MorningBehavior::RampOutBy>())
        return Keyframe(c.clock(by->time, next) - minutesToSeconds(by->minutes), daytime, rampSeconds(by->minutes),
                        "Wake-up", true);
    return Keyframe(anchor(), daytime, 0, "Sunrise", true);
}

Date lateNightStart(const Context& c, Date d, Date next, Date eventDate, Date eveningStart) {
    const SunsetSettings& s = c.settings.sunset;
    if (const auto* plus = s.lateNightAnchor.as<LateNightAnchor::EventPlusHours>())
        return eventDate + plus->hours * hour;
    const ClockTime time = std::get<LateNightAnchor::Clock>(s.lateNightAnchor.value).time;
    const Date at = c.clock(time, d);
    if (at > eveningStart) return at;
    // Half a day or more before the evening: the time lies after midnight.
    if (eveningStart - at >= 12 * hour) return c.clock(time, next);
    // Otherwise late night waits for the evening ramp, as stored (no floor at 0 here).
    return eveningStart + minutesToSeconds(s.eveningRampMinutes);
}

}  // namespace

Date clockDate(ClockTime time, Date on, const TimeZone& tz) {
    const std::int64_t minutes = time.minutes;
    const Date fallback = on + minutesToSeconds(minutes);
    // Only a wall time of the day itself; a stored time outside the day has no such instant.
    if (minutes < 0 || minutes >= 1440 || !Calendar::canRepresent(on)) return fallback;
    const Calendar calendar(tz);
    const DateComponents c = calendar.components(on);
    return calendar.date(c.year, c.month, c.day, static_cast<int>(minutes / 60), static_cast<int>(minutes % 60), 0,
                         Calendar::Skipped::endOfGap);
}

std::vector<Date> days(Date around, const TimeZone& tz) {
    std::vector<Date> out;
    if (!Calendar::canRepresent(around)) return out;
    const Calendar calendar(tz);
    const Date start = calendar.startOfDay(around);
    for (int offset : {-1, 0, 1}) {
        const Date d = offset == 0 ? start : calendar.addingDays(offset, start);
        if (Calendar::canRepresent(d)) out.push_back(d);
    }
    return out;
}

std::optional<WarmthCurve> curve(const Settings& settings, const Location& location, Date around,
                                 const TimeZone& systemTimeZone) {
    switch (settings.mode) {
        case Mode::manual:
            return std::nullopt;
        case Mode::sunset:
            return sunsetCurve(settings, location, around, systemTimeZone);
        case Mode::schedule:
            return scheduleCurve(settings, location, around, systemTimeZone);
    }
    return std::nullopt;
}

WarmthCurve sunsetCurve(const Settings& settings, const Location& location, Date around,
                        const TimeZone& systemTimeZone) {
    const Context c(settings, location, systemTimeZone);
    const SunsetSettings& s = settings.sunset;
    std::vector<Keyframe> frames;
    for (const Date d : days(around, c.zone)) {
        const Date next = c.nextDay(d);
        // A dawn event may be chosen for the evening; it then takes the dawn of the day.
        const Date eventDate = c.event(c.sun(d), s.eveningEvent, d);
        const Date eveningStart = eventDate + minutesToSeconds(s.startOffsetMinutes);
        frames.emplace_back(eveningStart, c.resolve(s.eveningTarget), rampSeconds(s.eveningRampMinutes), "Evening",
                            false);
        if (s.lateNightEnabled)
            frames.emplace_back(lateNightStart(c, d, next, eventDate, eveningStart), c.resolve(s.lateNightTarget),
                                rampSeconds(s.lateNightRampMinutes), "Late night", false);
        frames.push_back(morningKeyframe(c, next));
    }
    return WarmthCurve(std::move(frames));
}

WarmthCurve scheduleCurve(const Settings& settings, const Location& location, Date around,
                          const TimeZone& systemTimeZone) {
    const Context c(settings, location, systemTimeZone);
    const ScheduleSettings& sch = settings.schedule;
    const bool separate = sch.weekendMode.is<WeekendMode::Separate>();

    // Steps within 1500 K of the coolest one count as day steps.
    std::optional<std::int64_t> coolest;
    const auto consider = [&](const std::vector<ScheduleStep>& steps) {
        for (const auto& step : steps) {
            const std::int64_t k = c.resolve(step.target).kelvin;
            coolest = coolest ? std::max(*coolest, k) : k;
        }
    };
    consider(sch.weekdaySteps);
    if (separate) consider(sch.weekendSteps);
    const std::int64_t threshold = coolest.value_or(Kelvin::maximum) - 1500;

    std::vector<Keyframe> frames;
    for (const Date d : days(around, c.zone)) {
        const int weekday = c.calendar.weekday(d);
        const bool weekend = weekday == 1 || weekday == 7;
        const std::vector<ScheduleStep>& steps = weekend && separate ? sch.weekendSteps : sch.weekdaySteps;
        double shift = 0;
        if (const auto* shifted = sch.weekendMode.as<WeekendMode::Shifted>(); weekend && shifted)
            shift = minutesToSeconds(shifted->minutes);

        const SunTimes sun = c.sun(d);
        for (const auto& step : steps) {
            Date base;
            if (const auto* clock = step.anchor.as<StepAnchor::Clock>()) base = c.clock(clock->time, d);
            else {
                const auto& anchor = std::get<StepAnchor::Sun>(step.anchor.value);
                base = c.event(sun, anchor.event, d) + minutesToSeconds(anchor.offsetMinutes);
            }
            const TintState target = c.resolve(step.target);
            frames.emplace_back(base + shift, target, rampSeconds(step.rampMinutes),
                                step.target.describe(settings.presets), target.kelvin >= threshold);
        }
    }
    return WarmthCurve(std::move(frames));
}

}  // namespace CurveBuilder
}  // namespace orvane

std::size_t std::hash<orvane::Keyframe>::operator()(const orvane::Keyframe& k) const noexcept {
    std::size_t seed = 0;
    orvane::hashCombine(seed, std::hash<double>{}(orvane::positiveZero(k.time.secondsSince1970)));
    orvane::hashCombine(seed, orvane::hashValue(k.target));
    orvane::hashCombine(seed, std::hash<double>{}(orvane::positiveZero(k.ramp)));
    orvane::hashCombine(seed, std::hash<std::string>{}(k.label));
    orvane::hashCombine(seed, std::hash<bool>{}(k.isDay));
    return seed;
}

std::size_t std::hash<orvane::WarmthCurve>::operator()(const orvane::WarmthCurve& c) const noexcept {
    std::size_t seed = c.keyframes.size();
    for (const auto& k : c.keyframes) orvane::hashCombine(seed, std::hash<orvane::Keyframe>{}(k));
    return seed;
}
