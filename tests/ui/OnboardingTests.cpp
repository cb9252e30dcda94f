// The first-run window over the real model: what it shows without a plan, what its
// controls write, the start action, its stars, and its look in each intensity.
#include <gtest/gtest.h>

#include <algorithm>

#include <QImage>
#include <QLayout>
#include <QPainter>
#include <QTest>

#include "KitFixture.h"
#include "PanelLook.h"
#include "RenderedView.h"
#include "ui/kit/Context.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/ScreenPlace.h"
#include "ui/kit/Text.h"
#include "ui/kit/TintSwitch.h"
#include "ui/onboarding/OnboardingRules.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/onboarding/OnboardingVisuals.h"
#include "ui/views/ClockMenu.h"
#include "ui/views/CurvePreview.h"
#include "ui/views/IntensitySegment.h"
#include "ui/views/LocationPickerView.h"
#include "ui/views/PlaceList.h"

namespace orvane {
namespace {

TEST(OnboardingStarFieldTest, FixedStarsInTheTopBandAndTheOuterStrips) {
    const double w = 540, h = 664;
    const auto stars = OnboardingStarField::stars(w, h);
    ASSERT_EQ(stars.size(), 31u);
    EXPECT_NEAR(stars[0].x, 117.031, 1e-3);
    EXPECT_NEAR(stars[0].y, 88.932, 1e-3);
    for (const auto& s : stars) {
        EXPECT_FALSE(0.12 * w <= s.x && s.x <= 0.88 * w && s.y > 0.15 * h) << s.x << ", " << s.y;
        EXPECT_LT(s.y, 0.34 * h);
        EXPECT_GE(s.radius, 0.5);
        EXPECT_LT(s.radius, 1.6);
        EXPECT_GE(s.opacity, 0.25);
        EXPECT_LT(s.opacity, 0.85);
    }
    // At another size the same stars, scaled with it.
    const auto twice = OnboardingStarField::stars(2 * w, 2 * h);
    ASSERT_EQ(twice.size(), stars.size());
    EXPECT_NEAR(twice[5].x, 2 * stars[5].x, 1e-9);
    EXPECT_NEAR(twice[5].y, 2 * stars[5].y, 1e-9);
    EXPECT_EQ(twice[5].radius, stars[5].radius);

    const auto draw = [&] {
        QImage image(540, 664, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        OnboardingVisuals::paintStars(painter, QSizeF(w, h));
        return image;
    };
    const QImage first = draw();
    EXPECT_EQ(first, draw()) << "two drawings are pixel-identical";
    EXPECT_NE(first.pixelColor(117, 89), QColor(Qt::black));
}

TEST(OnboardingRulesTest, GlowWashAndBackdropFollowTheIntensity) {
    EXPECT_EQ(OnboardingRules::glowKelvin(EveningIntensity::gentle), Preset::builtIn(Preset::BuiltIn::candle).kelvin);
    EXPECT_EQ(OnboardingRules::glowKelvin(EveningIntensity::warm), Preset::builtIn(Preset::BuiltIn::ember).kelvin);
    EXPECT_EQ(OnboardingRules::glowKelvin(EveningIntensity::deepRed),
              Preset::builtIn(Preset::BuiltIn::midnight).kelvin);
    EXPECT_DOUBLE_EQ(OnboardingRules::washOpacity(EveningIntensity::deepRed, false), 0.09);
    EXPECT_DOUBLE_EQ(OnboardingRules::washOpacity(EveningIntensity::gentle, true), 0.155);
    EXPECT_DOUBLE_EQ(OnboardingRules::backdropOpacities(true).radial, 0.55);
    EXPECT_DOUBLE_EQ(OnboardingRules::backdropOpacities(false).top, 0.28);
}

class OnboardingTest : public testing::KitModelTest {
protected:
    OnboardingView& make(const Settings& settings = testing::manualSettings()) {
        start(settings);
        view = new OnboardingView(
            model, [this] { ++finishes; }, window.get());
        place(*view, view->sizeHint());
        return *view;
    }
    OnboardingView* view = nullptr;
    int finishes = 0;
};

TEST_F(OnboardingTest, WithoutAPlanItShowsElevenAtNightSevenAndWarm) {
    auto& v = make();
    ASSERT_FALSE(model->eveningPlan());
    EXPECT_EQ(v.bedMenu().time(), ClockTime(23, 0));
    EXPECT_EQ(v.wakeMenu().time(), ClockTime(7, 0));
    EXPECT_EQ(v.shownNight().intensity, EveningIntensity::warm);
    EXPECT_EQ(v.descriptionText().text(),
              QStringLiteral("Candlelight warm at night, with very little blue. Most people start here."));
    EXPECT_EQ(v.modeLine().text().toStdString(), model->modeSubtitle());
    EXPECT_TRUE(settingsChanges.empty()) << "nothing written until a control changes";
    EXPECT_EQ(v.size(), QSize(540, 664));
}

// The welcome promises warmth only where something can tint a display: on a desktop where
// nothing can (a Wayland compositor without gamma control or a night light), it says so.
TEST_F(OnboardingTest, TheWelcomePromisesWarmthOnlyWhereADisplayCanBeTinted) {
    const std::string promise = "Orvane warms your screen from sunset and gives you daylight back when you wake up.";
    const std::string cannot =
        "Nothing on this desktop lets Orvane change your screen's colors, so it cannot warm your screen here.";
    sim->update([&](platform::sim::SimState& s) {
        s.linuxName = "Debian GNU/Linux 12 (bookworm)";
        s.missingPorts.insert({"colorAdjustments", "dithering", "nightShift", "preferences"});
        s.overlaysReachScreen = false;
        for (auto& d : s.displays) d.ctm = false;
    });
    auto& v = make();
    ASSERT_TRUE(model->capabilities().tinting());
    EXPECT_EQ(v.subtitleText().text().toStdString(), promise);
    // The gamma ramps go (or were never there): the welcome follows what can tint.
    sim->update([](platform::sim::SimState& s) {
        for (auto& d : s.displays) d.gammaCapacity = 0;
    });
    for (const auto& d : model->displays()) engine->reattach(d.id);
    model->refreshCapabilities();
    settle();
    ASSERT_FALSE(model->capabilities().tinting());
    EXPECT_EQ(v.subtitleText().text().toStdString(), cannot);
    testing::expectRenderedWhole(v, QStringLiteral("onboarding-cannot-tint"), v.sizeHint());
}

// Return and the keypad's Enter both start.
TEST_F(OnboardingTest, StartUntouchedMarksOnlyOnboardingDone) {
    auto& v = make();
    const Settings before = model->settings();
    ASSERT_FALSE(before.onboardingCompleted);
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Return, Qt::NoModifier},
                                                              {Qt::Key_Enter, Qt::KeypadModifier}};
    for (const auto& [key, modifiers] : keys) {
        SCOPED_TRACE(key == Qt::Key_Return ? "Return" : "keypad Enter");
        model->setSettings(before);
        finishes = 0;
        QTest::keyClick(&v, key, modifiers);
        Settings expected = before;
        expected.onboardingCompleted = true;
        EXPECT_EQ(model->settings(), expected);
        EXPECT_EQ(model->settings().mode, Mode::manual);
        EXPECT_EQ(finishes, 1);
    }
}

TEST_F(OnboardingTest, ABedtimeWithoutAPlanWritesAWholePlanInSunsetMode) {
    auto& v = make();
    const auto& times = ClockMenu::bedtimes();
    const auto at = std::find(times.begin(), times.end(), ClockTime(22, 0));
    ASSERT_NE(at, times.end());
    v.bedMenu().choose(static_cast<std::size_t>(at - times.begin()));
    const auto plan = model->eveningPlan();
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->bedtime.minutes, 1320);
    EXPECT_EQ(plan->wake.minutes, 420);
    EXPECT_EQ(plan->intensity, EveningIntensity::warm);
    EXPECT_EQ(model->settings().mode, Mode::sunset);
    EXPECT_EQ(v.bedMenu().time(), ClockTime(22, 0));

    // The wake menu keeps the bedtime; the intensity keeps both times.
    const auto& wakes = ClockMenu::wakeTimes();
    v.wakeMenu().choose(
        static_cast<std::size_t>(std::find(wakes.begin(), wakes.end(), ClockTime(6, 30)) - wakes.begin()));
    v.intensitySegment().choose(EveningIntensity::deepRed);
    EXPECT_EQ(model->eveningPlan()->bedtime.minutes, 1320);
    EXPECT_EQ(model->eveningPlan()->wake.minutes, 390);
    EXPECT_EQ(v.descriptionText().text(),
              QStringLiteral("Deep red at night and almost no blue light. Best for late nights."));
    EXPECT_FALSE(v.flashing()) << "no flash when drawn offscreen";
}

TEST_F(OnboardingTest, TheLaunchSwitchStoresTheChoiceWithoutRegistering) {
    Settings settings = testing::manualSettings();
    settings.launchAtLogin = false;
    auto& v = make(settings);
    EXPECT_FALSE(v.launchSwitch().isChecked());
    v.launchSwitch().click();
    EXPECT_TRUE(model->settings().launchAtLogin);
    EXPECT_TRUE(launchAtLogin.empty()) << "the login item waits for Start";
    v.launchSwitch().click();
    EXPECT_FALSE(model->settings().launchAtLogin);
    EXPECT_FALSE(v.launchSwitch().isChecked());
}

TEST_F(OnboardingTest, DrawnOffscreenEverySectionIsInPlaceAndStill) {
    auto& v = make();
    EXPECT_TRUE(v.appeared());
    EXPECT_DOUBLE_EQ(v.icon().glowOpacity(), 0.35);
    EXPECT_DOUBLE_EQ(v.icon().glowRadius(), 20);
    EXPECT_EQ(v.startButton().graphicsEffect(), nullptr);
    // The Start button sits above the footer, inside the window; nothing overflows the card.
    EXPECT_LE(v.startButton().geometry().bottom(), 664 - 20);
    EXPECT_GT(v.startButton().y(), v.placeButton().mapTo(&v, QPoint(0, v.placeButton().height())).y());
}

// The footer's notes are laid out whole (once "Nothing leaves your comput…" was cut), inside
// the window and under the Start button, in the fonts the renders use as on screen. Where
// the desktop gives no global shortcuts the footer names no reset keys, which would do
// nothing, but what does take the tint away.
TEST_F(OnboardingTest, TheFootersNotesAreLaidOutWhole) {
    auto& first = make();
    for (const bool keys : {true, false}) {
        SCOPED_TRACE(keys ? "global shortcuts" : "no global shortcuts");
        OnboardingView* v = &first;
        if (!keys) {
            sim->update([](platform::sim::SimState& st) { st.missingPorts.insert("globalShortcuts"); });
            model->refreshCapabilities();
            v = new OnboardingView(
                model, [] {}, window.get());
            place(*v, v->sizeHint());
        }
        const QString notes[] = {QStringLiteral("Nothing leaves your computer"),
                                 keys ? QString::fromStdString(OnboardingRules::emergencyOffText())
                                      : QStringLiteral("Quitting Orvane removes the tint")};
        for (const QString& note : notes) {
            kit::Text* shown = nullptr;
            for (auto* t : v->findChildren<kit::Text*>())
                if (t->text() == note) shown = t;
            ASSERT_TRUE(shown) << note.toStdString();
            EXPECT_GE(shown->width(), shown->sizeHint().width()) << "cut: " << note.toStdString();
            const QRect box(shown->mapTo(v, QPoint()), shown->size());
            EXPECT_TRUE(v->rect().contains(box)) << note.toStdString();
            EXPECT_GT(box.top(), v->startButton().geometry().bottom() - StartButton::shadowRoom) << note.toStdString();
        }
        if (!keys) testing::expectRenderedWhole(*v, "welcome-no-global-shortcuts", v->sizeHint());
    }
}

// On screen, with motion: the sections rise in one after another and a change of intensity
// flashes the wash; with reduce motion neither happens.
TEST_F(OnboardingTest, OnScreenTheSectionsRiseInAndTheWashFlashesButNotWithReduceMotion) {
    for (const bool reduce : {false, true}) {
        SCOPED_TRACE(reduce ? "reduce motion" : "motion");
        if (!model) start(testing::manualSettings());
        animator->setReduceMotion(reduce);
        QWidget screen;  // shown on the (offscreen) screen, unlike the fixture's window
        kit::setContext(screen, kit::contextOf(window.get()));
        auto* v = new OnboardingView(
            model, [] {}, &screen);
        screen.resize(v->sizeHint());
        screen.show();
        QCoreApplication::sendPostedEvents();
        if (reduce) {
            EXPECT_EQ(v->startButton().graphicsEffect(), nullptr) << "in place at once";
        } else {
            EXPECT_NE(v->startButton().graphicsEffect(), nullptr) << "transparent before its turn";
            const int lowered = v->startButton().y();
            // The sections' turns come on real timers (the last at 0.32 s); the bound only
            // catches one that never comes. Each look settles what has started by then.
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    animationTime += 2;
                    animator->step();
                    return v->startButton().graphicsEffect() == nullptr;
                },
                30000))
                << "the Start button's turn never came";
            EXPECT_EQ(v->startButton().y(), lowered - 10) << "risen by 10 points";
        }
        v->intensitySegment().choose(reduce ? EveningIntensity::gentle : EveningIntensity::deepRed);
        EXPECT_EQ(v->flashing(), !reduce);
        if (!reduce) {
            EXPECT_GE(v->wash().opacity(), 0.06 + 0.12 - 1e-9) << "the flash comes on at once";
            EXPECT_EQ(v->descriptionText().y(), 3) << "the new description enters from 3 points lower";
            EXPECT_TRUE(QTest::qWaitFor([&] { return !v->flashing(); }, 30000)) << "over after 0.38 s, not never";
            animationTime += 3;
            animator->step();
            EXPECT_NEAR(v->wash().opacity(), 0.09, 1e-6);
            EXPECT_EQ(v->descriptionText().y(), 0);
        } else {
            EXPECT_EQ(v->descriptionText().y(), 0);
        }
    }
}

// The icon's glow breathes only while the window is on screen: the window manager's close
// button only hides the window, and the breath must stop with it and go on when it shows
// again. However many frames, the blurred glow is made once per colour and size.
TEST_F(OnboardingTest, TheGlowBreathesOnlyWhileShownAndIsBlurredOncePerLook) {
    start(testing::manualSettings());
    QWidget screen;  // shown on the (offscreen) screen, unlike the fixture's window
    kit::setContext(screen, kit::contextOf(window.get()));
    auto* v = new OnboardingView(
        model, [] {}, &screen);
    screen.resize(v->sizeHint());
    screen.show();
    QCoreApplication::sendPostedEvents();
    OnboardingIcon& icon = v->icon();
    EXPECT_TRUE(icon.breathing());
    // The breath, like the sections' turns, runs on real timers: each wait is for a change
    // that must come, and its bound only catches one that never does.
    constexpr int never = 30000;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            animationTime += 2;
            animator->step();
            return v->startButton().graphicsEffect() == nullptr;
        },
        never))
        << "the last section's turn to rise in never came";
    ASSERT_TRUE(QTest::qWaitFor([&] { return icon.glowRenders() > 0; }, never)) << "never painted";
    // Frames at new breaths, each painted while the next is awaited.
    const auto nextBreath = [&] {
        const double before = icon.breath();
        return QTest::qWaitFor([&] { return icon.breath() != before; }, never);
    };
    const double first = icon.breath();
    for (int frame = 0; frame < 3; ++frame) ASSERT_TRUE(nextBreath()) << "the breath stopped";
    EXPECT_TRUE(QTest::qWaitFor([&] { return icon.breath() > first; }, never)) << "it breathes";
    EXPECT_EQ(icon.glowRenders(), 1);

    screen.close();  // what the close button does to a window that is not deleted on close
    EXPECT_FALSE(icon.breathing());
    const double held = icon.breath();
    QTest::qWait(150);  // longer than a breath's frame: time enough to move if it still did
    EXPECT_EQ(icon.breath(), held) << "nothing moves while hidden";

    screen.show();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(icon.breathing());
    EXPECT_TRUE(QTest::qWaitFor([&] { return icon.breath() != held; }, never)) << "it breathes again";

    // Another glow colour (deep red): blurred afresh, once, however many frames follow.
    icon.setIntensity(EveningIntensity::deepRed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return icon.glowRenders() == 2; }, never));
    for (int frame = 0; frame < 3; ++frame) ASSERT_TRUE(nextBreath()) << "the breath stopped";
    EXPECT_EQ(icon.glowRenders(), 2);
}

TEST_F(OnboardingTest, ThePlaceButtonOpensThePickerBesideItInsideTheScreenAndClosingEndsChoosing) {
    auto& v = make();
    EXPECT_EQ(v.placeName(), QString::fromStdString(model->location().name));
    EXPECT_EQ(v.placePopover(), nullptr);
    v.placeButton().click();
    ASSERT_TRUE(v.placePopover());
    EXPECT_TRUE(v.choosingPlace());
    EXPECT_TRUE(v.placePopover()->isVisible());
    EXPECT_TRUE(v.placePopover()->windowFlags().testFlag(Qt::Popup));
    EXPECT_EQ(v.placePopover()->width(), 440);
    EXPECT_TRUE(v.placePopover()->findChild<LocationPickerView*>());
    // Below the button where the screen has room, else above it; never over the button,
    // never past the available area.
    const QRect button(v.placeButton().mapToGlobal(QPoint(0, 0)), v.placeButton().size());
    const QRect popup = v.placePopover()->geometry();
    const QRect available = kit::availableAreaAt(button.center());
    EXPECT_TRUE(available.contains(popup)) << popup.x() << "," << popup.y() << " in " << available.height();
    EXPECT_FALSE(popup.intersects(button));
    EXPECT_TRUE(popup.top() > button.bottom() || available.bottom() - button.bottom() < popup.height())
        << "above only where below has no room";
    testing::expectRenderedWhole(*v.placePopover(), QStringLiteral("onboarding-place"), v.placePopover()->size());
    for (const auto appearance : {kit::Appearance::light, kit::Appearance::dark})
        testing::expectPanelLook(*v.placePopover(), appearance, kit::isDark(appearance) ? "dark" : "light");
    v.placePopover()->close();
    EXPECT_FALSE(v.choosingPlace());
}

// Each tab with a list fits the place chooser whole: the caption under the list (the
// cities' credit, the zones' note) sits below the list's frame, inside the window, at its
// full height.
TEST_F(OnboardingTest, ThePlaceChooserShowsEachListWithItsCaptionBelowIt) {
    Settings settings = testing::manualSettings();
    settings.sunset.locationSource = LocationSource::TimeZone{"Europe/Paris"};  // the zone list shows
    auto& v = make(settings);
    v.placeButton().click();
    QWidget* popover = v.placePopover();
    ASSERT_TRUE(popover);
    LocationPickerView* picker = nullptr;  // the view has no meta-object of its own
    for (auto* child : popover->findChildren<QWidget*>())
        if (auto* found = dynamic_cast<LocationPickerView*>(child)) picker = found;
    ASSERT_TRUE(picker);
    using Tab = LocationPickerView::Tab;
    const struct {
        Tab tab;
        QWidget* list;
        QWidget* caption;
        const char* name;
    } cases[] = {
        {Tab::city, picker->cityList(), picker->cityCredit(), "onboarding-place-city"},
        {Tab::timeZone, picker->zoneList(), picker->zoneCaption(), "onboarding-place-zone"},
    };
    const auto inPopover = [&](const QWidget* w) { return QRect(w->mapTo(popover, QPoint(0, 0)), w->size()); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        picker->setTab(c.tab);
        QCoreApplication::sendPostedEvents();
        popover->layout()->activate();
        ASSERT_TRUE(c.list->isVisible() && c.caption->isVisible());
        const QRect list = inPopover(c.list), caption = inPopover(c.caption);
        EXPECT_GT(caption.top(), list.bottom()) << "caption at " << caption.top() << ", list ends at " << list.bottom();
        EXPECT_GE(caption.height(), c.caption->sizeHint().height());
        EXPECT_TRUE(popover->rect().contains(caption))
            << "caption ends at " << caption.bottom() << " in " << popover->height();
        EXPECT_EQ(popover->width(), OnboardingView::placePopoverWidth);
        testing::expectRenderedWhole(*popover, QString::fromUtf8(c.name), popover->size());
    }
    popover->close();
}

TEST_F(OnboardingTest, TheCurveIsTheResolvedOneFromNoonInThePlacesZone) {
    auto& v = make();
    EXPECT_EQ(v.curvePreview().startHour(), 12);
    EXPECT_TRUE(v.curvePreview().labelsNow());
    EXPECT_EQ(v.curvePreview().timeZone().identifier(), model->placeZone().identifier());
    EveningPlan plan = OnboardingRules::night(std::nullopt);
    model->setEveningPlan(plan);
    ASSERT_TRUE(model->resolution().curve);
    ASSERT_TRUE(v.curvePreview().curve());
    EXPECT_EQ(v.curvePreview().shownKelvins().size(), static_cast<std::size_t>(CurveLayout::sampleCount));
}

TEST_F(OnboardingTest, RendersInEachIntensity) {
    make(testing::manualSettings());
    const std::pair<EveningIntensity, const char*> looks[] = {{EveningIntensity::gentle, "gentle"},
                                                              {EveningIntensity::warm, "warm"},
                                                              {EveningIntensity::deepRed, "deep-red"}};
    for (const auto& [intensity, name] : looks) {
        EveningPlan plan;
        plan.bedtime = ClockTime(23, 0);
        plan.wake = ClockTime(7, 0);
        plan.intensity = intensity;
        model->setEveningPlan(plan);
        testing::expectRenderedWhole(*view, QStringLiteral("onboarding-") + name, view->sizeHint());
    }
}

}  // namespace
}  // namespace orvane
