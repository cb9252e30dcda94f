#include "engine/Hotkeys.h"

#include <vector>

#include "platform/KeyTable.h"

namespace orvane {

std::uint64_t eventFlag::ofKey(std::uint32_t keyCode) {
    constexpr std::uint32_t clear = 0xff0b, home = 0xff50, end = 0xff57, insert = 0xff63, forwardDelete = 0xffff;
    const auto keysym = platform::keysymForKeyCode(keyCode);
    if (!keysym) return 0;
    if (platform::isKeypadKeysym(*keysym) || *keysym == clear) return keypad;
    // Home to End holds the arrows and the page keys; Insert stands where Help was.
    if (platform::isFunctionKeysym(*keysym) || (*keysym >= home && *keysym <= end) || *keysym == insert ||
        *keysym == forwardDelete)
        return function;
    return 0;
}

HotkeyManager::HotkeyManager(platform::Keyboard& keyboard) : keyboard_(keyboard) {
    const auto status = keyboard_.installHotKeyHandler(
        [weak = std::weak_ptr<Entries>(entries_)](std::uint32_t sig, std::uint32_t id, bool released) {
            // Hot keys of other signatures belong to someone else.
            if (sig != signature) return;
            if (auto entries = weak.lock()) handle(*entries, id, released);
        });
    if (!keyboard_.canRegisterGlobalShortcuts()) log_.notice("global shortcuts are not available on this desktop");
    else if (status != 0) log_.error("listening for key presses failed: %d", status);
}

HotkeyManager::~HotkeyManager() { unregisterAll(); }

void HotkeyManager::handle(Entries& entries, std::uint32_t id, bool released) {
    const auto it = entries.byId.find(id);
    if (it == entries.byId.end()) return;
    // A copy: the closure may re-register every hot key, this one included.
    auto action = released ? it->second.released : it->second.pressed;
    if (action) action();
}

std::optional<std::uint32_t> HotkeyManager::registerHotkey(const Hotkey& hotkey, std::function<void()> pressed,
                                                           std::function<void()> released) {
    const std::uint32_t id = nextID_++;
    std::uint64_t ref = 0;
    const auto status = keyboard_.registerHotKey(chord(hotkey), signature, id, ref);
    if (status != 0 || ref == 0) {
        log_.error("grabbing the key (XGrabKey) failed for %{public}s: %d", hotkey.display(), status);
        return std::nullopt;
    }
    entries_->byId[id] = Entry{ref, std::move(pressed), std::move(released)};
    return id;
}

void HotkeyManager::unregister(std::uint32_t id) {
    const auto it = entries_->byId.find(id);
    if (it == entries_->byId.end()) return;
    const auto ref = it->second.ref;
    entries_->byId.erase(it);
    if (ref != 0) keyboard_.unregisterHotKey(ref);
}

void HotkeyManager::unregisterAll() {
    std::vector<std::uint32_t> ids;
    for (const auto& [id, entry] : entries_->byId) ids.push_back(id);
    for (const auto id : ids) unregister(id);
}

std::optional<Hotkey> HotkeyManager::hotkey(std::uint16_t keyCode, std::uint64_t flags) {
    Hotkey::Modifiers modifiers{};
    if (flags & eventFlag::command) modifiers = modifiers | Hotkey::Modifiers::command;
    if (flags & eventFlag::option) modifiers = modifiers | Hotkey::Modifiers::option;
    if (flags & eventFlag::control) modifiers = modifiers | Hotkey::Modifiers::control;
    if (flags & eventFlag::shift) modifiers = modifiers | Hotkey::Modifiers::shift;
    const bool hasChordModifier = modifiers.contains(Hotkey::Modifiers::command) ||
                                  modifiers.contains(Hotkey::Modifiers::option) ||
                                  modifiers.contains(Hotkey::Modifiers::control);
    if (!hasChordModifier && (keyCode < 96 || keyCode > 122)) return std::nullopt;
    return Hotkey{keyCode, modifiers};
}

platform::KeyChord HotkeyManager::chord(const Hotkey& hotkey) {
    const auto has = [&](Hotkey::Modifiers m) { return hotkey.modifiers.contains(m); };
    return {hotkey.keyCode,
            {has(Hotkey::Modifiers::command), has(Hotkey::Modifiers::shift), has(Hotkey::Modifiers::option),
             has(Hotkey::Modifiers::control)}};
}

}  // namespace orvane
