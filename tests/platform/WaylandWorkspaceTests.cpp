// The Wayland workspace against the suite's own compositor: the application in front from
// the compositor's window list (announced as activation, mapped like an X window class,
// full screen as the compositor says), none and "cannot tell" without that list; the idle
// time from the compositor's idle notifications, else from the fallback (logind).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FakeDesktopCompositor.h"
#include "SimFixture.h"
#include "platform/FakeScheduler.h"
#include "platform/Missing.h"
#include "platform/Platform.h"
#include "platform/wayland/WaylandWorkspace.h"

namespace orvane::platform::waylandsys {
namespace {

using testing::FakeDesktopCompositor;

class WaylandWorkspaceTest : public ::testing::Test {
protected:
    void start(bool windowList, bool idleNotifier, IdleReader fallback = nullptr) {
        compositor = std::make_unique<FakeDesktopCompositor>(directory / "wayland-desk", windowList, idleNotifier);
        ASSERT_TRUE(compositor->error().empty()) << compositor->error();
        workspace = openWaylandWorkspace(scheduler, std::make_shared<MissingWorkspace>(), std::move(fallback),
                                         compositor->socketPath().string());
        activations = 0;
        observation = workspace->observe(WorkspaceEvent::didActivateApplication, [this] { ++activations; });
    }
    void TearDown() override {
        observation.cancel();
        workspace.reset();
        compositor.reset();
    }
    // Handles what the compositor sent until `done` holds (at most 2 s), then runs what was posted.
    bool settle(const std::function<bool()>& done) {
        for (int i = 0; i < 200 && !done(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            scheduler->runPending();
        }
        scheduler->runPending();
        return done();
    }
    // Lets what the compositor sent arrive, for a check that nothing changed.
    void pump() {
        for (int i = 0; i < 20; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            scheduler->runPending();
        }
    }
    std::optional<std::string> front() {
        const auto app = workspace->frontmostApplication();
        return app ? app->bundleIdentifier : std::nullopt;
    }

    std::filesystem::path directory = testing::freshDirectory("wayland-workspace");
    std::shared_ptr<FakeScheduler> scheduler = std::make_shared<FakeScheduler>();
    std::unique_ptr<FakeDesktopCompositor> compositor;
    std::shared_ptr<Workspace> workspace;
    Handle observation;
    int activations = 0;
};

TEST_F(WaylandWorkspaceTest, TheActivatedWindowsApplicationIsInFrontAndEachChangeIsAnnounced) {
    start(true, false);
    const int editor = compositor->openWindow("org.example.Editor", "notes.txt");
    const int viewer = compositor->openWindow("org.example.Viewer", "photo.png");
    EXPECT_TRUE(workspace->canTellFrontmostApplication());
    pump();  // the windows are known, none has the focus
    EXPECT_EQ(front(), std::nullopt);

    compositor->activate(editor);
    ASSERT_TRUE(settle([&] { return front() == "org.example.Editor"; }));
    EXPECT_GE(activations, 1);
    EXPECT_EQ(workspace->frontmostApplication()->fullScreen, false);

    activations = 0;
    compositor->activate(viewer);
    ASSERT_TRUE(settle([&] { return front() == "org.example.Viewer"; }));
    EXPECT_GE(activations, 1);

    // Going full screen is told as well: the observer reads the state anew.
    activations = 0;
    compositor->setFullScreen(viewer, true);
    ASSERT_TRUE(settle([&] { return workspace->frontmostApplication()->fullScreen == true; }));
    EXPECT_GE(activations, 1);

    // The window in front closes: nothing is in front until another gets the focus.
    compositor->closeWindow(viewer);
    ASSERT_TRUE(settle([&] { return !front(); }));
    // The program's own windows carry its identifier, as on X.
    const int own = compositor->openWindow("orvane", "Orvane Settings");
    compositor->activate(own);
    ASSERT_TRUE(settle([&] { return front() == std::string(bundleIdentifier); }));
}

TEST_F(WaylandWorkspaceTest, WithoutTheWindowListNothingIsInFrontAndThePortSaysItCannotTell) {
    start(false, false);
    compositor->activate(compositor->openWindow("org.example.Editor", "notes.txt"));
    pump();
    EXPECT_FALSE(workspace->canTellFrontmostApplication());
    EXPECT_EQ(workspace->frontmostApplication(), std::nullopt);
    EXPECT_EQ(activations, 0);

    // No compositor at all: the same.
    auto alone = openWaylandWorkspace(scheduler, std::make_shared<MissingWorkspace>(), nullptr,
                                      (directory / "nobody-listens").string());
    EXPECT_FALSE(alone->canTellFrontmostApplication());
    EXPECT_EQ(alone->frontmostApplication(), std::nullopt);
}

TEST_F(WaylandWorkspaceTest, IdleTimeComesFromTheCompositorsNotificationsElseFromTheFallback) {
    int fallbackAsked = 0;
    start(false, true, [&]() -> std::optional<TimeInterval> {
        ++fallbackAsked;
        return 300.0;
    });
    ASSERT_TRUE(settle([&] { return !compositor->idleTimeouts().empty(); }));
    EXPECT_EQ(compositor->idleTimeouts(), std::vector<std::uint32_t>{1000});
    EXPECT_EQ(idleSource(*workspace), "ext-idle-notify");
    EXPECT_EQ(workspace->secondsSinceLastInput(), 0.0);  // input within the last timeout
    compositor->goIdle();
    ASSERT_TRUE(settle([&] { return workspace->secondsSinceLastInput() > 0; }));
    EXPECT_GE(workspace->secondsSinceLastInput(), idleNotifyTimeout);
    compositor->resume();
    ASSERT_TRUE(settle([&] { return workspace->secondsSinceLastInput() == 0; }));
    EXPECT_EQ(fallbackAsked, 0);

    // A compositor without idle notifications: the fallback answers; where it cannot, none.
    TearDown();
    std::optional<TimeInterval> fallback = 42.0;
    start(false, false, [&] { return fallback; });
    EXPECT_EQ(idleSource(*workspace), "fallback");
    EXPECT_EQ(workspace->secondsSinceLastInput(), 42.0);
    fallback.reset();
    EXPECT_EQ(workspace->secondsSinceLastInput(), 0.0);
}

}  // namespace
}  // namespace orvane::platform::waylandsys
