#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SimFixture.h"
#include "support/Json.h"
#include "platform/AtomicFile.h"
#include "platform/UserDefaults.h"
#include "platform/linux/LinuxPlatform.h"

using namespace orvane;
using namespace orvane::platform;

namespace {

std::filesystem::path defaultsFile() { return orvane::testing::freshDirectory("defaults") / "app.orvane.Orvane.json"; }

Json onDisk(const std::filesystem::path& file) { return json::parse(readWholeFile(file).value()); }

}  // namespace

TEST(UserDefaults, EverySetIsOnDiskBeforeItReturns) {
    const auto file = defaultsFile();
    auto defaults = UserDefaults::open(file);
    defaults->set("nightShift.dirty", Dictionary{{"active", true}, {"cct", 3400.0}});
    defaults->set("settings.json", Bytes{'{', '}'});
    const Json doc = onDisk(file);
    EXPECT_EQ(doc["version"], 1);
    EXPECT_EQ(doc["values"]["settings.json"], Json({{"data", "e30="}}));
    EXPECT_EQ(doc["values"]["nightShift.dirty"]["dict"]["active"], Json({{"bool", true}}));
    defaults->remove("settings.json");
    EXPECT_FALSE(onDisk(file)["values"].contains("settings.json"));
    // No temporary file is left beside it.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(file.parent_path()))
        if (e.path().filename().string().find(".tmp-") != std::string::npos) ++entries;
    EXPECT_EQ(entries, 0);
}

TEST(UserDefaults, ValuesComeBackWithTheirKinds) {
    const auto file = defaultsFile();
    UserDefaults::open(file)->set("level", 0.6f);
    UserDefaults::open(file)->set("flag", true);
    UserDefaults::open(file)->set("text", "on");
    // Re-read from the file, not from this process's store.
    std::filesystem::copy_file(file, file.parent_path() / "copy.json");
    auto copy = UserDefaults::open(file.parent_path() / "copy.json");
    EXPECT_NE(copy->object("level")->get<float>(), nullptr);
    EXPECT_TRUE(copy->boolean("flag"));
    EXPECT_EQ(copy->string("text"), "on");
    EXPECT_EQ(copy->data("text"), std::nullopt);  // a string is not data
    EXPECT_FALSE(copy->boolean("missing"));
    EXPECT_EQ(copy->number("missing"), 0);
}

TEST(UserDefaults, TwoProcessesWritingTheSameDomainLoseNoKey) {
    const auto file = defaultsFile();
    auto defaults = UserDefaults::open(file);
    defaults->set("before", 1);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A new process has its own store, as another program would.
        auto other = UserDefaults::open(file);
        for (int i = 0; i < 40; ++i) other->set("child." + std::to_string(i), i);
        ::_exit(0);
    }
    for (int i = 0; i < 40; ++i) defaults->set("parent." + std::to_string(i), i);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto keys = defaults->keys();
    EXPECT_EQ(keys.size(), 81u);
    EXPECT_EQ(defaults->object("child.39")->integer(), 39);
    EXPECT_EQ(defaults->object("before")->integer(), 1);
}

TEST(UserDefaults, AnUnreadableFileIsKeptAsideNotOverwritten) {
    const auto file = defaultsFile();
    std::ofstream(file) << "{ not json";
    orvane::testing::LogCapture logs;
    auto defaults = UserDefaults::open(file);
    EXPECT_EQ(defaults->object("anything"), std::nullopt);
    defaults->set("k", 1);
    bool keptAside = false;
    for (const auto& e : std::filesystem::directory_iterator(file.parent_path()))
        if (e.path().filename().string().rfind("app.orvane.Orvane.json.unreadable-", 0) == 0) {
            keptAside = readWholeFile(e.path()) == "{ not json";
        }
    EXPECT_TRUE(keptAside);
    EXPECT_EQ(onDisk(file)["values"]["k"], Json({{"int", 1}}));
    EXPECT_FALSE(logs.messages("defaults").empty());
}

TEST(UserDefaults, TheLinuxDomainsLiveUnderTheConfigHome) {
    const char* display = std::getenv("DISPLAY");
    ASSERT_EQ(display, nullptr) << "tests run without a display";
    orvane::testing::LogCapture logs;
    auto linux = linuxsys::makeLinuxPlatform(Runtime{}, true);
    ASSERT_TRUE(linux);
    EXPECT_EQ(linux->defaultsDirectory(), std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "orvane");
    EXPECT_EQ(linux->standardUserDefaults()->file().filename(), "app.orvane.Orvane.json");
    // A domain name cannot reach outside the directory.
    EXPECT_EQ(linux->userDefaults("../evil")->file().parent_path(), linux->defaultsDirectory());
}
