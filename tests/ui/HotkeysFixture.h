#pragma once
// Kit views over the real model with the program's global hotkeys on the simulated
// keyboard, wired to the model as the delegate wires them: registered anew when the
// suspension flips and when a settings change touches them.
#include <memory>

#include "KitFixture.h"
#include "app/GlobalHotkeys.h"
#include "engine/Hotkeys.h"

namespace orvane::testing {

class HotkeysModelTest : public KitModelTest {
protected:
    void startWithHotkeys(const Settings& settings) {
        start(settings);
        hotkeys = std::make_unique<GlobalHotkeys>(*sim, model);
        hotkeys->registerHotkeys();
        hooks.push_back(model->onHotkeysChanged.subscribe([this] {
            ++suspensionChanges;
            hotkeys->registerHotkeys();
        }));
        hooks.push_back(model->onSettingsChanged.subscribe(
            [this](const Settings& old, const Settings& now) { hotkeys->settingsChanged(old, now); }));
    }
    void TearDown() override {
        hotkeys.reset();
        KitModelTest::TearDown();
    }
    // A press of the combination on the simulated keyboard reached a registration.
    bool registered(const Hotkey& hotkey) { return sim->pressHotKey(HotkeyManager::chord(hotkey)); }

    std::unique_ptr<GlobalHotkeys> hotkeys;
    int suspensionChanges = 0;
};

}  // namespace orvane::testing
