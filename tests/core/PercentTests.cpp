#include "core/Percent.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

namespace orvane {
namespace {

struct PercentCase {
    double fraction;
    std::int64_t truncated;
    std::int64_t rounded;
};

// Values whose product with 100 lands just below a whole number in binary are the ones a
// plain floor misreads.
TEST(Percent, ExactDecimalsReadAsWritten) {
    const PercentCase cases[] = {
        {0.29, 29, 29}, {0.555, 55, 56}, {0.999, 99, 100}, {0.029, 2, 3},   {0.125, 12, 13},
        {0.57, 57, 57}, {0.58, 58, 58},  {0.07, 7, 7},     {1.0, 100, 100}, {0.0, 0, 0},
        {0.8, 80, 80},  {0.005, 0, 1},   {0.0149, 1, 1},   {1.5, 150, 150},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(percentTruncated(c.fraction), c.truncated) << c.fraction;
        EXPECT_EQ(percentRounded(c.fraction), c.rounded) << c.fraction;
    }
}

TEST(Percent, NegativesMirrorTheirMagnitude) {
    EXPECT_EQ(percentTruncated(-0.29), -29);
    EXPECT_EQ(percentTruncated(-0.555), -55);
    EXPECT_EQ(percentRounded(-0.125), -13);
    EXPECT_EQ(percentRounded(-0.124), -12);
}

TEST(Percent, NonFiniteValuesStayDefined) {
    EXPECT_EQ(percentTruncated(std::nan("")), 0);
    EXPECT_EQ(percentRounded(std::nan("")), 0);
    EXPECT_EQ(percentTruncated(std::numeric_limits<double>::infinity()), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(percentRounded(-std::numeric_limits<double>::infinity()), -std::numeric_limits<std::int64_t>::max());
}

}  // namespace
}  // namespace orvane
