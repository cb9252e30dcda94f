#pragma once
// Status codes of the display services: 0 is success; the others keep the values the
// engine's callers print in their messages.
#include <cstdint>

namespace orvane::platform::status {

inline constexpr std::int32_t success = 0;
inline constexpr std::int32_t failure = 1000;
inline constexpr std::int32_t illegalArgument = 1001;
inline constexpr std::int32_t cannotComplete = 1004;
inline constexpr std::int32_t notImplemented = 1006;
inline constexpr std::int32_t rangeCheck = 1007;
inline constexpr std::int32_t noneAvailable = 1011;
// What a binding answers when the facility itself is missing.
inline constexpr std::int32_t missing = -1;

}  // namespace orvane::platform::status
