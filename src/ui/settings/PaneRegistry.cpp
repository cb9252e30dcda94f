#include "ui/settings/PaneRegistry.h"

namespace orvane {

// A pane is registered by naming its maker on its own line below; the blank lines keep
// the edits of neighbouring panes apart.
PaneMaker paneMaker(Pane pane) {
    switch (pane) {
        case Pane::general:
            return makeGeneralPane;

        case Pane::presets:
            return makePresetsPane;

        case Pane::schedule:
            return nullptr;

        case Pane::displays:
            return nullptr;

        case Pane::comfort:
            return nullptr;

        case Pane::exclusions:
            return nullptr;

        case Pane::shortcuts:
            return makeShortcutsPane;

        case Pane::advanced:
            return makeAdvancedPane;

        case Pane::statistics:
            return makeStatisticsPane;

        case Pane::about:
            return makeAboutPane;
    }
    return nullptr;
}

}  // namespace orvane
