// The front-application observer: the full-screen test over the window list and what is
// published on activation and space changes.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "SimFixture.h"
#include "app/FrontmostAppObserver.h"

namespace orvane {
namespace {

using platform::Rect;
using platform::RunningApplication;
using platform::WindowInfo;
using platform::WorkspaceEvent;
using platform::sim::SimState;

WindowInfo window(std::optional<std::int32_t> pid, double width, double height, std::int64_t layer = 0) {
    return WindowInfo{"App", pid, layer, Rect{0, 0, width, height}};
}

class FrontmostAppObserverTest : public testing::SimTest {
protected:
    void setFront(std::optional<RunningApplication> app, std::vector<WindowInfo> windows = {}) {
        sim->update([&](SimState& s) {
            s.frontApplication = std::move(app);
            s.windowList = std::move(windows);
        });
    }
    void post(WorkspaceEvent event) {
        sim->postWorkspaceEvent(event);
        scheduler->runPending();
    }
    bool fullScreen(std::int32_t pid) {
        return FrontmostAppObserver::isFullScreen(pid, sim->workspace(), sim->displays());
    }
};

const RunningApplication editor{std::string("com.example.editor"), std::string("Editor"), 42};

// The built-in screen is 1512 x 982, the external one 2560 x 1440.
struct FullScreenCase {
    const char* name;
    std::vector<WindowInfo> windows;
    bool expected;
};

TEST_F(FrontmostAppObserverTest, FullScreenComparesWindowSizesWithEveryScreen) {
    const std::vector<FullScreenCase> cases{
        {"exactly the built-in screen", {window(42, 1512, 982)}, true},
        {"1 pt smaller both ways", {window(42, 1511, 981)}, true},
        {"2 pt smaller both ways", {window(42, 1510, 980)}, false},
        {"2 pt smaller in height only", {window(42, 1512, 980)}, false},
        {"1.9 pt larger", {window(42, 1513.9, 983.9)}, true},
        {"the external screen's size", {window(42, 2560, 1440)}, true},
        {"a normal window", {window(42, 800, 600)}, false},
        {"another process's full-screen window", {window(7, 1512, 982)}, false},
        {"full screen but above the normal layer", {window(42, 1512, 982, 25)}, false},
        {"one of several windows", {window(42, 800, 600), window(7, 1512, 982), window(42, 2560, 1440)}, true},
        {"bounds empty", {window(42, 0, 0)}, false},
        {"no pid", {window(std::nullopt, 1512, 982)}, false},
        {"no windows", {}, false},
    };
    for (const auto& c : cases) {
        setFront(editor, c.windows);
        EXPECT_EQ(fullScreen(42), c.expected) << c.name;
    }
}

TEST_F(FrontmostAppObserverTest, AnUnreadableWindowListIsNotFullScreen) {
    setFront(editor, {window(42, 1512, 982)});
    sim->fail("windowList", 0, 1);
    EXPECT_FALSE(fullScreen(42));
    EXPECT_TRUE(fullScreen(42));
}

TEST_F(FrontmostAppObserverTest, FirstRefreshOnlyFillsCurrent) {
    setFront(RunningApplication{std::string("com.example.player"), std::nullopt, 9}, {window(9, 2560, 1440)});
    FrontmostAppObserver observer(sim->workspace(), sim->displays(), sim->appCatalog());
    ASSERT_TRUE(observer.current());
    EXPECT_EQ(observer.current()->bundleID, "com.example.player");
    EXPECT_EQ(observer.current()->name, "com.example.player") << "no name: the bundle identifier stands in";
    EXPECT_TRUE(observer.current()->isFullScreen);
}

TEST_F(FrontmostAppObserverTest, PublishesOnlyChangesOnActivationAndSpaceChanges) {
    setFront(std::nullopt);
    FrontmostAppObserver observer(sim->workspace(), sim->displays(), sim->appCatalog());
    std::vector<std::optional<FrontmostAppObserver::Info>> published;
    observer.onChange = [&](const std::optional<FrontmostAppObserver::Info>& info) { published.push_back(info); };

    setFront(editor, {window(42, 800, 600)});
    post(WorkspaceEvent::didActivateApplication);
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(published[0], (FrontmostAppObserver::Info{"com.example.editor", "Editor", false, "com.example.editor"}));

    // Another window of the same application comes forward: no activation, nothing.
    setFront(editor, {window(42, 640, 480), window(42, 800, 600)});
    post(WorkspaceEvent::didActivateApplication);
    EXPECT_EQ(published.size(), 1u);

    // It goes full screen, which moves it to its own space.
    setFront(editor, {window(42, 1512, 982)});
    post(WorkspaceEvent::activeSpaceDidChange);
    ASSERT_EQ(published.size(), 2u);
    EXPECT_EQ(published[1], (FrontmostAppObserver::Info{"com.example.editor", "Editor", true, "com.example.editor"}));

    // A process without a bundle identifier counts as none, published once.
    setFront(RunningApplication{std::nullopt, std::string("daemon"), 77});
    post(WorkspaceEvent::didActivateApplication);
    post(WorkspaceEvent::didActivateApplication);
    ASSERT_EQ(published.size(), 3u);
    EXPECT_EQ(published[2], std::nullopt);
    EXPECT_EQ(observer.current(), std::nullopt);
}

TEST_F(FrontmostAppObserverTest, StopsObservingWhenDestroyed) {
    setFront(std::nullopt);
    int calls = 0;
    {
        FrontmostAppObserver observer(sim->workspace(), sim->displays(), sim->appCatalog());
        observer.onChange = [&](const auto&) { ++calls; };
    }
    setFront(editor);
    post(WorkspaceEvent::didActivateApplication);
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace orvane
