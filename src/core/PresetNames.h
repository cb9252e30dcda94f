#pragma once
// Names that tell presets apart as --preset reads them: trimmed, in any case.
#include <cstddef>
#include <string>
#include <vector>

#include "core/Presets.h"

namespace orvane::PresetNames {

// Without the blanks at either end.
std::string trimmed(const std::string& name);
// Whether a preset other than `exceptId` is called `name`.
bool taken(const std::vector<Preset>& presets, const std::string& exceptId, const std::string& name);
// `base`, or "base 2", "base 3", ... whichever no preset is called yet.
std::string unused(const std::vector<Preset>& presets, const std::string& base);
// Mends names that arrived without the editor's checks (a stored or imported document): a
// blank name becomes "Preset 1" (or the next number free), a name an earlier preset has
// already is numbered ("Candle 2"). The first of a repeated name keeps it, as --preset
// found that one. The number of presets renamed.
std::size_t makeDistinct(std::vector<Preset>& presets);

}  // namespace orvane::PresetNames
