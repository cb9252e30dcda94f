#pragma once
// The two sheets of the status item's glyphs that the screenshot mode renders: every state
// on a light and a dark panel band, and the in-between glyphs of two morphs.
#include <array>
#include <utility>

#include <QWidget>

#include "ui/menubar/MenuBarIcon.h"

namespace orvane {

// Two bands, light then dark, of the nine states, each drawn at its own size, stretched to
// 54 pt, and named.
class IconSheet final : public QWidget {
public:
    struct Item {
        const char* label;
        MenuBarIcon::State state;
    };
    static std::array<Item, 9> items();
    static constexpr double lightBandWhite = 0.93;
    static constexpr double darkBandWhite = 0.13;

    explicit IconSheet(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    int bandHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Two rows of nine glyphs between a pair, at eased steps t = p²(3 − 2p), in the
// appearance's primary colour over whatever lies below.
class MorphSheet final : public QWidget {
public:
    static std::array<std::pair<MenuBarIcon::Glyph, MenuBarIcon::Glyph>, 2> pairs();
    static double step(int index);  // of 0 ... 8

    explicit MorphSheet(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace orvane
