#include "ui/menubar/UntintedDisplays.h"

#include <algorithm>
#include <vector>

namespace orvane::UntintedDisplays {

namespace {

constexpr const char* dot = " \u00B7 ";

// The untinted displays, while at least one other is tinted.
std::vector<const DisplayCapabilities*> untintedBesideTinted(const Capabilities& capabilities) {
    const auto& all = capabilities.displays;
    std::vector<const DisplayCapabilities*> untinted;
    for (const auto& d : all)
        if (!d.attachedMethod) untinted.push_back(&d);
    const bool anyTinted = std::any_of(all.begin(), all.end(), [](const auto& d) { return d.attachedMethod; });
    if (!anyTinted) untinted.clear();
    return untinted;
}

std::string reasonOf(const DisplayCapabilities& display) {
    return display.notTintedReason.empty() ? std::string("no method can run") : display.notTintedReason;
}

}  // namespace

std::string names(const Capabilities& capabilities) {
    const auto untinted = untintedBesideTinted(capabilities);
    if (untinted.empty()) return {};
    std::string text;
    for (const auto* d : untinted) text += (text.empty() ? "" : ", ") + d->name;
    return text + " not tinted";
}

std::string reasons(const Capabilities& capabilities) {
    std::string text;
    for (const auto* d : untintedBesideTinted(capabilities))
        text += (text.empty() ? "" : "; ") + d->name + " not tinted: " + reasonOf(*d);
    return text;
}

std::string trayToolTip(bool enabled, const std::string& kelvin, const std::optional<std::string>& notTinted,
                        const Capabilities& capabilities) {
    if (enabled && notTinted) return std::string("Orvane") + dot + "Not tinted: " + *notTinted;
    const std::string untinted = enabled ? reasons(capabilities) : std::string();
    return std::string("Orvane") + dot + kelvin + (untinted.empty() ? "" : dot + untinted);
}

const DisplayCapabilities* footerDisplay(const Capabilities& capabilities, std::optional<std::uint32_t> primary) {
    const DisplayCapabilities* shown = primary ? capabilities.display(*primary) : nullptr;
    if (shown && !shown->attachedMethod)
        for (const auto& d : capabilities.displays)
            if (d.attachedMethod) return &d;
    return shown;
}

}  // namespace orvane::UntintedDisplays
