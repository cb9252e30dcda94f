// The Displays pane over the real model on the simulated machine (a built-in display and
// an external monitor): one section per display, each editing its record by key.
#include <gtest/gtest.h>

#include "KitFixture.h"
#include "RenderedView.h"
#include "app/Capabilities.h"
#include "core/SettingsCodec.h"
#include "ui/hud/DisplayIdentifierView.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/settings/DisplaysPane.h"
#include "ui/views/Picker.h"
#include "ui/views/Stepper.h"

namespace orvane::testing {
namespace {

class DisplaysPaneTest : public KitModelTest {
protected:
    std::unique_ptr<DisplaysPane> pane() {
        auto view = std::make_unique<DisplaysPane>(PaneEnvironment{model, desktop}, window.get());
        place(*view, QSize(560, 1600));
        return view;
    }
    DisplaySettings stored(std::uint32_t id) const { return model->settings().displaySettings(display(id).key); }
    std::shared_ptr<Desktop> desktop = std::make_shared<Desktop>();
};

TEST_F(DisplaysPaneTest, OneSectionPerDisplayWithItsSymbolAndMethods) {
    start();
    auto view = pane();
    ASSERT_EQ(view->sections().size(), 2u);
    EXPECT_FALSE(view->showsEmptyState());
    const auto& builtIn = *view->sections()[0];
    const auto& external = *view->sections()[1];
    EXPECT_EQ(builtIn.titleText()->text().toStdString(), display(1).name);
    EXPECT_EQ(builtIn.symbol(), "laptopcomputer");
    EXPECT_EQ(external.symbol(), "display");
    EXPECT_EQ(builtIn.methodRow().picker().titles().size(), 5u);
    EXPECT_EQ(external.methodRow().picker().titles().size(), 6u);
    EXPECT_EQ(external.methodRow().picker().titles().back(), QStringLiteral("Hardware (DDC)"));
    EXPECT_NE(builtIn.extras().steadyBacklight(), nullptr);
    EXPECT_EQ(builtIn.extras().ddc(), nullptr);
    EXPECT_EQ(external.extras().steadyBacklight(), nullptr);
    ASSERT_NE(external.extras().ddc(), nullptr);
    EXPECT_EQ(external.extras().ddc()->picker().currentTitle(), QStringLiteral("Automatic"));
    EXPECT_EQ(builtIn.extras().antiDithering().picker().currentTitle(), QStringLiteral("Follow global"));
    EXPECT_EQ(builtIn.extras().warmthOffset().labelText(), QStringLiteral("+0K"));
    EXPECT_EQ(builtIn.extras().dimOffset().labelText(), QStringLiteral("+0%"));
    EXPECT_EQ(builtIn.extras().backlightLevel()->labelText(), QStringLiteral("60%"));

    sim->removeDisplay(1);
    sim->removeDisplay(2);
    settle();
    EXPECT_TRUE(view->showsEmptyState());
    EXPECT_TRUE(view->sections().empty());
}

TEST_F(DisplaysPaneTest, TextRules) {
    DisplayInfo d(7, "uuid:x", "Studio", false, {0, 0, 800.5, 600}, 2);
    // Pixels, not points: the frame times the scale, truncated.
    EXPECT_EQ(DisplaysRules::subtitle(d, TintMethod::matrix), "External \u00B7 1601\u00D71200 \u00B7 Color matrix");
    d.isBuiltIn = true;
    d.frame = {0, 0, 1512, 982.9};
    EXPECT_EQ(DisplaysRules::subtitle(d, TintMethod::overlay), "Built-in \u00B7 3024\u00D71965 \u00B7 Overlay tint");
    EXPECT_EQ(DisplaysRules::subtitle(d, std::nullopt), "Built-in \u00B7 3024\u00D71965 \u00B7 Not tinted");
    // A display no method attached to names no method, and says why where it knows.
    EXPECT_EQ(DisplaysRules::subtitle(d, std::nullopt, std::string("no gamma here")),
              "Built-in \u00B7 3024\u00D71965 \u00B7 Not tinted: no gamma here");
    DisplaySettings s;
    s.methodCheckResult = TintMethod::gamma;
    s.method = TintMethod::overlay;
    EXPECT_EQ(DisplaysRules::methodCaption(s, nullptr), "Method check confirmed: Gamma table");
    s.methodCheckResult.reset();
    EXPECT_EQ(DisplaysRules::methodCaption(s, nullptr).rfind("Automatic: color matrix", 0), 0u);
    DisplayCapabilities linuxDisplay;
    linuxDisplay.rules = MethodRules::displayFacts;
    linuxDisplay.automaticMethod = TintMethod::gamma;
    EXPECT_EQ(DisplaysRules::methodCaption(s, &linuxDisplay),
              "Automatic uses the driver's color matrix where it has one, else the gamma table, else the desktop's "
              "Night Light with an overlay, else an overlay alone (which needs a compositing manager). Here: Gamma "
              "table.");
    linuxDisplay.automaticMethod.reset();
    EXPECT_EQ(DisplaysRules::methodCaption(s, &linuxDisplay),
              "Automatic uses the driver's color matrix where it has one, else the gamma table, else the desktop's "
              "Night Light with an overlay, else an overlay alone (which needs a compositing manager). Nothing can "
              "tint this display: Needs a compositing manager.");
    EXPECT_EQ(DisplaysRules::methodChoices(true, TintMethod::ddc).back(), TintMethod::ddc)
        << "a built-in display with DDC stored shows it while it stays stored";
    EXPECT_EQ(DisplaysRules::methodChoices(true, TintMethod::gamma).size(), 5u);
    const std::pair<double, const char*> dims[] = {{0, "+0%"}, {0.15, "+15%"}, {-0.5, "-50%"}, {0.125, "+13%"}};
    for (const auto& [v, text] : dims) EXPECT_EQ(DisplaysRules::dimOffsetLabel(v), text);
    EXPECT_EQ(DisplaysRules::warmthOffsetLabel(-300), "-300K");
    EXPECT_EQ(DisplaysRules::warmthOffsetLabel(250), "+250K");
}

TEST_F(DisplaysPaneTest, EditsStoreTheWholeRecordUnderTheDisplaysKeyOnly) {
    start();
    auto view = pane();
    auto& builtIn = *view->sections()[0];
    const DisplaySettings externalBefore = stored(2);

    model->change([&](Settings& s, RuntimeState&) {
        DisplaySettings d = s.displaySettings(display(1).key);
        d.warmthOffsetKelvin = 1450;
        d.dimOffset = 0.12;
        s.displays[display(1).key] = d;
    });
    auto& warmth = builtIn.extras().warmthOffset();
    warmth.stepUp();
    EXPECT_EQ(stored(1).warmthOffsetKelvin, 1500);
    warmth.stepUp();
    EXPECT_EQ(stored(1).warmthOffsetKelvin, 1500);
    auto& dim = builtIn.extras().dimOffset();
    EXPECT_EQ(dim.labelText(), QStringLiteral("+12%"));
    dim.stepUp();
    EXPECT_DOUBLE_EQ(stored(1).dimOffset, 0.17);
    model->change([&](Settings& s, RuntimeState&) { s.displays[display(1).key].dimOffset = 0.12; });
    dim.stepDown();
    EXPECT_DOUBLE_EQ(stored(1).dimOffset, 0.07);
    model->change([&](Settings& s, RuntimeState&) { s.displays[display(1).key].dimOffset = -0.25; });
    EXPECT_EQ(dim.labelText(), QStringLiteral("-25%"));
    dim.stepUp();
    EXPECT_DOUBLE_EQ(stored(1).dimOffset, -0.2);

    // "Off" stores false; "Follow global" leaves no key in the document.
    auto& dithering = builtIn.extras().antiDithering().picker();
    dithering.choose(2);
    EXPECT_EQ(stored(1).antiDithering, std::optional<bool>(false));
    dithering.choose(0);
    EXPECT_EQ(stored(1).antiDithering, std::nullopt);
    const Json document = Json::parse(SettingsCodec::encode(model->settings()));
    EXPECT_FALSE(document["displays"][display(1).key].contains("antiDithering"));

    builtIn.methodRow().picker().choose(3);
    EXPECT_EQ(stored(1).method, TintMethod::overlay);
    EXPECT_EQ(stored(2), externalBefore) << "the other display's entry is untouched";
}

TEST_F(DisplaysPaneTest, CheckPostsTheKeyAndIdentifyShowsThatDisplay) {
    start();
    std::vector<std::string> identified;
    desktop->identifyDisplay = [&](const DisplayInfo& d) { identified.push_back(d.key); };
    std::vector<kit::NotificationCenter::Object> posted;
    auto subscription = notifications.observe(kit::Notifications::runMethodCheck,
                                              [&](const kit::NotificationCenter::Object& o) { posted.push_back(o); });
    auto view = pane();
    view->sections()[1]->checkButton().click();
    view->sections()[0]->identifyButton().click();
    EXPECT_EQ(posted, (std::vector<kit::NotificationCenter::Object>{display(2).key}));
    EXPECT_EQ(identified, (std::vector<std::string>{display(1).key}));

    model->change([&](Settings& s, RuntimeState&) {
        DisplaySettings d = s.displaySettings(display(2).key);
        d.methodCheckResult = TintMethod::gamma;
        s.displays[display(2).key] = d;
    });
    EXPECT_EQ(view->sections()[1]->methodRow().subtitleText()->text(),
              QStringLiteral("Method check confirmed: Gamma table"));
}

TEST_F(DisplaysPaneTest, RendersLightAndDarkWithTheIdentifier) {
    start();
    auto view = pane();
    expectRenderedWhole(*view, "displays-pane", kit::RenderHarness::fittingSize(*view, 620));
    DisplayIdentifierView builtIn(QStringLiteral("Built-in Retina Display"), true);
    expectRenderedWhole(builtIn, "display-identifier", builtIn.sizeHint());
    DisplayIdentifierView external(QStringLiteral("DELL U2720Q"), false);
    expectRenderedWhole(external, "display-identifier-external", external.sizeHint());
}

}  // namespace
}  // namespace orvane::testing
