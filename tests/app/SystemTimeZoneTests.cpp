// The computer's own zone as the model reads it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "app/SystemTimeZone.h"
#include "platform/Clock.h"

namespace orvane {
namespace {

class SystemTimeZoneTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) saved_ = tz;
    }
    void TearDown() override {
        if (saved_) ::setenv("TZ", saved_->c_str(), 1);
        else ::unsetenv("TZ");
    }
    std::optional<std::string> saved_;
};

TEST_F(SystemTimeZoneTest, TheTzVariableNamesTheZoneWithOrWithoutItsColon) {
    ::setenv("TZ", "Europe/Berlin", 1);
    EXPECT_EQ(currentSystemTimeZone().identifier(), "Europe/Berlin");
    ::setenv("TZ", ":Asia/Tokyo", 1);
    EXPECT_EQ(currentSystemTimeZone().identifier(), "Asia/Tokyo");
}

TEST_F(SystemTimeZoneTest, AnUnknownNameFallsBackToAZoneThatExists) {
    ::setenv("TZ", "Nowhere/Atlantis", 1);
    const TimeZone zone = currentSystemTimeZone();
    EXPECT_NE(zone.identifier(), "Nowhere/Atlantis");
    EXPECT_TRUE(TimeZone::named(zone.identifier()) || zone == TimeZone::utc());
}

TEST_F(SystemTimeZoneTest, ARecentLookServesUntilItIsOlderThanItsAgeThenTheZoneIsReadAgain) {
    auto clock = std::make_shared<platform::FakeClock>();
    const auto zone = recentSystemTimeZone(clock, 1.0);
    ::setenv("TZ", "Europe/Berlin", 1);
    EXPECT_EQ(zone().identifier(), "Europe/Berlin");
    ::setenv("TZ", "Asia/Tokyo", 1);
    clock->advance(0.9);
    EXPECT_EQ(zone().identifier(), "Europe/Berlin") << "within the second: the look before";
    clock->advance(0.1);
    EXPECT_EQ(zone().identifier(), "Asia/Tokyo");
}

}  // namespace
}  // namespace orvane
