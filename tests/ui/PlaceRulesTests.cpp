// The place picker's rules without widgets: reading typed coordinates, what the view
// opens on, the checkmarks and the header's times.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/views/PlaceRules.h"

namespace orvane {
namespace {

using PlaceRules::Tab;

struct Typed {
    const char* latitude;
    const char* longitude;
    std::optional<LocationSource::Coordinates> expected;  // none: the view beeps
};

TEST(PlaceRulesTest, CoordinatesAreReadAsTheUseButtonReadsThem) {
    using C = LocationSource::Coordinates;
    const Typed cases[] = {
        {"52,52", "13,405", C{52.52, 13.405}},
        {"90", "180", C{90, 180}},
        {"-90", "-180", C{-90, -180}},
        {"+52", "+13.4", C{52, 13.4}},
        {"52.", ".5", C{52, 0.5}},
        {"1e1", "-0", C{10, 0}},
        {"90.0001", "0", std::nullopt},
        {"0", "180.0001", std::nullopt},
        {"", "13", std::nullopt},
        {"52", "", std::nullopt},
        {" 52", "13", std::nullopt},
        {"52 ", "13", std::nullopt},
        {"abc", "13", std::nullopt},
        {"nan", "13", std::nullopt},
        {"inf", "13", std::nullopt},
        {"1e400", "13", std::nullopt},
        {"++52", "13", std::nullopt},
        {"+-52", "13", std::nullopt},
        {"+", "13", std::nullopt},
        {"0x10", "13", std::nullopt},
        {"52,5,2", "13", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("'") + c.latitude + "' '" + c.longitude + "'");
        EXPECT_EQ(PlaceRules::parseCoordinates(c.latitude, c.longitude), c.expected);
    }
}

TEST(PlaceRulesTest, TheViewOpensOnTheStoredSourcesTab) {
    const auto coordinates = PlaceRules::opening(LocationSource::Coordinates{48.8566, 2.3522}, Tab::timeZone);
    EXPECT_EQ(coordinates.tab, Tab::coordinates);
    EXPECT_EQ(coordinates.latitude, "48.8566");
    EXPECT_EQ(coordinates.longitude, "2.3522");
    EXPECT_EQ(PlaceRules::opening(LocationSource::Coordinates{-33.9, 151.21}, Tab::timeZone).latitude, "-33.9000");
    EXPECT_EQ(PlaceRules::opening(LocationSource::City{"2950159"}, Tab::timeZone).tab, Tab::city);
    EXPECT_EQ(PlaceRules::opening(LocationSource::Precise{}, Tab::timeZone).tab, Tab::precise);
    // A time-zone source leaves the tab (and the fields) as they are.
    const auto zone = PlaceRules::opening(LocationSource::TimeZone{"Asia/Tokyo"}, Tab::city);
    EXPECT_EQ(zone.tab, Tab::city);
    EXPECT_FALSE(zone.latitude);
    EXPECT_EQ(PlaceRules::opening(LocationSource::TimeZone{}, Tab::timeZone).tab, Tab::timeZone);
}

TEST(PlaceRulesTest, ChecksOnlyTheExactSource) {
    const LocationSource tokyo = LocationSource::TimeZone{"Asia/Tokyo"};
    EXPECT_TRUE(PlaceRules::zoneChecked(tokyo, "Asia/Tokyo"));
    EXPECT_FALSE(PlaceRules::zoneChecked(tokyo, "Asia/Tokyo2"));
    EXPECT_FALSE(PlaceRules::zoneChecked(tokyo, "asia/tokyo"));
    EXPECT_FALSE(PlaceRules::zoneChecked(LocationSource::TimeZone{}, "Europe/Berlin"));
    EXPECT_FALSE(PlaceRules::zoneChecked(LocationSource::City{"Asia/Tokyo"}, "Asia/Tokyo"));
    EXPECT_TRUE(PlaceRules::cityChecked(LocationSource::City{"2950159"}, "2950159"));
    EXPECT_FALSE(PlaceRules::cityChecked(LocationSource::City{"2950159"}, "295015"));
    EXPECT_FALSE(PlaceRules::cityChecked(LocationSource::TimeZone{"2950159"}, "2950159"));

    EXPECT_TRUE(PlaceRules::followsSystemZone(LocationSource::TimeZone{}));
    EXPECT_FALSE(PlaceRules::followsSystemZone(LocationSource::TimeZone{"Europe/Berlin"}));
    EXPECT_FALSE(PlaceRules::followsSystemZone(LocationSource::Precise{}));
    EXPECT_EQ(PlaceRules::followSource(true, "Europe/Berlin"), LocationSource(LocationSource::TimeZone{}));
    EXPECT_EQ(PlaceRules::followSource(false, "Europe/Berlin"),
              LocationSource(LocationSource::TimeZone{"Europe/Berlin"}));
}

TEST(PlaceRulesTest, HeaderTimesAreInThePlacesZoneAndADashWhenAbsent) {
    const TimeZone tokyo = *TimeZone::named("Asia/Tokyo");
    const Date at = Calendar(tokyo).date(2026, 6, 21, 4, 25);
    EXPECT_EQ(PlaceRules::time(at, tokyo), "04:25");
    EXPECT_EQ(PlaceRules::time(at, TimeZone::utc()), "19:25");
    EXPECT_EQ(PlaceRules::time(std::nullopt, tokyo), "—");
    SunTimes polar;
    polar.civilDusk = at;
    EXPECT_EQ(PlaceRules::sunTimesLine(polar, tokyo), "↑ — · ↓ — · dusk 04:25");
    EXPECT_EQ(PlaceRules::preciseLine(52.52, 13.405), "52.520, 13.405");
}

}  // namespace
}  // namespace orvane
