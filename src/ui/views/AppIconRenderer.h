#pragma once
// The application icon, a dark rounded tile with a glowing crescent moon, drawn at any
// size; and the icon set of ten PNG files that "--render-icon" writes.
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <QByteArray>
#include <QIcon>
#include <QImage>

namespace orvane {

struct AppIconRenderer {
    AppIconRenderer() = delete;

    // The icon, pixels × pixels, ARGB32 premultiplied; a null image when the bitmap cannot
    // be made.
    static QImage image(int pixels);
    // The icon the program's windows carry (title bars, switchers): drawn at the sizes
    // window managers ask for.
    static QIcon windowIcon();

    struct IconsetRow {
        std::string_view name;  // the file is "icon_" + name + ".png"
        int pixels;
    };
    static constexpr std::array<IconsetRow, 10> iconset = {{{"16x16", 16},
                                                            {"16x16@2x", 32},
                                                            {"32x32", 32},
                                                            {"32x32@2x", 64},
                                                            {"128x128", 128},
                                                            {"128x128@2x", 256},
                                                            {"256x256", 256},
                                                            {"256x256@2x", 512},
                                                            {"512x512", 512},
                                                            {"512x512@2x", 1024}}};

    // PNG data of an image; absent when it cannot be produced.
    using Encoder = std::function<std::optional<QByteArray>(const QImage&)>;
    static std::optional<QByteArray> encodePng(const QImage& image);

    struct Error {
        std::string text;
        const std::string& description() const { return text; }
    };

    // The bitmap of one row; a null image when it cannot be made.
    using Drawer = std::function<QImage(int pixels)>;

    // Creates the directory with its parents and writes the ten files in table order, each
    // atomically. The first failure stops the run and is returned: a bitmap or PNG data
    // that cannot be made fails like a write, so a run never ends early with success.
    static std::optional<Error> renderIconset(const std::filesystem::path& directory, const Encoder& encode = encodePng,
                                              const Drawer& draw = image);

    // The "--render-icon PATH" mode once the application object exists: renders the set and
    // returns the exit status, 0 or 1 with the failure line on standard error.
    static int renderIconsetCommand(const std::filesystem::path& directory, const Encoder& encode = encodePng,
                                    const Drawer& draw = image);
};

}  // namespace orvane
