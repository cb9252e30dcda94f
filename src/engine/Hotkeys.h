#pragma once
// Global keyboard shortcuts: each registration reacts while another program is in front
// and calls the caller's pressed and released closures. One manager per program; it also
// turns a recorded key press into a Hotkey and a Hotkey into the chord the keyboard takes.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "core/Presets.h"
#include "platform/Keyboard.h"
#include "platform/Log.h"

namespace orvane {

// Key-event modifier flags as a key press reports them.
namespace eventFlag {
inline constexpr std::uint64_t capsLock = 0x10000;
inline constexpr std::uint64_t shift = 0x20000;
inline constexpr std::uint64_t control = 0x40000;
inline constexpr std::uint64_t option = 0x80000;
inline constexpr std::uint64_t command = 0x100000;
inline constexpr std::uint64_t keypad = 0x200000;
inline constexpr std::uint64_t function = 0x800000;
// The flags a key brings by itself: keypad for the keypad's keys (Clear and Enter too),
// function for the F-keys, the arrows, Home, End, Page Up, Page Down, Help and Delete.
std::uint64_t ofKey(std::uint32_t keyCode);
}  // namespace eventFlag

class HotkeyManager {
public:
    // "TSMR", packed big-endian as four-character codes are.
    static constexpr std::uint32_t signature = 0x54534D52;

    // Installs the one event handler of the program's hot keys.
    explicit HotkeyManager(platform::Keyboard& keyboard);
    ~HotkeyManager();
    HotkeyManager(const HotkeyManager&) = delete;
    HotkeyManager& operator=(const HotkeyManager&) = delete;

    // The registration id, or absent when the system refused the shortcut. Every call
    // takes a new id, also a refused one.
    std::optional<std::uint32_t> registerHotkey(const Hotkey& hotkey, std::function<void()> pressed,
                                                std::function<void()> released = nullptr);
    void unregister(std::uint32_t id);
    void unregisterAll();

    // The Hotkey for a key press, or absent when the press cannot serve as a global
    // shortcut (no command, option or control, and not a function-key block code).
    static std::optional<Hotkey> hotkey(std::uint16_t keyCode, std::uint64_t flags);
    // Modifier bits a Hotkey keeps but no key has are left out.
    static platform::KeyChord chord(const Hotkey& hotkey);

private:
    struct Entry {
        std::uint64_t ref = 0;
        std::function<void()> pressed;
        std::function<void()> released;
    };
    struct Entries {
        std::map<std::uint32_t, Entry> byId;
    };
    static void handle(Entries& entries, std::uint32_t id, bool released);

    platform::Keyboard& keyboard_;
    // Shared with the handler, which the keyboard may keep after this manager is gone.
    std::shared_ptr<Entries> entries_ = std::make_shared<Entries>();
    std::uint32_t nextID_ = 1;
    platform::Log log_{"hotkeys"};
};

}  // namespace orvane
