#pragma once
// Light or dark, passed explicitly to everything that paints: the program follows the
// desktop's colour-scheme preference, the screenshot mode sets it per image.
#include <cstdint>
#include <optional>

#include <QColor>
#include <QPalette>

namespace orvane::kit {

enum class Appearance { light, dark };

// Anything but dark draws light (a value cast from elsewhere included).
constexpr bool isDark(Appearance appearance) { return appearance == Appearance::dark; }

// The portal's org.freedesktop.appearance color-scheme: 1 prefers dark, 2 prefers light;
// no preference (0, absent or unknown) follows the palette's window lightness.
Appearance appearanceFor(std::optional<std::uint32_t> colorScheme, const QPalette& palette);

// Text at the two levels every view uses, and the window background.
QColor primaryText(Appearance appearance);
QColor secondaryText(Appearance appearance);
QColor windowColor(Appearance appearance);
// Hairlines between and around things: menu separators, the popover's edge.
QColor separatorColor(Appearance appearance);

}  // namespace orvane::kit
