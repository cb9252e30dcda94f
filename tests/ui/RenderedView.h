#pragma once
// A view's pictures, light and dark, saved under the renders folder for a person to look
// at, and checked for what every such picture must show: the size asked for at the
// harness's pixel ratio, something painted besides the window colour, and every text the
// view shows inside the view and given the room its words need (none clipped by its box).
#include <algorithm>
#include <string>

#include <QAbstractScrollArea>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QSize>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"

namespace orvane::testing {

// Whether the widget lies on a scroll area's page inside the view: what is out of sight
// there is scrolled away, not cut off.
inline bool scrolled(const QWidget& w, const QWidget& view) {
    for (const QWidget* p = w.parentWidget(); p && p != &view; p = p->parentWidget())
        if (const auto* area = qobject_cast<const QAbstractScrollArea*>(p->parentWidget());
            area && area->viewport() == p)
            return true;
    return false;
}

// The shown texts of a view whose box is outside the view or too small for their words,
// but for those in `known` (faults of a layout seen and not yet mended).
inline std::vector<std::string> clippedTexts(QWidget& view, const std::vector<QString>& known = {}) {
    std::vector<std::string> clipped;
    const auto check = [&](QWidget& w, const QString& text, int neededWidth, int neededHeight) {
        if (text.isEmpty() || !w.isVisibleTo(&view)) return;
        if (std::find(known.begin(), known.end(), text) != known.end()) return;
        const QRect box(w.mapTo(&view, QPoint(0, 0)), w.size());
        std::string why;
        if (!view.rect().contains(box) && !scrolled(w, view)) why = "outside the view";
        else if (neededWidth > w.width() + 1) why = "needs " + std::to_string(neededWidth) + " points of width";
        else if (neededHeight > w.height() + 1) why = "needs " + std::to_string(neededHeight) + " points of height";
        if (!why.empty()) clipped.push_back("\"" + text.toStdString() + "\": " + why);
    };
    // kit::Text declares no meta-object of its own, so it is told apart by its C++ type.
    for (auto* child : view.findChildren<QWidget*>()) {
        auto* text = dynamic_cast<kit::Text*>(child);
        if (!text) continue;
        // A wrapping text needs its height at its width; a one-line text its whole line.
        if (text->hasHeightForWidth()) check(*text, text->text(), 0, text->heightForWidth(text->width()));
        else check(*text, text->text(), text->sizeHint().width(), text->sizeHint().height());
    }
    for (auto* label : view.findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;
        const QSize needed = label->wordWrap() ? QSize(0, label->heightForWidth(label->width()))
                                               : label->fontMetrics().size(Qt::TextShowMnemonic, label->text());
        check(*label, label->text(), needed.width(), needed.height());
    }
    return clipped;
}

// Whether anything but the colour of the image's corner was painted.
inline bool paintedSomething(const QImage& image) {
    const QRgb corner = image.pixel(0, 0);
    int other = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (image.pixel(x, y) != corner && ++other > 50) return true;
    return false;
}

// Saves <name>-light.png and <name>-dark.png and checks each as above.
inline void expectRenderedWhole(QWidget& view, const QString& name, QSize size,
                                const std::vector<QString>& knownClipped = {}) {
    for (const kit::Appearance appearance : {kit::Appearance::light, kit::Appearance::dark}) {
        const bool light = appearance == kit::Appearance::light;
        SCOPED_TRACE(name.toStdString() + (light ? " light" : " dark"));
        const QImage image = kit::RenderHarness::render(view, appearance, size);
        kit::RenderHarness::save(image, name + (light ? QStringLiteral("-light") : QStringLiteral("-dark")));
        EXPECT_EQ(image.size(), size * kit::RenderHarness::devicePixelRatio);
        EXPECT_TRUE(paintedSomething(image)) << "only the window colour";
        const auto clipped = clippedTexts(view, knownClipped);
        EXPECT_TRUE(clipped.empty()) << ::testing::PrintToString(clipped);
    }
}

}  // namespace orvane::testing
