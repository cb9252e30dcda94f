#include <gtest/gtest.h>
#include <QTest>

#include "KitFixture.h"
#include "core/Presets.h"
#include "ui/kit/KelvinNumeral.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/SaturationEffect.h"
#include "ui/kit/SymbolView.h"
#include "ui/kit/Text.h"
#include "ui/kit/TintSwitch.h"
#include "ui/views/LevelControl.h"
#include "ui/views/TintModule.h"
#include "ui/views/TintRules.h"

namespace orvane::testing {
namespace {

using kit::TintRules::stateLine;

TEST(KitTintRules, Mappings) {
    EXPECT_DOUBLE_EQ(kit::TintRules::warmthPosition(6500), 0);
    EXPECT_DOUBLE_EQ(kit::TintRules::warmthPosition(500), 1);
    EXPECT_EQ(kit::TintRules::kelvinAt(0.5), 3500);
    EXPECT_EQ(kit::TintRules::kelvinAt(1), 500);
    EXPECT_EQ(kit::TintRules::kelvinAt(0), 6500);
    EXPECT_EQ(kit::TintRules::kelvinAt(0.70), 2300);
    EXPECT_EQ(kit::TintRules::kelvinAt((6500.0 - 1900) / 6000), 1900);
    EXPECT_DOUBLE_EQ(kit::TintRules::dimAt(0, 0.05), 0.05);
    EXPECT_DOUBLE_EQ(kit::TintRules::dimAt(1, 0.05), 1.0);
    EXPECT_DOUBLE_EQ(kit::TintRules::dimAt(1.4, 0.05), 1.0);
    EXPECT_DOUBLE_EQ(kit::TintRules::dimPosition(0.05, 0.05), 0);
    EXPECT_EQ(kit::TintRules::dimText(0.125), "13%");
    EXPECT_EQ(kit::TintRules::dimText(0.8), "80%");
    EXPECT_EQ(kit::TintRules::dimText(0.29), "29%");
    EXPECT_EQ(kit::TintRules::kelvinText(3400), "3400K");
}

TEST(KitTintRules, StateLines) {
    const Date now{1773572400.0};  // 12:00 in Berlin, 11:00 UTC
    const TimeZone berlin = *TimeZone::named("Europe/Berlin");
    const TimeZone tokyo = *TimeZone::named("Asia/Tokyo");
    EXPECT_EQ(stateLine(false, TintStatus::Manual{}, Mode::manual, true, now, berlin), "Off");
    EXPECT_EQ(stateLine(true, TintStatus::DisabledUntil{Date(now.secondsSince1970 + 8 * 86400)}, Mode::sunset, false,
                        now, berlin),
              "True color while Focus is on");
    EXPECT_EQ(stateLine(true, TintStatus::DisabledUntil{Date(now.secondsSince1970 + 7 * 86400)}, Mode::sunset, false,
                        now, berlin),
              "True color until 12:00");
    // 07:12 tomorrow in Tokyo is 22:12 today in UTC: the place's zone decides.
    const Date tokyoMorning{1773612720.0};
    EXPECT_EQ(stateLine(true, TintStatus::DisabledUntil{tokyoMorning}, Mode::sunset, false, now, tokyo),
              "True color until 07:12");
    EXPECT_EQ(stateLine(true, TintStatus::DisabledUntil{tokyoMorning}, Mode::sunset, false, now, berlin),
              "True color until 23:12");
    EXPECT_EQ(stateLine(true, TintStatus::ExcludedApp{"GIMP"}, Mode::sunset, true, now, berlin), "Not tinted in GIMP");
    EXPECT_EQ(stateLine(true, TintStatus::PausedUntil{now}, Mode::schedule, true, now, berlin),
              "Manual hold · Schedule");
    // The mode name comes from the settings, not from the status's payload.
    EXPECT_EQ(stateLine(true, TintStatus::Following{Mode::schedule}, Mode::sunset, true, now, berlin),
              "Warming · Sunset");
    EXPECT_EQ(stateLine(true, TintStatus::Revealing{}, Mode::manual, false, now, berlin), "Daylight · Manual");
}

using KitTint = KitModelTest;

TEST_F(KitTint, WarmthSliderWritesSnappedKelvinAndKeepsDim) {
    AppModel& m = start(manualSettings(6500, 0.8));
    kit::WarmthControl control(model, 36, window.get());
    place(control, QSize(300, control.sizeHint().height()));
    EXPECT_DOUBLE_EQ(control.slider().value(), 0);
    EXPECT_EQ(control.readout().text(), QStringLiteral("6500K"));
    EXPECT_EQ(control.slider().detents(), kit::TintRules::presetDetents(m.settings().presets));

    // The trailing end.
    QTest::mousePress(&control.slider(), Qt::LeftButton, {},
                      QPoint(control.slider().width() / 2, control.slider().height() / 2));
    QTest::mouseMove(&control.slider(), QPoint(control.slider().width() + 40, control.slider().height() / 2));
    QTest::mouseRelease(&control.slider(), Qt::LeftButton, {},
                        QPoint(control.slider().width() + 40, control.slider().height() / 2));
    EXPECT_EQ(m.resolution().modeState.kelvin, 500);
    EXPECT_DOUBLE_EQ(m.resolution().modeState.dim, 0.8);
    EXPECT_EQ(control.readout().text(), QStringLiteral("500K"));
    control.slider().edit(0.5);
    EXPECT_EQ(m.resolution().modeState.kelvin, 3500);
    EXPECT_DOUBLE_EQ(m.resolution().modeState.dim, 0.8);
    EXPECT_DOUBLE_EQ(control.slider().value(), 0.5);
}

TEST_F(KitTint, WarmthSliderSnapsToAPresetWithOneTick) {
    AppModel& m = start(manualSettings(6500, 1.0));
    kit::WarmthControl control(model, 36, window.get());
    place(control, QSize(300, control.sizeHint().height()));
    kit::LevelSlider& slider = control.slider();
    const double w = slider.width(), h = 36;
    const double candle = kit::TintRules::warmthPosition(1900);
    const auto x = [&](double v) { return static_cast<int>(std::lround(h + v * (w - h))); };
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(x(candle + 0.012), slider.height() / 2));
    QTest::mouseMove(&slider, QPoint(x(candle - 0.01), slider.height() / 2));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(x(candle - 0.01), slider.height() / 2));
    EXPECT_EQ(m.resolution().modeState.kelvin, 1900);
    EXPECT_EQ(haptics->ticks, 1);
}

TEST_F(KitTint, DimSliderEndsAndReadout) {
    AppModel& m = start(manualSettings(3400, 0.5));
    kit::DimControl control(model, 36, window.get());
    place(control, QSize(300, control.sizeHint().height()));
    kit::LevelSlider& slider = control.slider();
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(1, slider.height() / 2));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(1, slider.height() / 2));
    EXPECT_DOUBLE_EQ(m.resolution().modeState.dim, m.settings().dimFloor);
    EXPECT_EQ(m.resolution().modeState.kelvin, 3400);
    // Dragged past the trailing end.
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(slider.width() / 2, slider.height() / 2));
    QTest::mouseMove(&slider, QPoint(slider.width() + 40, slider.height() / 2));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(slider.width() + 40, slider.height() / 2));
    EXPECT_DOUBLE_EQ(m.resolution().modeState.dim, 1.0);
    m.setWarmth(3400, 0.125);
    EXPECT_EQ(control.readout().text(), QStringLiteral("13%"));
    EXPECT_EQ(control.slider().accessibleName(), QStringLiteral("Brightness"));
}

TEST_F(KitTint, ModuleFollowsTheSwitchAndTheModel) {
    AppModel& m = start(manualSettings(2700, 1.0));
    kit::TintModule module(model, 36, true, window.get());
    place(module, QSize(320, module.sizeHint().height()));
    animator->settleAll();
    ASSERT_NE(module.toggle(), nullptr);
    EXPECT_TRUE(module.toggle()->isChecked());
    EXPECT_EQ(module.stateText()->text(), QStringLiteral("Warming · Manual"));
    ASSERT_TRUE(module.glassTint());
    EXPECT_NEAR(module.glassTint()->alphaF(), kit::Tokens::glassTint(2700)->opacity, 0.01);

    QTest::mouseClick(module.toggle(), Qt::LeftButton);
    EXPECT_FALSE(m.settings().enabled);
    animator->settleAll();
    EXPECT_EQ(module.stateText()->text(), QStringLiteral("Off"));
    EXPECT_FALSE(module.glassTint());
    EXPECT_DOUBLE_EQ(module.readingLook()->saturation(), 0);
    EXPECT_DOUBLE_EQ(module.readingLook()->opacity(), 0.55);

    // A slider still works while off, and turns the tint back on.
    module.warmth().slider().increment();
    animator->settleAll();
    EXPECT_TRUE(m.settings().enabled);
    EXPECT_TRUE(module.toggle()->isChecked());
    EXPECT_DOUBLE_EQ(module.readingLook()->saturation(), 1);

    const int switchX = module.toggle()->mapTo(&module, QPoint()).x();
    EXPECT_FALSE(module.backlightBadge()->isVisibleTo(&module));
    m.setSteadyBacklightActive(true);
    EXPECT_TRUE(module.backlightBadge()->isVisibleTo(&module));
    EXPECT_EQ(module.backlightBadge()->toolTip(), QStringLiteral("Steady backlight is on"));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(module.toggle()->mapTo(&module, QPoint()).x(), switchX);
}

TEST_F(KitTint, DaylightHasNoTintAndPlainColours) {
    start(manualSettings(6500, 1.0));
    kit::TintModule module(model, 36, true, window.get());
    animator->settleAll();
    EXPECT_FALSE(module.glassTint());
    EXPECT_EQ(kit::KelvinNumeralRules::colour(6500, kit::Appearance::dark), kit::primaryText(kit::Appearance::dark));
    EXPECT_EQ(kit::KelvinNumeralRules::colour(6499, kit::Appearance::dark),
              kit::Tokens::warmColor(6499).resolve(kit::Appearance::dark));
    EXPECT_EQ(kit::KelvinNumeralRules::digits(6500), "6500");
    EXPECT_EQ(module.melanopicText()->text(), QStringLiteral("True colors"));
}

TEST_F(KitTint, StateLineUsesThePlacesZone) {
    Settings s = manualSettings(2700, 1.0);
    s.sunset.locationSource = LocationSource::TimeZone{std::string("Asia/Tokyo")};
    AppModel& m = start(s);
    kit::TintModule module(model, 36, true, window.get());
    // 07:12 tomorrow in Tokyo; 23:12 in Berlin, the computer's zone here.
    m.disable(Date(1773612720.0));
    EXPECT_EQ(module.stateText()->text(), QStringLiteral("True color until 07:12"));
    m.disable(Date(berlinNoon.secondsSince1970 + 8 * 86400));
    EXPECT_EQ(module.stateText()->text(), QStringLiteral("True color while Focus is on"));
}

TEST_F(KitTint, WithoutReadingOnlyTheSlidersOnTintedGlass) {
    start(manualSettings(1900, 0.9));
    kit::TintModule module(model, 36, false, window.get());
    animator->settleAll();
    EXPECT_EQ(module.toggle(), nullptr);
    EXPECT_EQ(module.stateText(), nullptr);
    EXPECT_TRUE(module.glassTint());
    EXPECT_EQ(module.dim().readout().text(), QStringLiteral("90%"));
    kit::KelvinNumeral numeral(1900, window.get());
    EXPECT_EQ(numeral.accessibleName(), QStringLiteral("1900 kelvin"));
    numeral.setKelvin(2000, true);
    EXPECT_EQ(numeral.accessibleName(), QStringLiteral("2000 kelvin"));
}

TEST_F(KitTint, RendersTheModuleAndItsParts) {
    start(manualSettings(2700, 0.8));
    kit::TintModule reading(model, 36, true, window.get());
    kit::RenderHarness::renderBoth(reading, "tint-module-reading", QSize(320, reading.sizeHint().height()));
    kit::TintModule popover(model, 36, false, window.get());
    kit::RenderHarness::renderBoth(popover, "tint-module", QSize(320, popover.sizeHint().height()));
    kit::WarmthControl warmth(model, 28, window.get());
    kit::RenderHarness::renderBoth(warmth, "warmth-control", QSize(300, warmth.sizeHint().height()));
    kit::DimControl dim(model, 28, window.get());
    kit::RenderHarness::renderBoth(dim, "dim-control", QSize(300, dim.sizeHint().height()));
    kit::KelvinNumeral numeral(2700, window.get());
    kit::RenderHarness::renderBoth(numeral, "kelvin-numeral");
    model->setEnabled(false);
    kit::RenderHarness::renderBoth(reading, "tint-module-off", QSize(320, reading.sizeHint().height()));
    EXPECT_FALSE(kit::RenderHarness::render(reading, kit::Appearance::dark).isNull());
}

// A warmth from elsewhere (a preset, a hotkey, the curve) rolls the readouts and the numeral
// on the kit's clock; under the finger of its own slider a readout follows at once.
TEST_F(KitTint, NumbersRollUnlessTheirSliderIsDragged) {
    AppModel& m = start(manualSettings(3400, 0.8));
    kit::TintModule module(model, 36, true, window.get());
    place(module, QSize(320, module.sizeHint().height()));
    animator->settleAll();
    const kit::NumericTransition& kelvin = module.warmth().readout().transition();
    const kit::NumericTransition& dim = module.dim().readout().transition();
    const kit::NumericTransition& numeral = module.numeral()->transition();

    m.setWarmth(2700, std::nullopt);
    EXPECT_EQ(module.warmth().readout().text(), QStringLiteral("2700K"));
    ASSERT_TRUE(kelvin.rolling());
    EXPECT_EQ(kelvin.previous(), QStringLiteral("3400K"));
    EXPECT_EQ(kelvin.currentDirection(), kit::NumericTransition::Direction::down);
    ASSERT_TRUE(numeral.rolling());
    EXPECT_EQ(numeral.previous(), QStringLiteral("3400"));
    EXPECT_FALSE(dim.rolling()) << "the dim did not change";
    animationTime += 0.1;
    animator->step();
    EXPECT_NEAR(kelvin.progress(), kit::NumericTransition::spring.progress(0.1), 1e-9);
    EXPECT_NEAR(numeral.progress(), kit::NumericTransition::spring.progress(0.1), 1e-9);
    kit::RenderHarness::renderBoth(module, "tint-module-rolling", module.size(),
                                   kit::RenderHarness::Animations::asTheyStand);
    animationTime += 2;
    animator->step();
    EXPECT_FALSE(kelvin.rolling());
    EXPECT_FALSE(numeral.rolling());

    m.setWarmth(2700, 0.9);
    ASSERT_TRUE(dim.rolling());
    EXPECT_EQ(dim.previous(), QStringLiteral("80%"));
    EXPECT_EQ(dim.currentDirection(), kit::NumericTransition::Direction::up);
    animator->settleAll();

    kit::LevelSlider& slider = module.warmth().slider();
    const QPoint middle(slider.width() / 2, slider.height() / 2);
    QTest::mousePress(&slider, Qt::LeftButton, {}, middle);
    EXPECT_NE(m.resolution().modeState.kelvin, 2700);
    EXPECT_EQ(module.warmth().readout().text(),
              QString::fromStdString(kit::TintRules::kelvinText(m.resolution().modeState.kelvin)));
    EXPECT_FALSE(kelvin.rolling()) << "the number follows the finger";
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, middle);
}

// Switching off fades the reading column to grey at 0.55 and takes the glass tint away on
// the 0.4 s spring: untouched at the start, part way after 0.15 s, all the way at rest.
TEST_F(KitTint, SwitchingOffFadesTheReadingAndTheTint) {
    AppModel& m = start(manualSettings(2700, 1.0));
    kit::TintModule module(model, 36, true, window.get());
    place(module, QSize(320, module.sizeHint().height()));
    animator->settleAll();
    ASSERT_TRUE(module.glassTint());
    const double tint = module.glassTint()->alphaF();

    EXPECT_EQ(module.toggle()->knobPosition(), 1);
    QTest::mouseClick(module.toggle(), Qt::LeftButton);
    ASSERT_FALSE(m.settings().enabled);
    EXPECT_EQ(module.readingLook()->saturation(), 1);
    EXPECT_EQ(module.readingLook()->opacity(), 1);
    ASSERT_TRUE(module.glassTint());
    EXPECT_NEAR(module.glassTint()->alphaF(), tint, 0.01);

    animationTime += 0.15;
    animator->step();
    const double on = 1 - kit::Spring{0.4, 1.0}.progress(0.15);
    ASSERT_GT(on, 0.2);
    ASSERT_LT(on, 0.8);
    EXPECT_NEAR(module.readingLook()->saturation(), on, 1e-9);
    EXPECT_NEAR(module.readingLook()->opacity(), 0.55 + 0.45 * on, 1e-9);
    ASSERT_TRUE(module.glassTint());
    EXPECT_NEAR(module.glassTint()->alphaF(), tint * on, 0.01);
    kit::RenderHarness::renderBoth(module, "tint-module-fading", module.size(),
                                   kit::RenderHarness::Animations::asTheyStand);

    animationTime += 2;
    animator->step();
    EXPECT_EQ(module.readingLook()->saturation(), 0);
    EXPECT_EQ(module.readingLook()->opacity(), 0.55);
    EXPECT_FALSE(module.glassTint());
    EXPECT_EQ(module.toggle()->knobPosition(), 0) << "the clicked switch's knob went over too";

    // With reduce motion the look changes at once.
    animator->setReduceMotion(true);
    QTest::mouseClick(module.toggle(), Qt::LeftButton);
    EXPECT_TRUE(m.settings().enabled);
    EXPECT_EQ(module.readingLook()->saturation(), 1);
    EXPECT_EQ(module.readingLook()->opacity(), 1);
    EXPECT_NEAR(module.glassTint()->alphaF(), tint, 0.01);
}

}  // namespace
}  // namespace orvane::testing
