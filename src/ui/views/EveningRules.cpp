#include "ui/views/EveningRules.h"

#include <cmath>

#include <fmt/format.h>

#include "core/Presets.h"
#include "core/ShortTime.h"

namespace orvane::EveningRules {
namespace {

std::vector<ClockTime> every30(std::int64_t from, std::int64_t through) {
    std::vector<ClockTime> times;
    for (std::int64_t m = from; m <= through; m += 30) times.push_back(ClockTime(m % 1440));
    return times;
}

}  // namespace

const std::vector<ClockTime>& bedtimes() {
    static const std::vector<ClockTime> list = every30(1230, 1590);
    return list;
}

const std::vector<ClockTime>& wakeTimes() {
    static const std::vector<ClockTime> list = every30(270, 660);
    return list;
}

std::vector<MenuEntry> clockMenuEntries(const std::vector<ClockTime>& range, ClockTime time) {
    std::vector<MenuEntry> entries;
    entries.reserve(range.size());
    for (const ClockTime& t : range) entries.push_back({ShortTime::of(t), t == time});
    return entries;
}

std::string clockMenuAccessibleName(const std::string& label, ClockTime time) {
    return label + " " + ShortTime::of(time);
}

EveningPlan planWithIntensity(const std::optional<EveningPlan>& current, EveningIntensity intensity) {
    if (current) return {current->bedtime, current->wake, intensity};
    return {defaultBedtime, defaultWake, intensity};
}

std::array<IntensityItem, 3> intensityItems() {
    return {{
        {EveningIntensity::gentle, "Gentle", Preset::builtIn(Preset::BuiltIn::candle).kelvin},
        {EveningIntensity::warm, "Warm", Preset::builtIn(Preset::BuiltIn::ember).kelvin},
        {EveningIntensity::deepRed, "Deep red", Preset::builtIn(Preset::BuiltIn::midnight).kelvin},
    }};
}

std::string noPlanTitle(Mode mode) {
    switch (mode) {
        case Mode::manual:
            return "Manual mode";
        case Mode::sunset:
            return "Custom curve";
        case Mode::schedule:
            return "Schedule mode";
    }
    return "Custom curve";
}

std::string tonightCaption(bool hasPlan, Mode mode, const std::string& modeSubtitle) {
    if (hasPlan) return modeSubtitle;
    switch (mode) {
        case Mode::manual:
            return "Manual: stays where you put it.";
        case Mode::sunset:
            return "Custom curve · " + modeSubtitle;
        case Mode::schedule:
            return "Schedule · " + modeSubtitle;
    }
    return modeSubtitle;
}

std::int64_t badgePercent(double reduction) {
    if (!(reduction >= 0)) return 0;
    return static_cast<std::int64_t>(std::round(std::min(reduction, 1.0) * 100));
}

std::string badgeText(double reduction) { return fmt::format("{}% less so far", badgePercent(reduction)); }

std::string badgeAccessibleName(double reduction) {
    return fmt::format("About {} percent less alerting light this evening", badgePercent(reduction));
}

double ringFraction(double fraction) {
    if (!(fraction >= 0)) return 0;
    return std::min(fraction, 1.0);
}

}  // namespace orvane::EveningRules
