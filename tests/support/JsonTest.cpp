#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "support/Json.h"

using namespace orvane;

namespace {

JsonError::Kind kindOf(auto&& call) {
    try {
        call();
    } catch (const JsonError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no JsonError thrown";
    return JsonError::Kind::parse;
}

}  // namespace

TEST(Json, StrictReadsRejectNeighbouringTypes) {
    const Json doc = json::parse(R"({"flag": true, "one": 1, "float": 3400.5, "whole": 3400.0,
                                     "text": "x", "big": 2147483648, "neg": -1, "nil": null})");
    const json::ObjectReader r(doc);
    EXPECT_TRUE(r.boolean("flag"));
    EXPECT_EQ(r.integer<int>("one"), 1);
    EXPECT_EQ(r.integer<int>("whole"), 3400);
    EXPECT_DOUBLE_EQ(r.number("one"), 1.0);
    EXPECT_EQ(r.integer<std::int64_t>("big"), 2147483648LL);
    EXPECT_EQ(r.integer<std::uint64_t>("big"), 2147483648ULL);
    EXPECT_EQ(r.integer<std::uint32_t>("one"), 1U);
    EXPECT_EQ(json::asInt<std::uint64_t>(Json(18446744073709551615ULL), "max"), 18446744073709551615ULL);

    struct Case {
        const char* what;
        std::function<void()> call;
        JsonError::Kind kind;
    };
    const std::vector<Case> cases = {
        {"number as Boolean", [&] { r.boolean("one"); }, JsonError::Kind::typeMismatch},
        {"Boolean as integer", [&] { r.integer<int>("flag"); }, JsonError::Kind::typeMismatch},
        {"Boolean as double", [&] { r.number("flag"); }, JsonError::Kind::typeMismatch},
        {"fraction as integer", [&] { r.integer<int>("float"); }, JsonError::Kind::dataCorrupted},
        {"int32 overflow", [&] { r.integer<std::int32_t>("big"); }, JsonError::Kind::dataCorrupted},
        {"negative as unsigned", [&] { r.integer<std::uint32_t>("neg"); }, JsonError::Kind::dataCorrupted},
        {"negative as uint64", [&] { r.integer<std::uint64_t>("neg"); }, JsonError::Kind::dataCorrupted},
        {"string as number", [&] { r.number("text"); }, JsonError::Kind::typeMismatch},
        {"missing key", [&] { r.string("absent"); }, JsonError::Kind::keyNotFound},
        {"null where required", [&] { r.string("nil"); }, JsonError::Kind::valueNotFound},
    };
    for (const auto& c : cases) EXPECT_EQ(kindOf(c.call), c.kind) << c.what;

    EXPECT_FALSE(r.optString("absent").has_value());
    EXPECT_FALSE(r.optString("nil").has_value());
    EXPECT_EQ(kindOf([&] { r.optString("one"); }), JsonError::Kind::typeMismatch);
}

TEST(Json, MissingKeyMessageNamesKeyAndPath) {
    const Json doc = json::parse(R"({"sunset": {}})");
    const json::ObjectReader sunset(doc["sunset"], "sunset");
    try {
        sunset.string("morning");
        FAIL();
    } catch (const JsonError& e) {
        EXPECT_STREQ(e.what(), "No value associated with key \"morning\".");
        EXPECT_EQ(e.path(), "sunset");
        EXPECT_NE(e.description().find("sunset"), std::string::npos);
    }
}

TEST(Json, CaseObjectsNeedExactlyOneKnownKey) {
    const std::initializer_list<std::string_view> known = {"clock", "eventPlusHours"};
    const Json anchor = json::parse(R"({"clock": {"_0": {"minutes": 1230}}})");
    const auto c = json::readCase(anchor, "anchor", known);
    EXPECT_EQ(c.name, "clock");
    const json::ObjectReader clock(c.payload.required("_0"));
    EXPECT_EQ(clock.integer<int>("minutes"), 1230);

    for (const char* text : {R"({})", R"({"clock": {}, "eventPlusHours": {"_0": 2}})", R"({"sunrise": {}})"}) {
        try {
            json::readCase(json::parse(text), "anchor", known);
            ADD_FAILURE() << text;
        } catch (const JsonError& e) {
            EXPECT_EQ(e.kind(), JsonError::Kind::typeMismatch) << text;
            EXPECT_STREQ(e.what(), "Invalid number of keys found, expected one.") << text;
        }
    }
    EXPECT_EQ(kindOf([&] { json::readCase(json::parse(R"({"clock": 3})"), "", known); }),
              JsonError::Kind::typeMismatch);

    EXPECT_EQ(json::encodeCompact(json::makeCase("offAtSunrise")), R"({"offAtSunrise":{}})");
}

TEST(Json, EnumTablesRoundTripAndNameUnknownCases) {
    enum class Mode { manual, sunset };
    constexpr json::NameTable<Mode, 2> table{{{Mode::manual, "manual"}, {Mode::sunset, "sunset"}}};
    EXPECT_EQ(json::nameOf(table, Mode::sunset), "sunset");
    EXPECT_EQ(json::decodeEnum(table, "Mode", Json("manual"), "mode"), Mode::manual);
    try {
        json::decodeEnum(table, "Mode", Json("schedule"), "mode");
        FAIL();
    } catch (const JsonError& e) {
        EXPECT_EQ(e.kind(), JsonError::Kind::dataCorrupted);
        EXPECT_NE(std::string(e.what()).find("schedule"), std::string::npos);
    }
}

TEST(Json, EncodingRefusesNonFiniteNumbersAnywhere) {
    for (double bad :
         {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
        Json doc = {{"sunset", {{"coordinates", {{"latitude", bad}}}}}};
        try {
            json::encodePretty(doc);
            FAIL() << "encoded " << bad;
        } catch (const JsonError& e) {
            EXPECT_EQ(e.kind(), JsonError::Kind::invalidValue);
            EXPECT_EQ(e.path(), "sunset.coordinates.latitude");
        }
        EXPECT_THROW(json::encodeCompact(Json::array({1, bad})), JsonError);
    }
}

TEST(Json, PrettyOutputSortsKeysAtEveryLevel) {
    Json doc = Json::object();
    doc["zeta"] = 1;
    doc["alpha"] = {{"b", true}, {"a", Json::array({2, 1})}};
    EXPECT_EQ(json::encodePretty(doc),
              "{\n  \"alpha\": {\n    \"a\": [\n      2,\n      1\n    ],\n    \"b\": true\n  },\n  \"zeta\": 1\n}");
}

TEST(Json, ParseErrorsAreJsonErrors) {
    EXPECT_EQ(kindOf([] { json::parse("{\"a\":"); }), JsonError::Kind::parse);
    EXPECT_EQ(kindOf([] { json::parse(""); }), JsonError::Kind::parse);
    EXPECT_TRUE(json::parse("null").is_null());
    // The whole text is read: a NUL is no end of it, wherever it stands.
    using namespace std::string_view_literals;
    for (const auto text : {"{\"a\":1}\0garbage"sv, "{\"a\":1}\0"sv, "{\"a\":\"x\0y\"}"sv, "\0{}"sv})
        EXPECT_EQ(kindOf([&] { json::parse(text); }), JsonError::Kind::parse) << text.size();
}

// Nesting n levels deep: "[[...]]" or {"a":{"a":...{}}}.
static std::string nested(std::size_t levels, bool objects) {
    std::string text;
    for (std::size_t i = 0; i < levels; ++i) text += objects ? "{\"a\":" : "[";
    text += objects ? "{}" : "[]";
    for (std::size_t i = 0; i < levels; ++i) text += objects ? "}" : "]";
    return text;
}

TEST(Json, DocumentsNestedBeyondTheBoundAreRefusedBeforeAnythingRecurses) {
    // One level more than the bound fails like any text that is not JSON, however deep.
    for (bool objects : {false, true}) {
        SCOPED_TRACE(objects ? "objects" : "arrays");
        EXPECT_NO_THROW(json::parse(nested(json::maxDepth - 1, objects)));
        EXPECT_EQ(kindOf([&] { json::parse(nested(json::maxDepth, objects)); }), JsonError::Kind::parse);
        EXPECT_EQ(kindOf([&] { json::parse(nested(100000, objects)); }), JsonError::Kind::parse);
    }
    // Only structure counts: brackets inside strings, escaped quotes included, are text.
    const struct {
        std::string text;
        std::size_t limit;
        bool deeper;
    } cases[] = {
        {"[[1]]", 2, false},
        {"[[[1]]]", 2, true},
        {R"(["[[[[", {"k": "{{{"}])", 2, false},
        {R"(["\"[[[", ["x"]])", 2, false},
        {R"(["\\", [[0]]])", 2, true},
        {"]]]][[", 1, true},
    };
    for (const auto& c : cases) EXPECT_EQ(json::nestedDeeperThan(c.text, c.limit), c.deeper) << c.text;
}

TEST(Json, DatesRoundTripAsIsoStrings) {
    const Json doc = {{"until", json::encodeDate(Date(1769893200))}};
    EXPECT_EQ(doc["until"], "2026-01-31T21:00:00Z");
    EXPECT_EQ(json::ObjectReader(doc).date("until"), Date(1769893200));
    EXPECT_EQ(kindOf([] { json::ObjectReader(json::parse(R"({"d":"31.1.2026"})")).date("d"); }),
              JsonError::Kind::dataCorrupted);
}

TEST(Json, UnsignedReadsTakeTheWholeNonNegativeRange) {
    const Json doc = json::parse(R"({"one": 1, "neg": -1, "max": 9223372036854775807})");
    const json::ObjectReader r(doc);
    EXPECT_EQ(r.integer<std::uint64_t>("one"), 1u);
    EXPECT_EQ(r.integer<std::uint64_t>("max"), 9223372036854775807u);
    EXPECT_EQ(r.integer<std::uint8_t>("one"), 1u);
    EXPECT_EQ(kindOf([&] { r.integer<std::uint64_t>("neg"); }), JsonError::Kind::dataCorrupted);
    EXPECT_EQ(kindOf([&] { r.integer<std::uint8_t>("max"); }), JsonError::Kind::dataCorrupted);
}
