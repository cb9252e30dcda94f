// The desktop side of the tray item: the popover's place for an anchor in each corner of
// the screen, the glyph's colour and disabled fade, and the hidden-icon notice's texts,
// buttons and images.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>

#include "ui/kit/RenderHarness.h"
#include "ui/menubar/QtTray.h"

namespace orvane::testing {
namespace {

TEST(PopoverPlacement, EachCornerOfTheScreen) {
    const QRect available(0, 32, 1920, 1048);  // a panel on top
    const QSize size(352, 700);
    struct Case {
        const char* corner;
        QRect anchor;
        QPoint origin;
    };
    // Below the icon in the upper half (kept 8 inside the area), above it in the lower.
    const Case cases[] = {
        {"top left", QRect(0, 34, 24, 24), QPoint(8, 58)},
        {"top right", QRect(1896, 34, 24, 24), QPoint(1920 - 8 - 352, 58)},
        {"bottom left", QRect(0, 1052, 24, 24), QPoint(8, 1052 - 700)},
        {"bottom right", QRect(1896, 1052, 24, 24), QPoint(1920 - 8 - 352, 1052 - 700)},
        {"top middle", QRect(948, 34, 24, 24), QPoint(960 - 176, 58)},
        {"at the very top", QRect(948, 0, 24, 24), QPoint(960 - 176, 40)},
    };
    for (const auto& c : cases) {
        const QPoint origin = popoverOrigin(c.anchor, size, available);
        EXPECT_EQ(origin, c.origin) << c.corner;
        EXPECT_TRUE(available.adjusted(8, 8, -8, -8).contains(QRect(origin, size))) << c.corner;
    }
}

TEST(PopoverPlacement, TooTallKeepsTheTopInside) {
    const QRect available(0, 0, 800, 600);
    const QPoint origin = popoverOrigin(QRect(400, 590, 10, 10), QSize(352, 700), available);
    EXPECT_EQ(origin.y(), 8);
}

TEST(TrayGlyph, ColourAndDisabledFade) {
    const auto layers = MenuBarIcon::layers(MenuBarIcon::State::phase(0, false));
    const QImage on = trayGlyph(layers, 22, Qt::white, false);
    const QImage off = trayGlyph(layers, 22, Qt::white, true);
    EXPECT_EQ(on.size(), QSize(22, 22));
    EXPECT_EQ(trayGlyph(layers, 44, Qt::white, false).size(), QSize(44, 44));
    const QColor centre = on.pixelColor(11, 11);
    EXPECT_EQ(centre.alpha(), 255);
    EXPECT_EQ(centre.red(), 255) << "the glyph takes the panel's colour";
    EXPECT_NEAR(off.pixelColor(11, 11).alphaF(), 0.35, 0.01);
}

TEST(HiddenIconNotice, TextsButtonsAndImages) {
    int quits = 0, settings = 0;
    std::vector<bool> closes;
    HiddenIconNotice notice({[&] { ++quits; }, [&] { ++settings; }, [&](bool d) { closes.push_back(d); }});
    QStringList texts;
    for (auto* l : notice.findChildren<QLabel*>()) texts << l->text();
    EXPECT_TRUE(texts.contains("Your desktop is not showing the Orvane icon"));
    EXPECT_TRUE(texts.contains("Your panel has no system tray, so the icon has nowhere to appear."));
    EXPECT_TRUE(texts.contains("Then quit Orvane and start it again."));
    QStringList buttons;
    for (auto* b : notice.findChildren<QAbstractButton*>()) buttons << b->text();
    EXPECT_FALSE(buttons.contains("Open Menu Bar Settings"));
    EXPECT_TRUE(buttons.contains("Quit Orvane"));

    // The keys box: the factory toggle's fixed keys and the emergency keys, a cap per part.
    QStringList rows;
    for (auto* w : notice.findChildren<QWidget*>())
        if (!w->accessibleName().isEmpty()) rows << w->accessibleName();
    EXPECT_EQ(rows, (QStringList{"Ctrl+Alt+Super+B", "Ctrl+Alt+Super+Backspace"}));
    const std::vector<QStringList> expectedCaps{{"Ctrl", "Alt", "Super", "B"}, {"Ctrl", "Alt", "Super", "Backspace"}};
    for (std::size_t i = 0; i < expectedCaps.size() && i < static_cast<std::size_t>(rows.size()); ++i) {
        const auto* caps = [&]() -> QWidget* {
            for (auto* w : notice.findChildren<QWidget*>())
                if (w->accessibleName() == rows[i]) return w;
            return nullptr;
        }();
        ASSERT_NE(caps, nullptr);
        QStringList capTexts;
        for (auto* cap : caps->findChildren<QLabel*>()) capTexts << cap->text();
        EXPECT_EQ(capTexts, expectedCaps[i]);
    }
    const struct {
        const char* keys;
        std::vector<QString> caps;
    } splits[] = {{"Alt+Super+T", {"Alt", "Super", "T"}},
                  {"F5", {"F5"}},
                  {"Ctrl++", {"Ctrl", "+"}},  // a key named "+" stays a cap of its own
                  {"+", {"+"}}};
    for (const auto& s : splits) EXPECT_EQ(HiddenIconNotice::keyCaps(QString::fromUtf8(s.keys)), s.caps) << s.keys;

    static_cast<QAbstractButton*>(notice.settingsButton())->click();
    notice.findChild<QCheckBox*>()->setChecked(true);
    static_cast<QAbstractButton*>(notice.settingsButton())->click();
    EXPECT_EQ(settings, 2);
    EXPECT_EQ(closes, (std::vector<bool>{false, true}));
    EXPECT_EQ(notice.width(), HiddenIconNotice::noticeWidth);

    for (auto appearance : {kit::Appearance::light, kit::Appearance::dark}) {
        HiddenIconNotice shown({}, appearance);
        const QImage image = kit::RenderHarness::render(
            shown, appearance, QSize(HiddenIconNotice::noticeWidth, shown.sizeHint().height()));
        kit::RenderHarness::save(image, appearance == kit::Appearance::dark ? "notice-dark" : "notice-light");
        EXPECT_EQ(image.width(), HiddenIconNotice::noticeWidth * 2);
    }
}

}  // namespace
}  // namespace orvane::testing
