// The method check's card offscreen: its texts, the keys that answer it, and its look.
#include <gtest/gtest.h>

#include "PanelLook.h"

#include <vector>

#include <QTest>

#include "ui/kit/Buttons.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/onboarding/MethodCheckCard.h"

namespace orvane {
namespace {

TEST(MethodCheckCardTest, NamesTheDisplayAndTheMethodTried) {
    EXPECT_EQ(MethodCheckCard::question(), QStringLiteral("Is this screen red now?"));
    EXPECT_EQ(MethodCheckCard::subtitle("Built-in Display", TintMethod::overlay),
              QStringLiteral("Built-in Display · trying Overlay tint"));
    EXPECT_EQ(MethodCheckCard::subtitle("DELL U2720Q", TintMethod::ddc),
              QStringLiteral("DELL U2720Q · trying Hardware (DDC)"));
    EXPECT_EQ(MethodCheckCard::subtitle("X", TintMethod::matrix), QStringLiteral("X · trying Color matrix"));
    EXPECT_EQ(MethodCheckCard::explanation(),
              QStringLiteral("Orvane is applying a deep red tint with this method. If you can see it, press Yes."));
    MethodCheckCard card("Built-in Display", "Gamma table", [](bool) {});
    EXPECT_EQ(card.subtitleText().text(), QStringLiteral("Built-in Display · trying Gamma table"));
    EXPECT_EQ(card.noButton().text(), QStringLiteral("No"));
    EXPECT_EQ(card.yesButton().text(), QStringLiteral("Yes, it's red"));
    EXPECT_TRUE(card.yesButton().prominent());
    EXPECT_FALSE(card.noButton().prominent());
    EXPECT_EQ(card.width(), MethodCheckCard::cardWidth);
}

TEST(MethodCheckCardTest, KeysAndButtonsAnswer) {
    std::vector<bool> answers;
    MethodCheckCard card("Built-in Display", "Overlay tint", [&](bool yes) { answers.push_back(yes); });
    card.setAttribute(Qt::WA_DontShowOnScreen);
    card.show();
    QTest::keyClick(&card, Qt::Key_N);
    QTest::keyClick(&card, Qt::Key_Return);
    QTest::keyClick(&card, Qt::Key_Enter);
    QTest::keyClick(&card, Qt::Key_N, Qt::ControlModifier);  // not "n" alone
    QTest::keyClick(&card, Qt::Key_Y);
    card.noButton().click();
    card.yesButton().click();
    EXPECT_EQ(answers, (std::vector<bool>{false, true, true, false, true}));
}

TEST(MethodCheckCardTest, Renders) {
    MethodCheckCard card("Built-in Display", "Overlay tint", [](bool) {});
    const QSize size = kit::RenderHarness::fittingSize(card, MethodCheckCard::cardWidth);
    EXPECT_EQ(size.width(), 420);
    EXPECT_GT(size.height(), 150);
    EXPECT_LT(size.height(), 260);
    kit::RenderHarness::renderBoth(card, QStringLiteral("method-check-card"), size);
    // The popover's panel: rounded and edged, in both appearances.
    card.resize(size);
    for (const auto appearance : {kit::Appearance::light, kit::Appearance::dark})
        testing::expectPanelLook(card, appearance, kit::isDark(appearance) ? "dark" : "light");
}

}  // namespace
}  // namespace orvane
