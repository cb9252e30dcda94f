#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include "core/BuiltInTables.h"
#include "core/Calendar.h"
#include "core/Fold.h"
#include "core/Locations.h"

namespace orvane {
namespace {

TimeZone zone(const char* identifier) { return *TimeZone::named(identifier); }

// 15 January and 15 July 2026, 12:00 UTC: winter and summer offsets in the north.
const Date january(1768478400);
const Date july(1784116800);

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    out.push_back(text.substr(start));
    return out;
}

std::size_t fieldCount(std::string_view line) {
    return static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')) + 1;
}

bool hasFourDecimals(const std::string& text) {
    const auto dot = text.find('.');
    return dot != std::string::npos && text.size() - dot - 1 == 4;
}

std::string lowercased(const std::string& utf8) {
    std::string out;
    icu::UnicodeString::fromUTF8(utf8).toLower(icu::Locale::getRoot()).toUTF8String(out);
    return out;
}

// --- Zone table --------------------------------------------------------------------

TEST(ZoneTable, HasTheZoneTabRowsInOrder) {
    EXPECT_EQ(data::zones.size(), 19494u);
    EXPECT_NE(data::zones.back(), '\n');
    const auto rows = lines(data::zones);
    ASSERT_EQ(rows.size(), 418u);
    for (const auto row : rows) EXPECT_EQ(fieldCount(row), 5u) << row;

    const auto& all = TimeZones::all();
    ASSERT_EQ(all.size(), 418u);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(),
                               [](const auto& a, const auto& b) { return a.identifier < b.identifier; }));
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const auto& e) { return !e.comment.empty(); }), 202);
    for (const auto& e : all) {
        EXPECT_TRUE(TimeZone::named(e.identifier)) << e.identifier << " is unknown to the tz database";
        EXPECT_EQ(e.countryCode.size(), 2u) << e.identifier;
    }
    for (const auto row : rows) {
        const auto f1 = row.find('\t'), f2 = row.find('\t', f1 + 1), f3 = row.find('\t', f2 + 1);
        EXPECT_TRUE(hasFourDecimals(std::string(row.substr(f1 + 1, f2 - f1 - 1)))) << row;
        EXPECT_TRUE(hasFourDecimals(std::string(row.substr(f2 + 1, f3 - f2 - 1)))) << row;
    }
}

TEST(ZoneTable, TellingRows) {
    const auto& all = TimeZones::all();
    EXPECT_EQ(all.front(), (TimeZoneEntry{"Africa/Abidjan", 5.3167, -4.0333, "CI", ""}));
    EXPECT_EQ(all.back(), (TimeZoneEntry{"Pacific/Wallis", -13.3, -176.1667, "WF", ""}));
    EXPECT_EQ(TimeZones::entry("America/Argentina/Cordoba", january),
              (TimeZoneEntry{"America/Argentina/Cordoba", -31.4, -64.1833, "AR",
                             "Argentina (most areas: CB, CC, CN, ER, FM, MN, SE, SF)"}));
    EXPECT_EQ(TimeZones::entry("Europe/Berlin", january),
              (TimeZoneEntry{"Europe/Berlin", 52.5, 13.3667, "DE", "most of Germany"}));
}

TEST(ZoneTable, ParsingSkipsMalformedLines) {
    const auto entries = TimeZones::parse(
        "A/One\t1.5\t-2.25\tAA\tcomment\n"
        "\n"
        "A/Two\t+3\t4\tBB\n"           // no comment field
        "A/Three\t5\t6\tCC\t\n"        // empty comment field
        "A/Short\t1\t2\n"              // too few fields
        "A/Text\tnorth\t2\tDD\t\n"     // latitude is no number
        "A/Partly\t1.5x\t2\tEE\t\n"    // nor is this
        "A/Infinite\tinf\t2\tFF\t\n"   // nor this
        "A/Four\t7\t8\tGG\tx\tmore");  // extra fields are passed over
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], (TimeZoneEntry{"A/One", 1.5, -2.25, "AA", "comment"}));
    EXPECT_EQ(entries[1], (TimeZoneEntry{"A/Two", 3, 4, "BB", ""}));
    EXPECT_EQ(entries[2], (TimeZoneEntry{"A/Three", 5, 6, "CC", ""}));
    EXPECT_EQ(entries[3], (TimeZoneEntry{"A/Four", 7, 8, "GG", "x"}));
    EXPECT_TRUE(TimeZones::parse("").empty());
}

TEST(ZoneTable, CityName) {
    const struct {
        const char* identifier;
        const char* name;
    } cases[] = {
        {"America/Argentina/Buenos_Aires", "Buenos Aires"},
        {"Europe/Berlin", "Berlin"},
        {"UTC", "UTC"},
        {"America/Port_of_Spain/", "Port of Spain"},
        {"/", "/"},
    };
    for (const auto& c : cases) EXPECT_EQ((TimeZoneEntry{c.identifier, 0, 0, "", ""}.cityName()), c.name);
}

TEST(ZoneTable, EntryFallsBackToTheFirstZoneWithTheSameOffset) {
    // Etc/GMT-3 is UTC+3 all year; Africa/Addis_Ababa is the first table zone on UTC+3.
    const auto entry = TimeZones::entry("Etc/GMT-3", january);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->identifier, "Africa/Addis_Ababa");
    // UTC−12 is kept by no inhabited zone.
    EXPECT_EQ(TimeZones::entry("Etc/GMT+12", january), std::nullopt);
    EXPECT_EQ(TimeZones::entry("Mars/Olympus", january), std::nullopt);
    EXPECT_EQ(TimeZones::entry("", january), std::nullopt);
    // Offsets are compared at the given moment: UTC−10 is Adak's winter time, Honolulu's always.
    EXPECT_EQ(TimeZones::entry("Etc/GMT+10", january)->identifier, "America/Adak");
    EXPECT_EQ(TimeZones::entry("Etc/GMT+10", july)->identifier, "Pacific/Honolulu");
}

TEST(ZoneSearch, MatchesIdentifierCommentAndCountry) {
    EXPECT_EQ(TimeZones::search("").size(), 418u);

    const auto de = TimeZones::search("de");
    const auto has = [](const std::vector<TimeZoneEntry>& found, std::string_view id) {
        return std::any_of(found.begin(), found.end(), [&](const auto& e) { return e.identifier == id; });
    };
    EXPECT_TRUE(has(de, "Europe/Berlin"));     // by its country code
    EXPECT_TRUE(has(de, "Atlantic/Madeira"));  // by its identifier
    EXPECT_FALSE(has(de, "Europe/Paris"));
    // Table order is kept.
    std::vector<std::string> ids;
    for (const auto& e : de) ids.push_back(e.identifier);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));

    EXPECT_TRUE(has(TimeZones::search("GERMANY"), "Europe/Berlin"));       // comment, any case
    EXPECT_TRUE(has(TimeZones::search("zürich"), "Europe/Zurich"));        // diacritic folded away
    EXPECT_TRUE(has(TimeZones::search("ｂｅｒｌｉｎ"), "Europe/Berlin"));  // full width
    EXPECT_TRUE(TimeZones::search("no such place").empty());
    // A country code counts only when equal, not when contained.
    EXPECT_FALSE(has(TimeZones::search("d"), "Europe/Berlin"));
}

// --- City table --------------------------------------------------------------------

TEST(CityTable, FormatAndOrder) {
    EXPECT_NE(data::cities.back(), '\n');
    const auto rows = lines(data::cities);
    ASSERT_EQ(rows.size(), 1773u);
    for (const auto row : rows) ASSERT_EQ(fieldCount(row), 8u) << row;

    const auto& all = Cities::all();
    ASSERT_EQ(all.size(), 1773u);
    std::set<std::string> ids;
    for (const auto& c : all) {
        ids.insert(c.id);
        EXPECT_EQ(c.countryCode.size(), 2u) << c.name;
        EXPECT_GE(c.population, 0) << c.name;
        EXPECT_TRUE(TimeZone::named(c.timeZoneIdentifier)) << c.name << ": " << c.timeZoneIdentifier;
        EXPECT_FALSE(c.asciiName.empty()) << c.name;
    }
    EXPECT_EQ(ids.size(), all.size());
    for (const auto row : rows) {
        std::vector<std::string> f;
        std::size_t start = 0;
        for (std::size_t end; (end = row.find('\t', start)) != std::string_view::npos; start = end + 1)
            f.emplace_back(row.substr(start, end - start));
        EXPECT_TRUE(hasFourDecimals(f[4]) && hasFourDecimals(f[5])) << row;
    }
    // Ordered by the lowercased name in code-point order (UTF-8 byte order is the same).
    for (std::size_t i = 1; i < all.size(); ++i)
        EXPECT_LE(lowercased(all[i - 1].name), lowercased(all[i].name)) << all[i - 1].name << " / " << all[i].name;
}

TEST(CityTable, RealCities) {
    const auto zurich = Cities::city("2657896");
    ASSERT_TRUE(zurich);
    EXPECT_EQ(zurich->name, "Zürich");
    EXPECT_EQ(zurich->countryCode, "CH");
    EXPECT_EQ(zurich->timeZoneIdentifier, "Europe/Zurich");
    EXPECT_DOUBLE_EQ(zurich->latitude, 47.3667);
    EXPECT_DOUBLE_EQ(zurich->longitude, 8.55);
    EXPECT_EQ(zurich->display(), "Zürich, CH");

    const auto tokyo = Cities::city("1850147");
    ASSERT_TRUE(tokyo);
    EXPECT_EQ(tokyo->name, "Tokyo");
    EXPECT_EQ(tokyo->timeZoneIdentifier, "Asia/Tokyo");
    EXPECT_GT(tokyo->population, 1000000);

    // Its first letter, U+1E28, sorts it behind every Latin name.
    const City& last = Cities::all().back();
    EXPECT_EQ(last.id, "285629");
    EXPECT_EQ(last.name, "Ḩawallī");
    EXPECT_EQ(last.asciiName, "Hawalli");
    EXPECT_EQ(last.countryCode, "KW");
    EXPECT_EQ(last.timeZoneIdentifier, "Asia/Kuwait");

    EXPECT_EQ(Cities::city("0"), std::nullopt);
    EXPECT_EQ(Cities::city(""), std::nullopt);
    EXPECT_EQ(Cities::attribution, "City data © GeoNames, CC BY 4.0.");
}

TEST(CityTable, ParsingSkipsMalformedLines) {
    const auto cities = Cities::parse(
        "1\tÅ\tA\tNO\t63.5\t-10.25\tEurope/Oslo\t0\n"
        "2\tB\tB\tNO\t1\t2\tEurope/Oslo\t\n"      // empty population
        "3\tC\tC\tNO\t1\t2\tEurope/Oslo\t12.5\n"  // population is no integer
        "4\tD\tD\tNO\tx\t2\tEurope/Oslo\t5\n"     // latitude is no number
        "5\tE\tE\tNO\t1\t2\tEurope/Oslo\n"        // seven fields
        "\n"
        "6\tF\t\tNO\t1\t2\t\t-7\textra");  // empty fields and a ninth kept apart
    ASSERT_EQ(cities.size(), 2u);
    EXPECT_EQ(cities[0], (City{"1", "Å", "A", "NO", 63.5, -10.25, "Europe/Oslo", 0}));
    EXPECT_EQ(cities[1], (City{"6", "F", "", "NO", 1, 2, "", -7}));
}

// --- City search -------------------------------------------------------------------

TEST(CitySearch, EmptyQueryAndLimits) {
    EXPECT_TRUE(Cities::search("", 10).empty());
    EXPECT_TRUE(Cities::search("san", 0).empty());
    EXPECT_TRUE(Cities::search("san", -3).empty());
    EXPECT_EQ(Cities::search("san", 1000).size(), Cities::search("san", 100000).size());
    EXPECT_LT(Cities::search("san", 1000).size(), 1000u);
}

TEST(CitySearch, PrefixFirstThenLargerPopulation) {
    const auto all = Cities::search("san", 1000);
    ASSERT_GT(all.size(), 10u);
    const auto begins = [](const City& c) { return fold(c.name).starts_with("san"); };
    // Prefix matches form one leading group; population never rises inside a group.
    const auto split = std::find_if_not(all.begin(), all.end(), begins);
    EXPECT_TRUE(std::none_of(split, all.end(), begins));
    EXPECT_NE(split, all.end());
    for (auto it = all.begin(); it + 1 != all.end(); ++it)
        if (begins(*it) == begins(*(it + 1))) {
            EXPECT_GE(it->population, (it + 1)->population) << it->name;
        }

    const auto five = Cities::search("san", 5);
    ASSERT_EQ(five.size(), 5u);
    EXPECT_TRUE(std::equal(five.begin(), five.end(), all.begin()));
    EXPECT_EQ(five.front().name, "Santiago");
    EXPECT_TRUE(std::all_of(five.begin(), five.end(), begins));
    // Names that only contain the query come after every prefix match.
    EXPECT_TRUE(std::any_of(split, all.end(), [](const City& c) { return c.name == "Busan"; }));
}

TEST(CitySearch, FoldsCaseDiacriticsAndWidth) {
    const auto first = [](std::string_view query) {
        const auto found = Cities::search(query, 5);
        return found.empty() ? std::string("(none)") : found.front().name;
    };
    EXPECT_EQ(first("zurich"), "Zürich");
    EXPECT_EQ(first("ZÜRICH"), "Zürich");
    EXPECT_EQ(first("Ｔｏｋｙｏ"), "Tokyo");
    EXPECT_EQ(first("hawalli"), "Ḩawallī");
    EXPECT_EQ(first("sao paulo"), "São Paulo");
    EXPECT_EQ(first("qqqq"), "(none)");
}

TEST(CitySearch, AsciiNameMatchesButOnlyTheNameMakesAPrefix) {
    // "Nuku‘alofa" writes a left quotation mark where its ASCII name has an apostrophe.
    const auto found = Cities::search("nuku'alofa", 5);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.front().name, "Nuku‘alofa");

    // Nürnberg matches "nue" through its ASCII name "Nuernberg" only, so it is no prefix
    // match and the larger Villa Nueva comes first.
    const auto nue = Cities::search("nue", 5);
    ASSERT_EQ(nue.size(), 2u);
    EXPECT_EQ(nue[0].name, "Villa Nueva");
    EXPECT_EQ(nue[1].name, "Nürnberg");
}

// --- Nearest -----------------------------------------------------------------------

TEST(Nearest, DoesNotWrapAtTheDateLine) {
    // West of Fiji's date line: Suva, not a place just across at −179.9.
    const auto near = Cities::nearest(-17, 179.9);
    ASSERT_TRUE(near);
    EXPECT_EQ(near->name, "Suva");

    const std::vector<City> table{
        {"1", "Across", "Across", "XX", -17, -179.9, "Etc/GMT+12", 0},
        {"2", "Same side", "Same side", "XX", -17, 175.0, "Pacific/Fiji", 0},
    };
    EXPECT_EQ(Cities::nearest(-17, 179.9, table)->id, "2");
}

TEST(Nearest, FirstOfEqualCandidatesWinsAndEmptyGivesNone) {
    const std::vector<City> table{
        {"1", "North", "North", "XX", 1, 0, "UTC", 0},
        {"2", "South", "South", "XX", -1, 0, "UTC", 0},
        {"3", "North again", "North again", "XX", 1, 0, "UTC", 0},
    };
    EXPECT_EQ(Cities::nearest(0, 0, table)->id, "1");
    EXPECT_EQ(Cities::nearest(0.5, 0, table)->id, "1");
    EXPECT_EQ(Cities::nearest(-0.5, 0, table)->id, "2");
    EXPECT_EQ(Cities::nearest(0, 0, {}), std::nullopt);
    // Longitude differences shrink with the cosine of the query's latitude.
    const std::vector<City> high{
        {"1", "East", "East", "XX", 60, 1.9, "UTC", 0},
        {"2", "North", "North", "XX", 61, 0, "UTC", 0},
    };
    EXPECT_EQ(Cities::nearest(60, 0, high)->id, "1");  // 0.95° away against 1°
}

// --- Location ----------------------------------------------------------------------

TEST(Location, DisplayZoneAndJson) {
    const Location berlin{52.5, 13.3667, "Europe/Berlin", "Berlin"};
    EXPECT_EQ(berlin.display(), "Berlin \u00b7 Europe/Berlin");
    EXPECT_EQ(berlin.timeZone(zone("Asia/Tokyo")).identifier(), "Europe/Berlin");
    EXPECT_EQ((Location{0, 0, "Mars/Olympus", "x"}.timeZone(zone("Asia/Tokyo")).identifier()), "Asia/Tokyo");

    const Json json = berlin.toJson();
    EXPECT_EQ(
        json,
        Json::parse(R"({"latitude":52.5,"longitude":13.3667,"timeZoneIdentifier":"Europe/Berlin","name":"Berlin"})"));
    EXPECT_EQ(Location::fromJson(json), berlin);
    EXPECT_EQ(std::hash<Location>{}(Location::fromJson(json)), std::hash<Location>{}(berlin));
}

TEST(Location, DecodingNeedsAllFourKeysWithTheirTypes) {
    const char* bad[] = {
        R"({"longitude":1,"timeZoneIdentifier":"UTC","name":"x"})",
        R"({"latitude":1,"timeZoneIdentifier":"UTC","name":"x"})",
        R"({"latitude":1,"longitude":1,"name":"x"})",
        R"({"latitude":1,"longitude":1,"timeZoneIdentifier":"UTC"})",
        R"({"latitude":"1","longitude":1,"timeZoneIdentifier":"UTC","name":"x"})",
        R"({"latitude":true,"longitude":1,"timeZoneIdentifier":"UTC","name":"x"})",
        R"({"latitude":1,"longitude":1,"timeZoneIdentifier":7,"name":"x"})",
        R"([1, 2])",
    };
    for (const char* text : bad)
        EXPECT_THROW(Location::fromJson(Json::parse(text), "sunset.location"), JsonError) << text;
}

TEST(Resolve, TimeZoneSource) {
    const TimeZone newYork = zone("America/New_York");
    const auto resolve = [&](std::optional<std::string> id, Date now = january) {
        return Location::resolve(LocationSource::TimeZone{std::move(id)}, newYork, std::nullopt, now);
    };
    EXPECT_EQ(resolve("Europe/Berlin"), (Location{52.5, 13.3667, "Europe/Berlin", "Berlin"}));
    EXPECT_EQ(resolve("America/Argentina/Buenos_Aires"),
              (Location{-34.6, -58.45, "America/Argentina/Buenos_Aires", "Buenos Aires"}));
    // Absent: the computer's own zone.
    EXPECT_EQ(resolve(std::nullopt).name, "New York");
    EXPECT_EQ(resolve(std::nullopt).timeZoneIdentifier, "America/New_York");

    // A zone the table lacks takes the coordinates of the first table zone on its offset.
    const Location gmt3 = resolve("Etc/GMT-3");
    EXPECT_EQ(gmt3, (Location{9.0333, 38.7, "Etc/GMT-3", "GMT-3"}));

    // A name that is no zone falls back to the computer's zone and its offset at `now`.
    EXPECT_EQ(resolve("Mars/Olympus", january), (Location{0, -75, "America/New_York", "Mars/Olympus"}));
    EXPECT_EQ(resolve("Mars/Olympus", july), (Location{0, -60, "America/New_York", "Mars/Olympus"}));
    // A real zone whose offset no table zone keeps stays itself.
    EXPECT_EQ(resolve("Etc/GMT+12"), (Location{0, -180, "Etc/GMT+12", "Etc/GMT+12"}));
}

TEST(Resolve, CityCoordinatesAndPrecise) {
    const TimeZone newYork = zone("America/New_York");
    EXPECT_EQ(Location::resolve(LocationSource::City{"2657896"}, newYork, std::nullopt, january),
              (Location{47.3667, 8.55, "Europe/Zurich", "Zürich"}));
    // An unknown city resolves as the computer's zone.
    EXPECT_EQ(Location::resolve(LocationSource::City{"nope"}, newYork, std::nullopt, january),
              Location::resolve(LocationSource::TimeZone{}, newYork, std::nullopt, january));

    // Coordinates are kept; the nearest city names the place and gives its zone.
    EXPECT_EQ(Location::resolve(LocationSource::Coordinates{47.4, 8.6}, newYork, std::nullopt, january),
              (Location{47.4, 8.6, "Europe/Zurich", "Zürich"}));

    // A fix in Paris on a computer set to New York keeps the computer's zone.
    const LocationSource::Coordinates paris{48.8566, 2.3522};
    EXPECT_EQ(Location::resolve(LocationSource::Precise{}, newYork, paris, january),
              (Location{48.8566, 2.3522, "America/New_York", "Paris"}));
    // No fix yet: the computer's zone.
    EXPECT_EQ(Location::resolve(LocationSource::Precise{}, newYork, std::nullopt, january),
              Location::resolve(LocationSource::TimeZone{}, newYork, std::nullopt, january));
    // Precise coordinates are ignored by the other sources.
    EXPECT_EQ(Location::resolve(LocationSource::TimeZone{"Europe/Berlin"}, newYork, paris, january).name, "Berlin");
}

}  // namespace
}  // namespace orvane
