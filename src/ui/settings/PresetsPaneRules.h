#pragma once
// The rules of the Presets pane apart from its drawing: the selection (held by id, never by
// position), each row's texts, the controls' enablement, and the list operations the pane
// and the preset editor write back through the model.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/Presets.h"
#include "core/TintState.h"

namespace orvane::PresetsPaneRules {

using Selection = std::optional<std::string>;

// The first preset with the selected id; none without a selection or for a stale one.
std::optional<std::size_t> selectedIndex(const std::vector<Preset>& presets, const Selection& selected);
std::optional<Preset> selectedPreset(const std::vector<Preset>& presets, const Selection& selected);

struct RowTexts {
    std::string name;                   // unchanged
    bool builtIn = false;               // shows "Built-in"
    std::string kelvin;                 // "3400K"
    std::string dim;                    // truncated: 0.955 -> "95%"
    std::optional<std::string> hotkey;  // the hotkey's display text
    bool operator==(const RowTexts&) const = default;
};
RowTexts rowTexts(const Preset& preset);

struct Enablement {
    bool remove = false;    // a selected preset of the user's own
    bool moveUp = false;    // a selected preset that is not the first
    bool moveDown = false;  // a selected preset that is not the last
    bool operator==(const Enablement&) const = default;
};
Enablement enablement(const std::vector<Preset>& presets, const Selection& selected);

inline constexpr const char* caption =
    "Built-in presets can be edited but not deleted. The order is used by \u201cNext preset\u201d.";

// "New preset" at the warmth and dim the mode shows, as read (not snapped again), following
// the global red style, with the star icon.
Preset newPreset(std::string id, const TintState& modeState);
// `base`, or "base 2", "base 3", ... whichever no preset's name is yet (in any case, as
// --preset compares names).
std::string unusedName(const std::vector<Preset>& presets, const std::string& base);
// Why the preset `id` cannot be called `name`, for the caption under the field: a name of
// blanks only (the tray menu would show " · 5100K" and --preset could not name it), or a
// name another preset has already in any case (--preset would pick one of them silently).
// None when the name can be used.
std::optional<std::string> nameProblem(const std::vector<Preset>& presets, const std::string& id,
                                       const std::string& name);
// Removes the selected preset unless it is built in; whether the list changed.
bool deleteSelected(std::vector<Preset>& presets, const Selection& selected);
// Swaps the selected preset with its neighbour `step` away when that lies in the list.
bool moveSelected(std::vector<Preset>& presets, const Selection& selected, int step);
// Moves the presets at `offsets` to `destination`, which counts positions before the move,
// keeping their order: moving {0} to 3 in [A, B, C, D] gives [B, C, A, D].
bool move(std::vector<Preset>& presets, const std::vector<std::size_t>& offsets, std::size_t destination);

// Where a row dragged with its pointer at `y` lands: the number of rows whose middle lies
// above the pointer (rows given by their top and height, in list order).
struct RowFrame {
    double top = 0;
    double height = 0;
};
std::size_t dropDestination(const std::vector<RowFrame>& rows, double y);

// The editor's write: the preset with the selected id, at the time of the write, takes the
// edited value (never changing its id or built-in mark); none with that id, nothing changes.
bool writeSelected(std::vector<Preset>& presets, const Selection& selected, const Preset& edited);

}  // namespace orvane::PresetsPaneRules
