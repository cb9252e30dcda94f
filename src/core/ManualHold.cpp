#include "core/ManualHold.h"

#include <cmath>

#include "core/Kelvin.h"
#include "core/Resolver.h"

namespace orvane {

namespace {

constexpr double step = 30;       // seconds between the samples of the curve
constexpr double tolerance = 25;  // kelvin
constexpr double halfDay = 43200;
constexpr double oneHour = 3600;
// Curves hold three days; a search never needs more than a week of samples, and the cap keeps
// a hand-edited ramp of years from stalling the caller.
constexpr double longestSearch = 7 * 86400;

double kelvinAt(const WarmthCurve& curve, Date at) { return static_cast<double>(curve.state(at).kelvin); }

// The first 30-s sample from `from` before `limit` that meets the test, if any.
template <class Test>
std::optional<Date> firstSample(Date from, Date limit, Test&& meets) {
    // Counted, so that the search ends even where 30 s no longer move a huge date.
    constexpr int samples = static_cast<int>(longestSearch / step);
    Date cursor = from;
    for (int i = 0; i < samples && cursor < limit; ++i, cursor += step)
        if (meets(cursor)) return cursor;
    return std::nullopt;
}

Date proposedEnd(OverrideBehavior behavior, const WarmthCurve& curve, Date now) {
    switch (behavior) {
        case OverrideBehavior::keepUntilMorning: {
            const auto k = curve.current(now);
            const auto sought = !k || k->isDay ? curve.nextEvening(now) : curve.nextMorning(now);
            return sought ? sought->time : now + halfDay;
        }
        case OverrideBehavior::pauseOneHour:
            return now + oneHour;
        case OverrideBehavior::pauseUntilNextStep:
        case OverrideBehavior::switchToManual:
            break;
    }
    const auto next = curve.nextKeyframe(now);
    return next ? next->time : now + oneHour;
}

}  // namespace

namespace ManualHold {

Date settle(Date t, const TintState& h, const WarmthCurve& c) {
    if (!std::isfinite(t.secondsSince1970)) return t;
    const double held = static_cast<double>(h.kelvin);
    const auto asWarm = [&](Date at) { return kelvinAt(c, at) <= held + tolerance; };
    const auto asCool = [&](Date at) { return kelvinAt(c, at) + tolerance >= held; };

    // At night the hold lasts until the curve is as warm as the held tint, at the latest the morning.
    if (const auto k = c.current(t); k && !k->isDay) {
        if (asWarm(t)) return t;
        const auto morning = c.nextMorning(t);
        const Date limit = morning ? morning->time : t + halfDay;
        if (const auto met = firstSample(t, limit, asWarm)) return *met;
        if (asWarm(limit)) return limit;
        t = limit;
    }

    // Inside a morning ramp the hold ends once the ramp has cooled to it, at the latest its end.
    const auto k = c.current(t);
    if (!k || !k->isDay) return t;
    const Date rampEnd = k->end();
    if (!(t < rampEnd)) return t;
    if (const auto met = firstSample(t, rampEnd, asCool)) return *met;
    return rampEnd;
}

Date end(OverrideBehavior behavior, const TintState& holding, const WarmthCurve& curve, Date now) {
    return settle(proposedEnd(behavior, curve, now), holding, curve);
}

}  // namespace ManualHold

namespace Resolver {

void applyManualChange(const TintState& state, Settings& settings, RuntimeState& runtime, Date now,
                       const Location& location, const TimeZone& systemTimeZone) {
    // Wind down ends without restoring what it saved.
    runtime.cozyActive = false;
    if (settings.overrideBehavior == OverrideBehavior::switchToManual) settings.mode = Mode::manual;
    if (settings.mode == Mode::manual) {
        // An earlier hold stays in force over the new manual values until it ends.
        settings.manualKelvin = state.kelvin;
        settings.manualDim = state.dim;
        return;
    }
    runtime.pausedState = state;
    const WarmthCurve curve = settings.mode == Mode::schedule
                                  ? CurveBuilder::scheduleCurve(settings, location, now, systemTimeZone)
                                  : CurveBuilder::sunsetCurve(settings, location, now, systemTimeZone);
    runtime.pausedUntil = ManualHold::settle(proposedEnd(settings.overrideBehavior, curve, now), state, curve);
}

void setCozy(bool on, Settings& settings, RuntimeState& runtime) {
    if (on == runtime.cozyActive) return;
    if (on) {
        runtime.cozyPreviousManual = TintState(clamped(settings.manualKelvin, Kelvin::minimum, Kelvin::maximum),
                                               clamped01(settings.manualDim), RedStyle::readable, false);
        runtime.cozyPreviousPause = runtime.pausedState;
        runtime.cozyPreviousPausedUntil = runtime.pausedUntil;
        runtime.cozyActive = true;
        return;
    }
    runtime.cozyActive = false;
    if (runtime.cozyPreviousManual) {
        settings.manualKelvin = runtime.cozyPreviousManual->kelvin;
        settings.manualDim = runtime.cozyPreviousManual->dim;
    }
    // A hold begun during wind down gives way to the one saved at switch-on, or to none.
    runtime.pausedState = runtime.cozyPreviousPause;
    runtime.pausedUntil = runtime.cozyPreviousPausedUntil;
    runtime.cozyPreviousManual.reset();
    runtime.cozyPreviousPause.reset();
    runtime.cozyPreviousPausedUntil.reset();
}

void resume(RuntimeState& runtime) {
    runtime.pausedUntil.reset();
    runtime.pausedState.reset();
}

}  // namespace Resolver
}  // namespace orvane
