#include "core/DecimalText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace orvane {

std::string shortestDecimal(double value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    // Plain digits from 1e-4 up to 1e16, exponent form outside, as the usual shortest
    // printers do (0.0001, 1e-05, 100000.0, 1e+16).
    char buffer[400];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string scientific(buffer, written.ptr);
    const int exponent = std::atoi(scientific.c_str() + scientific.find('e') + 1);
    if (value != 0 && (exponent < -4 || exponent >= 16)) return scientific;
    written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, written.ptr);
    // Bare digits (with an optional sign) read as an integer; say it is a real number.
    if (text.find_first_not_of("-0123456789") == std::string::npos) text += ".0";
    return text;
}

}  // namespace orvane
