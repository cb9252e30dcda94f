#pragma once
// The built-in tables, compiled in from src/core/data/*.tsv (see tools/embed.cmake).
#include <string_view>

namespace orvane::data {
extern const std::string_view zones;
extern const std::string_view cities;
}  // namespace orvane::data
