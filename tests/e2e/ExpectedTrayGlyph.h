#pragma once
// What the tray item should show, drawn by the program's own glyph code, for tests that
// also speak X11 (whose macros must not meet Qt's headers): A, R, G, B per pixel, row by
// row, not premultiplied, as a StatusNotifierItem's IconPixmap carries it.
#include <cstdint>
#include <vector>

namespace orvane::e2e {

// The off glyph at `pixels` × `pixels`, faded as the disabled item draws it.
std::vector<std::uint8_t> expectedOffGlyph(int pixels);

}  // namespace orvane::e2e
