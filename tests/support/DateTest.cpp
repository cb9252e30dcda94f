#include <gtest/gtest.h>

#include "support/Date.h"

using namespace orvane;

TEST(Date, Iso8601WritesWholeSecondsInUtc) {
    EXPECT_EQ(iso8601(Date(0)), "1970-01-01T00:00:00Z");
    EXPECT_EQ(iso8601(Date(1769893200.999)), "2026-01-31T21:00:00Z");
    EXPECT_EQ(iso8601(Date(-0.5)), "1969-12-31T23:59:59Z");
    EXPECT_EQ(iso8601(Date::distantFuture()), "4001-01-01T00:00:00Z");
}

TEST(Date, DistantFutureRoundTripsExactly) {
    const auto back = parseIso8601(iso8601(Date::distantFuture()));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, Date::distantFuture());
}

TEST(Date, ParsingAcceptsFractionsAndOffsets) {
    struct Case {
        const char* text;
        std::optional<double> seconds;
    };
    const Case cases[] = {
        {"2026-01-31T21:00:00Z", 1769893200},      {"2026-01-31T21:00:00.250Z", 1769893200.25},
        {"2026-01-31T22:00:00+01:00", 1769893200}, {"2026-01-31T16:30:00-0430", 1769893200},
        {"2024-02-29T00:00:00Z", 1709164800},      {"2026-02-29T00:00:00Z", std::nullopt},
        {"2026-13-01T00:00:00Z", std::nullopt},    {"2026-01-31 21:00:00Z", std::nullopt},
        {"2026-01-31T21:00:00", std::nullopt},     {"2026-01-31T21:00:00Zjunk", std::nullopt},
        {"2026-01-31T21:00:00.Z", std::nullopt},   {"", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto parsed = parseIso8601(c.text);
        ASSERT_EQ(parsed.has_value(), c.seconds.has_value()) << c.text;
        if (parsed) {
            EXPECT_NEAR(parsed->secondsSince1970, *c.seconds, 1e-6) << c.text;
        }
    }
}
