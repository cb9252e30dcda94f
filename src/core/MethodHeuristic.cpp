#include "core/MethodHeuristic.h"

#include <cctype>
#include <limits>

namespace orvane {

namespace {

TintMethod preferredSoftware(bool nightShiftAvailable, bool matrixAvailable) {
    if (matrixAvailable) return TintMethod::matrix;
    if (nightShiftAvailable) return TintMethod::nightShift;
    return TintMethod::overlay;
}

// Rules of the chip generation, then of the system version.
TintMethod machineRule(const std::optional<std::string>& chipBrand, int osMajor, bool nightShiftAvailable,
                       bool matrixAvailable) {
    if (const auto generation = MethodHeuristic::appleSiliconGeneration(chipBrand))
        return *generation >= 5 ? preferredSoftware(nightShiftAvailable, matrixAvailable) : TintMethod::gamma;
    return osMajor >= 26 ? preferredSoftware(nightShiftAvailable, matrixAvailable) : TintMethod::gamma;
}

// An optionally signed decimal integer at `pos`; advances past it when one is read.
std::optional<int> readInteger(const std::string& s, std::size_t& pos) {
    std::size_t i = pos;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const std::size_t digitsStart = i;
    long long value = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        if (value < std::numeric_limits<int>::max()) value = value * 10 + (s[i] - '0');
        ++i;
    }
    if (i == digitsStart) return std::nullopt;
    pos = i;
    if (value > std::numeric_limits<int>::max()) value = std::numeric_limits<int>::max();
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

std::optional<int> MethodHeuristic::appleSiliconGeneration(const std::optional<std::string>& chipBrand) {
    if (!chipBrand) return std::nullopt;
    const std::string& s = *chipBrand;
    std::size_t pos = 0;
    while (true) {
        while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
        if (pos >= s.size()) return std::nullopt;
        if (s[pos] == 'M' || s[pos] == 'm') {
            ++pos;
            if (auto n = readInteger(s, pos)) return n;
            if (pos >= s.size()) return std::nullopt;
        }
        ++pos;  // one character, so "MM2" skips the second M
    }
}

TintMethod MethodHeuristic::recommend(const std::optional<std::string>& chipBrand, int osMajor, bool isExternal,
                                      bool ddcWorks, bool hardwareModeEnabled, bool nightShiftAvailable,
                                      bool matrixAvailable) {
    if (isExternal && ddcWorks && hardwareModeEnabled) return TintMethod::ddc;
    return machineRule(chipBrand, osMajor, nightShiftAvailable, matrixAvailable);
}

TintMethod MethodHeuristic::resolve(const DisplaySettings& d, const std::optional<std::string>& chipBrand, int osMajor,
                                    bool isExternal, bool ddcWorks, bool nightShiftAvailable, bool matrixAvailable) {
    if (d.method != TintMethod::automatic) return d.method;
    if (d.methodCheckResult && *d.methodCheckResult != TintMethod::automatic) {
        switch (*d.methodCheckResult) {
            case TintMethod::matrix:
            case TintMethod::gamma:
            case TintMethod::ddc:
                return *d.methodCheckResult;
            case TintMethod::nightShift:
            case TintMethod::overlay:
                if (!matrixAvailable || d.methodCheckRejectedMatrix) return *d.methodCheckResult;
                break;
            case TintMethod::automatic:
                break;
        }
    }
    if (d.ddcBrightness == true && isExternal && ddcWorks) return TintMethod::ddc;
    return machineRule(chipBrand, osMajor, nightShiftAvailable, matrixAvailable);
}

std::optional<TintMethod> MethodHeuristic::fallback(TintMethod after, bool nightShiftAvailable) {
    switch (after) {
        case TintMethod::nightShift:
        case TintMethod::gamma:
        case TintMethod::ddc:
            return TintMethod::overlay;
        case TintMethod::automatic:
        case TintMethod::matrix:
            return nightShiftAvailable ? TintMethod::nightShift : TintMethod::overlay;
        case TintMethod::overlay:
            break;
    }
    return std::nullopt;
}

bool MethodFacts::canRun(TintMethod method) const {
    switch (method) {
        case TintMethod::matrix:
            return colorMatrix;
        case TintMethod::gamma:
            return gammaRamps;
        case TintMethod::nightShift:
            return nightShift && (compositor || nightLightAlone);
        case TintMethod::overlay:
            return compositor;
        case TintMethod::ddc:
            return ddc;
        case TintMethod::automatic:
            break;
    }
    return false;
}

std::string MethodHeuristic::whyNot(TintMethod method, const MethodFacts& facts) {
    if (facts.canRun(method)) return {};
    switch (method) {
        // Where no overlay reaches the screen (a Wayland session) the compositor, not the
        // driver, decides what a program may change, and no window of a program lies over it.
        case TintMethod::matrix:
            if (facts.nightLightAlone) return "The compositor offers no color matrix.";
            return "The driver has no color matrix for this output.";
        case TintMethod::gamma:
            if (facts.nightLightAlone) return "The compositor offers no gamma control.";
            return "The driver has no gamma ramps for this output.";
        case TintMethod::nightShift:
            if (!facts.nightShift) return "This desktop has no night light Orvane can drive.";
            return "Needs a compositing manager.";
        case TintMethod::overlay:
            if (facts.nightLightAlone) return "Overlays cannot show on Wayland.";
            return "Needs a compositing manager.";
        case TintMethod::ddc:
            return "The display does not answer DDC/CI.";
        case TintMethod::automatic:
            break;
    }
    return "Nothing can tint this display.";
}

const std::vector<TintMethod>& MethodHeuristic::displayFactsOrder() {
    static const std::vector<TintMethod> order{TintMethod::matrix, TintMethod::gamma, TintMethod::nightShift,
                                               TintMethod::overlay};
    return order;
}

std::optional<TintMethod> MethodHeuristic::recommend(const MethodFacts& facts) {
    for (const TintMethod m : displayFactsOrder())
        if (facts.canRun(m)) return m;
    return std::nullopt;
}

TintMethod MethodHeuristic::resolve(const DisplaySettings& d, MethodRules rules,
                                    const std::optional<std::string>& chipBrand, int osMajor, bool isExternal,
                                    const MethodFacts& facts) {
    if (rules == MethodRules::macHardware)
        return resolve(d, chipBrand, osMajor, isExternal, facts.ddc, facts.nightShift, facts.colorMatrix);
    if (d.method != TintMethod::automatic) return d.method;
    if (d.methodCheckResult && facts.canRun(*d.methodCheckResult)) {
        // The check's pick holds unless it passed over a colour matrix that works now.
        const TintMethod checked = *d.methodCheckResult;
        const bool belowMatrix = checked == TintMethod::nightShift || checked == TintMethod::overlay;
        if (!belowMatrix || !facts.colorMatrix || d.methodCheckRejectedMatrix) return checked;
    }
    if (d.ddcBrightness == true && isExternal && facts.ddc) return TintMethod::ddc;
    // With nothing that can run, the overlay is asked for and its failure says why.
    return recommend(facts).value_or(TintMethod::overlay);
}

std::vector<TintMethod> MethodHeuristic::attachOrder(TintMethod requested, MethodRules rules,
                                                     const MethodFacts& facts) {
    std::vector<TintMethod> order{requested};
    if (rules == MethodRules::macHardware) {
        for (auto m = fallback(requested, facts.nightShift); m; m = fallback(*m, facts.nightShift)) order.push_back(*m);
        return order;
    }
    for (const TintMethod m : displayFactsOrder())
        if (m != requested && facts.canRun(m)) order.push_back(m);
    return order;
}

}  // namespace orvane
