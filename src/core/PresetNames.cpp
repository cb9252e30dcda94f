#include "core/PresetNames.h"

#include <algorithm>

#include "core/Fold.h"

namespace orvane::PresetNames {

std::string trimmed(const std::string& name) {
    const auto first = name.find_first_not_of(" \t\n\r");
    if (first == std::string::npos) return {};
    return name.substr(first, name.find_last_not_of(" \t\n\r") - first + 1);
}

bool taken(const std::vector<Preset>& presets, const std::string& exceptId, const std::string& name) {
    const std::string wanted = foldCase(trimmed(name));
    return std::ranges::any_of(
        presets, [&](const Preset& p) { return p.id != exceptId && foldCase(trimmed(p.name)) == wanted; });
}

std::string unused(const std::vector<Preset>& presets, const std::string& base) {
    if (!taken(presets, {}, base)) return base;
    for (std::size_t n = 2;; ++n)
        if (std::string name = base + " " + std::to_string(n); !taken(presets, {}, name)) return name;
}

std::size_t makeDistinct(std::vector<Preset>& presets) {
    std::size_t renamed = 0;
    for (auto it = presets.begin(); it != presets.end(); ++it) {
        const std::string name = trimmed(it->name);
        if (name.empty()) {
            for (std::size_t n = 1;; ++n)
                if (std::string numbered = "Preset " + std::to_string(n); !taken(presets, {}, numbered)) {
                    it->name = std::move(numbered);
                    break;
                }
        } else {
            const std::string folded = foldCase(name);
            if (std::none_of(presets.begin(), it, [&](const Preset& p) { return foldCase(trimmed(p.name)) == folded; }))
                continue;
            it->name = unused(presets, name);
        }
        ++renamed;
    }
    return renamed;
}

}  // namespace orvane::PresetNames
