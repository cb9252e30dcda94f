#include "support/Date.h"

#include <charconv>
#include <chrono>
#include <cmath>

#include <date/date.h>
#include <fmt/format.h>

namespace orvane {

std::string iso8601(Date date) {
    using namespace std::chrono;
    const auto whole = static_cast<std::int64_t>(std::floor(date.secondsSince1970));
    const sys_seconds tp{seconds{whole}};
    const auto day = floor<days>(tp);
    const ::date::year_month_day ymd{day};
    const ::date::hh_mm_ss<seconds> hms{tp - day};
    return fmt::format("{:04d}-{:02d}-{:02d}T{:02d}:{:02d}:{:02d}Z", static_cast<int>(ymd.year()),
                       static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()), hms.hours().count(),
                       hms.minutes().count(), hms.seconds().count());
}

namespace {

bool digits(std::string_view text, std::size_t pos, std::size_t count, int& out) {
    if (pos + count > text.size()) return false;
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    return true;
}

}  // namespace

std::optional<Date> parseIso8601(std::string_view text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!digits(text, 0, 4, year) || text.size() < 19 || text[4] != '-' || !digits(text, 5, 2, month) ||
        text[7] != '-' || !digits(text, 8, 2, day) || (text[10] != 'T' && text[10] != 't') ||
        !digits(text, 11, 2, hour) || text[13] != ':' || !digits(text, 14, 2, minute) || text[16] != ':' ||
        !digits(text, 17, 2, second))
        return std::nullopt;
    std::size_t pos = 19;
    double fraction = 0;
    if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
        ++pos;
        const std::size_t begin = pos;
        double scale = 0.1;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            fraction += (text[pos] - '0') * scale;
            scale /= 10;
            ++pos;
        }
        if (pos == begin) return std::nullopt;
    }
    int offsetSeconds = 0;
    if (pos < text.size() && (text[pos] == 'Z' || text[pos] == 'z')) {
        ++pos;
    } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        const int sign = text[pos] == '-' ? -1 : 1;
        int oh = 0, om = 0;
        if (!digits(text, pos + 1, 2, oh)) return std::nullopt;
        std::size_t next = pos + 3;
        if (next < text.size() && text[next] == ':') ++next;
        if (!digits(text, next, 2, om)) return std::nullopt;
        if (oh > 23 || om > 59) return std::nullopt;
        offsetSeconds = sign * (oh * 3600 + om * 60);
        pos = next + 2;
    } else {
        return std::nullopt;
    }
    if (pos != text.size()) return std::nullopt;
    if (month < 1 || month > 12 || hour > 23 || minute > 59 || second > 60) return std::nullopt;
    const ::date::year_month_day ymd{::date::year{year}, ::date::month{static_cast<unsigned>(month)},
                                     ::date::day{static_cast<unsigned>(day)}};
    if (!ymd.ok()) return std::nullopt;
    const auto days = ::date::sys_days{ymd}.time_since_epoch().count();
    const double seconds =
        static_cast<double>(days) * 86400.0 + hour * 3600.0 + minute * 60.0 + second - offsetSeconds + fraction;
    return Date(seconds);
}

}  // namespace orvane
