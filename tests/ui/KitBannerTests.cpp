#include <gtest/gtest.h>
#include <QBoxLayout>
#include <QEnterEvent>
#include <QTest>

#include "KitFixture.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/LevelSlider.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/SymbolView.h"
#include "ui/kit/Text.h"
#include "ui/views/StatusBanner.h"

namespace orvane::testing {
namespace {

namespace Rules = kit::StatusBannerRules;
using Kind = Rules::NoticeKind;

std::vector<Kind> kinds(const std::vector<Rules::Notice>& notices) {
    std::vector<Kind> out;
    for (const auto& n : notices) out.push_back(n.kind);
    return out;
}

TEST(KitBannerRules, NoticesInOrderAndTheirConditions) {
    Rules::Input in;
    in.status = TintStatus::PausedUntil{Date(1773601500.0)};  // 19:05 UTC
    in.mode = Mode::sunset;
    in.nightShiftActive = true;
    in.warming = true;
    in.primaryMethod = TintMethod::matrix;
    in.accessibilityNeeded = true;
    in.zone = *TimeZone::named("Europe/Berlin");
    auto notices = Rules::notices(in);
    EXPECT_EQ(kinds(notices), (std::vector<Kind>{Kind::hold, Kind::nightShift, Kind::accessibility}));
    EXPECT_EQ(notices[0].text, "Holding until 20:05");
    EXPECT_EQ(notices[0].actionTitle, std::optional<std::string>("Back to Sunset"));
    EXPECT_EQ(notices[0].symbol, "hand.raised.circle.fill");
    EXPECT_EQ(notices[1].text, "Night Shift is also on");
    EXPECT_TRUE(notices[1].dismissible);
    EXPECT_EQ(notices[2].text, "Accessibility permission needed for brightness keys");
    EXPECT_FALSE(notices[2].dismissible);
    EXPECT_EQ(notices[2].actionTitle, std::optional<std::string>("Open"));
    // Off the Mac the keys are out of reach with no permission to give.
    in.macWords = false;
    notices = Rules::notices(in);
    ASSERT_EQ(kinds(notices), (std::vector<Kind>{Kind::hold, Kind::nightShift, Kind::accessibility}));
    EXPECT_EQ(notices[2].text, "This desktop does not let Orvane intercept the brightness keys");
    EXPECT_EQ(notices[2].actionTitle, std::nullopt);

    // A security prompt reveals the screen: not warming, so no Night Shift notice either.
    in.status = TintStatus::SecurityPrompt{};
    in.warming = false;
    in.accessibilityNeeded = false;
    notices = Rules::notices(in);
    EXPECT_EQ(kinds(notices), std::vector<Kind>{Kind::securityPrompt});
    EXPECT_EQ(notices[0].text, "Revealed for a security prompt");
    EXPECT_FALSE(notices[0].actionTitle);

    Rules::Input quiet;
    quiet.nightShiftActive = true;
    quiet.warming = true;
    quiet.primaryMethod = TintMethod::nightShift;
    EXPECT_FALSE(Rules::showNightShift(quiet)) << "the main display uses Night Shift itself";
    quiet.primaryMethod.reset();
    EXPECT_TRUE(Rules::showNightShift(quiet)) << "no display, no method: the notice can show";
    quiet.nightShiftTipDismissed = true;
    EXPECT_FALSE(Rules::showNightShift(quiet));

    Rules::Input none;
    const TintStatus statuses[] = {TintStatus::Off{},
                                   TintStatus::Manual{},
                                   TintStatus::Following{Mode::sunset},
                                   TintStatus::DisabledUntil{Date(0)},
                                   TintStatus::ExcludedApp{"X"},
                                   TintStatus::Revealing{},
                                   TintStatus::Cozy{}};
    for (const auto& status : statuses) {
        none.status = status;
        EXPECT_FALSE(Rules::hasContent(none));
    }
    none.accessibilityNeeded = true;
    EXPECT_TRUE(Rules::hasContent(none));
}

TEST(KitBannerRules, UnknownPlaceZoneFallsBackToTheComputers) {
    Rules::Input in;
    in.status = TintStatus::PausedUntil{Date(1773601500.0)};
    in.zone = Location{0, 0, "Nowhere/Atlantis", "X"}.timeZone(*TimeZone::named("Asia/Tokyo"));
    EXPECT_EQ(Rules::notices(in)[0].text, "Holding until 04:05");
}

using KitBanner = KitModelTest;

TEST_F(KitBanner, BackToTheModeClearsOnlyTheHold) {
    Settings s;
    s.mode = Mode::sunset;
    AppModel& m = start(s);
    RuntimeState held = m.runtime();
    held.pausedUntil = Date(berlinNoon.secondsSince1970 + 3 * 3600);
    held.pausedState = TintState(2400, 1.0, RedStyle::readable, false);
    m.setRuntime(held);
    m.setNightShiftActive(true);
    m.setAccessibilityNeeded(true);
    ASSERT_TRUE(kit::StatusBanner::hasContent(m));

    kit::StatusBanner banner(model, window.get());
    place(banner, QSize(320, banner.sizeHint().height()));
    ASSERT_EQ(kinds(banner.notices()), (std::vector<Kind>{Kind::hold, Kind::nightShift, Kind::accessibility}));
    EXPECT_EQ(banner.notices()[0].text, "Holding until 15:00");
    kit::RenderHarness::renderBoth(banner, "status-banner", kit::RenderHarness::fittingSize(banner, 320));

    const bool enabledBefore = m.settings().enabled;
    ASSERT_NE(banner.rows()[0]->actionButton(), nullptr);
    EXPECT_EQ(banner.rows()[0]->actionButton()->text(), QStringLiteral("Back to Sunset"));
    QTest::mouseClick(banner.rows()[0]->actionButton(), Qt::LeftButton);
    EXPECT_FALSE(m.runtime().pausedUntil);
    EXPECT_FALSE(m.runtime().pausedState);
    EXPECT_EQ(m.settings().mode, Mode::sunset);
    EXPECT_EQ(m.settings().enabled, enabledBefore);
    EXPECT_EQ(m.runtime().disabledUntil, held.disabledUntil);

    // The hold's notice is gone; dismissing Night Shift stores the setting.
    ASSERT_FALSE(banner.rows().empty());
    EXPECT_NE(banner.notices()[0].kind, Kind::hold);
}

TEST_F(KitBanner, DismissingNightShiftSticks) {
    AppModel& m = start(manualSettings(2700, 1.0));
    m.setNightShiftActive(true);
    kit::StatusBanner banner(model, window.get());
    place(banner, QSize(320, banner.sizeHint().height()));
    ASSERT_EQ(kinds(banner.notices()), std::vector<Kind>{Kind::nightShift});
    ASSERT_NE(banner.rows()[0]->dismissButton(), nullptr);
    EXPECT_EQ(banner.rows()[0]->dismissButton()->toolTip(), QStringLiteral("Dismiss"));
    QTest::mouseClick(banner.rows()[0]->dismissButton(), Qt::LeftButton);
    EXPECT_TRUE(m.settings().nightShiftTipDismissed);
    EXPECT_TRUE(banner.notices().empty());
    EXPECT_FALSE(kit::StatusBanner::hasContent(m));
}

using KitChrome = KitModelTest;

TEST_F(KitChrome, PaneHeaderSettingRowAndButtonsRender) {
    kit::PaneHeader header(QStringLiteral("Presets"),
                           QStringLiteral("Named warmths you can apply in one click, from the popover, a hotkey or a "
                                          "shortcut."),
                           new kit::SymbolView("flame.fill", 36), window.get());
    EXPECT_EQ(header.accessibleName(),
              QStringLiteral("Presets, Named warmths you can apply in one click, from the popover, a hotkey or a "
                             "shortcut."));
    EXPECT_LE(header.subtitleText().sizeHint().width(), 420);
    kit::RenderHarness::renderBoth(header, "pane-header", QSize(480, header.sizeHint().height()));

    QWidget rows(window.get());
    auto* column = new QVBoxLayout(&rows);
    auto* plain =
        new kit::SettingRow(QStringLiteral("Sounds"), std::nullopt, new kit::SystemButton(QStringLiteral("Test")));
    auto* detailed = new kit::SettingRow(QStringLiteral("Haptic detents"),
                                         QStringLiteral("A tick when the warmth slider meets a preset"),
                                         new kit::SystemButton(QStringLiteral("Reset"), true));
    column->addWidget(plain);
    column->addWidget(detailed);
    EXPECT_EQ(plain->subtitleText(), nullptr) << "one line without a subtitle";
    ASSERT_NE(detailed->subtitleText(), nullptr);
    kit::RenderHarness::renderBoth(rows, "setting-rows", QSize(420, rows.sizeHint().height()));

    QWidget buttons(window.get());
    auto* row = new QHBoxLayout(&buttons);
    row->addWidget(new kit::GlassIconButton("gearshape.fill", QStringLiteral("Settings"), 28));
    row->addWidget(new kit::GlassIconButton("power", QStringLiteral("Quit"), 28, kit::Tokens::glassTint(1900)));
    auto* big = new kit::GlassIconButton("moon.fill", QStringLiteral("Wind down"), 44);
    row->addWidget(big);
    row->addWidget(new kit::SystemButton(QStringLiteral("Open")));
    row->addWidget(new kit::SystemButton(QStringLiteral("Use my evening"), true));
    auto* slider = new kit::LevelSlider(0.4, "sun.max.fill", {0.25, 0.75}, false, 28, std::nullopt);
    slider->setMinimumWidth(140);
    row->addWidget(slider);
    kit::RenderHarness::renderBoth(buttons, "buttons", QSize(560, 64));
    // The hovered look, settled, for the big one.
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(big, &e);
    EXPECT_TRUE(big->hovering());
    kit::RenderHarness::render(buttons, kit::Appearance::light, QSize(560, 64));
    EXPECT_FALSE(big->hovering()) << "the harness hid what it had shown, which ends the hover";
}

}  // namespace
}  // namespace orvane::testing
