#include "ui/settings/HotkeyRecorderRules.h"

#include <algorithm>

#include "engine/Hotkeys.h"
#include "platform/KeyTable.h"
#include "ui/settings/ShortcutsPaneRules.h"

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

namespace {

// Every shortcut field with its label, in the pane's order.
std::vector<ShortcutsPaneRules::ShortcutRow> shortcutRows() {
    using namespace ShortcutsPaneRules;
    std::vector<ShortcutRow> rows(globalRows.begin(), globalRows.end());
    rows.insert(rows.end(), warmthRows.begin(), warmthRows.end());
    rows.insert(rows.end(), dimRows.begin(), dimRows.end());
    rows.insert(rows.end(), presetsAndModesRows.begin(), presetsAndModesRows.end());
    return rows;
}

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

}  // namespace

std::string ownerName(const Settings& settings, const Owner& owner) {
    if (const auto* shortcut = std::get_if<ShortcutOwner>(&owner)) {
        for (const auto& row : shortcutRows())
            if (row.field == shortcut->field) return row.label;
        return "another shortcut";
    }
    if (const auto* preset = std::get_if<PresetOwner>(&owner)) {
        for (const auto& p : settings.presets)
            if (p.id == preset->id) return "the \u201c" + p.name + "\u201d preset";
        return "a preset";
    }
    return ShortcutsPaneRules::emergencyTitle;
}

std::vector<Owner> othersUsing(const Settings& settings, const Hotkey& hotkey, const Owner& self) {
    std::vector<Owner> others;
    const auto consider = [&](const Owner& owner, const std::optional<Hotkey>& held) {
        if (held == hotkey && owner != self) others.push_back(owner);
    };
    for (const auto& row : shortcutRows()) consider(ShortcutOwner{row.field}, settings.shortcuts.*(row.field));
    for (const auto& p : settings.presets) consider(PresetOwner{p.id}, p.hotkey);
    consider(EmergencyResetOwner{}, Shortcuts::emergencyReset);
    return others;
}

void clearHotkeys(Settings& settings, const std::vector<Owner>& owners) {
    for (const auto& owner : owners) {
        if (const auto* shortcut = std::get_if<ShortcutOwner>(&owner))
            settings.shortcuts.*(shortcut->field) = std::nullopt;
        if (const auto* preset = std::get_if<PresetOwner>(&owner))
            for (auto& p : settings.presets)
                if (p.id == preset->id) p.hotkey = std::nullopt;
    }
}

std::optional<Problem> problem(const Settings& settings, const std::vector<Hotkey>& refused, const Owner& self,
                               const std::optional<Hotkey>& hotkey) {
    if (!hotkey) return std::nullopt;
    auto others = othersUsing(settings, *hotkey, self);
    if (!others.empty()) {
        std::vector<std::string> names;
        for (const auto& owner : others) names.push_back(ownerName(settings, owner));
        const bool movable =
            std::ranges::none_of(others, [](const Owner& o) { return std::holds_alternative<EmergencyResetOwner>(o); });
        return Problem{"Already used by " + listed(names), std::move(others), movable};
    }
    if (std::ranges::find(refused, *hotkey) != refused.end()) return Problem{takenByAnotherProgram, {}, false};
    return std::nullopt;
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
