// The watchdog giving KWin's night light back from the record a killed program left in its
// defaults file: kwinrc as the user had it, down to whether there was one at all.
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "glowkeeper/WatchdogProcess.h"

namespace glowkeeper_test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::optional<std::string> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    std::getline(in, text, '\0');
    return text;
}

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// KWin's part of the record in the defaults file's tagged values, as the program keeps it.
json kdeRecord(bool file, bool group, const json& keys) {
    json own = {{"file", {{"bool", file}}}, {"group", {{"bool", group}}}, {"finalNewline", {{"bool", true}}}};
    for (const auto& [key, value] : keys.items()) own[key] = {{"string", value}};
    return {{"dict", {{"kde", {{"dict", own}}}, {"active", {{"bool", true}}}}}};
}

using NightLightRestore = WatchdogTest;

TEST_F(NightLightRestore, KwinrcComesBackAsTheUserHadItOrNotAtAll) {
    const std::string driven = "[NightColor]\nActive=true\nMode=Constant\nNightTemperature=2900\n";
    const struct {
        const char* name;
        std::optional<std::string> before;  // none: the user had no kwinrc
        json record;
    } cases[] = {
        {"no kwinrc", std::nullopt, kdeRecord(false, false, json::object())},
        {"an empty kwinrc", std::string(), kdeRecord(true, false, json::object())},
        {"the user's own settings", "[NightColor]\nActive=false\nMode=Location\nNightTemperature=4200\n",
         kdeRecord(true, true, {{"Active", "false"}, {"Mode", "Location"}, {"NightTemperature", "4200"}})},
    };
    const fs::path kwinrc = configDir() / "kwinrc";
    const fs::path defaults = configDir() / "orvane" / "app.orvane.Orvane.json";
    fs::create_directories(defaults.parent_path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // What a run that was killed while it drove KWin leaves behind.
        writeFile(kwinrc, driven);
        const json document = {{"version", 1},
                               {"values", {{"nightShift.dirty", c.record}, {"other.key", {{"int", 7}}}}}};
        writeFile(defaults, document.dump(2));

        WatchedProcess watched;
        Watchdog watchdog({std::to_string(watched.pid())});
        ASSERT_TRUE(watchdog.waitUntilIgnoringHangupAndInterrupt());
        watched.kill();
        const auto finished = watchdog.finish(10s);
        EXPECT_TRUE(exitedWith(finished, 0));
        EXPECT_EQ(finished.output, "Glowkeeper: pid " + std::to_string(watched.pid()) +
                                       " ended, reset 0 display(s), restored the desktop's night light\n");

        EXPECT_EQ(readFile(kwinrc), c.before);
        const auto after = readFile(defaults);
        ASSERT_TRUE(after);
        const json values = json::parse(*after).at("values");
        EXPECT_FALSE(values.contains("nightShift.dirty")) << *after;
        EXPECT_EQ(values.at("other.key"), json({{"int", 7}}));
    }
}

}  // namespace
}  // namespace glowkeeper_test
