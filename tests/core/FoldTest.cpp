#include <gtest/gtest.h>

#include "core/Fold.h"

using namespace orvane;

TEST(Fold, IgnoresCaseDiacriticsAndWidth) {
    const std::pair<const char*, const char*> cases[] = {
        {"Zürich", "zurich"},      {"ZÜRICH", "zurich"},  {"Ｔｏｋｙｏ", "tokyo"},
        {"Ḩawallī", "hawalli"}, {"São Paulo", "sao paulo"}, {"Straße", "strasse"},
        {"", ""},                  {"abc", "abc"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(fold(in), out) << in;
    EXPECT_EQ(fold("Zu\xCC\x88rich"), fold("Zürich"));  // decomposed input folds alike
}

TEST(Fold, SurvivesInvalidUtf8) {
    EXPECT_NO_THROW(fold("\xff\xfe"));
    EXPECT_EQ(fold("\xff" "A"), fold("\xff" "A"));
}
