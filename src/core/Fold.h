#pragma once
// Search folding: case-, diacritic- and width-insensitive ("Ｔｏｋｙｏ", "ZÜRICH" and
// "zurich" fold alike). Results are cached, so folding a table's names once is cheap.
#include <string>
#include <string_view>

namespace orvane {

// NFKD, drop non-spacing marks, fold case, NFC. Invalid UTF-8 folds to itself lowercased.
std::string fold(std::string_view utf8);

}  // namespace orvane
