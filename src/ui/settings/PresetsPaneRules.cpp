#include "ui/settings/PresetsPaneRules.h"

#include <algorithm>

#include "core/Percent.h"
#include "core/PresetNames.h"

namespace orvane::PresetsPaneRules {

std::optional<std::size_t> selectedIndex(const std::vector<Preset>& presets, const Selection& selected) {
    if (!selected) return std::nullopt;
    for (std::size_t i = 0; i < presets.size(); ++i)
        if (presets[i].id == *selected) return i;
    return std::nullopt;
}

std::optional<Preset> selectedPreset(const std::vector<Preset>& presets, const Selection& selected) {
    const auto index = selectedIndex(presets, selected);
    if (!index) return std::nullopt;
    return presets[*index];
}

RowTexts rowTexts(const Preset& preset) {
    RowTexts texts;
    texts.name = preset.name;
    texts.builtIn = preset.isBuiltIn;
    texts.kelvin = std::to_string(preset.kelvin) + "K";
    texts.dim = std::to_string(percentTruncated(preset.dim)) + "%";
    if (preset.hotkey) texts.hotkey = preset.hotkey->display();
    return texts;
}

Enablement enablement(const std::vector<Preset>& presets, const Selection& selected) {
    const auto index = selectedIndex(presets, selected);
    if (!index) return {};
    return {!presets[*index].isBuiltIn, *index > 0, *index + 1 < presets.size()};
}

Preset newPreset(std::string id, const TintState& modeState) {
    Preset preset;
    preset.id = std::move(id);
    preset.name = "New preset";
    preset.kelvin = modeState.kelvin;
    preset.dim = modeState.dim;
    preset.icon = "star.fill";
    return preset;
}

// The names' rules are those of every preset list, shared with the stored and imported ones.
using PresetNames::taken;
using PresetNames::trimmed;

std::string unusedName(const std::vector<Preset>& presets, const std::string& base) {
    return PresetNames::unused(presets, base);
}

std::optional<std::string> nameProblem(const std::vector<Preset>& presets, const std::string& id,
                                       const std::string& name) {
    if (trimmed(name).empty()) return "A preset needs a name; the last one is kept.";
    if (taken(presets, id, name))
        return "Another preset is called \u201c" + trimmed(name) + "\u201d; the last name is kept.";
    return std::nullopt;
}

bool deleteSelected(std::vector<Preset>& presets, const Selection& selected) {
    const auto index = selectedIndex(presets, selected);
    if (!index || presets[*index].isBuiltIn) return false;
    presets.erase(presets.begin() + static_cast<std::ptrdiff_t>(*index));
    return true;
}

bool moveSelected(std::vector<Preset>& presets, const Selection& selected, int step) {
    const auto index = selectedIndex(presets, selected);
    if (!index) return false;
    const auto target = static_cast<std::ptrdiff_t>(*index) + step;
    if (target < 0 || target >= static_cast<std::ptrdiff_t>(presets.size())) return false;
    std::swap(presets[*index], presets[static_cast<std::size_t>(target)]);
    return true;
}

bool move(std::vector<Preset>& presets, const std::vector<std::size_t>& offsets, std::size_t destination) {
    std::vector<bool> moving(presets.size(), false);
    for (const auto offset : offsets)
        if (offset < presets.size()) moving[offset] = true;
    destination = std::min(destination, presets.size());
    std::vector<Preset> before, moved, after;
    for (std::size_t i = 0; i < presets.size(); ++i) {
        if (moving[i]) moved.push_back(presets[i]);
        else (i < destination ? before : after).push_back(presets[i]);
    }
    if (moved.empty()) return false;
    std::vector<Preset> result = std::move(before);
    result.insert(result.end(), moved.begin(), moved.end());
    result.insert(result.end(), after.begin(), after.end());
    const bool changed = result != presets;
    presets = std::move(result);
    return changed;
}

std::size_t dropDestination(const std::vector<RowFrame>& rows, double y) {
    std::size_t destination = 0;
    for (const auto& row : rows)
        if (row.top + row.height / 2 < y) ++destination;
    return destination;
}

bool writeSelected(std::vector<Preset>& presets, const Selection& selected, const Preset& edited) {
    const auto index = selectedIndex(presets, selected);
    if (!index) return false;
    Preset& target = presets[*index];
    Preset value = edited;
    value.id = target.id;
    value.isBuiltIn = target.isBuiltIn;
    if (value == target) return false;
    target = std::move(value);
    return true;
}

}  // namespace orvane::PresetsPaneRules
