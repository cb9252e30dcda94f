#include <gtest/gtest.h>

#include "ModelFixture.h"
#include "app/GlobalHotkeys.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::ModelTest;
using Mods = Hotkey::Modifiers;

namespace {

constexpr std::uint32_t cmdOpt = 0x0900;
constexpr std::uint32_t cmdOptCtrl = 0x1900;

// A chord as the tests write it: key code and classic mask.
KeyChord chord(std::uint32_t keyCode, std::uint32_t mask) { return {keyCode, KeyModifiers::fromClassicMask(mask)}; }

class GlobalHotkeysTest : public ModelTest {
protected:
    GlobalHotkeys& launch(Settings settings = {}) {
        start(settings);
        hotkeys = std::make_unique<GlobalHotkeys>(*sim, model);
        hotkeys->playSound = [this](const std::string& name) { played.push_back(name); };
        hotkeys->registerHotkeys();
        return *hotkeys;
    }
    // The chords registered with the system since the journal was last cleared.
    std::vector<std::pair<std::int64_t, std::int64_t>> registered() const {
        std::vector<std::pair<std::int64_t, std::int64_t>> out;
        for (const auto& c : sim->journal().calls("keyboard.registerHotKey")) {
            const auto& d = *c.arguments.dictionary();
            out.emplace_back(*d.at("keyCode").integer(), *d.at("modifiers").integer());
        }
        return out;
    }
    void press(std::uint32_t keyCode, std::uint32_t mods) {
        EXPECT_TRUE(sim->pressHotKey(chord(keyCode, mods))) << "no hotkey at " << keyCode;
        scheduler->runPending();
    }
    void release(std::uint32_t keyCode, std::uint32_t mods) {
        EXPECT_TRUE(sim->pressHotKey(chord(keyCode, mods), true));
        scheduler->runPending();
    }

    std::unique_ptr<GlobalHotkeys> hotkeys;
    std::vector<std::string> played;
};

Settings withPresetHotkey(Hotkey hotkey) {
    Settings s;
    s.presets.at(0).hotkey = hotkey;
    return s;
}

}  // namespace

TEST_F(GlobalHotkeysTest, EverySetShortcutThenThePresetsThenTheEmergencyResetAreRegistered) {
    sim->journal().clear();
    auto settings = withPresetHotkey({18, Mods::control});
    settings.shortcuts.cozy = Hotkey{6, Mods::command};
    settings.shortcuts.nextPreset.reset();
    launch(settings);
    EXPECT_EQ(registered(), (std::vector<std::pair<std::int64_t, std::int64_t>>{
                                {17, cmdOpt},       // reveal
                                {11, cmdOptCtrl},   // toggle
                                {124, cmdOptCtrl},  // warmer
                                {123, cmdOptCtrl},  // cooler
                                {125, cmdOptCtrl},  // dimmer
                                {126, cmdOptCtrl},  // brighter
                                {6, 0x0100},        // cozy
                                {18, 0x1000},       // the first preset
                                {51, cmdOptCtrl},   // emergency reset
                            }));
    // Registering again replaces every registration: a chord still held would be refused.
    orvane::testing::LogCapture logs;
    hotkeys->registerHotkeys();
    EXPECT_TRUE(logs.messages("hotkeys").empty());
    press(17, cmdOpt);
    EXPECT_TRUE(model->revealHeld());
}

// A combination another program holds is refused by the desktop; the model learns which,
// so the recorders can say so, and forgets it once a registration succeeds.
TEST_F(GlobalHotkeysTest, TheShortcutsTheDesktopRefusedAreKnownToTheModel) {
    sim->fail("hotkey.register", -9878, 1);  // the first registration: the reveal
    launch();
    const Hotkey reveal = *Settings().shortcuts.reveal;
    EXPECT_EQ(model->refusedHotkeys(), std::vector<Hotkey>{reveal});
    EXPECT_FALSE(sim->pressHotKey(chord(17, cmdOpt)));
    EXPECT_TRUE(sim->pressHotKey(chord(11, cmdOptCtrl))) << "the others still work";

    // A clash inside the program is refused the second time; it is listed once.
    model->change([](Settings& s, RuntimeState&) { s.shortcuts.cozy = s.shortcuts.toggle; });
    hotkeys->registerHotkeys();
    EXPECT_EQ(model->refusedHotkeys(), std::vector<Hotkey>{*Settings().shortcuts.toggle});

    // While recording nothing is registered, and what was known stays.
    model->setHotkeysSuspended(true);
    hotkeys->registerHotkeys();
    EXPECT_EQ(model->refusedHotkeys(), std::vector<Hotkey>{*Settings().shortcuts.toggle});
    model->setHotkeysSuspended(false);
    model->change([](Settings& s, RuntimeState&) { s.shortcuts.cozy.reset(); });
    hotkeys->registerHotkeys();
    EXPECT_TRUE(model->refusedHotkeys().empty());
}

// A desktop without global shortcuts (a Wayland session without the portal): nothing is
// asked of it, and no shortcut is reported as taken by another program.
TEST_F(GlobalHotkeysTest, ADesktopWithoutGlobalShortcutsIsAskedNothingAndRefusesNothing) {
    sim->update([](platform::sim::SimState& s) { s.missingPorts.insert("globalShortcuts"); });
    sim->fail("hotkey.register", -9878, -1);
    sim->journal().clear();
    launch();
    EXPECT_TRUE(registered().empty());
    EXPECT_TRUE(model->refusedHotkeys().empty());
    EXPECT_FALSE(sim->pressHotKey(chord(51, cmdOptCtrl)));
}

TEST_F(GlobalHotkeysTest, WhileAShortcutIsRecordedNoHotkeyStaysNotEvenTheEmergencyReset) {
    launch();
    model->setHotkeysSuspended(true);
    hotkeys->registerHotkeys();
    EXPECT_FALSE(sim->pressHotKey(chord(51, cmdOptCtrl)));
    EXPECT_FALSE(sim->pressHotKey(chord(17, cmdOpt)));
    model->setHotkeysSuspended(false);
    hotkeys->registerHotkeys();
    EXPECT_TRUE(sim->pressHotKey(chord(51, cmdOptCtrl)));
}

TEST_F(GlobalHotkeysTest, TheRevealIsHeldUntilReleaseOrFlipsOnEachPressInTapMode) {
    launch();
    press(17, cmdOpt);
    EXPECT_TRUE(model->revealHeld());
    release(17, cmdOpt);
    EXPECT_FALSE(model->revealHeld());

    auto s = model->settings();
    s.revealTapToggles = true;
    model->setSettings(s);
    hotkeys->registerHotkeys();
    press(17, cmdOpt);
    release(17, cmdOpt);
    EXPECT_TRUE(model->revealHeld());
    press(17, cmdOpt);
    release(17, cmdOpt);
    EXPECT_FALSE(model->revealHeld());
}

TEST_F(GlobalHotkeysTest, ShortcutsCallTheModelsOperations) {
    launch();
    const auto kelvin = model->resolution().modeState.kelvin;
    press(124, cmdOptCtrl);  // warmer
    EXPECT_EQ(model->resolution().modeState.kelvin, Kelvin::clamp(Kelvin::snap(kelvin - 250)));
    const auto warmer = model->resolution().modeState.kelvin;
    press(123, cmdOptCtrl);  // cooler
    EXPECT_EQ(model->resolution().modeState.kelvin, Kelvin::clamp(Kelvin::snap(warmer + 250)));
    const bool enabled = model->settings().enabled;
    press(11, cmdOptCtrl);  // toggle
    EXPECT_EQ(model->settings().enabled, !enabled);
}

TEST_F(GlobalHotkeysTest, APresetHotkeySetsItsWarmthAndPopsWhileSoundsAreOn) {
    launch(withPresetHotkey({18, Mods::control}));
    const auto preset = model->settings().presets.at(0);
    press(18, 0x1000);
    EXPECT_EQ(model->resolution().modeState.kelvin, Kelvin::clamp(Kelvin::snap(preset.kelvin)));
    EXPECT_EQ(played, std::vector<std::string>{"Pop"});
    auto s = model->settings();
    s.sounds = false;
    model->setSettings(s);
    press(18, 0x1000);
    EXPECT_EQ(played.size(), 1u);
}

TEST_F(GlobalHotkeysTest, OnlyChangesOfShortcutsTapModeOrPresetHotkeysRegisterAnew) {
    const Settings base = withPresetHotkey({18, Mods::control});
    const struct {
        const char* what;
        std::function<void(Settings&)> change;
        bool anew;
    } cases[] = {
        {"a preset's name", [](Settings& s) { s.presets.at(0).name = "Other"; }, false},
        {"a preset's kelvin", [](Settings& s) { s.presets.at(0).kelvin = 3000; }, false},
        {"the sounds", [](Settings& s) { s.sounds = !s.sounds; }, false},
        {"a preset's hotkey",
         [](Settings& s) {
             s.presets.at(0).hotkey = Hotkey{19, Mods::control};
         },
         true},
        {"a preset's hotkey removed", [](Settings& s) { s.presets.at(0).hotkey.reset(); }, true},
        {"the tap mode", [](Settings& s) { s.revealTapToggles = !s.revealTapToggles; }, true},
        {"a shortcut", [](Settings& s) { s.shortcuts.toggle.reset(); }, true},
    };
    launch(base);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Settings changed = base;
        c.change(changed);
        EXPECT_EQ(GlobalHotkeys::needsRegistration(base, changed), c.anew);
        sim->journal().clear();
        hotkeys->settingsChanged(base, changed);
        EXPECT_EQ(registered().empty(), !c.anew);
    }
}
