#pragma once
// What this process asked of the simulated machine, in order, so tests can see the calls
// a real system would have received. Only the latest calls are kept: a program running on
// the simulated machine for days makes millions of them, and tests look at a few.
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Value.h"

namespace orvane::platform::sim {

struct SimCall {
    std::string facility;  // the port operation: "colorAdjustments.set", "backlight.setBrightness", ...
    Value arguments;
};

class SimJournal {
public:
    // More than any test reads between two clears, few enough to stay small.
    static constexpr std::size_t capacity = 1024;

    // Drops the oldest call once `capacity` calls are held.
    void add(std::string facility, Value arguments);
    std::vector<SimCall> calls() const;
    std::vector<SimCall> calls(const std::string& facility) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::deque<SimCall> calls_;
};

}  // namespace orvane::platform::sim
