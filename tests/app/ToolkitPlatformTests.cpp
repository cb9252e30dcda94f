// Which window-system platform the interface runs on for each kind of session, and when a
// display that does not open ends the start.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "../SimFixture.h"
#include "app/ToolkitPlatform.h"

namespace orvane {
namespace {

TEST(ToolkitPlatformTest, EachSessionGetsThePlatformItsWindowsCanShowOn) {
    struct Case {
        const char* what;
        ToolkitSession session;
        std::string platform;
        bool fatalWhenDisplayNamed;
    };
    const Case cases[] = {
        {"X11 session", {std::nullopt, false, false, true}, "xcb", false},
        {"Wayland with XWayland", {std::nullopt, true, true, true}, "xcb", false},
        {"Wayland without XWayland", {std::nullopt, true, true, false}, "wayland;offscreen", false},
        {"Wayland session whose compositor is gone, XWayland up", {std::nullopt, true, false, true}, "xcb", false},
        {"Wayland session whose compositor is gone, no X", {std::nullopt, true, false, false}, "offscreen", true},
        {"no session at all", {std::nullopt, false, false, false}, "offscreen", true},
        {"the user's choice wins over X", {"wayland", true, true, true}, "wayland", false},
        {"the user's choice wins over Wayland", {"xcb", true, true, false}, "xcb", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toolkitPlatform(c.session), c.platform) << c.what;
        EXPECT_EQ(missingDisplayIsFatal(c.session, true), c.fatalWhenDisplayNamed) << c.what;
        EXPECT_FALSE(missingDisplayIsFatal(c.session, false)) << c.what << ": no display was asked for";
    }
}

// The environment's words, with a compositor that is not there.
class ToolkitSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"}) {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved)
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(ToolkitSessionTest, ASilentCompositorLeavesTheWindowlessPlatformAndAnEmptyChoiceIsNoChoice) {
    const auto nowhere = testing::freshDirectory("toolkit") / "wayland-nobody";
    ::setenv("WAYLAND_DISPLAY", nowhere.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "", 1);
    const auto session = toolkitSession(false);
    EXPECT_TRUE(session.waylandSession);
    EXPECT_FALSE(session.compositorAnswers);
    EXPECT_FALSE(session.requested);
    EXPECT_EQ(toolkitPlatform(session), "offscreen");

    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("XDG_SESSION_TYPE", "wayland", 1);
    ::setenv("QT_QPA_PLATFORM", "minimal", 1);
    const auto typed = toolkitSession(true);
    EXPECT_TRUE(typed.waylandSession);
    EXPECT_TRUE(typed.xOpens);
    EXPECT_EQ(toolkitPlatform(typed), "minimal");
}

}  // namespace
}  // namespace orvane
