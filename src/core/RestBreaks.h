#pragma once
// Rest breaks: the user's settings, and the pure accounting of active screen time that
// says when a break is due. The caller samples it on its own timer.
#include <cstdint>
#include <limits>
#include <string>

#include "support/Json.h"

namespace orvane {

struct RestBreakSettings {
    bool enabled = false;
    std::int64_t everyMinutes = 20;  // active minutes between breaks
    std::int64_t seconds = 20;       // length of a break

    bool operator==(const RestBreakSettings&) const = default;

    Json toJson() const;
    static RestBreakSettings fromJson(const Json& json, const std::string& path = "");
};

struct RestBreakTimer {
    static constexpr double activeIdleLimit = 60;    // idle below this counts as active use
    static constexpr double naturalBreak = 300;      // idle at least this long counts as a break taken
    static constexpr double graceAfterBlocked = 60;  // unblocked time needed after a blocking situation

    double activeSeconds = 0;  // active use since the last break or natural pause

    // All in seconds. True when a break is due now.
    bool sample(double elapsed, double idle, bool blocked, double every);
    void reset() { activeSeconds = 0; }

    double unblockedSeconds() const { return unblocked_; }

    bool operator==(const RestBreakTimer&) const = default;

private:
    // Infinite until the first blocked sample, so the first break needs no grace.
    double unblocked_ = std::numeric_limits<double>::infinity();
};

}  // namespace orvane
