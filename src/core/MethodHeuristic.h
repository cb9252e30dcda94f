#pragma once
// Which method a display really gets when its setting is automatic, and what to try after
// a method failed. Pure: the facts about the machine are gathered by the callers.
#include <optional>
#include <string>
#include <vector>

#include "core/DisplaySettings.h"

namespace orvane {

// What one display can run now, as the engine reads it from the platform's ports.
struct MethodFacts {
    bool colorMatrix = false;  // the output takes a colour matrix (and no system colour filter is on)
    bool gammaRamps = false;   // the display has gamma ramps
    bool compositor = false;   // translucent overlay windows can show (a compositing manager runs)
    bool nightShift = false;   // the platform has a Night Shift client
    bool ddc = false;          // the display answered DDC
    // No overlay can reach the screen in this session (Wayland): the night light then
    // tints alone, without the warmth below its floor.
    bool nightLightAlone = false;
    // Night Shift needs the overlay beside it for the warmth below its floor, unless it
    // works alone.
    bool canRun(TintMethod method) const;
    bool operator==(const MethodFacts&) const = default;
};

// Which rules pick the automatic method. A Mac's chip and system version tell what its
// display pipeline does best; elsewhere only what each display offers tells anything.
enum class MethodRules { macHardware, displayFacts };

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

    // The display-facts rule: colour matrix, else gamma, else Night Shift with the overlay,
    // else the overlay; none when the display can run none of them.
    static std::optional<TintMethod> recommend(const MethodFacts& facts);
    // The order the display-facts rule prefers, for the fallback and the method check.
    static const std::vector<TintMethod>& displayFactsOrder();
    static TintMethod resolve(const DisplaySettings& settings, MethodRules rules,
                              const std::optional<std::string>& chipBrand, int osMajor, bool isExternal,
                              const MethodFacts& facts);
    // What to attach, in order, when `requested` is asked for: the request first, then
    // (display facts) every other method of the preferred order this display can run, or
    // (Mac rules) the fallback chain.
    static std::vector<TintMethod> attachOrder(TintMethod requested, MethodRules rules, const MethodFacts& facts);
    // Why the display cannot run `method`, for people; empty when it can.
    static std::string whyNot(TintMethod method, const MethodFacts& facts);
};

}  // namespace orvane
