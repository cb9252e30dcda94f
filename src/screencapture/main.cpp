// orvane-screencapture -x -t png [-R x,y,w,h] PATH
//
// Writes a PNG of the screen, or of the rectangle given in points from the main display's
// top-left corner, through the screenshots of the platform that ORVANE_PLATFORM names
// (the simulated machine: its composed screen; X11: the root window). Exits 0, or 1 when
// the arguments are wrong or the capture or the file fails.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <png.h>

#include "platform/Log.h"
#include "platform/Platform.h"

namespace {

constexpr const char* usage = "usage: orvane-screencapture -x -t png [-R x,y,w,h] PATH\n";

// Four whole numbers joined by commas; width and height above zero.
std::optional<orvane::platform::Rect> parseRect(const std::string& text) {
    std::vector<long> numbers;
    std::size_t at = 0;
    while (numbers.size() < 4) {
        const std::size_t comma = text.find(',', at);
        const std::string part = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        if (part.empty()) return std::nullopt;
        char* end = nullptr;
        const long value = std::strtol(part.c_str(), &end, 10);
        if (*end != '\0') return std::nullopt;
        numbers.push_back(value);
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    if (numbers.size() != 4 || at == 0 || text.find(',', at) != std::string::npos) return std::nullopt;
    if (numbers[2] <= 0 || numbers[3] <= 0) return std::nullopt;
    return orvane::platform::Rect{static_cast<double>(numbers[0]), static_cast<double>(numbers[1]),
                                  static_cast<double>(numbers[2]), static_cast<double>(numbers[3])};
}

bool writePNG(const std::string& path, const orvane::platform::Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    const bool written = png_image_write_to_file(&png, path.c_str(), 0, image.rgba.data(), 0, nullptr) != 0;
    if (!written) std::fprintf(stderr, "orvane-screencapture: cannot write %s: %s\n", path.c_str(), png.message);
    png_image_free(&png);
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<orvane::platform::Rect> rect;
    std::size_t next = 3;
    if (args.size() < 4 || args[0] != "-x" || args[1] != "-t" || args[2] != "png") {
        std::fputs(usage, stderr);
        return 1;
    }
    if (args[next] == "-R") {
        if (args.size() != 6 || !(rect = parseRect(args[4]))) {
            std::fputs(usage, stderr);
            return 1;
        }
        next = 5;
    }
    if (args.size() != next + 1) {
        std::fputs(usage, stderr);
        return 1;
    }
    const std::string& path = args[next];

    // The platform's own log lines would only clutter the caller's terminal.
    orvane::platform::Log::setStandardErrorEnabled(false);
    const auto platform = orvane::platform::Platform::create();
    const auto image = platform->screenshots().capture(rect);
    if (!image || image->width <= 0 || image->height <= 0) {
        std::fputs("orvane-screencapture: the screen could not be captured\n", stderr);
        return 1;
    }
    return writePNG(path, *image) ? 0 : 1;
}
