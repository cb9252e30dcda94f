#pragma once
// The ten panes of the settings window. The raw value (toString) names a pane everywhere:
// the opener's argument, the "openSettingsPane" notification's object, the screenshot
// mode's image names. fromString<Pane> matches a raw value exactly (case-sensitive).
#include <string>
#include <string_view>
#include <vector>

#include "core/CaseNames.h"

namespace orvane {

enum class Pane { general, presets, schedule, displays, comfort, exclusions, shortcuts, advanced, statistics, about };
inline constexpr CaseNames<Pane, 10> paneNames{"Pane",
                                               {{{Pane::general, "general"},
                                                 {Pane::presets, "presets"},
                                                 {Pane::schedule, "schedule"},
                                                 {Pane::displays, "displays"},
                                                 {Pane::comfort, "comfort"},
                                                 {Pane::exclusions, "exclusions"},
                                                 {Pane::shortcuts, "shortcuts"},
                                                 {Pane::advanced, "advanced"},
                                                 {Pane::statistics, "statistics"},
                                                 {Pane::about, "about"}}}};
constexpr const auto& caseNames(Pane) { return paneNames; }

// The raw value with its first letter upper-cased ("Statistics"): the sidebar row and the
// detail's title.
std::string title(Pane pane);
// The sidebar symbol; the selected row draws symbolFilled().
std::string_view symbol(Pane pane);
std::string symbolFilled(Pane pane);

// The sidebar's three groups, in order; the last puts statistics before advanced.
const std::vector<std::vector<Pane>>& paneGroups();

}  // namespace orvane
