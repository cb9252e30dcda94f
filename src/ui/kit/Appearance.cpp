#include "ui/kit/Appearance.h"

namespace orvane::kit {

Appearance appearanceFor(std::optional<std::uint32_t> colorScheme, const QPalette& palette) {
    if (colorScheme == 1u) return Appearance::dark;
    if (colorScheme == 2u) return Appearance::light;
    return palette.color(QPalette::Window).lightnessF() < 0.5 ? Appearance::dark : Appearance::light;
}

QColor primaryText(Appearance appearance) {
    return isDark(appearance) ? QColor::fromRgbF(1, 1, 1, 0.85f) : QColor::fromRgbF(0, 0, 0, 0.85f);
}

QColor secondaryText(Appearance appearance) {
    return isDark(appearance) ? QColor::fromRgbF(1, 1, 1, 0.55f) : QColor::fromRgbF(0, 0, 0, 0.5f);
}

QColor windowColor(Appearance appearance) {
    return isDark(appearance) ? QColor::fromRgbF(0.17f, 0.17f, 0.18f) : QColor::fromRgbF(0.93f, 0.93f, 0.93f);
}

QColor separatorColor(Appearance appearance) {
    return isDark(appearance) ? QColor::fromRgbF(1, 1, 1, 0.16f) : QColor::fromRgbF(0, 0, 0, 0.16f);
}

}  // namespace orvane::kit
