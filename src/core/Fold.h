#pragma once
// Search folding: case-, diacritic- and width-insensitive ("Ｔｏｋｙｏ", "ZÜRICH" and
// "zurich" fold alike). Results are cached, so folding a table's names once is cheap.
#include <string>
#include <string_view>

namespace orvane {

// NFKD, drop non-spacing marks, fold case, NFC. A byte that is not UTF-8 becomes U+FFFD.
std::string fold(std::string_view utf8);

// Full case folding alone ("Straße" and "STRASSE" fold alike; "Café" and "Cafe" do not).
// Invalid UTF-8 is returned unchanged, so two different invalid texts never fold alike.
std::string foldCase(std::string_view utf8);

}  // namespace orvane
