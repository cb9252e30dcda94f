#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/LaunchAtLogin.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::EngineTest;
using orvane::testing::LogCapture;

namespace {

class LaunchAtLoginTest : public EngineTest {
protected:
    void runFrom(const std::string& path) {
        sim->update([&](sim::SimState& s) { s.bundlePath = path; });
    }
    LoginItems& items() { return sim->loginItems(); }
    bool registered() const { return sim->state().loginItem; }
};

}  // namespace

TEST_F(LaunchAtLoginTest, OnlyAProgramRunFromAnAppBundleCanBeALoginItem) {
    const struct {
        const char* path;
        bool available;
    } cases[] = {
        {"/Applications/Orvane.app", true},      {"/Applications/Orvane.APP", false},
        {"/Applications/Orvane.App", false},     {"/usr/local/bin/orvane", false},
        {"/Applications/Orvane.app.zip", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        runFrom(c.path);
        sim->update([](sim::SimState& s) { s.loginItem = true; });
        sim->journal().clear();
        LogCapture logs;
        EXPECT_EQ(LaunchAtLogin::isAvailable(items()), c.available);
        EXPECT_EQ(LaunchAtLogin::isEnabled(items()), c.available);
        EXPECT_EQ(LaunchAtLogin::set(items(), false), c.available);
        if (!c.available) {
            EXPECT_FALSE(LaunchAtLogin::set(items(), true));
            EXPECT_TRUE(sim->journal().calls().empty()) << "the system was asked";
            EXPECT_TRUE(logs.messages("login").empty());
        }
    }
}

TEST_F(LaunchAtLoginTest, RegisteringAndRemovingFollowTheSwitch) {
    EXPECT_FALSE(LaunchAtLogin::isEnabled(items()));
    EXPECT_TRUE(LaunchAtLogin::set(items(), true));
    EXPECT_TRUE(registered());
    EXPECT_TRUE(LaunchAtLogin::isEnabled(items()));
    EXPECT_TRUE(LaunchAtLogin::set(items(), false));
    EXPECT_FALSE(LaunchAtLogin::isEnabled(items()));
}

TEST_F(LaunchAtLoginTest, ARefusalIsLoggedWithTheSystemsText) {
    sim->fail("loginItems.set", 1, 1);
    LogCapture logs;
    EXPECT_FALSE(LaunchAtLogin::set(items(), true));
    EXPECT_FALSE(registered());
    EXPECT_EQ(logs.messages("login"),
              std::vector<std::string>{"launch at login 1: The operation couldn't be completed. (status 1)"});
}
