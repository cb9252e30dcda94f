#pragma once
// Combining field hashes for the value records that are used as set members and keys.
#include <cstddef>
#include <functional>

namespace orvane {

inline void hashCombine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

template <class... T>
std::size_t hashValues(const T&... values) {
    std::size_t seed = 0;
    (hashCombine(seed, std::hash<T>{}(values)), ...);
    return seed;
}

}  // namespace orvane
