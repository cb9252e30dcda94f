// The delegate's first-run window and method check on the simulated machine with the fake
// scheduler: which window a launch opens, what closing and finishing do with it, and the
// check it runs for the notification the displays pane posts.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QTest>

#include "SimFixture.h"
#include "app/SettingsStore.h"
#include "core/SettingsCodec.h"
#include "engine/DisplayManager.h"
#include "ui/AppDelegate.h"
#include "ui/kit/NotificationCenter.h"
#include "ui/kit/Text.h"
#include "ui/menubar/StatusItemController.h"
#include "ui/onboarding/MethodCheckCard.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/onboarding/QtMethodCheckAsker.h"
#include "ui/views/AppIconRenderer.h"

namespace orvane {
namespace {

class AppDelegateWindowsTest : public testing::SimTest {
protected:
    void launch() {
        delegate = std::make_shared<AppDelegate>(sim);
        delegate->applicationDidFinishLaunching();
        ASSERT_TRUE(delegate->model());
        scheduler->runPending();
    }
    void quit() {
        if (!delegate) return;
        delegate->applicationWillTerminate();
        delegate.reset();
    }
    void TearDown() override {
        quit();
        ::unsetenv("ORVANE_SHOW_ONBOARDING");
        SimTest::TearDown();
    }
    OnboardingView* onboarding() const {
        auto* window = delegate->onboardingWindow();
        return window ? window->findChild<OnboardingView*>() : nullptr;
    }
    std::string cardSubtitle() const {
        auto* card = delegate->methodCheckAsker()->card();
        return card ? card->subtitleText().text().toStdString() : "";
    }
    DisplayInfo display(std::uint32_t id) const {
        for (const auto& d : DisplayManager::currentDisplays(*sim))
            if (d.id == id) return d;
        return {};
    }

    testing::LogCapture logs;
    std::shared_ptr<AppDelegate> delegate;
};

TEST_F(AppDelegateWindowsTest, AFirstLaunchShowsOnboardingAndALaterOneDoesNot) {
    launch();
    ASSERT_TRUE(delegate->onboardingWindow());
    EXPECT_TRUE(delegate->onboardingWindow()->isVisible());
    EXPECT_EQ(delegate->onboardingWindow()->windowTitle(), QStringLiteral("Welcome to Orvane"));
    EXPECT_EQ(delegate->onboardingWindow()->size(), QSize(540, 664));
    {
        // The program's icon on the window, at the small sizes title bars and switchers use.
        const QIcon icon = delegate->onboardingWindow()->windowIcon();
        ASSERT_FALSE(icon.isNull());
        for (const int side : {16, 32, 48}) {
            EXPECT_TRUE(icon.availableSizes().contains(QSize(side, side))) << side;
            const QImage shown = icon.pixmap(side).toImage();
            EXPECT_EQ(shown.pixel(side / 2, side / 2), AppIconRenderer::image(side).pixel(side / 2, side / 2)) << side;
        }
    }
    onboarding()->start();
    EXPECT_EQ(delegate->onboardingWindow(), nullptr) << "finish drops the window";
    EXPECT_TRUE(delegate->model()->settings().onboardingCompleted);
    quit();

    launch();
    EXPECT_EQ(delegate->onboardingWindow(), nullptr);
    quit();

    ::setenv("ORVANE_SHOW_ONBOARDING", "true", 1);
    launch();
    EXPECT_EQ(delegate->onboardingWindow(), nullptr) << "only exactly 1 asks for it";
    quit();
    ::setenv("ORVANE_SHOW_ONBOARDING", "1", 1);
    launch();
    EXPECT_TRUE(delegate->onboardingWindow());
}

TEST_F(AppDelegateWindowsTest, ClosingKeepsTheWindowAndTheNotificationShowsItAgain) {
    launch();
    QWidget* window = delegate->onboardingWindow();
    ASSERT_TRUE(window);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(delegate->onboardingWindow(), window);
    EXPECT_FALSE(delegate->model()->settings().onboardingCompleted);
    kit::NotificationCenter::defaultCenter().post(kit::Notifications::showOnboarding);
    EXPECT_EQ(delegate->onboardingWindow(), window) << "the same window, with its state";
    EXPECT_TRUE(window->isVisible());
}

TEST_F(AppDelegateWindowsTest, WithoutATrayHostTheIconNoticeWaitsUntilTheWelcomeIsDone) {
    launch();
    StatusItemController* item = delegate->statusItem();
    ASSERT_TRUE(item);
    ASSERT_TRUE(item->isHiddenBySystem()) << "the offscreen platform hosts no tray";
    scheduler->advance(StatusItemController::noticeDelay + 5);
    EXPECT_FALSE(item->noticeOpen()) << "the notice would cover the welcome window";
    // Closed with the window's close button: done for now, the notice comes.
    delegate->onboardingWindow()->close();
    EXPECT_TRUE(item->noticeOpen());
    quit();

    // Shown again and finished with Start: the notice waits again, then comes.
    launch();
    item = delegate->statusItem();
    scheduler->advance(StatusItemController::noticeDelay + 1);
    EXPECT_FALSE(item->noticeOpen());
    onboarding()->start();
    EXPECT_TRUE(item->noticeOpen());
    quit();

    // No welcome window: the notice comes after its delay, as before.
    launch();
    item = delegate->statusItem();
    EXPECT_EQ(delegate->onboardingWindow(), nullptr);
    EXPECT_FALSE(item->noticeOpen());
    scheduler->advance(StatusItemController::noticeDelay + 0.5);
    EXPECT_TRUE(item->noticeOpen());
}

TEST_F(AppDelegateWindowsTest, FinishRegistersTheLoginItemOnlyWhereItCan) {
    for (const bool available : {true, false}) {
        SCOPED_TRACE(available);
        sim->update([&](platform::sim::SimState& s) {
            s.bundlePath = available ? "/Applications/Orvane.app" : "/usr/bin";
            s.loginItem = false;
        });
        launch();
        delegate->showOnboarding();  // the second launch finds it done already
        delegate->model()->change([](Settings& s, RuntimeState&) { s.launchAtLogin = true; });
        EXPECT_FALSE(sim->state().loginItem) << "not before Start";
        onboarding()->start();
        EXPECT_EQ(sim->state().loginItem, available);
        EXPECT_TRUE(delegate->model()->settings().launchAtLogin) << "the choice stays stored";
        quit();
    }
}

TEST_F(AppDelegateWindowsTest, TheDisplaysPaneNotificationChecksThatDisplayOnly) {
    sim->setColorFilterEnabled(true);  // overlay and gamma: two questions each
    launch();
    auto& center = kit::NotificationCenter::defaultCenter();
    const DisplayInfo external = display(2);
    center.post(kit::Notifications::runMethodCheck, external.key);
    EXPECT_TRUE(delegate->methodCheckRunning());
    center.post(kit::Notifications::runMethodCheck, display(1).key);  // dropped: a check runs
    scheduler->runPending();
    QWidget* window = delegate->methodCheckAsker()->window();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->width(), 420);
    EXPECT_EQ(cardSubtitle(), external.name + " · trying Overlay tint");
    EXPECT_TRUE(delegate->model()->engine().isProbing());

    QTest::keyClick(delegate->methodCheckAsker()->card(), Qt::Key_N);
    EXPECT_FALSE(window->isVisible());
    scheduler->runPending();
    EXPECT_EQ(cardSubtitle(), external.name + " · trying Gamma table");
    QTest::keyClick(delegate->methodCheckAsker()->card(), Qt::Key_Return);
    scheduler->runPending();
    scheduler->runPending();

    EXPECT_FALSE(delegate->methodCheckRunning());
    const auto& results = delegate->model()->lastMethodCheck();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results.at(external.key), TintMethod::gamma);
    EXPECT_FALSE(delegate->model()->engine().isProbing());
    EXPECT_FALSE(delegate->methodCheckAsker()->window()->isVisible());

    // Over: a new request starts a new run, for every display when it names none.
    center.post(kit::Notifications::runMethodCheck);
    scheduler->runPending();
    EXPECT_TRUE(delegate->methodCheckRunning());
    EXPECT_EQ(cardSubtitle(), display(1).name + " · trying Overlay tint");
}

}  // namespace
}  // namespace orvane
