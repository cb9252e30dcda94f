// Menus in the appearance of what opens them: the tray menu, the bedtime menu and the kit's
// picker are dark in dark and light in light, their separators and hover in the kit's colours.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "ui/kit/Context.h"
#include "ui/kit/Menu.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Tokens.h"
#include "ui/menubar/QtTray.h"
#include "ui/views/ClockMenu.h"
#include "ui/views/Picker.h"

namespace orvane::testing {
namespace {

// The menu as it is drawn: its ground beside the first item, and that item under the pointer.
struct Drawn {
    QColor ground;
    QColor hovered;
};

Drawn draw(QMenu& menu, const QString& name) {
    menu.adjustSize();
    const QImage plain = menu.grab().toImage();
    kit::RenderHarness::save(plain, name);
    QAction* first = menu.actions().value(0);
    menu.setActiveAction(first);
    const QImage hovered = menu.grab().toImage();
    const QRect item = menu.actionGeometry(first);
    const QPoint at = (QPointF(item.left() + 4, item.center().y()) * plain.devicePixelRatio()).toPoint();
    return {plain.pixelColor(at), hovered.pixelColor(at)};
}

class KitMenuTest : public ::testing::TestWithParam<kit::Appearance> {
protected:
    void TearDown() override { kit::setDefaultContext(saved); }
    kit::Context saved = kit::defaultContext();
};

TEST_P(KitMenuTest, TheTrayMenuAndTheBedtimeMenuFollowTheAppearance) {
    const kit::Appearance appearance = GetParam();
    const bool dark = kit::isDark(appearance);
    const QString suffix = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
    kit::setDefaultContext(kit::defaultContext().withAppearance(appearance));

    QWidget window;
    kit::setContext(window, kit::defaultContext().withAppearance(appearance));
    ClockMenu clock(
        "bed.double.fill", "Bed", ClockTime(23, 0), ClockMenu::bedtimes(), [](ClockTime) {}, &window);
    std::unique_ptr<QMenu> bedtimes(clock.buildMenu());
    kit::PickerButton picker(
        {QStringLiteral("Automatic"), QStringLiteral("Gamma table")}, [](int) {}, &window);
    std::unique_ptr<QMenu> picked(picker.buildMenu());

    QtTrayItem item;
    TrayMenuEntry disable;
    disable.kind = TrayMenuEntry::Kind::submenu;
    disable.title = "Disable for";
    for (const char* title : {"1 hour", "Until sunrise", "Until tomorrow"}) {
        TrayMenuEntry e;
        e.title = title;
        disable.submenu.push_back(e);
    }
    std::vector<TrayMenuEntry> entries(4);
    entries[0].title = "Turn Off";
    entries[1].kind = TrayMenuEntry::Kind::separator;
    entries[2].title = "Candle \u00B7 1900K";
    entries[3] = disable;
    item.showMenu(entries);
    ASSERT_TRUE(item.menu());
    item.menu()->hide();

    const QColor window_ = kit::windowColor(appearance);
    for (auto [menu, name] : {std::pair{bedtimes.get(), QStringLiteral("menu-bedtime")},
                              std::pair{picked.get(), QStringLiteral("menu-picker")},
                              std::pair{item.menu(), QStringLiteral("menu-tray")}}) {
        const Drawn drawn = draw(*menu, name + suffix);
        EXPECT_EQ(drawn.ground.rgb(), window_.rgb()) << name.toStdString() << ": the window colour, not the style's";
        EXPECT_EQ(drawn.hovered.rgb(), kit::Tokens::ember().resolve(appearance).rgb()) << name.toStdString();
        EXPECT_EQ(dark, drawn.ground.lightnessF() < 0.5) << name.toStdString();
    }
    // The submenu was made after the menu was dressed, and is dressed too.
    QMenu* submenu = item.menu()->actions().value(3)->menu();
    ASSERT_TRUE(submenu);
    EXPECT_EQ(draw(*submenu, "menu-tray-submenu" + suffix).ground.rgb(), window_.rgb());
}

INSTANTIATE_TEST_SUITE_P(Appearances, KitMenuTest, ::testing::Values(kit::Appearance::light, kit::Appearance::dark));

}  // namespace
}  // namespace orvane::testing
