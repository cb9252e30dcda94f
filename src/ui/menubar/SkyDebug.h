#pragma once
// Two development switches read once from the environment: a fixed start moment for the
// sky (the card runs on from it) and a shooting star on every opening.
#include <optional>
#include <string_view>

#include "core/Calendar.h"
#include "support/Date.h"

namespace orvane::SkyDebug {

// Exactly "yyyy-MM-dd'T'HH:mm" as a wall time in `zone`; anything else is absent.
std::optional<Date> parseDate(std::string_view text, const TimeZone& zone);
// What the environment value gives: the parsed moment minus `now`, else 0.
double offsetFor(const char* value, Date now, const TimeZone& zone);
bool alwaysMeteorFor(const char* value);

// "ORVANE_SKY_DATE" and "ORVANE_METEOR", fixed after their first use; both off while the
// screenshot mode renders (GlassStyle::offscreenRender).
double offset();
bool alwaysMeteor();

}  // namespace orvane::SkyDebug
