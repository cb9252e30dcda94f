// What a log line keeps of text from outside: short text whole, long text cut after 200
// characters (counted in UTF-8, never split inside one) with its whole length in bytes.
#include <gtest/gtest.h>

#include <string>

#include "platform/Log.h"

namespace orvane::platform {
namespace {

std::string times(std::size_t n, const std::string& part) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += part;
    return out;
}

TEST(LogExcerptTest, KeepsShortTextAndCutsLongTextOnACharacterBoundary) {
    const std::string euro = "\u20AC";                   // 3 bytes
    const std::string e = "\u00E9";                      // 2 bytes
    const std::string face = "\U0001F600";               // 4 bytes
    const std::string torn = std::string("\xE2") + "a";  // a lead byte without what continues it
    const std::string cut = "\u2026";
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {"", ""},
        {"Evening", "Evening"},
        {times(200, "a"), times(200, "a")},
        {times(201, "a"), times(200, "a") + cut + " (201 bytes)"},
        {times(1 << 20, "x"), times(200, "x") + cut + " (1048576 bytes)"},
        // Multibyte characters count once each; the cut falls between them.
        {times(200, e), times(200, e)},
        {times(201, e), times(200, e) + cut + " (402 bytes)"},
        {times(199, "a") + euro + "b", times(199, "a") + euro + cut + " (203 bytes)"},
        {times(199, "a") + face + face, times(199, "a") + face + cut + " (207 bytes)"},
        // Bytes that are no UTF-8 (stray continuation bytes) are characters of their own.
        {times(300, "\x80"), times(200, "\x80") + cut + " (300 bytes)"},
        // A lead byte whose sequence is cut short takes only the bytes that continue it.
        {times(250, torn), times(100, torn) + cut + " (500 bytes)"},
    };
    for (const auto& c : cases) EXPECT_EQ(logExcerpt(c.text), c.expected) << c.text.size() << " bytes";
}

}  // namespace
}  // namespace orvane::platform
