#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "support/Uuid.h"

namespace orvane {
namespace {

TEST(Uuid, UpperCaseVersionFourInTheStandardForm) {
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string id = Uuid::upperCase();
        EXPECT_TRUE(std::regex_match(id, form)) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 200u) << "each call a new identifier";
}

}  // namespace
}  // namespace orvane
