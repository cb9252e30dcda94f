#include "app/GlobalHotkeys.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "app/AppModel.h"
#include "platform/Platform.h"

namespace orvane {

namespace {

std::vector<std::optional<Hotkey>> presetHotkeys(const Settings& settings) {
    std::vector<std::optional<Hotkey>> out;
    for (const auto& preset : settings.presets) out.push_back(preset.hotkey);
    return out;
}

}  // namespace

GlobalHotkeys::GlobalHotkeys(platform::Platform& platform, std::shared_ptr<AppModel> model)
    : platform_(platform), model_(std::move(model)), manager_(platform.keyboard()) {}

bool GlobalHotkeys::needsRegistration(const Settings& old, const Settings& current) {
    return old.shortcuts != current.shortcuts || old.revealTapToggles != current.revealTapToggles ||
           presetHotkeys(old) != presetHotkeys(current);
}

void GlobalHotkeys::settingsChanged(const Settings& old, const Settings& current) {
    if (needsRegistration(old, current)) registerHotkeys();
}

void GlobalHotkeys::registerHotkeys() {
    manager_.unregisterAll();
    // While a shortcut is being recorded no hotkey may fire, the emergency reset included.
    // What was refused last stays known until the shortcuts are registered again.
    if (model_->hotkeysSuspended()) return;
    // A desktop without global shortcuts refuses none of them: there is nothing to take.
    if (!platform_.keyboard().canRegisterGlobalShortcuts()) {
        model_->setRefusedHotkeys({});
        return;
    }
    std::vector<Hotkey> refused;
    const auto registerHotkey = [&](const Hotkey& hotkey, std::function<void()> pressed,
                                    std::function<void()> released = nullptr) {
        if (!manager_.registerHotkey(hotkey, std::move(pressed), std::move(released)) &&
            std::ranges::find(refused, hotkey) == refused.end())
            refused.push_back(hotkey);
    };

    // The handlers hold the model strongly: they live in the manager, which this object owns.
    auto model = model_;
    const auto& shortcuts = model->settings().shortcuts;
    const auto bind = [&](const std::optional<Hotkey>& hotkey, std::function<void()> pressed,
                          std::function<void()> released = nullptr) {
        if (hotkey) registerHotkey(*hotkey, std::move(pressed), std::move(released));
    };

    bind(
        shortcuts.reveal,
        [model] {
            if (model->settings().revealTapToggles) model->setRevealHeld(!model->revealHeld());
            else model->setRevealHeld(true);
        },
        [model] {
            if (!model->settings().revealTapToggles) model->setRevealHeld(false);
        });
    bind(shortcuts.toggle, [model] { model->setEnabled(!model->settings().enabled); });
    bind(shortcuts.warmer, [model] {
        model->setWarmth(model->resolution().modeState.kelvin - model->settings().warmthStepKelvin, std::nullopt);
    });
    bind(shortcuts.cooler, [model] {
        model->setWarmth(model->resolution().modeState.kelvin + model->settings().warmthStepKelvin, std::nullopt);
    });
    bind(shortcuts.dimmer, [model] { model->dimmer(); });
    bind(shortcuts.brighter, [model] { model->brighter(); });
    bind(shortcuts.nextPreset, [model] { model->nextPreset(); });
    bind(shortcuts.cozy, [model] { model->setCozy(!model->runtime().cozyActive); });
    auto* clock = &platform_.clock();
    bind(shortcuts.disableOneHour, [model, clock] { model->disable(clock->now() + 3600); });
    bind(shortcuts.openPopover, [this] {
        if (showPopover) showPopover();
    });

    for (const auto& preset : model->settings().presets) {
        if (!preset.hotkey) continue;
        const auto kelvin = preset.kelvin;
        const auto dim = preset.dim;
        registerHotkey(*preset.hotkey, [this, model, kelvin, dim] {
            model->setWarmth(kelvin, dim);
            if (model->settings().sounds && playSound) playSound("Pop");
        });
    }

    registerHotkey(Shortcuts::emergencyReset, [model] { model->emergencyReset(); });
    model->setRefusedHotkeys(std::move(refused));
}

}  // namespace orvane
