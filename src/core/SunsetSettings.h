#pragma once
// The sunset-following mode: where the sun is watched, and how the evening, the late
// night and the morning are shaped around it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/CaseNames.h"
#include "core/ClockTime.h"
#include "core/LocationSource.h"
#include "core/OneOf.h"
#include "core/TintState.h"
#include "support/Json.h"

namespace orvane {

// The dusk group (sunset, civilDusk, nauticalDusk) and the dawn group (sunrise, civilDawn, nauticalDawn).
enum class SunEvent { sunrise, sunset, civilDusk, civilDawn, nauticalDusk, nauticalDawn };
inline constexpr CaseNames<SunEvent, 6> sunEventNames{"SunEvent",
                                                      {{{SunEvent::sunrise, "sunrise"},
                                                        {SunEvent::sunset, "sunset"},
                                                        {SunEvent::civilDusk, "civilDusk"},
                                                        {SunEvent::civilDawn, "civilDawn"},
                                                        {SunEvent::nauticalDusk, "nauticalDusk"},
                                                        {SunEvent::nauticalDawn, "nauticalDawn"}}}};
constexpr const auto& caseNames(SunEvent) { return sunEventNames; }
std::string_view title(SunEvent event);

// When the late-night stage of the sunset curve begins.
struct LateNightAnchor : OneOf<LateNightAnchor> {
    struct Clock {
        ClockTime time;  // unlabelled payload, "_0"
        bool operator==(const Clock&) const = default;
    };
    struct EventPlusHours {
        double hours = 0;  // unlabelled payload, "_0"; fractions allowed
        bool operator==(const EventPlusHours&) const = default;
    };

    std::variant<Clock, EventPlusHours> value = Clock{};

    LateNightAnchor() = default;
    template <class Case>
    requires std::is_constructible_v<decltype(value), Case> LateNightAnchor(Case c) : value(std::move(c)) {}

    bool operator==(const LateNightAnchor&) const = default;

    Json toJson() const;
    static LateNightAnchor fromJson(const Json& json, const std::string& path = "");
};

// How the evening tint ends in the morning.
struct MorningBehavior : OneOf<MorningBehavior> {
    struct OffAtSunrise {
        bool operator==(const OffAtSunrise&) const = default;
    };
    struct OffAtFixed {
        ClockTime time;  // "_0"
        bool operator==(const OffAtFixed&) const = default;
    };
    struct RampOut {
        std::int64_t minutes = 0;  // a ramp that ends at sunrise
        bool operator==(const RampOut&) const = default;
    };
    struct RampOutBy {
        ClockTime time;  // "_0": the wake-up time the ramp ends at
        std::int64_t minutes = 0;
        bool operator==(const RampOutBy&) const = default;
    };

    std::variant<OffAtSunrise, OffAtFixed, RampOut, RampOutBy> value = OffAtSunrise{};

    MorningBehavior() = default;
    template <class Case>
    requires std::is_constructible_v<decltype(value), Case> MorningBehavior(Case c) : value(std::move(c)) {}

    bool operator==(const MorningBehavior&) const = default;

    Json toJson() const;
    static MorningBehavior fromJson(const Json& json, const std::string& path = "");
};

struct SunsetSettings {
    LocationSource locationSource = LocationSource::TimeZone{};
    SunEvent eveningEvent = SunEvent::sunset;
    std::int64_t startOffsetMinutes = -30;  // negative: before the evening event
    std::int64_t eveningRampMinutes = 60;
    TintTarget eveningTarget = TintTarget::Preset{"builtin.evening"};
    bool lateNightEnabled = true;
    LateNightAnchor lateNightAnchor = LateNightAnchor::Clock{ClockTime(1230)};
    TintTarget lateNightTarget = TintTarget::Preset{"builtin.ember"};
    std::int64_t lateNightRampMinutes = 90;
    MorningBehavior morning = MorningBehavior::RampOutBy{ClockTime(420), 30};
    std::int64_t daytimeKelvin = 6500;  // 6500 means untinted
    ClockTime polarEvening{1200};       // where the sun neither rises nor sets
    ClockTime polarMorning{420};
    std::optional<double> cachedPreciseLatitude{};  // the last precise fix
    std::optional<double> cachedPreciseLongitude{};

    bool operator==(const SunsetSettings&) const = default;

    Json toJson() const;
    static SunsetSettings fromJson(const Json& json, const std::string& path = "");
};

}  // namespace orvane
