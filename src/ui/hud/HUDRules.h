#pragma once
// What the brightness overlay and the rest-break countdown show, as plain values: the
// widgets only draw them.
#include <string>

#include "support/Date.h"

namespace orvane::HUDRules {

inline constexpr int segmentCount = 16;
inline constexpr double segmentStep = 0.0625;  // 1 / 16

// Segment i is lit when i × 0.0625 < level: 0 lights none, anything above 0 the first.
bool segmentLit(int index, double level);
int litSegments(double level);

inline constexpr const char* restHeadline = "Look at something far away";
inline constexpr const char* restAccessibilityLabel = "Eye rest. Look at something far away.";

// The part of the break still to go, 1 at its start and 0 once it is over; 0 for a break
// without length.
double restProgress(Date now, Date startedAt, double seconds);
// Whole seconds left, ceil(progress × seconds); never negative.
int remainingSeconds(double progress, double seconds);
// "20 s · any key ends it".
std::string countdownText(int seconds);

}  // namespace orvane::HUDRules
