#pragma once
// The rules of the hotkey recorder apart from its drawing and its event plumbing: what a
// key press means while recording, what the button says, and how a key press reported by
// the window system becomes a stored key code with its flags.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/Presets.h"
#include "core/Settings.h"

namespace orvane::RecorderRules {

// The outcome of one recording.
struct Set {
    Hotkey hotkey;
    bool operator==(const Set&) const = default;
};
struct Clear {
    bool operator==(const Clear&) const = default;
};
struct Cancel {
    bool operator==(const Cancel&) const = default;
};
using Result = std::variant<Set, Clear, Cancel>;

// Backspace or Delete with no flag of the modifier range clears, Esc cancels whatever is
// held, anything else is what HotkeyManager::hotkey makes of it; absent when that refuses
// the press (the recorder beeps and records on).
std::optional<Result> classify(std::uint16_t keyCode, std::uint64_t flags);

// "Record shortcut", the hotkey's display text, or "Press keys…" while recording.
std::string label(const std::optional<Hotkey>& hotkey, bool recording);
// The clear button shows only while a hotkey is set and nothing records.
inline bool showsClearButton(const std::optional<Hotkey>& hotkey, bool recording) {
    return hotkey.has_value() && !recording;
}

// Who holds a hotkey: a shortcut of the Shortcuts pane, a preset's hotkey, or the fixed
// emergency reset.
struct ShortcutOwner {
    std::optional<Hotkey> Shortcuts::*field;
    bool operator==(const ShortcutOwner&) const = default;
};
struct PresetOwner {
    std::string id;
    bool operator==(const PresetOwner&) const = default;
};
struct EmergencyResetOwner {
    bool operator==(const EmergencyResetOwner&) const = default;
};
using Owner = std::variant<ShortcutOwner, PresetOwner, EmergencyResetOwner>;

// "Wind down", "the “Candle” preset", "Emergency reset".
std::string ownerName(const Settings& settings, const Owner& owner);
// The holders of `hotkey` other than `self`, in the order the Shortcuts pane shows them,
// then the presets in list order, then the emergency reset.
std::vector<Owner> othersUsing(const Settings& settings, const Hotkey& hotkey, const Owner& self);
// Clears the hotkey of each owner; the emergency reset cannot be cleared and stays.
void clearHotkeys(Settings& settings, const std::vector<Owner>& owners);

// What a recorder says under its combination: another holder of it in Orvane ("Already used
// by Wind down", which can be moved here unless it is the emergency reset), else a refusal
// of the desktop at the last registration ("Taken by another program").
struct Problem {
    std::string text;
    std::vector<Owner> others;  // empty for a refusal
    bool movable = false;
    bool operator==(const Problem&) const = default;
};
std::optional<Problem> problem(const Settings& settings, const std::vector<Hotkey>& refused, const Owner& self,
                               const std::optional<Hotkey>& hotkey);
inline constexpr const char* takenByAnotherProgram = "Taken by another program";
inline constexpr const char* moveHere = "Move Here";

// A key press as the window system reports it.
struct KeyPress {
    std::optional<std::uint32_t> keysym;  // the key's unshifted keysym, when known
    bool shift = false;
    bool control = false;
    bool alt = false;
    bool super = false;
    bool capsLock = false;
};

// What a press is to the recorder: a modifier alone only starts a combination; a key the
// stored codes cannot name is refused; any other is a code with the event flags it brings.
struct ModifierOnly {
    bool operator==(const ModifierOnly&) const = default;
};
struct UnknownKey {
    bool operator==(const UnknownKey&) const = default;
};
struct Key {
    std::uint16_t keyCode;
    std::uint64_t flags;
    bool operator==(const Key&) const = default;
};
using Press = std::variant<ModifierOnly, UnknownKey, Key>;
Press press(const KeyPress& key);

}  // namespace orvane::RecorderRules
