// Keyboard focus shows: every focusable kit control draws a ring in the accent colour while
// it holds the focus, in both appearances, and takes the focus from the keyboard only.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QTest>

#include "RenderedView.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/TintSwitch.h"
#include "ui/settings/SettingsRootView.h"

namespace orvane::kit {
namespace {

int distance(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

struct Control {
    const char* name;  // also the pictures' name
    std::function<QAbstractButton*(QWidget* parent)> make;
};

// Pixels the focus changes clearly, against the control's outline in pixels: a ring round
// the control changes about twice as many (it is two points wide); a caret or a shade, few.
double ringShare(const QImage& focused, const QImage& plain) {
    int changed = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (distance(focused.pixelColor(x, y), plain.pixelColor(x, y)) > 60) ++changed;
    return static_cast<double>(changed) / (2.0 * (plain.width() + plain.height()));
}

// Every focusable kit control, with the name its pictures are saved under.
const std::vector<Control>& controls() {
    static const std::vector<Control> all = {
        {"glass icon button",
         [](QWidget* p) { return new GlassIconButton("sun.max", QStringLiteral("Sun"), 28, {}, {}, p); }},
        {"bordered button", [](QWidget* p) { return new SystemButton(QStringLiteral("Export…"), false, p); }},
        {"prominent button", [](QWidget* p) { return new SystemButton(QStringLiteral("Use"), true, p); }},
        {"switch off", [](QWidget* p) { return new TintSwitch(QStringLiteral("Sounds"), p); }},
        {"switch on",
         [](QWidget* p) {
             auto* s = new TintSwitch(QStringLiteral("Sounds"), p);
             s->setOn(true);
             return s;
         }},
        {"pressable",
         [](QWidget* p) {
             auto* b = new PressableButton(p);
             b->setContentSize(QSizeF(60, 22));
             return b;
         }},
        {"sidebar row", [](QWidget* p) { return new SidebarRow(Pane::general, p); }},
    };
    return all;
}

// Lays out another button, then the control `c` makes, in `window`, and shows the window;
// false when it does not become active.
bool showBesideAnother(QWidget& window, const Control& c, SystemButton*& other, QAbstractButton*& control) {
    auto* row = new QHBoxLayout(&window);
    row->setContentsMargins(20, 20, 20, 20);
    other = new SystemButton(QStringLiteral("Other"), false, &window);
    row->addWidget(other);
    control = c.make(&window);
    row->addWidget(control);
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

TEST(FocusRing, EveryFocusableKitControlShowsItInBothAppearances) {
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        for (const auto& c : controls()) {
            SCOPED_TRACE(std::string(c.name) + (isDark(appearance) ? " dark" : " light"));
            QWidget window;
            setContext(window, contextOf(&window).withAppearance(appearance));
            SystemButton* other = nullptr;
            QAbstractButton* control = nullptr;
            ASSERT_TRUE(showBesideAnother(window, c, other, control));
            contextOf(&window).animator->settleAll();

            // A click gives no focus, so it leaves no ring.
            EXPECT_EQ(control->focusPolicy(), Qt::TabFocus);
            // Focus given by the program (a window's first control) shows no ring...
            control->setFocus(Qt::OtherFocusReason);
            QApplication::processEvents();
            ASSERT_TRUE(control->hasFocus());
            const QImage unringed = control->grab().toImage();
            other->setFocus(Qt::OtherFocusReason);
            QApplication::processEvents();
            const QImage plain = control->grab().toImage();
            EXPECT_LT(ringShare(unringed, plain), 0.2);
            // ... focus moved there with Tab does.
            QTest::keyClick(other, Qt::Key_Tab);
            QApplication::processEvents();
            ASSERT_TRUE(control->hasFocus());
            const QImage focused = control->grab().toImage();
            EXPECT_GT(ringShare(focused, plain), 1.0);
        }
    }
}

// The rings as a person sees them: each control focused with Tab beside another, in both
// appearances, at the harness's size and with its texts whole.
TEST(FocusRing, RingsRenderLightAndDark) {
    for (const auto& c : controls()) {
        SCOPED_TRACE(c.name);
        QWidget window;
        SystemButton* other = nullptr;
        QAbstractButton* control = nullptr;
        ASSERT_TRUE(showBesideAnother(window, c, other, control));
        other->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(other, Qt::Key_Tab);
        QApplication::processEvents();
        ASSERT_TRUE(control->hasFocus());
        QString name = QStringLiteral("focus-ring-") + QString::fromUtf8(c.name);
        name.replace(QLatin1Char(' '), QLatin1Char('-'));
        testing::expectRenderedWhole(window, name, window.size());
        EXPECT_TRUE(control->hasFocus()) << "the render keeps the focus where it was";
    }
}

TEST(FocusRing, TheAccentReadsOnTheWindowInBothAppearances) {
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        QImage on(1, 1, QImage::Format_ARGB32_Premultiplied);
        on.fill(windowColor(appearance));
        QPainter(&on).fillRect(QRect(0, 0, 1, 1), focusRingColour(appearance));
        EXPECT_GT(distance(on.pixelColor(0, 0), windowColor(appearance)), 150) << isDark(appearance);
    }
}

}  // namespace
}  // namespace orvane::kit
