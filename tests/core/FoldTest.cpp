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

TEST(Fold, SurvivesInvalidUtf8) {
    EXPECT_NO_THROW(fold("\xff\xfe"));
    EXPECT_EQ(fold("\xff"
                   "A"),
              fold("\xff"
                   "A"));
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
