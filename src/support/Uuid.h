#pragma once
// Random identifiers for records the user makes (presets, schedule entries).
#include <string>

namespace orvane::Uuid {

// A fresh random (version 4) UUID in its standard text form: 36 characters, upper-case
// hexadecimal digits in groups of 8, 4, 4, 4 and 12 joined by hyphens.
std::string upperCase();

}  // namespace orvane::Uuid
