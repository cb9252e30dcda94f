#pragma once
// What this process asked of the simulated machine, in order, so tests can see the calls
// a real system would have received.
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
    void add(std::string facility, Value arguments);
    std::vector<SimCall> calls() const;
    std::vector<SimCall> calls(const std::string& facility) const;
    void clear();

private:
    mutable std::mutex mutex_;
    // A fade adds a call per frame: growing never moves the calls already written.
    std::deque<SimCall> calls_;
};

}  // namespace orvane::platform::sim
