#pragma once
// The one way a fraction becomes a whole percentage, for every text that shows one.
// A plain (v * 100) misreads exact decimals (0.29 * 100 is 28.999...), so both forms add a
// tiny epsilon before taking the floor. A negative value is the mirror of its magnitude;
// NaN reads 0 and infinities saturate.
#include <cstdint>

namespace orvane {

// floor(v * 100 + 1e-9): 0.29 -> 29, 0.555 -> 55, 0.999 -> 99.
std::int64_t percentTruncated(double fraction);
// floor(v * 100 + 0.5 + 1e-9): 0.125 -> 13.
std::int64_t percentRounded(double fraction);

}  // namespace orvane
