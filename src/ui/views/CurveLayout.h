#pragma once
// Where the curve preview puts its pieces, apart from the painting: the 24-hour window
// that holds now, one warmth every 15 minutes across it, the hour labels, the now marker
// and its label. The moment and the zone are arguments, so any case can be laid out.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Calendar.h"
#include "core/Curve.h"
#include "support/Date.h"

namespace orvane::CurveLayout {

inline constexpr int sampleCount = 97;
inline constexpr double windowSeconds = 86400;  // a DST day's window is 24 real hours all the same
inline constexpr double stripHeight = 12;
inline constexpr double markerWidth = 2;
inline constexpr double markerHeight = stripHeight + 6;
inline constexpr double hourLabelWidth = 24;
inline constexpr double nowLabelWidth = 30;
inline constexpr const char* nowText = "Now";
inline constexpr const char* accessibleName = "Tonight's warmth curve";

// The latest `startHour`:00 in the zone that is not after `now` (a time a forward change
// skips becomes the end of the gap; a repeated one its first occurrence).
Date startOfWindow(const TimeZone& zone, int startHour, Date now);

enum class Align { leading, centre, trailing };

struct HourLabel {
    std::string text;  // "%02d"
    double x = 0;      // left edge of its 24-point frame
    Align align = Align::centre;
};

struct Layout {
    Date start;
    std::vector<std::int64_t> kelvins;  // sampleCount, the first at `start`, the last 24 h later
    double top = 4;                     // the strip's top: 14 with the "Now" label, else 4
    double nowX = 0;                    // within 0...width
    std::array<HourLabel, 5> labels;
    double labelY = 0;
    std::optional<double> nowLabelX;  // the "Now" label's left edge, within 0...width - 30
};

// Without a curve every stop is the untinted 6500 K.
Layout layout(const std::optional<WarmthCurve>& curve, const TimeZone& zone, int startHour, bool labelsNow, Date now,
              double width);

}  // namespace orvane::CurveLayout
