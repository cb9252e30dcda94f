// The method check's question on a real X server: the card's window takes the focus on
// its own, so "n" typed with XTest answers No and Return answers Yes, without the pointer.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include <QApplication>
#include <QGuiApplication>
#include <QWindow>

#include "RequiredTool.h"
#include "XcbSession.h"
#include "ui/onboarding/QtMethodCheckAsker.h"

namespace orvane {
namespace {

class MethodCheckX11Test : public ::testing::Test {
protected:
    void SetUp() override { ORVANE_REQUIRE_TOOL(orvane::testing::xcbServerMissing); }
    // The card on the only screen, waited for until it holds the focus.
    bool ask(TintMethod method) {
        DisplayInfo display;
        display.id = 1;
        display.key = "test-display";
        display.name = "Built-in Display";
        display.frame = {0, 0, 1280, 800};
        asker.show(display, method, [this](bool yes) { answers.push_back(yes); });
        return testing::processUntil([this] {
            return asker.window()->isActiveWindow() && QGuiApplication::focusWindow() == asker.window()->windowHandle();
        });
    }

    QtMethodCheckAsker asker;
    std::vector<bool> answers;
};

TEST_F(MethodCheckX11Test, TheCardTakesTheFocusAndItsKeysAnswer) {
    ASSERT_TRUE(ask(TintMethod::overlay)) << "the card window was not activated";
    const QRect frame = asker.window()->geometry();
    EXPECT_EQ(frame.width(), 420);
    EXPECT_NEAR(frame.x() + frame.width() / 2.0, 640, 1) << "centred on the display";
    EXPECT_NEAR(frame.y() + frame.height() / 2.0, 400, 1);
    EXPECT_TRUE(asker.window()->windowFlags() & Qt::WindowStaysOnTopHint);

    ASSERT_TRUE(testing::typeKey(testing::xcbServer->display(), testing::keysym::n));
    ASSERT_TRUE(testing::processUntil([this] { return !answers.empty(); })) << "\"n\" did not reach the card";
    EXPECT_EQ(answers, std::vector<bool>{false});

    asker.orderOut();
    ASSERT_TRUE(ask(TintMethod::gamma));
    ASSERT_TRUE(testing::typeKey(testing::xcbServer->display(), testing::keysym::returnKey));
    ASSERT_TRUE(testing::processUntil([this] { return answers.size() == 2; }));
    EXPECT_EQ(answers, (std::vector<bool>{false, true}));
}

}  // namespace
}  // namespace orvane
