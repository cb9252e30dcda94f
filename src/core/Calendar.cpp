#include "core/Calendar.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

#include <date/date.h>
#include <date/tz.h>
#include <fmt/format.h>

namespace orvane {

namespace {

using std::chrono::seconds;

// Whole seconds for the calendar arithmetic; NaN and far-away instants are held to a range
// the conversions can represent instead of overflowing.
std::int64_t wholeSeconds(double s) {
    if (std::isnan(s)) return 0;
    constexpr double limit = 1e13;  // some 300,000 years either way
    return static_cast<std::int64_t>(std::floor(std::clamp(s, -limit, limit)));
}

::date::sys_seconds sysSeconds(Date date) { return ::date::sys_seconds{seconds{wholeSeconds(date.secondsSince1970)}}; }

}  // namespace

std::optional<TimeZone> TimeZone::named(std::string_view identifier) {
    if (identifier.empty()) return std::nullopt;
    try {
        const ::date::time_zone* zone = ::date::locate_zone(identifier);
        return TimeZone(std::string(identifier), zone, 0);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

TimeZone TimeZone::utc() {
    static const std::optional<TimeZone> zone = named("UTC");
    return zone ? *zone : fixed(0);
}

TimeZone TimeZone::fixed(int secondsFromGMT) {
    const int total = std::abs(secondsFromGMT) / 60;
    std::string name = secondsFromGMT == 0
                           ? "GMT"
                           : fmt::format("GMT{}{:02d}{:02d}", secondsFromGMT < 0 ? '-' : '+', total / 60, total % 60);
    return TimeZone(std::move(name), nullptr, secondsFromGMT);
}

int TimeZone::secondsFromGMT(Date at) const {
    if (!zone_) return fixedOffset_;
    return static_cast<int>(zone_->get_info(sysSeconds(at)).offset.count());
}

bool Calendar::canRepresent(Date date) {
    return std::isfinite(date.secondsSince1970) && std::abs(date.secondsSince1970) < 1e11;
}

double Calendar::localSeconds(Date date) const { return date.secondsSince1970 + zone_.secondsFromGMT(date); }

Date Calendar::fromLocalSeconds(double local, Skipped skipped) const {
    if (!zone_.zone_) return Date(local - zone_.fixedOffset_);
    const double whole = static_cast<double>(wholeSeconds(local));
    const double fraction = std::isfinite(local - whole) ? local - whole : 0;
    const ::date::local_seconds lt{seconds{static_cast<std::int64_t>(whole)}};
    const auto info = zone_.zone_->get_info(lt);
    switch (info.result) {
        case ::date::local_info::unique:
            return Date(whole - static_cast<double>(info.first.offset.count()) + fraction);
        case ::date::local_info::ambiguous:
            // First occurrence: still on the earlier (larger) offset.
            return Date(whole - static_cast<double>(info.first.offset.count()) + fraction);
        case ::date::local_info::nonexistent:
        default:
            if (skipped == Skipped::endOfGap)
                return Date(static_cast<double>(info.second.begin.time_since_epoch().count()));
            // Skipped wall time: read it with the offset before the gap, which lands after it
            // by the same distance the wall time lay inside the gap.
            return Date(whole - static_cast<double>(info.first.offset.count()) + fraction);
    }
}

DateComponents Calendar::components(Date date) const {
    const double local = localSeconds(date);
    const double whole = static_cast<double>(wholeSeconds(local));
    const auto tp = ::date::sys_seconds{seconds{static_cast<std::int64_t>(whole)}};
    const auto day = std::chrono::floor<::date::days>(tp);
    const ::date::year_month_day ymd{day};
    const ::date::hh_mm_ss<seconds> hms{tp - day};
    DateComponents c;
    c.year = static_cast<int>(ymd.year());
    c.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    c.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    c.hour = static_cast<int>(hms.hours().count());
    c.minute = static_cast<int>(hms.minutes().count());
    c.second = static_cast<int>(hms.seconds().count());
    c.weekday = static_cast<int>(::date::weekday{day}.c_encoding()) + 1;
    c.nanosecond = std::isfinite(local - whole) ? (local - whole) * 1e9 : 0;
    return c;
}

Date Calendar::date(int year, int month, int day, int hour, int minute, double second, Skipped skipped) const {
    // Normalise the month first so month 0 or 13 carry into the year.
    int y = year;
    int m = month - 1;
    y += m >= 0 ? m / 12 : -((11 - m) / 12);
    m = ((m % 12) + 12) % 12;
    const ::date::year_month_day first{::date::year{y}, ::date::month{static_cast<unsigned>(m + 1)}, ::date::day{1}};
    const auto days = ::date::sys_days{first}.time_since_epoch().count() + (day - 1);
    const double local = static_cast<double>(days) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
    return fromLocalSeconds(local, skipped);
}

Date Calendar::startOfDay(Date date) const {
    const DateComponents c = components(date);
    // Midnight may not exist (a gap at 00:00): the day then starts when the gap ends.
    const double local = static_cast<double>(::date::sys_days{
                             ::date::year_month_day{::date::year{c.year}, ::date::month{static_cast<unsigned>(c.month)},
                                                    ::date::day{static_cast<unsigned>(c.day)}}}
                                                 .time_since_epoch()
                                                 .count()) *
                         86400.0;
    return fromLocalSeconds(local, Skipped::endOfGap);
}

Date Calendar::addingDays(int days, Date date) const {
    const DateComponents c = components(date);
    return this->date(c.year, c.month, c.day + days, c.hour, c.minute, c.second + c.nanosecond / 1e9);
}

bool Calendar::isSameDay(Date a, Date b) const {
    const DateComponents x = components(a);
    const DateComponents y = components(b);
    return x.year == y.year && x.month == y.month && x.day == y.day;
}

std::string Calendar::hhmm(Date date) const {
    const DateComponents c = components(date);
    return fmt::format("{:02d}:{:02d}", c.hour, c.minute);
}

std::string Calendar::dayKey(Date date) const {
    const DateComponents c = components(date);
    return fmt::format("{:04d}-{:02d}-{:02d}", c.year, c.month, c.day);
}

}  // namespace orvane
