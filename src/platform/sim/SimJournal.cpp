#include "platform/sim/SimJournal.h"

namespace orvane::platform::sim {

void SimJournal::add(std::string facility, Value arguments) {
    std::lock_guard lock(mutex_);
    if (calls_.size() == capacity) calls_.pop_front();
    calls_.push_back({std::move(facility), std::move(arguments)});
}

std::vector<SimCall> SimJournal::calls() const {
    std::lock_guard lock(mutex_);
    return {calls_.begin(), calls_.end()};
}

std::vector<SimCall> SimJournal::calls(const std::string& facility) const {
    std::lock_guard lock(mutex_);
    std::vector<SimCall> out;
    for (const auto& c : calls_)
        if (c.facility == facility) out.push_back(c);
    return out;
}

void SimJournal::clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

}  // namespace orvane::platform::sim
