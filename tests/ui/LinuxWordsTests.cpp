// Every string the program writes is read on a Linux computer: outside the simulated
// machine (which stands for a Mac), no string literal in src/ names a Mac, its system,
// its places or its calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace orvane {
namespace {

// The string literals of a C++ source, comments and character literals left out.
std::vector<std::pair<int, std::string>> stringLiterals(const std::string& text) {
    std::vector<std::pair<int, std::string>> out;
    int line = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') ++line;
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i < text.size() && text[i] != '\n') ++i;
            ++line;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            for (i += 2; i + 1 < text.size() && !(text[i] == '*' && text[i + 1] == '/'); ++i)
                if (text[i] == '\n') ++line;
            ++i;
        } else if (c == '\'') {
            for (++i; i < text.size() && text[i] != '\''; ++i)
                if (text[i] == '\\') ++i;
        } else if (c == '"') {
            std::string literal;
            for (++i; i < text.size() && text[i] != '"' && text[i] != '\n'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size()) literal += text[i++];
                literal += text[i];
            }
            out.emplace_back(line, literal);
        }
    }
    return out;
}

const std::regex& macWords() {
    static const std::regex words(
        R"(\b(Macs?|macOS|M5|Chip|Dock|Finder|SkyLight|CoreGraphics|Carbon|RegisterEventHotKey|InstallEventHandler)\b)"
        R"(|Touch ID|System Settings|menu bar|\bSLS|\bCGSet|\bCGGet)");
    return words;
}

TEST(LinuxWords, TheScannerFindsLiteralsAndSkipsComments) {
    const auto found =
        stringLiterals("a = \"on the menu bar\"; // \"Touch ID\"\n/* \"Finder\" */ b = '\"'; c = \"x\\\"Dock\";");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_TRUE(std::regex_search(found[0].second, macWords()));
    EXPECT_EQ(found[1].first, 2);
    EXPECT_TRUE(std::regex_search(found[1].second, macWords()));
    EXPECT_FALSE(std::regex_search(std::string("MacBookPro Mac1 Machine Macsec"), macWords()));
    for (const char* text : {"on M5 Macs", "a Mac.", "Macs, too", "Mac's", "Chip, system, displays"})
        EXPECT_TRUE(std::regex_search(std::string(text), macWords())) << text;
}

TEST(LinuxWords, NoStringOutsideTheSimulatedMachineNamesAMac) {
    const std::filesystem::path source(ORVANE_SOURCE_DIR);
    const std::filesystem::path simulated = source / "platform" / "sim";
    std::vector<std::string> found;
    int scanned = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(source)) {
        const auto& path = entry.path();
        if (!entry.is_regular_file() || (path.extension() != ".cpp" && path.extension() != ".h")) continue;
        if (path.string().rfind(simulated.string(), 0) == 0) continue;
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        ++scanned;
        for (const auto& [line, literal] : stringLiterals(text.str()))
            if (std::regex_search(literal, macWords()))
                found.push_back(path.lexically_relative(source).string() + ":" + std::to_string(line) + " \"" +
                                literal + "\"");
    }
    EXPECT_GT(scanned, 100);
    EXPECT_TRUE(found.empty()) << ::testing::PrintToString(found);
}

}  // namespace
}  // namespace orvane
