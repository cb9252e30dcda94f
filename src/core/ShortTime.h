#pragma once
// Every time of day the program shows, in one format: the locale's short time format with
// hours and minutes ("16:54" in most, "4:54 PM" in American English). The locale is the
// one the environment gives times in (LC_ALL, else LC_TIME, else LANG); the C and POSIX
// locales, and none at all, write 24-hour "HH:mm".
#include <string>

#include "core/Calendar.h"
#include "core/ClockTime.h"

namespace orvane::ShortTime {

// The environment's time locale as an ICU name ("en_US"); empty for C, POSIX or none.
std::string environmentLocale();

// The locale every shown time follows; until set, the environment's. The screenshot mode
// pins one; empty goes back to the environment's.
void setLocale(const std::string& locale);
std::string locale();

// hour 0-23 and minute 0-59 in `locale`'s short time format (empty: 24-hour "HH:mm").
std::string format(int hour, int minute, const std::string& locale);
// ... in the program's locale.
std::string format(int hour, int minute);
// A moment's wall time in the calendar's zone, and a clock time, in the program's locale.
std::string of(const Calendar& calendar, Date date);
std::string of(ClockTime time);

}  // namespace orvane::ShortTime
