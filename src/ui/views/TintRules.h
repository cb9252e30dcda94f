#pragma once
// What the warmth and dim controls and the tint module show and write, in plain values.
// The shown warmth is the mode's (Resolution.modeState), not the applied target.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Calendar.h"
#include "core/Presets.h"
#include "core/Resolver.h"
#include "core/Settings.h"

namespace orvane {
class AppModel;
}

namespace orvane::kit::TintRules {

// 6500 K at the leading end, 500 K at the trailing end.
double warmthPosition(std::int64_t kelvin);
// Snapped: the position times 6000 to the nearest whole (halves away from zero).
std::int64_t kelvinAt(double position);
std::vector<double> presetDetents(const std::vector<Preset>& presets);

// Between the dim floor and 1.
double dimPosition(double dim, double floor);
double dimAt(double position, double floor);

std::string kelvinText(std::int64_t kelvin);  // "3400K"
std::string dimText(double dim);              // "80%", rounded

std::string modeName(Mode mode);
// The line above the numeral: "Off", "True color until 07:12", "Manual hold · Sunset"...
std::string stateLine(bool enabled, const TintStatus& status, Mode mode, bool warming, Date now, const TimeZone& zone);
std::string stateLine(const AppModel& model, Date now);

// The place's zone, the computer's when the place names no zone.
TimeZone placeZone(const AppModel& model);

}  // namespace orvane::kit::TintRules
