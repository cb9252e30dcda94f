#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/Hotkeys.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::EngineTest;
using orvane::testing::LogCapture;
using Mods = Hotkey::Modifiers;

namespace {

constexpr KeyModifiers command{.command = true};
constexpr KeyModifiers control{.control = true};
constexpr KeyModifiers commandOption{.command = true, .option = true};

class HotkeysTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        manager = std::make_unique<HotkeyManager>(sim->keyboard());
    }
    std::unique_ptr<HotkeyManager> manager;
    std::vector<std::string> events;
    std::function<void()> note(std::string what) {
        return [this, what] { events.push_back(what); };
    }
};

}  // namespace

TEST_F(HotkeysTest, IdsCountUpAcrossUnregisterAllAndRefusals) {
    EXPECT_EQ(manager->registerHotkey({17, Mods::command}, note("a")), 1u);
    EXPECT_EQ(manager->registerHotkey({11, Mods::command}, note("b")), 2u);
    EXPECT_EQ(manager->registerHotkey({35, Mods::command}, note("c")), 3u);
    manager->unregisterAll();
    EXPECT_EQ(manager->registerHotkey({17, Mods::command}, note("a")), 4u);
    {
        LogCapture logs;
        // The same chord twice: the system refuses the second.
        EXPECT_EQ(manager->registerHotkey({17, Mods::command}, note("again")), std::nullopt);
        EXPECT_EQ(logs.messages("hotkeys"),
                  std::vector<std::string>{"grabbing the key (XGrabKey) failed for Super+T: -9878"});
    }
    EXPECT_EQ(manager->registerHotkey({11, Mods::command}, note("b")), 6u);
}

TEST_F(HotkeysTest, PressedAndReleasedReachTheirOwnClosures) {
    manager->registerHotkey({17, Mods::command | Mods::option}, note("reveal down"), note("reveal up"));
    manager->registerHotkey({11, Mods::control}, note("toggle"));
    EXPECT_TRUE(sim->pressHotKey({17, commandOption}));
    EXPECT_TRUE(sim->pressHotKey({17, commandOption}, true));
    EXPECT_TRUE(sim->pressHotKey({11, control}));
    EXPECT_TRUE(sim->pressHotKey({11, control}, true));  // no released closure: nothing
    EXPECT_FALSE(sim->pressHotKey({11, command}));
    EXPECT_EQ(events, (std::vector<std::string>{"reveal down", "reveal up", "toggle"}));
}

TEST_F(HotkeysTest, AnUnregisteredKeyDoesNothingAndTheOthersStay) {
    const auto a = manager->registerHotkey({17, Mods::command}, note("a"));
    manager->registerHotkey({11, Mods::command}, note("b"));
    manager->unregister(*a);
    manager->unregister(*a);   // no entry: ignored
    manager->unregister(999);  // never handed out
    EXPECT_FALSE(sim->pressHotKey({17, command}));
    EXPECT_TRUE(sim->pressHotKey({11, command}));
    EXPECT_EQ(events, std::vector<std::string>{"b"});
}

// What the delegate does from inside a hot key: every registration is made anew.
TEST_F(HotkeysTest, AClosureMayReRegisterEveryHotkeyWhileItRuns) {
    std::function<void()> registerAll = [&] {
        manager->unregisterAll();
        manager->registerHotkey({17, Mods::command}, [&] {
            events.push_back("pressed");
            registerAll();
        });
    };
    registerAll();
    EXPECT_TRUE(sim->pressHotKey({17, command}));
    EXPECT_TRUE(sim->pressHotKey({17, command}));
    EXPECT_EQ(events, (std::vector<std::string>{"pressed", "pressed"}));
}

TEST_F(HotkeysTest, HotKeysOfAnotherSignatureAreNotOurs) {
    manager->registerHotkey({17, Mods::command}, note("ours"));
    std::uint64_t ref = 0;
    ASSERT_EQ(sim->keyboard().registerHotKey({11, command}, 0x41424344, 1, ref), 0);
    EXPECT_TRUE(sim->pressHotKey({11, command}));
    EXPECT_TRUE(events.empty()) << "an id of another signature was dispatched";
}

TEST_F(HotkeysTest, AHandlerThatCannotBeInstalledIsLoggedOnce) {
    sim->fail("hotkey.handler", -50, 1);
    LogCapture logs;
    HotkeyManager other(sim->keyboard());
    EXPECT_EQ(logs.messages("hotkeys"), std::vector<std::string>{"listening for key presses failed: -50"});
}

TEST_F(HotkeysTest, KeyPressesBecomeHotkeysOnlyWithAChordModifierOrInTheFunctionKeyBlock) {
    const struct {
        std::uint16_t keyCode;
        std::uint64_t flags;
        std::optional<Hotkey> expected;
    } cases[] = {
        {0, eventFlag::shift, std::nullopt},
        {0, eventFlag::command, Hotkey{0, Mods::command}},
        {122, 0, Hotkey{122, {}}},
        {96, 0, Hotkey{96, {}}},
        {123, 0, std::nullopt},
        {95, 0, std::nullopt},
        {0, eventFlag::capsLock, std::nullopt},
        {0, eventFlag::capsLock | eventFlag::option, Hotkey{0, Mods::option}},
        {51, eventFlag::command | eventFlag::option | eventFlag::control,
         Hotkey{51, Mods::command | Mods::option | Mods::control}},
        {3, eventFlag::control | eventFlag::shift, Hotkey{3, Mods::control | Mods::shift}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.keyCode << " " << c.flags);
        EXPECT_EQ(HotkeyManager::hotkey(c.keyCode, c.flags), c.expected);
    }
}

TEST_F(HotkeysTest, KeysBringTheirOwnKeypadOrFunctionFlag) {
    const struct {
        std::uint32_t keyCode;
        std::uint64_t flags;
    } cases[] = {
        {0, 0},                      // A
        {51, 0},                     // Backspace
        {53, 0},                     // Esc
        {36, 0},                     // Return
        {82, eventFlag::keypad},     // keypad 0
        {76, eventFlag::keypad},     // keypad Enter
        {71, eventFlag::keypad},     // Clear
        {65, eventFlag::keypad},     // keypad point
        {122, eventFlag::function},  // F1
        {64, eventFlag::function},   // F17
        {123, eventFlag::function},  // Left
        {126, eventFlag::function},  // Up
        {115, eventFlag::function},  // Home
        {119, eventFlag::function},  // End
        {116, eventFlag::function},  // Page Up
        {121, eventFlag::function},  // Page Down
        {114, eventFlag::function},  // Help, the Insert key
        {117, eventFlag::function},  // Delete
        {10, 0},                     // not in the table
    };
    for (const auto& c : cases) EXPECT_EQ(eventFlag::ofKey(c.keyCode), c.flags) << c.keyCode;
    // Flags above the modifiers never make a hotkey's modifier.
    EXPECT_EQ(HotkeyManager::hotkey(117, eventFlag::function), (Hotkey{117, {}}));
    EXPECT_EQ(HotkeyManager::hotkey(82, eventFlag::keypad), std::nullopt);
}

TEST_F(HotkeysTest, ModifiersTranslateToTheClassicMasks) {
    const struct {
        Mods modifiers;
        std::uint32_t mask;
    } cases[] = {
        {Mods::command | Mods::option | Mods::control, 0x1900u},
        {Mods::command | Mods::option | Mods::control | Mods::shift, 0x1B00u},
        {{}, 0u},
        {Mods{0x10}, 0u},  // unknown bits are ignored
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.modifiers.rawValue);
        const auto chord = HotkeyManager::chord({51, c.modifiers});
        EXPECT_EQ(chord.keyCode, 51u);
        EXPECT_EQ(chord.modifiers.classicMask(), c.mask);
        EXPECT_EQ(KeyModifiers::fromClassicMask(c.mask), chord.modifiers);
    }
    manager->registerHotkey({51, Mods::command | Mods::option | Mods::control}, note("reset"));
    const auto registered = calls("keyboard.registerHotKey");
    ASSERT_EQ(registered.size(), 1u);
    EXPECT_EQ(registered[0].arguments.dictionary()->at("modifiers").integer(), 0x1900);
    EXPECT_EQ(registered[0].arguments.dictionary()->at("keyCode").integer(), 51);
}
