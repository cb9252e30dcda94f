#pragma once
// The fixed-seed generator of the stars and the moon glints: a 64-bit linear congruential
// step whose top 31 bits make the fraction, so a drawing regenerates the same values on
// every frame without storing them.
#include <cstdint>

namespace orvane {

class SeededGenerator {
public:
    explicit constexpr SeededGenerator(std::uint64_t seed) : state_(seed) {}
    // A value in [0, 1).
    constexpr double next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 33) / 2147483648.0;
    }

private:
    std::uint64_t state_;
};

}  // namespace orvane
