// The Comfort pane over the real model on the simulated machine (a built-in display and
// an external monitor): the percent stepper's arithmetic, the rows that come and go, the
// backlight tip and the pointer switch where the preferences port is missing.
#include <gtest/gtest.h>

#include <QApplication>

#include "KitFixture.h"
#include "RenderedView.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/settings/ComfortPane.h"
#include "ui/views/SwitchRow.h"

namespace orvane::testing {
namespace {

class ComfortPaneTest : public KitModelTest {
protected:
    std::unique_ptr<ComfortPane> pane() {
        auto view = std::make_unique<ComfortPane>(PaneEnvironment{model, std::make_shared<Desktop>()}, window.get());
        place(*view, QSize(560, 1400));
        return view;
    }
    void setMethod(std::uint32_t id, TintMethod method) {
        const std::string key = display(id).key;
        model->change([&](Settings& s, RuntimeState&) {
            DisplaySettings d = s.displaySettings(key);
            d.method = method;
            s.displays[key] = d;
        });
        settle();
    }
};

TEST_F(ComfortPaneTest, PercentStepperRoundsHalvesAwayAndStaysInsideItsRange) {
    start();
    struct Case {
        double Settings::*field;
        double stored;
        kit::StepperRange range;
        bool up;
        int clicks;
        const char* label;
        std::vector<double> written;
    };
    const Case cases[] = {
        {&Settings::dimFloor, 0.125, {1, 30, 1}, true, 1, "13%", {0.14}},
        {&Settings::deepRedStrength, 0.6, {20, 90, 5}, true, 8, "60%", {0.65, 0.7, 0.75, 0.8, 0.85, 0.9, 0.9, 0.9}},
        {&Settings::dimFloor, 0.05, {1, 30, 1}, false, 6, "5%", {0.04, 0.03, 0.02, 0.01, 0.01, 0.01}},
    };
    for (const auto& c : cases) {
        model->change([&](Settings& s, RuntimeState&) { s.*c.field = c.stored; });
        std::unique_ptr<kit::Stepper> stepper(PercentStepper::make(kit::settingField(model, c.field), c.range));
        EXPECT_EQ(stepper->labelText(), c.label);
        std::vector<double> written;
        for (int i = 0; i < c.clicks; ++i) {
            c.up ? stepper->stepUp() : stepper->stepDown();
            written.push_back(model->settings().*c.field);
        }
        EXPECT_EQ(written, c.written) << c.label;  // n / 100 exactly, never outside the range
        EXPECT_FALSE(stepper->labelText().contains(QLatin1Char('.')));
    }
}

TEST_F(ComfortPaneTest, LayerRowsShowOnlyWhileADisplayUsesTheOverlayOrNightShift) {
    start();
    auto view = pane();
    EXPECT_FALSE(view->usesLayers()) << "both displays on the colour matrix or DDC by default";
    EXPECT_TRUE(view->deepRedRow().isHidden());
    ASSERT_NE(view->nightShiftFloorRow(), nullptr) << "the simulated machine has Night Shift";
    EXPECT_TRUE(view->nightShiftFloorRow()->isHidden());

    // The floor has an effect only beside Night Shift: the overlay alone goes below it.
    setMethod(2, TintMethod::overlay);
    EXPECT_TRUE(view->usesLayers());
    EXPECT_FALSE(view->deepRedRow().isHidden());
    EXPECT_TRUE(view->nightShiftFloorRow()->isHidden());

    setMethod(2, TintMethod::nightShift);
    EXPECT_FALSE(view->deepRedRow().isHidden());
    EXPECT_FALSE(view->nightShiftFloorRow()->isHidden());

    setMethod(2, TintMethod::matrix);
    EXPECT_TRUE(view->deepRedRow().isHidden());
    EXPECT_TRUE(view->nightShiftFloorRow()->isHidden());

    sim->removeDisplay(1);
    sim->removeDisplay(2);
    settle();
    EXPECT_TRUE(model->displays().empty());
    EXPECT_FALSE(view->usesLayers());
    EXPECT_TRUE(view->deepRedRow().isHidden());
}

TEST_F(ComfortPaneTest, PwmCaptionOnlyForModelsBeginningMacBookProOrMac1) {
    const std::pair<std::optional<std::string>, bool> cases[] = {
        {std::string("MacBookPro18,1"), true}, {std::string("Mac14,2"), true}, {std::string("MacBookAir10,1"), false},
        {std::string("iMac21,1"), false},      {std::nullopt, false},
    };
    for (const auto& [identifier, shown] : cases)
        EXPECT_EQ(Capabilities::dimsByPulseWidth(identifier), shown) << identifier.value_or("none");

    // The pane shows it as the capabilities say, following them: the simulated machine is
    // a "Mac17,2" until its model is gone.
    start();
    auto view = pane();
    EXPECT_TRUE(model->capabilities().backlightFlickers);
    EXPECT_FALSE(view->pwmCaption().isHidden());
    sim->update([](platform::sim::SimState& s) { s.sysctl.erase("hw.model"); });
    model->refreshCapabilities();
    EXPECT_TRUE(view->pwmCaption().isHidden());
}

TEST_F(ComfortPaneTest, RestRowsFollowTheSwitchAndDismissHidesTheTipForGood) {
    start();
    auto view = pane();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(view->restRows(i).isHidden());
    model->change([](Settings& s, RuntimeState&) { s.restBreaks.enabled = true; });
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(view->restRows(i).isHidden());

    EXPECT_TRUE(view->backlightTip().isHidden());
    EXPECT_TRUE(view->levelRow().isHidden());
    model->change([](Settings& s, RuntimeState&) { s.steadyBacklight.enabled = true; });
    EXPECT_FALSE(view->backlightTip().isHidden());
    EXPECT_FALSE(view->levelRow().isHidden());
    view->dismissButton().click();
    EXPECT_TRUE(model->settings().steadyBacklight.tipShown);
    EXPECT_TRUE(view->backlightTip().isHidden());
    model->change([](Settings& s, RuntimeState&) { s.steadyBacklight.enabled = false; });
    model->change([](Settings& s, RuntimeState&) { s.steadyBacklight.enabled = true; });
    EXPECT_TRUE(view->backlightTip().isHidden()) << "dismissed stays dismissed";

    // The Night Shift tip switch is inverted.
    ASSERT_NE(view->nightShiftTip(), nullptr);
    EXPECT_TRUE(view->nightShiftTip()->isOn());
    view->nightShiftTip()->toggle().click();
    EXPECT_TRUE(model->settings().nightShiftTipDismissed);
}

TEST_F(ComfortPaneTest, WithoutThePreferencesPortThePointerSwitchIsDisabledAndItsSettingsRowLeftOut) {
    start();
    {
        auto view = pane();
        EXPECT_TRUE(view->pointerSwitch().toggle().isEnabled());
        EXPECT_TRUE(view->pointerSwitch().subtitleText()->text().endsWith(
            QStringLiteral("1500K and restores them afterwards.")));
        EXPECT_NE(view->pointerSettingsRow(), nullptr);
    }
    sim->update([](platform::sim::SimState& s) { s.missingPorts.insert("preferences"); });
    model->refreshCapabilities();
    auto view = pane();
    EXPECT_FALSE(view->pointerSwitch().toggle().isEnabled());
    EXPECT_EQ(view->pointerSwitch().subtitleText()->text(), QStringLiteral("Not available on this computer."));
    EXPECT_EQ(view->pointerSettingsRow(), nullptr);
}

TEST_F(ComfortPaneTest, RendersLightAndDark) {
    start();
    model->change([](Settings& s, RuntimeState&) {
        s.restBreaks.enabled = true;
        s.steadyBacklight.enabled = true;
    });
    setMethod(2, TintMethod::overlay);
    auto view = pane();
    expectRenderedWhole(*view, "comfort-pane", kit::RenderHarness::fittingSize(*view, 620));
}

}  // namespace
}  // namespace orvane::testing
