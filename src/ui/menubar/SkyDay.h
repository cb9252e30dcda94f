#pragma once
// What the sky card computes for a now and a shown moment: the time window, the sun's
// path and place, the marks, the moon spot and the palette. Plain values, no drawing.
#include <optional>
#include <vector>

#include "core/Calendar.h"
#include "core/EveningPlan.h"
#include "core/Locations.h"
#include "core/Lunar.h"
#include "core/Sky.h"
#include "core/Solar.h"
#include "ui/menubar/SkyGeometry.h"

namespace orvane {

struct SkyWindow {
    Date start;
    double span = 86400;

    // 0 at the start, 1 at the end, held to 0...1 (NaN counts as 0).
    double fraction(Date moment) const;
    // The moment under x on a card `width` wide, held to the window's ends.
    Date moment(double x, double width) const;

    // From two hours before sunrise to an hour after bed (at least four hours after
    // sunset), never before local midnight and never longer than a day; the local day when
    // the sun does not both rise and set.
    static SkyWindow make(const SunTimes& times, Date dayStart, const std::optional<EveningPlan>& plan);
};

struct SkyDay {
    static constexpr double extraSea = 44;
    static constexpr int samples = 97;

    TimeZone zone = TimeZone::utc();
    SunTimes times;
    SkyWindow window;
    SunPosition sun;  // at shown
    std::vector<SunPosition> path;
    std::vector<double> arc;
    MoonPosition moon;  // at shown
    double peak = 30;
    SkyGeometry geometry;
    double sunX = 0;
    double sunY = 0;
    std::vector<double> marks;
    std::optional<MoonSpot> moonSpot;
    SkyPalette palette;

    // The card `width` × `height`; the picture leaves the bottom 44 points to the extra sea.
    static SkyDay make(const Location& place, const TimeZone& zone, const std::optional<EveningPlan>& plan, Date now,
                       Date shown, double width, double height);

    double horizonY() const { return geometry.horizonY(); }
    // The visible moon, as the rows and the spoken label name it.
    std::optional<MoonPosition> visibleMoon() const {
        return moonSpot ? std::optional<MoonPosition>(moon) : std::nullopt;
    }
};

namespace SkyCard {
// A drag previews only when it starts above hY + 10.
inline bool dragPreviews(double startY, double horizonY) { return startY < horizonY + 10; }
// Within 16 points of the moon's centre.
bool nearMoon(const std::optional<MoonSpot>& spot, double x, double y);
// Twinkling runs only while open, with motion allowed and a live clock.
inline bool twinkles(bool open, bool reduceMotion, bool fixedNow) { return open && !reduceMotion && !fixedNow; }
}  // namespace SkyCard

}  // namespace orvane
