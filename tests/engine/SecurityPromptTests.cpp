#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/SecurityPrompt.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::EngineTest;

namespace {

WindowInfo window(const std::string& owner, double width, double height) {
    return WindowInfo{owner, 400, 0, Rect{10, 10, width, height}};
}

class SecurityPromptTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        detector = std::make_unique<SecurityPromptDetector>(*sim);
        detector->onChange = [this](bool visible) { reports.push_back(visible); };
    }
    void show(std::vector<WindowInfo> windows) {
        sim->update([&](sim::SimState& s) { s.windowList = std::move(windows); });
    }
    void poll() { scheduler->advance(SecurityPromptDetector::pollInterval); }

    std::unique_ptr<SecurityPromptDetector> detector;
    std::vector<bool> reports;
};

}  // namespace

TEST_F(SecurityPromptTest, OnlyAKnownOwnersWindowLargerThanAPromptCounts) {
    const struct {
        WindowInfo window;
        bool counts;
    } cases[] = {
        {window("SecurityAgent", 101, 61), true},
        {window("SecurityAgent", 100, 200), false},
        {window("SecurityAgent", 200, 60), false},
        {window("securityagent", 400, 300), false},
        {window("Terminal", 400, 300), false},
        {window("coreautha", 400, 300), true},
        {window("CoreAuthUI", 400, 300), true},
        {window("LocalAuthenticationRemoteService", 400, 300), true},
        {window("coreauthd", 400, 300), true},
        {WindowInfo{"SecurityAgent", std::nullopt, 0, Rect{}}, false},
        {WindowInfo{"", 400, 0, Rect{0, 0, 400, 200}}, false},
    };
    detector->start();
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.window.ownerName << " " << c.window.bounds.width << "x" << c.window.bounds.height);
        show({});
        poll();
        reports.clear();
        show({window("Finder", 800, 600), c.window});
        poll();
        EXPECT_EQ(detector->isVisible(), c.counts);
        EXPECT_EQ(reports, c.counts ? std::vector<bool>{true} : std::vector<bool>{});
    }
}

TEST_F(SecurityPromptTest, EachChangeIsReportedOnce) {
    detector->start();
    detector->start();  // one timer
    show({window("SecurityAgent", 300, 200)});
    scheduler->advance(0.4);
    EXPECT_TRUE(reports.empty()) << "the first check runs after one interval";
    scheduler->advance(0.1);
    poll();
    poll();
    EXPECT_EQ(reports, std::vector<bool>{true});
    show({});
    poll();
    poll();
    EXPECT_EQ(reports, (std::vector<bool>{true, false}));
}

TEST_F(SecurityPromptTest, AnUnreadableWindowListChangesNothing) {
    detector->start();
    show({window("SecurityAgent", 300, 200)});
    poll();
    show({});
    sim->fail("windowList", 0, 1);
    poll();
    EXPECT_TRUE(detector->isVisible());
    EXPECT_EQ(reports, std::vector<bool>{true});
}

TEST_F(SecurityPromptTest, StopReportsFalseOnlyWhenAPromptWasVisibleAndStartBeginsAfresh) {
    detector->start();
    detector->stop();
    EXPECT_TRUE(reports.empty());
    detector->start();
    show({window("SecurityAgent", 300, 200)});
    poll();
    detector->stop();
    EXPECT_EQ(reports, (std::vector<bool>{true, false}));
    EXPECT_FALSE(detector->isVisible());
    EXPECT_FALSE(detector->isPolling());
    poll();
    EXPECT_EQ(reports.size(), 2u) << "polled after stop()";
    detector->start();
    poll();
    EXPECT_EQ(reports, (std::vector<bool>{true, false, true}));
}
