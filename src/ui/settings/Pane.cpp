#include "ui/settings/Pane.h"

#include "ui/kit/Symbols.h"

namespace orvane {

std::string title(Pane pane) {
    std::string out(toString(pane));
    if (!out.empty()) out[0] = static_cast<char>(out[0] - 'a' + 'A');
    return out;
}

std::string_view symbol(Pane pane) {
    switch (pane) {
        case Pane::general:
            return "gearshape";
        case Pane::presets:
            return "flame";
        case Pane::schedule:
            return "clock";
        case Pane::displays:
            return "display";
        case Pane::comfort:
            return "eye";
        case Pane::exclusions:
            return "app.dashed";
        case Pane::shortcuts:
            return "keyboard";
        case Pane::advanced:
            return "wrench.and.screwdriver";
        case Pane::statistics:
            return "chart.bar";
        case Pane::about:
            return "info.circle";
    }
    return "gearshape";
}

std::string symbolFilled(Pane pane) {
    // The fill variant where the catalogue has one, else the plain symbol.
    std::string filled = std::string(symbol(pane)) + ".fill";
    return kit::Symbols::has(filled) ? filled : std::string(symbol(pane));
}

const std::vector<std::vector<Pane>>& paneGroups() {
    static const std::vector<std::vector<Pane>> groups{
        {Pane::general, Pane::presets, Pane::schedule},
        {Pane::displays, Pane::comfort, Pane::exclusions},
        {Pane::shortcuts, Pane::statistics, Pane::advanced, Pane::about},
    };
    return groups;
}

}  // namespace orvane
