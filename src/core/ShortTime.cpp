#include "core/ShortTime.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>

#include <fmt/format.h>
#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

namespace orvane::ShortTime {

namespace {

std::mutex chosenLock;
std::optional<std::string> chosen;

std::string twentyFourHour(int hour, int minute) { return fmt::format("{:02d}:{:02d}", hour, minute); }

}  // namespace

std::string environmentLocale() {
    std::string name;
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            name = value;
            break;
        }
    }
    // "de_DE.UTF-8@euro" is ICU's "de_DE".
    name = name.substr(0, name.find_first_of(".@"));
    if (name == "C" || name == "POSIX") return {};
    return name;
}

void setLocale(const std::string& locale) {
    const std::lock_guard lock(chosenLock);
    if (locale.empty()) chosen.reset();
    else chosen = locale;
}

std::string locale() {
    const std::lock_guard lock(chosenLock);
    if (!chosen) chosen = environmentLocale();
    return *chosen;
}

std::string format(int hour, int minute, const std::string& locale) {
    if (locale.empty()) return twentyFourHour(hour, minute);
    // Making the pattern generator loads the locale's data; keep the last one made.
    thread_local std::string cachedLocale;
    thread_local std::unique_ptr<icu::SimpleDateFormat> cached;
    UErrorCode status = U_ZERO_ERROR;
    if (!cached || cachedLocale != locale) {
        cached.reset();
        const icu::Locale loc(locale.c_str());
        std::unique_ptr<icu::DateTimePatternGenerator> generator(
            icu::DateTimePatternGenerator::createInstance(loc, status));
        if (U_FAILURE(status)) return twentyFourHour(hour, minute);
        // "j": the locale's preferred hour cycle, with its day period where it has one.
        const icu::UnicodeString pattern = generator->getBestPattern(icu::UnicodeString("jmm"), status);
        if (U_FAILURE(status)) return twentyFourHour(hour, minute);
        auto made = std::make_unique<icu::SimpleDateFormat>(pattern, loc, status);
        if (U_FAILURE(status)) return twentyFourHour(hour, minute);
        made->adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString("GMT")));
        cached = std::move(made);
        cachedLocale = locale;
    }
    icu::UnicodeString text;
    cached->format((hour * 3600.0 + minute * 60.0) * 1000.0, text);
    std::string result;
    text.toUTF8String(result);
    return result;
}

std::string format(int hour, int minute) { return format(hour, minute, locale()); }

std::string of(const Calendar& calendar, Date date) {
    const DateComponents c = calendar.components(date);
    return format(c.hour, c.minute);
}

std::string of(ClockTime time) { return format(static_cast<int>(time.hour()), static_cast<int>(time.minute())); }

}  // namespace orvane::ShortTime
