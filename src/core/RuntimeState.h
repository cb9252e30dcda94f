#pragma once
// What the user did just now and what must survive a restart: a hand-set tint held against
// the curve, a timed switch-off, and wind down with what it displaced. Stored as "runtime.json".
#include <optional>
#include <string>

#include "core/TintState.h"
#include "support/Date.h"
#include "support/Json.h"

namespace orvane {

struct RuntimeState {
    std::optional<Date> pausedUntil{};
    std::optional<TintState> pausedState{};
    std::optional<Date> disabledUntil{};  // a far-future date: until switched on again
    bool cozyActive = false;
    // Saved when wind down goes on, restored and cleared when it goes off.
    std::optional<TintState> cozyPreviousManual{};
    std::optional<TintState> cozyPreviousPause{};
    std::optional<Date> cozyPreviousPausedUntil{};

    // Drops a hold and a disable whose moment has come; wind down never expires.
    void clearExpired(Date now);

    bool operator==(const RuntimeState&) const = default;

    // Absent values are left out; "cozyActive" is always written and required.
    Json toJson() const;
    static RuntimeState fromJson(const Json& json, const std::string& path = "");
};

}  // namespace orvane
