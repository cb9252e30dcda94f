#pragma once
// Which method a display really gets when its setting is automatic, and what to try after
// a method failed. Pure: the facts about the machine are gathered by the callers.
#include <optional>
#include <string>

#include "core/DisplaySettings.h"

namespace orvane {

struct MethodHeuristic {
    MethodHeuristic() = delete;

    // The number after the first "M" (either case) that is followed by one: "Apple M2 Pro" is 2.
    static std::optional<int> appleSiliconGeneration(const std::optional<std::string>& chipBrand);

    static TintMethod recommend(const std::optional<std::string>& chipBrand, int osMajor, bool isExternal,
                                bool ddcWorks, bool hardwareModeEnabled, bool nightShiftAvailable,
                                bool matrixAvailable);
    static TintMethod resolve(const DisplaySettings& settings, const std::optional<std::string>& chipBrand, int osMajor,
                              bool isExternal, bool ddcWorks, bool nightShiftAvailable, bool matrixAvailable);
    static std::optional<TintMethod> fallback(TintMethod after, bool nightShiftAvailable);
};

}  // namespace orvane
