// The computer's own zone as the model reads it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "app/SystemTimeZone.h"

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

}  // namespace
}  // namespace orvane
