#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include "ui/kit/RenderHarness.h"
#include "ui/kit/Symbols.h"

namespace orvane::kit {
namespace {

const std::vector<std::string> listed = {
    "flame", "flame.fill", "sun.max", "sun.max.fill", "sun.haze.fill", "sun.horizon", "sunset", "scope", "moon.fill",
    "moon.zzz.fill", "light.max", "lock.shield", "hand.raised.fill", "hand.raised.circle.fill", "hand.draw.fill",
    "exclamationmark.triangle.fill", "xmark", "checkmark", "clock.fill", "app.dashed", "nosign", "cpu", "chevron.down",
    "gearshape.fill", "power", "eye", "square.grid.3x3.square", "bed.double.fill",
    // The settings window, its panes, the preset icons, the first-run window.
    "gearshape", "clock", "display", "laptopcomputer", "keyboard", "command", "wrench.and.screwdriver", "chart.bar",
    "chart.bar.fill", "info.circle", "info.circle.fill", "eye.fill", "plus", "minus", "chevron.up", "chevron.right",
    "chevron.up.chevron.down", "xmark.circle.fill", "minus.circle.fill", "lightbulb.fill", "location.fill",
    "alarm.fill", "lock.fill", "lock.shield.fill", "arrow.right", "star.fill", "book.fill", "tv.fill",
    "gamecontroller.fill", "leaf.fill"};

QImage drawn(const std::string& name, double size = 32) {
    QImage image(static_cast<int>(size), static_cast<int>(size), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    Symbols::draw(p, name, QRectF(0, 0, size, size), Qt::black);
    return image;
}

int inkOf(const QImage& image) {
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ink += qAlpha(image.pixel(x, y)) > 64;
    return ink;
}

TEST(KitSymbols, EveryListedNameHasItsOwnGlyph) {
    const QImage placeholder = drawn("no.such.symbol");
    EXPECT_GT(inkOf(placeholder), 20) << "an unknown name still draws something";
    std::map<std::string, QImage> images;
    for (const auto& name : listed) {
        EXPECT_TRUE(Symbols::has(name)) << name;
        const QImage image = drawn(name);
        EXPECT_GT(inkOf(image), 20) << name;
        EXPECT_NE(image, placeholder) << name;
        for (const auto& [other, seen] : images) EXPECT_NE(image, seen) << name << " looks like " << other;
        images.emplace(name, image);
    }
    EXPECT_FALSE(Symbols::has("no.such.symbol"));
}

TEST(KitSymbols, GlyphStaysInsideItsBoxAndWindowsCanAddTheirOwn) {
    for (const auto& name : listed) {
        const QRectF bounds = Symbols::path(name, QRectF(10, 20, 11.76, 11.76)).boundingRect();
        EXPECT_GE(bounds.left(), 10 - 0.01) << name;
        EXPECT_GE(bounds.top(), 20 - 0.01) << name;
        EXPECT_LE(bounds.right(), 21.76 + 0.01) << name;
        EXPECT_LE(bounds.bottom(), 31.76 + 0.01) << name;
    }
    Symbols::add("test.square", [](double) {
        QPainterPath p;
        p.addRect(4, 4, 16, 16);
        return p;
    });
    EXPECT_TRUE(Symbols::has("test.square"));
    EXPECT_EQ(Symbols::path("test.square", QRectF(0, 0, 48, 48)).boundingRect(), QRectF(8, 8, 32, 32));
}

// Every symbol name the sources hand to the kit: the first text argument of the drawing
// calls and symbol views, the symbols of tables (panes, presets), and any dotted name in
// the interface's sources that is not a file, key or notification name.
std::set<std::string> namesInSources() {
    const std::filesystem::path root = ORVANE_SOURCE_DIR;
    const std::vector<std::regex> calls = {
        std::regex(R"re(Symbols::(?:draw|drawCentred)\(\s*\w+\s*,\s*"([^"]+)")re"),
        std::regex(R"re(Symbols::path\(\s*"([^"]+)")re"),
        std::regex(R"re((?:SymbolView|GlassIconButton|ClockMenu|labelled|arrow)\(\s*"([^"]+)")re"),
        std::regex(R"re(symbol\w*\s*=\s*"([^"]+)")re"),
        std::regex(R"re(case Pane::\w+:\s*return "([^"]+)")re"),
        std::regex(R"re(builtInPreset\([^;]*?"([^"]+)"\))re"),
    };
    const std::regex dotted(R"re("([a-z][a-z0-9]*(?:\.[a-z0-9]+)+)")re");
    const std::regex notSymbol(
        R"re(^(app\.orvane|org\.|com\.|builtin\.|default\.|hw\.)|\.(json|desktop|example|lock|sock|unreadable)$)re");
    std::set<std::string> names;
    auto scan = [&](const std::filesystem::path& file, bool allDotted) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        const std::string source = text.str();
        for (const auto& call : calls)
            for (std::sregex_iterator it(source.begin(), source.end(), call), end; it != end; ++it)
                names.insert((*it)[1]);
        if (!allDotted) return;
        for (std::sregex_iterator it(source.begin(), source.end(), dotted), end; it != end; ++it)
            if (!std::regex_search((*it)[1].str(), notSymbol)) names.insert((*it)[1]);
    };
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root / "ui"))
        if (entry.path().extension() == ".cpp" || entry.path().extension() == ".h") scan(entry.path(), true);
    scan(root / "core" / "Presets.cpp", false);
    return names;
}

TEST(KitSymbols, EveryNameTheSourcesPassHasAGlyph) {
    const std::set<std::string> names = namesInSources();
    // The scan finds names of every kind of call site.
    for (const char* expected :
         {"gearshape", "flame.fill", "power", "cpu", "chevron.up.chevron.down", "lock.shield.fill"})
        EXPECT_TRUE(names.contains(expected)) << expected;
    for (const auto& name : names) EXPECT_TRUE(Symbols::has(name)) << name << " would draw the placeholder";
}

// The catalogue as one sheet, to look at.
TEST(KitSymbols, RendersTheCatalogue) {
    const int cell = 56, columns = 7;
    const int rows = static_cast<int>((listed.size() + 1 + columns - 1) / columns);
    for (const bool dark : {false, true}) {
        QImage sheet(QSize(cell * columns, cell * rows) * 2, QImage::Format_ARGB32_Premultiplied);
        sheet.setDevicePixelRatio(2);
        sheet.fill(windowColor(dark ? Appearance::dark : Appearance::light));
        QPainter p(&sheet);
        std::vector<std::string> all = listed;
        all.push_back("no.such.symbol");
        for (std::size_t i = 0; i < all.size(); ++i) {
            const QPointF centre(cell * (static_cast<int>(i) % columns) + cell / 2.0,
                                 cell * (static_cast<int>(i) / columns) + cell / 2.0);
            Symbols::drawCentred(p, all[i], centre, 28, primaryText(dark ? Appearance::dark : Appearance::light));
        }
        p.end();
        EXPECT_FALSE(RenderHarness::save(sheet, dark ? "symbols-dark" : "symbols-light").isEmpty());
    }
}

}  // namespace
}  // namespace orvane::kit
