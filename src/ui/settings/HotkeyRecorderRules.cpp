#include "ui/settings/HotkeyRecorderRules.h"

#include "engine/Hotkeys.h"
#include "platform/KeyTable.h"

namespace orvane::RecorderRules {

namespace {
constexpr std::uint16_t backspace = 51;
constexpr std::uint16_t escape = 53;
constexpr std::uint16_t forwardDelete = 117;
// Caps Lock, Shift, Control, Alt, Super, keypad, Help and function.
constexpr std::uint64_t modifierRange = 0xFFFF0000;
}  // namespace

std::optional<Result> classify(std::uint16_t keyCode, std::uint64_t flags) {
    if ((keyCode == backspace || keyCode == forwardDelete) && (flags & modifierRange) == 0) return Clear{};
    if (keyCode == escape) return Cancel{};
    if (auto hotkey = HotkeyManager::hotkey(keyCode, flags)) return Set{*hotkey};
    return std::nullopt;
}

std::string label(const std::optional<Hotkey>& hotkey, bool recording) {
    if (recording) return "Press keys\u2026";
    return hotkey ? hotkey->display() : "Record shortcut";
}

Press press(const KeyPress& key) {
    if (!key.keysym) return UnknownKey{};
    if (platform::isModifierKeysym(*key.keysym)) return ModifierOnly{};
    const auto code = platform::keyCodeForKeysym(*key.keysym);
    if (!code) return UnknownKey{};
    std::uint64_t flags = eventFlag::ofKey(*code);
    if (key.shift) flags |= eventFlag::shift;
    if (key.control) flags |= eventFlag::control;
    if (key.alt) flags |= eventFlag::option;
    if (key.super) flags |= eventFlag::command;
    if (key.capsLock) flags |= eventFlag::capsLock;
    return Key{static_cast<std::uint16_t>(*code), flags};
}

}  // namespace orvane::RecorderRules
