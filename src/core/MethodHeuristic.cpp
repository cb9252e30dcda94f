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

}  // namespace orvane
