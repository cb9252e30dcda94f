#pragma once
// System-wide keyboard access: the permission an event tap needs, a tap of the
// system-defined (media and brightness key) events, and global hot keys.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace orvane::platform {

// A system-defined event as a tap sees it; `type` 14 is the system-defined kind, the
// types 0xFFFFFFFE and 0xFFFFFFFF report that the tap was disabled.
struct SystemDefinedEvent {
    std::uint32_t type = 14;
    std::int16_t subtype = 0;
    std::int64_t data1 = 0;
    bool operator==(const SystemDefinedEvent&) const = default;
};

// The modifier keys held with a key.
struct KeyModifiers {
    bool command = false;
    bool shift = false;
    bool option = false;
    bool control = false;
    bool operator==(const KeyModifiers&) const = default;

    // The classic mask (command 0x100, shift 0x200, option 0x800, control 0x1000), which
    // the system call of a hot-key registration takes; other bits are ignored.
    constexpr std::uint32_t classicMask() const {
        return (command ? 0x0100u : 0u) | (shift ? 0x0200u : 0u) | (option ? 0x0800u : 0u) | (control ? 0x1000u : 0u);
    }
    static constexpr KeyModifiers fromClassicMask(std::uint32_t mask) {
        return {(mask & 0x0100u) != 0, (mask & 0x0200u) != 0, (mask & 0x0800u) != 0, (mask & 0x1000u) != 0};
    }
};

// A key with its modifiers, as a global hot key is registered and pressed. `keyCode` names
// the key by its place on a US keyboard, as stored shortcuts do.
struct KeyChord {
    std::uint32_t keyCode = 0;
    KeyModifiers modifiers;
    bool operator==(const KeyChord&) const = default;
};

class EventTap {
public:
    virtual ~EventTap() = default;  // removed from the session
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
};

class Keyboard {
public:
    virtual ~Keyboard() = default;

    virtual bool isProcessTrusted() = 0;
    // May show the system's permission prompt; the trust state at the time of the call.
    virtual bool requestTrust(bool prompt) = 0;

    // `decide` returns true to pass the event on, false to swallow it. Null when no tap
    // can be made.
    using TapCallback = std::function<bool(const SystemDefinedEvent&)>;
    virtual std::unique_ptr<EventTap> createSystemDefinedTap(TapCallback decide) = 0;

    // One handler for every hot key of the process; 0 on success, else a status.
    using HotKeyHandler = std::function<void(std::uint32_t signature, std::uint32_t id, bool released)>;
    virtual std::int32_t installHotKeyHandler(HotKeyHandler handler) = 0;
    // The handler hears of `chord` as `signature` and `id`. On success `ref` receives a
    // non-zero registration; a chord registered already is refused.
    virtual std::int32_t registerHotKey(const KeyChord& chord, std::uint32_t signature, std::uint32_t id,
                                        std::uint64_t& ref) = 0;
    virtual std::int32_t unregisterHotKey(std::uint64_t ref) = 0;
    // Whether this desktop lets a program have global shortcuts at all.
    virtual bool canRegisterGlobalShortcuts() { return true; }

    // The keysym a hardware key (an X keycode) bears without Shift, on the keypad its digit
    // or operator: what a recorded press is stored as. Absent for an unknown key and where
    // keys have no hardware codes.
    virtual std::optional<std::uint32_t> unshiftedKeysym(std::uint32_t hardwareKeycode) = 0;
};

}  // namespace orvane::platform
