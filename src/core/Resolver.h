#pragma once
// The one decision of the system: from the settings, the runtime state, the place, the
// moment and the desktop's situation, what the screens show now, why, how fast to get
// there and when to look again. Pure: no clock, nothing stored, nothing changed.
#include <cstddef>
#include <optional>
#include <string>
#include <variant>

#include "core/Calendar.h"
#include "core/Curve.h"
#include "core/Locations.h"
#include "core/OneOf.h"
#include "core/RuntimeState.h"
#include "core/Settings.h"
#include "core/TintState.h"
#include "support/Date.h"

namespace orvane {

struct ResolverInput {
    Date now;
    Settings settings;
    Location location;
    RuntimeState runtime;
    std::optional<std::string> frontmostBundleID{};
    std::optional<std::string> frontmostWindowClass{};  // an exclusion stored under it matches too
    bool frontmostIsFullScreen = false;
    bool revealHeld = false;
    bool securityPromptVisible = false;
    // Stands in for the location's zone when its identifier names none.
    TimeZone systemTimeZone = TimeZone::utc();
};

// Why the target is what it is.
struct TintStatus : OneOf<TintStatus> {
    struct DisabledUntil {
        Date date;  // "_0"
        bool operator==(const DisabledUntil&) const = default;
    };
    struct ExcludedApp {
        std::string name;  // the matching entry's name
        bool operator==(const ExcludedApp&) const = default;
    };
    struct PausedUntil {
        Date date;  // "_0"
        bool operator==(const PausedUntil&) const = default;
    };
    struct Following {
        Mode mode = Mode::sunset;
        bool operator==(const Following&) const = default;
    };
    struct Off {
        bool operator==(const Off&) const = default;
    };
    struct Revealing {
        bool operator==(const Revealing&) const = default;
    };
    struct SecurityPrompt {
        bool operator==(const SecurityPrompt&) const = default;
    };
    struct Cozy {
        bool operator==(const Cozy&) const = default;
    };
    struct Manual {
        bool operator==(const Manual&) const = default;
    };

    std::variant<DisabledUntil, ExcludedApp, PausedUntil, Following, Off, Revealing, SecurityPrompt, Cozy, Manual>
        value = Off{};

    TintStatus() = default;
    template <class Case>
    requires std::is_constructible_v<decltype(value), Case> TintStatus(Case c) : value(std::move(c)) {}

    bool operator==(const TintStatus&) const = default;
};

struct Resolution {
    TintState target;
    TintState modeState;  // the mode alone, before the overrides
    TintStatus status;
    Transition transition;
    std::optional<Date> nextChange{};
    bool isRamping = false;
    std::optional<WarmthCurve> curve{};  // absent in manual mode

    bool operator==(const Resolution&) const = default;
};

namespace Resolver {

// Never fails.
Resolution resolve(const ResolverInput& input);

// A tint set by hand: the manual values in manual mode (or with switch to manual), otherwise a
// hold against the curve that ends by the override rule. Ends wind down without restoring it.
void applyManualChange(const TintState& state, Settings& settings, RuntimeState& runtime, Date now,
                       const Location& location, const TimeZone& systemTimeZone = TimeZone::utc());
// Wind down on saves the manual values and the hold; off restores them.
void setCozy(bool on, Settings& settings, RuntimeState& runtime);
// Drops the hold.
void resume(RuntimeState& runtime);
// The line under the mode's name: "Warming at 19:40 · 2700K by 21:10 · Lyon".
std::string modeSubtitle(const Settings& settings, const Location& location, Date now,
                         const std::optional<WarmthCurve>& curve, const TimeZone& systemTimeZone = TimeZone::utc());

}  // namespace Resolver
}  // namespace orvane

template <>
struct std::hash<orvane::TintStatus> {
    std::size_t operator()(const orvane::TintStatus& s) const noexcept;
};

template <>
struct std::hash<orvane::Resolution> {
    std::size_t operator()(const orvane::Resolution& r) const noexcept;
};
