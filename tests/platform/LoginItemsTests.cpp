// The login item: recorded by the simulated machine, an XDG autostart entry on Linux.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "../SimFixture.h"
#include "../XvfbServer.h"
#include "platform/linux/XdgAutostart.h"

namespace orvane {
namespace {

using platform::linuxsys::XdgAutostart;
using LoginItemsTest = testing::SimTest;

// --- the simulated machine -------------------------------------------------------------

TEST_F(LoginItemsTest, TheSimulatedLoginItemIsAvailableOnlyFromAnAppBundle) {
    const struct {
        const char* bundlePath;
        bool available;
    } cases[] = {
        {"/Applications/Orvane.app", true},  {"/Users/me/Build/Orvane.app", true},
        {"/Applications/Orvane.APP", false},  // the extension is compared exactly
        {"/usr/local/bin/orvane", false},    {"/Applications/Orvane.app.zip", false},
    };
    for (const auto& c : cases) {
        sim->update([&](platform::sim::SimState& s) { s.bundlePath = c.bundlePath; });
        EXPECT_EQ(sim->loginItems().isAvailable(), c.available) << c.bundlePath;
    }
}

TEST_F(LoginItemsTest, TheSimulatedLoginItemIsRecordedAndCanBeRefused) {
    auto& items = sim->loginItems();
    EXPECT_FALSE(items.isEnabled());
    EXPECT_EQ(items.set(true), std::nullopt);
    EXPECT_TRUE(items.isEnabled());
    EXPECT_TRUE(sim->state().loginItem) << "kept in the machine's state, so other processes see it";

    sim->fail("loginItems.set", 1, 1);
    const auto refused = items.set(false);
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->find("status 1"), std::string::npos) << *refused;
    EXPECT_TRUE(items.isEnabled()) << "a refused change leaves the item as it was";

    EXPECT_EQ(items.set(false), std::nullopt);
    EXPECT_FALSE(items.isEnabled());
    const auto calls = sim->journal().calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].facility, "loginItems.set");
    EXPECT_EQ(calls[0].arguments, platform::Value(true));
    EXPECT_EQ(calls[2].facility, "loginItems.set");
    EXPECT_EQ(calls[2].arguments, platform::Value(false));
}

// --- the XDG autostart entry -----------------------------------------------------------

TEST(XdgAutostartExec, ArgumentsRoundTripThroughTheDesktopEntryQuoting) {
    const struct {
        std::string path;
        std::string written;
    } cases[] = {
        {"/usr/bin/orvane", "/usr/bin/orvane"},
        {"/opt/My Apps/orvane", "\"/opt/My Apps/orvane\""},
        {"/home/o'neil/orvane", "\"/home/o'neil/orvane\""},
        {"/tmp/say \"hi\"/orvane", "\"/tmp/say \\\\\"hi\\\\\"/orvane\""},
        {"/tmp/back\\slash/orvane", "\"/tmp/back\\\\\\\\slash/orvane\""},
        {"/tmp/100%/orvane", "/tmp/100%%/orvane"},
        {"/tmp/$HOME/`x`/orvane", "\"/tmp/\\\\$HOME/\\\\`x\\\\`/orvane\""},
    };
    for (const auto& c : cases) {
        const auto written = XdgAutostart::execArgument(c.path);
        EXPECT_EQ(written, c.written) << c.path;
        EXPECT_EQ(XdgAutostart::firstExecArgument(written + " --flag"), c.path) << written;
    }
    EXPECT_EQ(XdgAutostart::firstExecArgument("\"/unterminated"), std::nullopt);
    EXPECT_EQ(XdgAutostart::firstExecArgument("/usr/bin/orvane\\s--x"), "/usr/bin/orvane");
}

class XdgAutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = std::getenv("XDG_CONFIG_HOME");
        // A config directory whose path needs quoting wherever it is written.
        config = testing::freshDirectory("autostart") / "it's a \"config\" dir";
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }
    void TearDown() override { ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1); }

    static std::string read(const std::filesystem::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string previous;
    std::filesystem::path config;
    XdgAutostart items;
};

TEST_F(XdgAutostartTest, AnEntryForThisExecutableIsWrittenFoundAndRemoved) {
    ASSERT_TRUE(items.isAvailable());
    EXPECT_FALSE(items.isEnabled());
    EXPECT_EQ(XdgAutostart::entryPath(), config / "autostart" / "orvane.desktop");

    ASSERT_EQ(items.set(true), std::nullopt);
    EXPECT_TRUE(items.isEnabled());
    const std::string text = read(XdgAutostart::entryPath());
    EXPECT_EQ(text, "[Desktop Entry]\nType=Application\nName=Orvane\nExec=" +
                        XdgAutostart::execArgument(XdgAutostart::executable()->string()) + "\n");

    ASSERT_EQ(items.set(true), std::nullopt) << "setting it twice is no failure";
    ASSERT_EQ(items.set(false), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(XdgAutostart::entryPath()));
    EXPECT_FALSE(items.isEnabled());
    EXPECT_EQ(items.set(false), std::nullopt) << "removing a missing entry is no failure";
}

// The written entry is one the desktop's own checker accepts.
TEST_F(XdgAutostartTest, TheWrittenEntryPassesTheDesktopsValidator) {
    const auto validate = testing::findProgram("desktop-file-validate");
    ORVANE_REQUIRE_TOOL(validate ? "" : "no desktop-file-validate on PATH");
    ASSERT_EQ(items.set(true), std::nullopt);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(validate->c_str(), "desktop-file-validate", XdgAutostart::entryPath().c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << read(XdgAutostart::entryPath());
}

TEST_F(XdgAutostartTest, AnEntryForAnotherProgramOrInAnotherGroupIsNotOurs) {
    std::filesystem::create_directories(config / "autostart");
    const auto self = XdgAutostart::executable()->string();
    const struct {
        std::string text;
        bool ours;
    } cases[] = {
        {"[Desktop Entry]\nType=Application\nExec=/usr/bin/other\n", false},
        {"[Desktop Entry]\nExecutable=x\nExec = " + XdgAutostart::execArgument(self) + " --hidden\n", true},
        {"[Desktop Action x]\nExec=" + XdgAutostart::execArgument(self) + "\n[Desktop Entry]\nExec=/bin/true\n", false},
        {"[Desktop Entry]\nName=Orvane\n", false},
    };
    for (const auto& c : cases) {
        std::ofstream(XdgAutostart::entryPath()) << c.text;
        EXPECT_EQ(items.isEnabled(), c.ours) << c.text;
    }
}

TEST_F(XdgAutostartTest, AFailureGivesTheSystemsText) {
    // The config "directory" is a file, so nothing can be made under it.
    std::filesystem::create_directories(config.parent_path());
    std::ofstream(config) << "not a directory";
    const auto failure = items.set(true);
    ASSERT_TRUE(failure);
    EXPECT_EQ(*failure, std::error_code(ENOTDIR, std::generic_category()).message());
    EXPECT_FALSE(items.isEnabled());
}

}  // namespace
}  // namespace orvane
