#pragma once
// What the bench programs read of the simulated machine's first display.
#include <chrono>
#include <exception>
#include <optional>
#include <thread>

#include "platform/sim/SimMachine.h"

namespace orvane::bench {

inline std::optional<platform::Matrix3x3> firstMatrix(const platform::sim::SimMachine& machine) {
    try {
        const auto state = machine.read();
        if (state.displays.empty()) return std::nullopt;
        return state.displays[0].matrix;
    } catch (const std::exception&) {
        return std::nullopt;  // caught between writes: read again
    }
}

// Until the display has not changed for `quiet` (a fade has ended).
inline void settle(const platform::sim::SimMachine& machine, std::chrono::milliseconds quiet) {
    using Clock = std::chrono::steady_clock;
    auto last = firstMatrix(machine);
    auto since = Clock::now();
    while (Clock::now() - since < quiet) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const auto now = firstMatrix(machine);
        if (now != last) {
            last = now;
            since = Clock::now();
        }
    }
}

}  // namespace orvane::bench
