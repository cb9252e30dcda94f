#include <gtest/gtest.h>

#include "platform/Value.h"

using namespace orvane;
using namespace orvane::platform;

TEST(Value, TaggedJsonKeepsEveryKindThroughARoundTrip) {
    const Value original = Dictionary{
        {"flag", true},
        {"count", std::int64_t{-3}},
        {"scale", 1.0f},
        {"level", 0.1},
        {"name", "Büro"},
        {"bytes", Bytes{0x00, 0xFF, 0x10, 0x7F, 0x80}},
        {"list", Array{1, "two", Array{}}},
        {"empty", Dictionary{}},
    };
    const Value back = fromTaggedJson(json::parse(toTaggedJson(original).dump()));
    EXPECT_EQ(back, original);
    // A float stays a float and an integer an integer, not just the same number.
    EXPECT_NE(back.dictionary()->at("scale").get<float>(), nullptr);
    EXPECT_NE(back.dictionary()->at("count").get<std::int64_t>(), nullptr);
}

TEST(Value, MalformedTaggedJsonIsRefusedWithAPath) {
    for (const char* text :
         {R"({"int": 1.5})", R"({"bool": 1})", R"({"float": 1e300})", R"({"float": -3.5e38})", R"({"json": "{}"})",
          R"({"int": 1, "bool": true})", R"({"data": "@@@@"})", R"({"dict": {"a": {"nope": 1}}})", R"(3)"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(fromTaggedJson(json::parse(text)), JsonError);
    }
    try {
        fromTaggedJson(json::parse(R"({"dict": {"a": {"int": "x"}}})"));
        FAIL();
    } catch (const JsonError& e) {
        EXPECT_EQ(e.path(), "dict.a.int");
    }
}

TEST(Value, DataHoldingAPrettyDocumentIsStoredAsThatDocument) {
    const auto bytesOf = [](std::string_view text) { return Bytes(text.begin(), text.end()); };
    const Json document = {{"enabled", true}, {"presets", Json::array({{{"kelvin", 2700}}})}, {"name", "Büro"}};
    const struct {
        Bytes bytes;
        bool readable;
    } cases[] = {
        {bytesOf(document.dump(2)), true},
        {bytesOf("[]"), true},
        {bytesOf(document.dump()), false},          // compact: could not come back byte for byte
        {bytesOf(document.dump(2) + "\n"), false},  // likewise
        {bytesOf("\"text\""), false},               // a document, but no object or array
        {bytesOf("{ not json"), false},
        {Bytes{0xFF, 0x7B}, false},
        {{}, false},
    };
    for (const auto& c : cases) {
        const Json tagged = toTaggedJson(c.bytes);
        SCOPED_TRACE(tagged.dump());
        EXPECT_EQ(tagged.contains("json"), c.readable);
        EXPECT_EQ(tagged.contains("data"), !c.readable);
        // Through a file's text and back, the very same bytes.
        EXPECT_EQ(fromTaggedJson(json::parse(tagged.dump(2))), Value(c.bytes));
    }
    EXPECT_EQ(toTaggedJson(bytesOf(document.dump(2)))["json"], document);
}

TEST(Value, Base64EncodesAndRejectsBadText) {
    const struct {
        Bytes bytes;
        const char* text;
    } cases[] = {{{}, ""}, {{'f'}, "Zg=="}, {{'f', 'o'}, "Zm8="}, {{'f', 'o', 'o'}, "Zm9v"}, {{0xFB, 0xFF}, "+/8="}};
    for (const auto& c : cases) {
        EXPECT_EQ(base64Encode(c.bytes), c.text);
        EXPECT_EQ(base64Decode(c.text), c.bytes);
    }
    for (const char* bad : {"Zg=", "Z===", "Zg==Zg==", "Zm9v!A==", "=Zg="}) EXPECT_FALSE(base64Decode(bad)) << bad;
}

TEST(Value, NumbersAnswerLikeNumberObjects) {
    EXPECT_EQ(Value(true).number(), 1.0);
    EXPECT_EQ(Value(2.5f).integer(), std::nullopt);
    EXPECT_EQ(Value(4.0).integer(), 4);
    EXPECT_EQ(Value(std::int64_t{0}).boolean(), false);
    EXPECT_EQ(Value(0.25).boolean(), true);
    EXPECT_FALSE(Value("1").isNumber());
    EXPECT_EQ(Value("1").boolean(), std::nullopt);
}
