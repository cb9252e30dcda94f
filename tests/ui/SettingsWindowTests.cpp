// The settings window over the real model on the simulated machine: the pane it starts
// at and switches to, the sidebar, the status card, the About header's version line, and
// the delegate's one window for the life of the process.
#include <gtest/gtest.h>

#include <fstream>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "KitFixture.h"
#include "platform/linux/LinuxSystemInfo.h"
#include "ui/AppDelegate.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/kit/Tokens.h"
#include "ui/menubar/StatusItemController.h"
#include "ui/settings/PaneRegistry.h"
#include "ui/settings/SettingsRootRules.h"
#include "ui/settings/SettingsRootView.h"
#include "ui/settings/SettingsWindow.h"

namespace orvane::testing {
namespace {

class SettingsRootTest : public KitModelTest {
protected:
    std::unique_ptr<SettingsRootView> root(std::optional<Pane> initial = std::nullopt) {
        auto view = std::make_unique<SettingsRootView>(PaneEnvironment{model, std::make_shared<Desktop>()}, initial,
                                                       window.get());
        view->resize(820, 600);
        return view;
    }
    std::string shownTitle(const SettingsRootView& view) { return view.detailTitle().text().toStdString(); }
};

TEST_F(SettingsRootTest, InitialPaneAndTheNotificationSelectByExactName) {
    start();
    // The opener's argument goes through the case-sensitive parse.
    struct Case {
        const char* argument;
        Pane shown;
    };
    for (const Case& c : {Case{"presets", Pane::presets}, Case{"Presets", Pane::general}, Case{"abc", Pane::general}}) {
        auto view = root(fromString<Pane>(c.argument));
        EXPECT_EQ(view->pane(), c.shown) << c.argument;
    }
    EXPECT_EQ(root()->pane(), Pane::general);

    auto view = root(Pane::comfort);
    notifications.post(kit::Notifications::openSettingsPane, std::string("about"));
    EXPECT_EQ(view->pane(), Pane::about);
    for (const kit::NotificationCenter::Object& ignored :
         {kit::NotificationCenter::Object(std::string("abc")), kit::NotificationCenter::Object(std::string("About")),
          kit::NotificationCenter::Object()}) {
        notifications.post(kit::Notifications::openSettingsPane, ignored);
        EXPECT_EQ(view->pane(), Pane::about) << ignored.value_or("(none)");
    }
}

TEST_F(SettingsRootTest, SidebarGroupsHeaderOnlyOnAboutAndUnbuiltPanesShowTheirTitle) {
    start();
    auto view = root();
    std::vector<std::string> titles;
    for (const auto* row : view->sidebarRows()) titles.push_back(row->text().toStdString());
    EXPECT_EQ(titles, (std::vector<std::string>{"General", "Presets", "Schedule", "Displays", "Comfort", "Exclusions",
                                                "Shortcuts", "Statistics", "Advanced", "About"}));
    // The groups are 16 points apart; rows within a group 1 point.
    view->show();
    QCoreApplication::sendPostedEvents();
    const auto& rows = view->sidebarRows();
    EXPECT_EQ(rows[1]->geometry().top() - rows[0]->geometry().bottom() - 1, 1);
    EXPECT_EQ(rows[3]->geometry().top() - rows[2]->geometry().bottom() - 1, 1 + 16 + 1);

    for (Pane pane : allCases<Pane>()) {
        view->select(pane);
        EXPECT_EQ(shownTitle(*view), title(pane));
        EXPECT_EQ(view->header() != nullptr, pane == Pane::about) << title(pane);
        EXPECT_EQ(view->paneView() != nullptr, paneMaker(pane) != nullptr) << title(pane);
        for (const auto* row : rows) EXPECT_EQ(row->selected(), row->pane() == pane);
    }
    view->select(Pane::statistics);
    EXPECT_EQ(shownTitle(*view), "Statistics");

    // A click selects; clicking the selected row keeps the very same form.
    view->select(Pane::general);
    QWidget* general = view->paneView();
    rows[0]->click();
    EXPECT_EQ(view->paneView(), general);
    rows[8]->click();
    EXPECT_EQ(view->pane(), Pane::advanced);
}

TEST_F(SettingsRootTest, TheSidebarWorksFromTheKeyboard) {
    start();
    auto view = root();
    view->show();
    QCoreApplication::sendPostedEvents();
    const auto& rows = view->sidebarRows();
    for (const auto* row : rows) EXPECT_TRUE(row->focusPolicy() & Qt::TabFocus) << "Tab reaches every row";
    const auto focused = [&] { return view->window()->focusWidget(); };
    rows[0]->setFocus(Qt::TabFocusReason);
    // Down and Up walk the list: the focus and the pane go together.
    QTest::keyClick(rows[0], Qt::Key_Down);
    EXPECT_EQ(view->pane(), Pane::presets);
    EXPECT_EQ(focused(), rows[1]);
    QTest::keyClick(rows[1], Qt::Key_Down);
    QTest::keyClick(rows[2], Qt::Key_Down);
    EXPECT_EQ(view->pane(), Pane::displays) << "across a group's gap";
    QTest::keyClick(rows[3], Qt::Key_Up);
    EXPECT_EQ(view->pane(), Pane::schedule);
    EXPECT_EQ(focused(), rows[2]);
    // At either end the walk stops.
    rows[0]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(rows[0], Qt::Key_Up);
    EXPECT_EQ(focused(), rows[0]);
    EXPECT_EQ(view->pane(), Pane::schedule) << "a focused row is not chosen until asked";
    QTest::keyClick(rows.back(), Qt::Key_Down);
    EXPECT_EQ(view->pane(), Pane::schedule);
    // Space and Return choose the focused row.
    QTest::keyClick(rows[5], Qt::Key_Space);
    EXPECT_EQ(view->pane(), Pane::exclusions);
    QTest::keyClick(rows[8], Qt::Key_Return);
    EXPECT_EQ(view->pane(), Pane::advanced);
}

TEST_F(SettingsRootTest, TheDetailIsPaintedOverTheWindowsGroundOnScreen) {
    start();
    auto view = root();
    // Grabbed as a window paints itself, with no ground laid under it first: a detail that
    // fills its own background but draws nothing leaves the title's corner black.
    view->show();
    QApplication::processEvents();
    const QImage image = view->grab().toImage();
    const QColor corner = image.pixelColor(image.width() - 40, 6);
    EXPECT_EQ(corner.rgb(), kit::windowColor(kit::appearanceOf(view.get())).rgb()) << qPrintable(corner.name());
}

TEST_F(SettingsRootTest, StatusCardReadsOffDaylightOrTheKelvin) {
    struct Case {
        bool enabled;
        std::int64_t kelvin;
        double dim;
        std::string text;
        bool warm;
    };
    const Case cases[] = {
        {false, 2700, 1.0, "Off", false},
        {true, 6500, 0.999, "Daylight", false},
        {true, 6500, 0.998, "6500K", true},
        {true, 2700, 1.0, "2700K", true},
    };
    for (const auto& c : cases) {
        Settings settings = manualSettings(c.kelvin, c.dim);
        settings.enabled = c.enabled;
        if (!model) start(settings);
        else model->setSettings(settings);
        settle();
        const auto line = SettingsRootRules::statusLine(*model);
        EXPECT_EQ(line.text, c.text);
        EXPECT_EQ(line.warmKelvin.has_value(), c.warm) << c.text;
        StatusCard card(model, window.get());
        animator->settleAll();
        EXPECT_EQ(card.statusText().text().toStdString(), c.text);
        EXPECT_DOUBLE_EQ(card.iconSaturation(), c.enabled ? 1.0 : 0.2);
        if (c.warm) {
            EXPECT_EQ(card.statusText().resolvedColour(),
                      kit::Tokens::warmColor(c.kelvin).resolve(kit::Appearance::light));
        }
    }
}

TEST_F(SettingsRootTest, AboutLineFromTheBuildTheSystemAndTheChip) {
    sim->update([](platform::sim::SimState& s) {
        s.sysctl["machdep.cpu.brand_string"] = "Test chip";
        s.osVersion = {14, 5, 0};
    });
    EXPECT_EQ(SettingsRootRules::aboutLine({"2.1", "42"}, sim->systemInfo().osDisplayName(),
                                           SystemFacts(*sim).chipDisplayName()),
              "Version 2.1 (42) \u00B7 macOS 14.5.0 \u00B7 Test chip");

    const auto tree = directory / "root";
    std::filesystem::create_directories(tree / "etc");
    std::ofstream(tree / "etc/os-release")
        << "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n";
    platform::linuxsys::LinuxSystemInfo debian(tree);
    const std::string line = SettingsRootRules::aboutLine({"2.1", "42"}, debian.osDisplayName(), "Intel chip");
    EXPECT_EQ(line, "Version 2.1 (42) \u00B7 Debian GNU/Linux 12 (bookworm) \u00B7 Intel chip");
    EXPECT_EQ(SettingsRootRules::aboutLine({"", ""}, "Linux", "Unknown chip"),
              "Version dev \u00B7 Linux \u00B7 Unknown chip");
    EXPECT_EQ(SettingsRootRules::aboutLine({"0.1.0", "0"}, "Linux", "AMD EPYC"),
              "Version 0.1.0 \u00B7 Linux \u00B7 AMD EPYC");

    start();
    auto view = root(Pane::about);
    ASSERT_NE(view->header(), nullptr);
    EXPECT_EQ(view->header()->titleText().text(), QStringLiteral("Orvane"));
    EXPECT_EQ(view->header()->subtitleText().text().toStdString(), SettingsRootRules::aboutLine(*sim));
}

// The keys the tray menu names work while the window has the keyboard: Ctrl+Q quits; Ctrl+W
// and Esc close the window (hide it), unless a shortcut is being recorded.
TEST_F(SettingsRootTest, TheWindowsOwnKeysCloseItAndQuit) {
    start();
    SettingsWindow settings(PaneEnvironment{model, std::make_shared<Desktop>()}, Pane::general, nullptr);
    int quits = 0;
    settings.quit = [&] { ++quits; };
    const struct {
        const char* keys;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool closes;
        int quitsAfter;
    } cases[] = {
        {"Ctrl+W", Qt::Key_W, Qt::ControlModifier, true, 0},
        {"Esc", Qt::Key_Escape, Qt::NoModifier, true, 0},
        {"Ctrl+Q", Qt::Key_Q, Qt::ControlModifier, false, 1},
        {"W alone", Qt::Key_W, Qt::NoModifier, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        settings.present();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&settings));
        QTest::keyClick(&settings, c.key, c.modifiers);
        EXPECT_EQ(settings.isVisible(), !c.closes);
        EXPECT_EQ(quits, c.quitsAfter);
    }
}

// The delegate on the simulated machine, as the program runs it.
class SettingsDelegateTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        delegate = std::make_shared<AppDelegate>(sim);
        delegate->applicationDidFinishLaunching();
        ASSERT_TRUE(delegate->model());
        scheduler->runPending();
    }
    void TearDown() override {
        if (delegate) delegate->applicationWillTerminate();
        delegate.reset();
        SimTest::TearDown();
    }
    int settingsWindows() const {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowTitle() == QStringLiteral("Orvane Settings")) ++n;
        return n;
    }

    LogCapture logs;
    std::shared_ptr<AppDelegate> delegate;
};

TEST_F(SettingsDelegateTest, OneWindowForTheProcessOpenedByEveryEntryPoint) {
    ASSERT_EQ(delegate->settingsWindow(), nullptr);
    // Posting a pane once opens the window at that pane and returns (it used to post itself again).
    int posted = 0;
    auto count = kit::NotificationCenter::defaultCenter().observe(kit::Notifications::openSettingsPane,
                                                                  [&](const auto&) { ++posted; });
    kit::NotificationCenter::defaultCenter().post(kit::Notifications::openSettingsPane, std::string("presets"));
    EXPECT_EQ(posted, 1);
    SettingsWindow* window = delegate->settingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->root().pane(), Pane::presets);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Orvane Settings"));
    EXPECT_EQ(window->minimumSize(), QSize(760, 540));

    // An open window switches; a later unknown name keeps the pane.
    delegate->showSettings(std::string("about"));
    EXPECT_EQ(window->root().pane(), Pane::about);
    delegate->showSettings(std::string("abc"));
    EXPECT_EQ(window->root().pane(), Pane::about);

    // Closing hides; every way in brings back the same window.
    window->close();
    EXPECT_FALSE(window->isVisible());
    kit::NotificationCenter::defaultCenter().post(kit::Notifications::openSettings);
    EXPECT_TRUE(window->isVisible());
    window->close();
    EXPECT_FALSE(delegate->applicationShouldHandleReopen());
    EXPECT_TRUE(window->isVisible());
    window->close();
    delegate->handOver({});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(delegate->settingsWindow(), window);
    EXPECT_EQ(settingsWindows(), 1);
}

TEST_F(SettingsDelegateTest, DebugLoggingFollowsTheStoredSwitch) {
    auto& model = *delegate->model();
    for (const bool on : {true, false}) {
        model.change([on](Settings& s, RuntimeState&) { s.debugLogging = on; });
        EXPECT_EQ(platform::Log::debugEnabled(), on);
    }
}

TEST_F(SettingsDelegateTest, TheTrayMenusSettingsEntryOpensTheWindow) {
    ASSERT_NE(delegate->statusItem(), nullptr);
    const auto menu = delegate->statusItem()->menu();
    const auto entry =
        std::find_if(menu.begin(), menu.end(), [](const auto& e) { return e.title == "Settings\u2026"; });
    ASSERT_NE(entry, menu.end());
    entry->action();
    ASSERT_NE(delegate->settingsWindow(), nullptr);
    EXPECT_TRUE(delegate->settingsWindow()->isVisible());
    EXPECT_EQ(delegate->settingsWindow()->root().pane(), Pane::general);
}

TEST_F(SettingsDelegateTest, TheFrameIsKeptUnderItsKeyAndRestoredWhenOnAScreen) {
    delegate->showSettings();
    SettingsWindow* window = delegate->settingsWindow();
    ASSERT_NE(window, nullptr);
    // Inside the screen's available area, as large as that allows (the offscreen screen is
    // 800 × 600, smaller than the window would be).
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(window->geometry()));
    EXPECT_EQ(window->size(),
              SettingsWindow::contentSize.boundedTo(area.size()).expandedTo(SettingsRootView::minimumSize));
    window->setGeometry(40, 50, 900, 640);
    window->close();
    const auto defaults = sim->standardUserDefaults();
    EXPECT_EQ(defaults->string(SettingsWindow::frameKey), "40 50 900 640");

    // Back where it was, moved (and shrunk) as little as keeps it inside the area.
    SettingsWindow again(PaneEnvironment{delegate->model(), std::make_shared<Desktop>()}, std::nullopt, defaults);
    const QSize restored = QSize(900, 640).boundedTo(area.size()).expandedTo(SettingsRootView::minimumSize);
    EXPECT_EQ(again.size(), restored);
    EXPECT_EQ(again.x(), std::min(40, std::max(area.left(), area.right() + 1 - restored.width())));
    EXPECT_EQ(again.y(), std::min(50, std::max(area.top(), area.bottom() + 1 - restored.height())));
    defaults->set(SettingsWindow::frameKey, platform::Value(std::string("90000 90000 900 640")));
    SettingsWindow offScreen(PaneEnvironment{delegate->model(), std::make_shared<Desktop>()}, std::nullopt, defaults);
    EXPECT_NE(offScreen.pos(), QPoint(90000, 90000)) << "a frame on no screen is not taken back";
    EXPECT_TRUE(area.contains(offScreen.geometry()));
    for (const char* bad : {"", "1 2 3", "1 2 0 4", "a b c d", "1 2 3 4 5"})
        EXPECT_EQ(SettingsWindow::parseFrame(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace orvane::testing
