// The support report on the simulated machine, line by line.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "ModelFixture.h"
#include "app/Diagnostics.h"

namespace orvane {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class DiagnosticsTest : public testing::ModelTest {
protected:
    Diagnostics::System system() const {
        Diagnostics::System s;
        s.operatingSystem = "Debian GNU/Linux 12 (bookworm)";
        s.chip = "Example CPU @ 2.0GHz";
        s.model = "Desk 9";
        s.nightShift = true;
        s.accessibility = true;
        return s;
    }
};

TEST_F(DiagnosticsTest, TheWholeReport) {
    Settings s = testing::manualSettings(3400, 0.8);
    start(s);
    const std::string text = Diagnostics::text(*model, {"1.4.0", "812"}, system());
    EXPECT_NE(text.back(), '\n');
    const std::vector<std::string> expected = {
        "Orvane 1.4.0 (812)",
        "Debian GNU/Linux 12 (bookworm) · Example CPU @ 2.0GHz · Desk 9",
        "Displays:",
        "  - Built-in Display [built-in] 1512×982@2.0x key=uuid:2B5E4F1C-7A3D-4C8E-9F60-1D2E3F4A5B6C method=automatic "
        "check=none inUse=matrix",
        "  - External Monitor [external] 2560×1440@1.0x key=uuid:6A1C9E33-0B7F-4D52-A8E4-3C5D7E9F1A2B method=automatic "
        "check=none inUse=matrix",
        "Backends: Built-in Display [built-in] → Color matrix; External Monitor [external] → Color matrix",
        "State: enabled=true mode=manual status=manual target=3400K dim=0.8",
        "Location: " + model->location().display() + " (52.5, 13.3667)",
        "Calibration: layerColorMode=linear readableRed=layers lastSelfTest=never ",
        "Platform services: backlight(sysfs)=false nightLight=true dithering=false DDC(i2c-dev)=false "
        "globalShortcuts=true",
        "Comfort: steadyBacklight=false keys=automatic antiDither=off pointerTint=false exclusions=[]",
    };
    EXPECT_EQ(linesOf(text), expected) << text;
}

TEST_F(DiagnosticsTest, EdgeCases) {
    sim->update([](platform::sim::SimState& st) { st.displays.clear(); });
    Settings s = testing::manualSettings(3400, 1.0);
    s.excludedApps = {{"a", "Editor", false}, {"b", "Player", true}};
    start(s);
    auto system = this->system();
    system.model.reset();
    const auto lines = linesOf(Diagnostics::text(*model, {"", ""}, system));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "Orvane dev");
    EXPECT_EQ(lines[1], "Debian GNU/Linux 12 (bookworm) · Example CPU @ 2.0GHz");
    EXPECT_EQ(lines[2], "Displays:");
    EXPECT_EQ(lines[3], "Backends: ");
    EXPECT_EQ(lines[6], "Calibration: layerColorMode=linear readableRed=layers lastSelfTest=never ");
    EXPECT_EQ(lines[8].substr(lines[8].find("exclusions=")), "exclusions=[\"a\", \"b\"]");
}

// What is unknown is left out, never shown as a placeholder, and computed values read short.
TEST_F(DiagnosticsTest, UnknownPartsAreLeftOutAndNumbersReadShort) {
    const struct {
        Diagnostics::Build build;
        const char* chip;
        std::optional<std::string> model;
        const char* versionLine;
        const char* machineLine;
    } cases[] = {
        {{"0.1.0", "0"}, "AMD EPYC", std::nullopt, "Orvane 0.1.0", "Debian GNU/Linux 12 (bookworm) · AMD EPYC"},
        {{"0.1.0", ""}, "", std::string("Desk 9"), "Orvane 0.1.0", "Debian GNU/Linux 12 (bookworm) · Desk 9"},
        {{"0.1.0", "17"},
         "AMD EPYC",
         std::string("Desk 9"),
         "Orvane 0.1.0 (17)",
         "Debian GNU/Linux 12 (bookworm) · AMD EPYC · Desk 9"},
    };
    // A dim reached by arithmetic, as a preset's steps leave it.
    start(testing::manualSettings(3400, 0.7 + 0.1));
    ASSERT_NE(model->resolution().target.dim, 0.8) << "the fixture must give an inexact dim";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.versionLine);
        auto system = this->system();
        system.chip = c.chip;
        system.model = c.model;
        const auto lines = linesOf(Diagnostics::text(*model, c.build, system));
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], c.versionLine);
        EXPECT_EQ(lines[1], c.machineLine);
        const auto state =
            std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("State:", 0) == 0; });
        ASSERT_NE(state, lines.end());
        const std::size_t at = state->find(" dim=");
        ASSERT_NE(at, std::string::npos) << *state;
        EXPECT_EQ(state->substr(at), " dim=0.8") << *state;
    }
}

TEST_F(DiagnosticsTest, TheDesktopsNightLightAndWhoElseHoldsItHaveALineOfTheirOwn) {
    start(testing::manualSettings(3400, 1.0));
    const struct {
        const char* desktop;
        const char* held;
        std::vector<std::string> kept;
        const char* line;  // null: no line
    } cases[] = {
        {"", "", {}, nullptr},
        {"GNOME", "", {}, "Night Light: GNOME's own"},
        {"KDE Plasma",
         "another program has inhibited KWin's night light",
         {},
         "Night Light: KDE Plasma's own, another program has inhibited KWin's night light"},
        {"GNOME",
         "",
         {"night-light-temperature", "night-light-enabled"},
         "Night Light: GNOME's own; changed in the desktop's settings while Orvane drove it "
         "(night-light-temperature, night-light-enabled), the desktop's value kept for when Orvane quits"},
        {"KDE Plasma",
         "another program has inhibited KWin's night light",
         {"NightTemperature"},
         "Night Light: KDE Plasma's own, another program has inhibited KWin's night light; changed in the "
         "desktop's settings while Orvane drove it (NightTemperature), the desktop's value kept for when Orvane "
         "quits"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.desktop);
        auto system = this->system();
        system.nightLightDesktop = c.desktop;
        system.nightLightHeldElsewhere = c.held;
        system.nightLightKeptUserChanges = c.kept;
        const auto lines = linesOf(Diagnostics::text(*model, {"1.4.0", "812"}, system));
        const auto at = std::find_if(lines.begin(), lines.end(),
                                     [](const std::string& l) { return l.rfind("Night Light:", 0) == 0; });
        if (!c.line) {
            EXPECT_EQ(at, lines.end());
            continue;
        }
        ASSERT_NE(at, lines.end());
        EXPECT_EQ(*at, c.line);
        EXPECT_EQ(*(at - 1),
                  "Platform services: backlight(sysfs)=false nightLight=true dithering=false DDC(i2c-dev)=false "
                  "globalShortcuts=true");
    }
}

TEST_F(DiagnosticsTest, FractionalFramesAreCutAndTheSelfTestIsDated) {
    sim->update([](platform::sim::SimState& st) {
        st.displays.resize(1);
        st.displays[0].frame.width = 1512.9;
        st.displays[0].frame.height = 982.5;
    });
    Settings s = testing::manualSettings(3400, 1.0);
    s.calibration.lastSelfTestPassed = false;
    s.calibration.lastSelfTestDate = Date(1719000000);  // 2024-06-21T20:00:00Z
    start(s);
    const auto lines = linesOf(Diagnostics::text(*model, {"1.0", "1"}, system()));
    ASSERT_GE(lines.size(), 8u);
    EXPECT_NE(lines[3].find("] 1512×982@2.0x "), std::string::npos) << lines[3];
    EXPECT_EQ(lines[7], "Calibration: layerColorMode=linear readableRed=layers lastSelfTest=FAIL 2024-06-21T20:00:00Z");
}

TEST_F(DiagnosticsTest, StatusForms) {
    const std::pair<TintStatus, const char*> cases[] = {
        {TintStatus::Following{Mode::sunset}, "following(mode: sunset)"},
        {TintStatus::DisabledUntil{Date(1718996400)}, "disabledUntil(2024-06-21T19:00:00Z)"},
        {TintStatus::PausedUntil{Date(1718996400)}, "pausedUntil(2024-06-21T19:00:00Z)"},
        {TintStatus::ExcludedApp{"Editor"}, "excludedApp(name: \"Editor\")"},
        {TintStatus::Off{}, "off"},
        {TintStatus::Revealing{}, "revealing"},
        {TintStatus::SecurityPrompt{}, "securityPrompt"},
        {TintStatus::Cozy{}, "cozy"},
        {TintStatus::Manual{}, "manual"},
    };
    for (const auto& [status, text] : cases) EXPECT_EQ(Diagnostics::statusText(status), text);
}

TEST_F(DiagnosticsTest, ProbesTheSimulatedMachineAsAMac) {
    start(testing::manualSettings());
    const auto system = Diagnostics::System::probe(*sim);
    EXPECT_EQ(system.operatingSystem.rfind("macOS ", 0), 0u) << system.operatingSystem;
    EXPECT_TRUE(system.displayServices);
    EXPECT_TRUE(system.ddc);
    const auto line = linesOf(Diagnostics::text(*model))[1];
    EXPECT_EQ(line.rfind(system.operatingSystem + " · ", 0), 0u) << line;
}

}  // namespace
}  // namespace orvane
