#include <gtest/gtest.h>

#include <tuple>

#include "core/Fold.h"

using namespace orvane;

TEST(Fold, IgnoresCaseDiacriticsAndWidth) {
    const std::pair<const char*, const char*> cases[] = {
        {"Zürich", "zurich"},
        {"ZÜRICH", "zurich"},
        {"Ｔｏｋｙｏ", "tokyo"},
        {"Ḩawallī", "hawalli"},
        {"São Paulo", "sao paulo"},
        {"Straße", "strasse"},
        {"", ""},
        {"abc", "abc"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(fold(in), out) << in;
    EXPECT_EQ(fold("Zu\xCC\x88rich"), fold("Zürich"));  // decomposed input folds alike
}

TEST(Fold, InvalidUtf8FoldsWithEachBadByteReplaced) {
    // A query typed into a search field is folded like any text; a byte that is no UTF-8
    // becomes U+FFFD, which no name in the tables holds.
    const std::pair<const char*, const char*> cases[] = {
        {"\xff"
         "A",
         "\xEF\xBF\xBD"
         "a"},
        {"\xff\xfe", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"Z\xC3"
         "RICH",
         "z\xEF\xBF\xBD"
         "rich"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(fold(in), out) << in;
}

TEST(FoldCase, FoldsCaseFullyAndNothingElse) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"Candle Light", "candle light", true},
        {"CANDLE LIGHT", "Candle light", true},
        {"Straße", "STRASSE", true},  // full folding: ß is ss
        {"ΣΊΣΥΦΟΣ", "σίσυφος", true},
        {"Café", "Cafe", false},            // marks stay
        {"Café", "Cafe\xCC\x81", false},    // no normalisation either
        {"Ｃａｎｄｌｅ", "candle", false},  // nor width
        {"Candle Light", "Candle Light ", false},
        {"\xff"
         "A",
         "\xff"
         "a",
         false},  // invalid text is compared as it is
    };
    for (const auto& [a, b, same] : cases) EXPECT_EQ(foldCase(a) == foldCase(b), same) << a << " / " << b;
}
