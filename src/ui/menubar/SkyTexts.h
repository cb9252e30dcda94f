#pragma once
// Every text of the sky card: the shown time, the next sun event, what the tint is doing,
// the moon line and the spoken summary, plus the sea row's preview values.
#include <optional>
#include <string>

#include "core/Calendar.h"
#include "core/Curve.h"
#include "core/Locations.h"
#include "core/Lunar.h"
#include "core/Resolver.h"
#include "core/Settings.h"
#include "core/Solar.h"
#include "core/TintState.h"

namespace orvane::SkyTexts {

// The locale's hour and minute ("7:42 PM", "19:42") in the zone; an empty locale name is
// the one every shown time follows (ShortTime).
std::string shownTime(Date date, const TimeZone& zone, const std::string& locale = "");
// Seconds from `now` to the next whole minute, when the shown time next changes: more than
// 0, at most 60.
TimeInterval untilNextMinute(Date now);

// "Sunset in 42 min", "Sunrise in 2 h 5 min", "Sunset at 9:33 PM · Berlin", or the place's
// name when the sun neither rises nor sets within reach.
std::string nextSunEvent(Date after, const Location& place, const TimeZone& zone, const std::string& locale = "");

struct StateInputs {
    bool enabled = true;
    TintStatus status;
    Mode mode = Mode::sunset;
    bool isWarming = false;
    std::optional<WarmthCurve> curve;
    TimeZone zone = TimeZone::utc();
    Date now;                              // the card's now
    std::optional<std::string> notTinted;  // why no display is tinted, where none is (shown under the numeral)
};
std::string stateLine(const StateInputs& in);

std::string moonLine(const MoonPosition& moon);
std::string accessibilityText(const SunPosition& sun, const std::optional<MoonPosition>& moon,
                              const std::string& nextEvent);

inline constexpr const char* previewLine = "Preview · let go for now";
inline constexpr const char* previewTitle = "Orvane then";
inline constexpr const char* accessibilityHint = "Drag across the sky to preview another time of day.";

// The curve's state at the previewed moment; none in the manual mode or without a curve.
std::optional<TintState> previewState(std::optional<Date> scrub, Mode mode, const std::optional<WarmthCurve>& curve);
// The alerting-light label of a preview: kelvin gains times dim, red style and darkroom aside.
std::string previewAlertingLabel(const TintState& preview);

}  // namespace orvane::SkyTexts
