#pragma once
// Time zones from the OS tz database and a Gregorian calendar in one zone. Day keys,
// weekdays and clock times are always Gregorian, whatever the user's locale prefers.
#include <optional>
#include <string>
#include <string_view>

#include "support/Date.h"

namespace date {
class time_zone;
}

namespace orvane {

class TimeZone {
public:
    // Absent for an identifier the tz database does not know.
    static std::optional<TimeZone> named(std::string_view identifier);
    static TimeZone utc();
    // A zone with a fixed offset, named like "GMT+0300" (used where no identifier fits).
    static TimeZone fixed(int secondsFromGMT);

    const std::string& identifier() const { return identifier_; }
    int secondsFromGMT(Date at) const;
    bool isFixed() const { return zone_ == nullptr; }

    bool operator==(const TimeZone& other) const { return identifier_ == other.identifier_; }

private:
    TimeZone(std::string identifier, const ::date::time_zone* zone, int fixedOffset)
        : identifier_(std::move(identifier)), zone_(zone), fixedOffset_(fixedOffset) {}
    friend class Calendar;
    std::string identifier_;
    const ::date::time_zone* zone_ = nullptr;
    int fixedOffset_ = 0;
};

struct DateComponents {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 5;  // 1 = Sunday .. 7 = Saturday
    double nanosecond = 0;
};

class Calendar {
public:
    explicit Calendar(TimeZone zone) : zone_(std::move(zone)) {}
    const TimeZone& timeZone() const { return zone_; }

    // Finite and within the years the calendar handles (about ±3000 years around 1970);
    // the other operations expect such an instant.
    static bool canRepresent(Date date);

    DateComponents components(Date date) const;
    int weekday(Date date) const { return components(date).weekday; }
    Date startOfDay(Date date) const;
    // What a wall time skipped by a forward change becomes.
    enum class Skipped {
        shiftByGap,  // 02:30 in a 02:00-03:00 gap gives 03:30
        endOfGap,    // ... gives 03:00, the next wall time that occurs
    };
    // Wall time on a day; out-of-range fields carry over (month 13, minute 90). A repeated
    // wall time takes its first occurrence.
    Date date(int year, int month, int day, int hour = 0, int minute = 0, double second = 0,
              Skipped skipped = Skipped::shiftByGap) const;
    // The same wall time `days` days later (or earlier), resolved as in date().
    Date addingDays(int days, Date date) const;
    bool isSameDay(Date a, Date b) const;
    // Locale-free "HH:mm".
    std::string hhmm(Date date) const;
    // "yyyy-MM-dd".
    std::string dayKey(Date date) const;

private:
    double localSeconds(Date date) const;  // wall time as seconds since 1970 "local epoch"
    Date fromLocalSeconds(double local, Skipped skipped = Skipped::shiftByGap) const;
    TimeZone zone_;
};

}  // namespace orvane
