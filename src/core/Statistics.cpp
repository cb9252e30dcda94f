#include "core/Statistics.h"

#include <algorithm>
#include <cmath>

#include "core/Hash.h"
#include "core/Kelvin.h"

namespace orvane {

namespace {

constexpr double minuteOfScreenTime = 60;
constexpr double smallHours = 21600;  // absolute seconds, not six calendar hours

// Halves away from zero; absent beyond the integer range.
std::optional<std::int64_t> roundedKelvin(double value) {
    const double r = std::round(value);
    if (!(r >= -9.2e18 && r <= 9.2e18)) return std::nullopt;
    return static_cast<std::int64_t>(r);
}

bool isEvening(int hour) { return hour < 6 || hour > 17; }

}  // namespace

std::optional<std::int64_t> DayStats::averageEveningKelvin() const {
    if (!(eveningSeconds > 0)) return std::nullopt;
    return roundedKelvin(eveningKelvinSeconds / eveningSeconds);
}

std::optional<double> DayStats::eveningReduction() const {
    if (!(eveningScreenSeconds >= minuteOfScreenTime)) return std::nullopt;
    return 1 - eveningMelanopicSeconds / eveningScreenSeconds;
}

Json DayStats::toJson() const {
    return Json{{"day", day},
                {"warmSeconds", warmSeconds},
                {"eveningKelvinSeconds", eveningKelvinSeconds},
                {"eveningSeconds", eveningSeconds},
                {"eveningMelanopicSeconds", eveningMelanopicSeconds},
                {"eveningScreenSeconds", eveningScreenSeconds}};
}

DayStats DayStats::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader reader(json, path);
    DayStats d(reader.string("day"));
    // Missing or null sums read as 0.
    d.warmSeconds = reader.optNumber("warmSeconds").value_or(0);
    d.eveningKelvinSeconds = reader.optNumber("eveningKelvinSeconds").value_or(0);
    d.eveningSeconds = reader.optNumber("eveningSeconds").value_or(0);
    d.eveningMelanopicSeconds = reader.optNumber("eveningMelanopicSeconds").value_or(0);
    d.eveningScreenSeconds = reader.optNumber("eveningScreenSeconds").value_or(0);
    return d;
}

std::string Statistics::dayKey(Date date, const Calendar& calendar) {
    // A moment the calendar cannot place has no components; they count as 0.
    if (!Calendar::canRepresent(date)) return "0000-00-00";
    return calendar.dayKey(date);
}

std::size_t Statistics::index(const std::string& key) {
    const auto found = std::find_if(days.begin(), days.end(), [&](const DayStats& d) { return d.day == key; });
    if (found != days.end()) return static_cast<std::size_t>(found - days.begin());
    days.emplace_back(key);
    std::stable_sort(days.begin(), days.end(), [](const DayStats& a, const DayStats& b) { return a.day < b.day; });
    const auto inserted = std::find_if(days.begin(), days.end(), [&](const DayStats& d) { return d.day == key; });
    return static_cast<std::size_t>(inserted - days.begin());
}

void Statistics::record(const TintState& state, double melanopic, double seconds, Date at, const Calendar& calendar) {
    // An infinite span or an unplaceable moment would poison the sums or the keys for good.
    if (!(seconds > 0) || !std::isfinite(seconds) || !Calendar::canRepresent(at)) return;
    const bool tinted = state.kelvin < Kelvin::maximum || !(state.dim >= 0.999) || state.darkroom;

    if (isEvening(calendar.components(at).hour)) {
        // The small hours count toward the evening that began the day before.
        DayStats& evening = days[index(dayKey(at - smallHours, calendar))];
        evening.eveningMelanopicSeconds += seconds * clamped01(melanopic);
        evening.eveningScreenSeconds += seconds;
        if (tinted) {
            evening.eveningKelvinSeconds += seconds * static_cast<double>(state.kelvin);
            evening.eveningSeconds += seconds;
        }
    }
    if (tinted) days[index(dayKey(at, calendar))].warmSeconds += seconds;

    if (days.size() > keptDays) days.erase(days.begin(), days.end() - static_cast<std::ptrdiff_t>(keptDays));
}

std::optional<DayStats> Statistics::tonight(Date at, const Calendar& calendar) const {
    if (!Calendar::canRepresent(at) || !isEvening(calendar.components(at).hour)) return std::nullopt;
    const std::string key = dayKey(at - smallHours, calendar);
    for (const auto& d : days)
        if (d.day == key) return d;
    return std::nullopt;
}

std::vector<DayStats> Statistics::recent(int count, Date ending, const Calendar& calendar) const {
    std::vector<DayStats> out;
    if (count <= 0) return out;  // a negative count is read as none
    for (int offset = -(count - 1); offset <= 0; ++offset) {
        if (!Calendar::canRepresent(ending)) break;
        const Date date = calendar.addingDays(offset, ending);
        if (!Calendar::canRepresent(date)) continue;
        const std::string key = dayKey(date, calendar);
        const auto found = std::find_if(days.begin(), days.end(), [&](const DayStats& d) { return d.day == key; });
        out.push_back(found != days.end() ? *found : DayStats(key));
    }
    return out;
}

std::optional<double> Statistics::averageEveningReduction(int count, Date ending, const Calendar& calendar) const {
    double screen = 0, melanopic = 0;
    for (const auto& d : recent(count, ending, calendar)) {
        screen += d.eveningScreenSeconds;
        melanopic += d.eveningMelanopicSeconds;
    }
    if (!(screen >= minuteOfScreenTime)) return std::nullopt;
    return 1 - melanopic / screen;
}

std::optional<std::int64_t> Statistics::averageEveningKelvin(int count, Date ending, const Calendar& calendar) const {
    double seconds = 0, kelvinSeconds = 0;
    for (const auto& d : recent(count, ending, calendar)) {
        seconds += d.eveningSeconds;
        kelvinSeconds += d.eveningKelvinSeconds;
    }
    if (!(seconds > 0)) return std::nullopt;
    return roundedKelvin(kelvinSeconds / seconds);
}

Json Statistics::toJson() const {
    Json array = Json::array();
    for (const auto& d : days) array.push_back(d.toJson());
    return Json{{"days", std::move(array)}};
}

Statistics Statistics::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader reader(json, path);
    const Json& array = reader.required("days");
    const std::string at = reader.pathOf("days");
    if (!array.is_array()) json::typeMismatch("Array<Any>", array, at);
    Statistics stats;
    stats.days.reserve(array.size());
    for (std::size_t i = 0; i < array.size(); ++i)
        stats.days.push_back(DayStats::fromJson(array[i], at + "[" + std::to_string(i) + "]"));
    return stats;
}

}  // namespace orvane

std::size_t std::hash<orvane::DayStats>::operator()(const orvane::DayStats& d) const noexcept {
    const auto h = [](double x) { return x + 0.0; };
    return orvane::hashValues(d.day, h(d.warmSeconds), h(d.eveningKelvinSeconds), h(d.eveningSeconds),
                              h(d.eveningMelanopicSeconds), h(d.eveningScreenSeconds));
}
