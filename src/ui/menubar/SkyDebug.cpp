#include "ui/menubar/SkyDebug.h"

#include <cstdlib>
#include <cstring>

#include "app/SystemTimeZone.h"
#include "platform/Clock.h"
#include "ui/kit/Tokens.h"

namespace orvane::SkyDebug {
namespace {

std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int daysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

std::optional<Date> parseDate(std::string_view text, const TimeZone& zone) {
    // 2024-06-21T21:45
    if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':')
        return std::nullopt;
    const auto year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
    const auto hour = digits(text, 11, 2), minute = digits(text, 14, 2);
    if (!year || !month || !day || !hour || !minute) return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month) || *hour > 23 || *minute > 59)
        return std::nullopt;
    return Calendar(zone).date(*year, *month, *day, *hour, *minute);
}

double offsetFor(const char* value, Date now, const TimeZone& zone) {
    if (!value) return 0;
    const auto date = parseDate(value, zone);
    return date ? date->timeIntervalSince(now) : 0;
}

bool alwaysMeteorFor(const char* value) { return value && std::strcmp(value, "1") == 0; }

double offset() {
    // Images made for the screenshot mode show the moment they are given, nothing else.
    if (kit::GlassStyle::offscreenRender()) return 0;
    static const double value =
        offsetFor(std::getenv("ORVANE_SKY_DATE"), platform::SystemClock::shared()->now(), currentSystemTimeZone());
    return value;
}

bool alwaysMeteor() {
    if (kit::GlassStyle::offscreenRender()) return false;
    static const bool value = alwaysMeteorFor(std::getenv("ORVANE_METEOR"));
    return value;
}

}  // namespace orvane::SkyDebug
