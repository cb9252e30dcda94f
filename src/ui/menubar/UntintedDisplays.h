#pragma once
// The displays left untinted while others are tinted, as the tray's tooltip and the
// popover's footer name them ("HDMI-A-1 not tinted"), with the reasons where there is room
// for them. While no display is tinted the whole tint says "Not tinted" and why instead.
#include <cstdint>
#include <optional>
#include <string>

#include "app/Capabilities.h"

namespace orvane::UntintedDisplays {

// "HDMI-A-1 not tinted", "HDMI-A-1, DP-2 not tinted"; empty unless some displays are
// tinted and some are not.
std::string names(const Capabilities& capabilities);
// Each of those with its reason: "HDMI-A-1 not tinted: <reason>", joined by "; ".
std::string reasons(const Capabilities& capabilities);

// The tray's tooltip: "Orvane · 2300K", "Orvane · 2300K · HDMI-A-1 not tinted: <reason>";
// `notTinted` (why no display is tinted) gives "Orvane · Not tinted: <reason>". With the
// tint switched off only the warmth.
std::string trayToolTip(bool enabled, const std::string& kelvin, const std::optional<std::string>& notTinted,
                        const Capabilities& capabilities);

// The display whose method the footer names: the primary, or the first tinted one where
// the primary is not tinted and another is. Null without displays.
const DisplayCapabilities* footerDisplay(const Capabilities& capabilities, std::optional<std::uint32_t> primary);

}  // namespace orvane::UntintedDisplays
