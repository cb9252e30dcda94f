#pragma once
// What the screenshot-mode tests share: the base names of a complete run, in the order
// they are rendered (each gives a dark "<name>.png", then a light "<name>-light.png"), its
// printed lines, and the backgrounds the two glyph sheets must show.
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QColor>
#include <QImage>

namespace orvane::testing {

inline std::vector<std::string> renderUIShotNames() {
    std::vector<std::string> names{"popover"};
    for (const char* pane : {"general", "presets", "schedule", "displays", "comfort", "exclusions", "shortcuts",
                             "advanced", "statistics", "about"})
        names.push_back(std::string("settings-") + pane);
    for (const char* name : {"onboarding", "onboarding-gentle", "onboarding-deepRed"}) names.push_back(name);
    for (const char* time : {"0730", "0815", "1300", "1630", "1730", "1805", "1835", "1910", "2300"})
        names.push_back(std::string("sky-") + time);
    for (const char* moon : {"crescent", "quarter", "gibbous", "full", "day"})
        names.push_back(std::string("moon-") + moon);
    for (const char* name : {"popover-2700K", "popover-500K", "popover-disabled", "menubar-icons", "menubar-morph",
                             "rest-break", "hidden-icon-notice"})
        names.push_back(name);
    return names;
}

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline bool nearColour(QColor c, int r, int g, int b) {
    return std::abs(c.red() - r) <= 2 && std::abs(c.green() - g) <= 2 && std::abs(c.blue() - b) <= 2;
}

// The morph sheet leaves the renderer's background at its corner; the icon sheet brings
// its light and dark bands into both files.
inline void expectSheetBackgrounds(const std::filesystem::path& directory) {
    const auto load = [&](const char* name) { return QImage(QString::fromStdString((directory / name).string())); };
    const QImage dark = load("menubar-morph.png"), light = load("menubar-morph-light.png");
    EXPECT_TRUE(nearColour(dark.pixelColor(0, 0), 41, 38, 38)) << dark.pixelColor(0, 0).name().toStdString();
    EXPECT_TRUE(nearColour(light.pixelColor(0, 0), 237, 235, 232)) << light.pixelColor(0, 0).name().toStdString();
    for (const char* name : {"menubar-icons.png", "menubar-icons-light.png"}) {
        const QImage icons = load(name);
        ASSERT_FALSE(icons.isNull()) << name;
        EXPECT_TRUE(nearColour(icons.pixelColor(2, 2), 237, 237, 237)) << name;
        EXPECT_TRUE(nearColour(icons.pixelColor(2, icons.height() - 3), 33, 33, 33)) << name;
    }
}

}  // namespace orvane::testing
