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

// A tick every few seconds asks for the zone: after the look's age it reads only what
// names the zone, and looks the zone up again only when that changed.
TEST_F(SystemTimeZoneTest, TheZoneIsLookedUpAgainOnlyWhenWhatNamesItChanged) {
    auto clock = std::make_shared<platform::FakeClock>();
    std::string source = "/etc/localtime -> /usr/share/zoneinfo/Europe/Berlin";
    std::string named = "Europe/Berlin";
    int lookUps = 0, sourceReads = 0;
    const auto zone = recentSystemTimeZone(
        clock, 1.0,
        [&] {
            ++lookUps;
            return *TimeZone::named(named);
        },
        [&] {
            ++sourceReads;
            return source;
        });
    for (int tick = 0; tick < 5; ++tick) {
        EXPECT_EQ(zone().identifier(), "Europe/Berlin");
        EXPECT_EQ(zone().identifier(), "Europe/Berlin");
        clock->advance(5);
    }
    EXPECT_EQ(lookUps, 1);
    EXPECT_EQ(sourceReads, 5) << "one cheap look per tick, none within the second";

    source = "/etc/localtime -> /usr/share/zoneinfo/Asia/Tokyo";
    named = "Asia/Tokyo";
    EXPECT_EQ(zone().identifier(), "Asia/Tokyo");
    EXPECT_EQ(lookUps, 2);
}

TEST_F(SystemTimeZoneTest, TheSourceNamesTzAndTheLocaltimeLink) {
    ::setenv("TZ", "Asia/Tokyo", 1);
    const std::string tokyo = systemTimeZoneSource();
    EXPECT_NE(tokyo.find("TZ=Asia/Tokyo"), std::string::npos) << tokyo;
    EXPECT_NE(tokyo.find("/etc/localtime"), std::string::npos) << tokyo;
    ::setenv("TZ", "Europe/Berlin", 1);
    EXPECT_NE(systemTimeZoneSource(), tokyo);
    ::unsetenv("TZ");
    EXPECT_EQ(systemTimeZoneSource(), systemTimeZoneSource()) << "nothing changed, the same text";
}

}  // namespace
}  // namespace orvane
