#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>

#include "core/DecimalText.h"

namespace orvane {
namespace {

TEST(ShortestDecimal, WritesTheShortestTextWithAPointAfterBareDigits) {
    const std::pair<double, const char*> cases[] = {
        {0.4, "0.4"},
        {1.0, "1.0"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1e-05, "1e-05"},
        {2.0, "2.0"},
        {52.52, "52.52"},
        {-0.5, "-0.5"},
        {-0.0, "-0.0"},
        {100000.0, "100000.0"},
        {1e+22, "1e+22"},
        {13.404954, "13.404954"},
        {0.0001, "0.0001"},
        {1e16, "1e+16"},
        {9007199254740993.0, "9007199254740992.0"},
        {0.0, "0.0"},
        {-1.5e-7, "-1.5e-07"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(shortestDecimal(value), text);
}

TEST(ShortestDecimal, ReadsBackAsTheSameNumber) {
    for (const double value : {0.015, 1.0 / 3.0, 6.02214076e23, 5e-324, std::numeric_limits<double>::max()}) {
        const std::string text = shortestDecimal(value);
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        EXPECT_EQ(back, value) << text;
    }
    EXPECT_EQ(shortestDecimal(std::nan("")), "nan");
    EXPECT_EQ(shortestDecimal(-std::numeric_limits<double>::infinity()), "-inf");
}

}  // namespace
}  // namespace orvane
