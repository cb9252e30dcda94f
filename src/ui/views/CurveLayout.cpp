#include "ui/views/CurveLayout.h"

#include <algorithm>

#include <fmt/format.h>

#include "core/TintState.h"

namespace orvane::CurveLayout {

Date startOfWindow(const TimeZone& zone, int startHour, Date now) {
    const Calendar calendar(zone);
    const DateComponents today = calendar.components(calendar.startOfDay(now));
    const auto at = [&](int dayOffset) {
        // Day 0 of a month carries back into the month before.
        return calendar.date(today.year, today.month, today.day + dayOffset, startHour, 0, 0,
                             Calendar::Skipped::endOfGap);
    };
    const Date start = at(0);
    return start > now ? at(-1) : start;
}

Layout layout(const std::optional<WarmthCurve>& curve, const TimeZone& zone, int startHour, bool labelsNow, Date now,
              double width) {
    Layout out;
    out.start = startOfWindow(zone, startHour, now);
    out.kelvins.reserve(sampleCount);
    if (curve) {
        for (const TintState& s : curve->samples(out.start, sampleCount, windowSeconds))
            out.kelvins.push_back(s.kelvin);
    } else {
        out.kelvins.assign(sampleCount, TintState::off.kelvin);
    }
    out.top = labelsNow ? 14 : 4;
    out.nowX = std::clamp(width * ((now - out.start) / windowSeconds), 0.0, std::max(width, 0.0));
    out.labelY = out.top + stripHeight + 3;
    for (int i = 0; i < 5; ++i) {
        HourLabel& label = out.labels[static_cast<std::size_t>(i)];
        label.text = fmt::format("{:02d}", ((startHour + 6 * i) % 24 + 24) % 24);
        // max before min, so a view narrower than a label still starts it at 0.
        label.x = std::max(0.0, std::min(width * i * 0.25 - hourLabelWidth / 2, width - hourLabelWidth));
        label.align = i == 0 ? Align::leading : i == 4 ? Align::trailing : Align::centre;
    }
    if (labelsNow) out.nowLabelX = std::max(0.0, std::min(out.nowX - nowLabelWidth / 2, width - nowLabelWidth));
    return out;
}

}  // namespace orvane::CurveLayout
