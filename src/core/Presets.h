#pragma once
// Named warmths the user picks from, and the global key combinations that reach them.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/CaseNames.h"
#include "core/TintState.h"
#include "support/Json.h"

namespace orvane {

// A virtual key code in the platform's numbering of physical keys, and a modifier set.
struct Hotkey {
    struct Modifiers {
        std::uint32_t rawValue = 0;  // bits other than the four members survive coding unchanged

        static const Modifiers command;
        static const Modifiers option;
        static const Modifiers control;
        static const Modifiers shift;

        constexpr bool contains(Modifiers m) const { return (rawValue & m.rawValue) == m.rawValue; }
        constexpr Modifiers operator|(Modifiers m) const { return Modifiers{rawValue | m.rawValue}; }
        constexpr bool operator==(const Modifiers&) const = default;
    };

    std::uint32_t keyCode = 0;
    Modifiers modifiers{};

    static constexpr std::uint32_t keyT = 17;
    static constexpr std::uint32_t keyB = 11;
    static constexpr std::uint32_t keyP = 35;
    static constexpr std::uint32_t keyLeft = 123;
    static constexpr std::uint32_t keyRight = 124;
    static constexpr std::uint32_t keyDown = 125;
    static constexpr std::uint32_t keyUp = 126;
    static constexpr std::uint32_t keyDelete = 51;

    // "Ctrl+Alt+Shift+Super+" (those held, in that order), then the key's name.
    std::string display() const;
    // The key's label on a US keyboard or its name ("Return", "Esc", "Left"), or "key" and
    // the code for keys without one.
    static std::string keyName(std::uint32_t keyCode);

    constexpr bool operator==(const Hotkey&) const = default;

    Json toJson() const;
    static Hotkey fromJson(const Json& json, const std::string& path = "");
};

inline constexpr Hotkey::Modifiers Hotkey::Modifiers::command{1};
inline constexpr Hotkey::Modifiers Hotkey::Modifiers::option{2};
inline constexpr Hotkey::Modifiers Hotkey::Modifiers::control{4};
inline constexpr Hotkey::Modifiers Hotkey::Modifiers::shift{8};

struct Preset {
    enum class BuiltIn { daylight, focus, evening, candle, ember, midnight };

    std::string id;
    std::string name;
    std::int64_t kelvin = 0;
    double dim = 1.0;
    std::optional<RedStyle> redStyle{};  // absent: follows the settings' red style
    std::string icon;                    // a symbol name the interface draws
    bool isBuiltIn = false;
    std::optional<Hotkey> hotkey{};

    // Clamped, with `readable` when the preset has no red style of its own.
    TintState state() const;

    // The six factory presets in built-in order.
    static const std::vector<Preset>& builtIns();
    static const Preset& builtIn(BuiltIn which);

    bool operator==(const Preset&) const = default;

    Json toJson() const;
    static Preset fromJson(const Json& json, const std::string& path = "");
};

inline constexpr CaseNames<Preset::BuiltIn, 6> presetBuiltInNames{"BuiltIn",
                                                                  {{{Preset::BuiltIn::daylight, "daylight"},
                                                                    {Preset::BuiltIn::focus, "focus"},
                                                                    {Preset::BuiltIn::evening, "evening"},
                                                                    {Preset::BuiltIn::candle, "candle"},
                                                                    {Preset::BuiltIn::ember, "ember"},
                                                                    {Preset::BuiltIn::midnight, "midnight"}}}};
constexpr const auto& caseNames(Preset::BuiltIn) { return presetBuiltInNames; }
// "builtin." and the case name.
std::string id(Preset::BuiltIn which);

}  // namespace orvane

template <>
struct std::hash<orvane::Hotkey> {
    std::size_t operator()(const orvane::Hotkey& h) const noexcept {
        return std::hash<std::uint64_t>{}((std::uint64_t{h.keyCode} << 32) | h.modifiers.rawValue);
    }
};
