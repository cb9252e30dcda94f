#pragma once
// Real numbers as the reports and the command channel write them: the shortest decimal
// text that reads back as the same double, with ".0" after bare digits (0.4, 1.0,
// 0.30000000000000004, 1e-05, 100000.0, 1e+16). Locale-free.
#include <string>

namespace orvane {

// "nan", "inf" and "-inf" for the non-finite values.
std::string shortestDecimal(double value);

}  // namespace orvane
