// The sky card as a widget over the real model: its texts at Berlin and Longyearbyen, the
// drag preview and its spring back, the moon hover, the popover's open and close with their
// timers and meteors, the bed menu and the switch.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include <QAbstractButton>
#include <QMouseEvent>
#include <QTest>

#include "SkyFixture.h"
#include "ui/kit/Context.h"
#include "ui/kit/RenderHarness.h"
#include "ui/menubar/SkyHero.h"
#include "ui/menubar/SkyTexts.h"
#include "ui/menubar/SkyWash.h"
#include "ui/views/ClockMenu.h"
#include "ui/views/EveningLightBadge.h"

namespace orvane::testing {
namespace {

class SkyHeroTest : public SkyModelTest {
protected:
    std::unique_ptr<SkyHero> card(std::optional<Date> fixedNow, bool reduceMotion = false) {
        SkyHero::Environment environment;
        environment.scheduler = scheduler;
        environment.clock = clock;
        environment.reduceMotion = reduceMotion;
        environment.locale = "en_US";
        environment.random = random;
        // Made in the test's window, so it listens to the test's centre, then taken out to stand alone.
        auto hero = std::make_unique<SkyHero>(model, environment, fixedNow, host.get());
        hero->setParent(nullptr);
        hero->resize(352, SkyHero::cardHeight);
        hero->refresh();  // a hidden widget gets its resize event only when shown
        return hero;
    }
    void mouse(SkyHero& hero, QEvent::Type type, QPointF at) {
        QMouseEvent event(type, at, hero.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&hero, &event);
    }
    void drag(SkyHero& hero, QPointF from, QPointF to) {
        mouse(hero, QEvent::MouseButtonPress, from);
        mouse(hero, QEvent::MouseMove, to);
    }
    std::shared_ptr<std::mt19937_64> random = std::make_shared<std::mt19937_64>(7);
    kit::NotificationCenter notifications;
    // The window the cards are made in: its centre is the test's.
    std::unique_ptr<QWidget> host = [this] {
        auto w = std::make_unique<QWidget>();
        kit::Context context;
        context.notifications = &notifications;
        kit::setContext(*w, context);
        return w;
    }();
};

TEST_F(SkyHeroTest, BerlinMiddayWithoutPlan) {
    Settings settings;
    settings.sunset.startOffsetMinutes = -20;  // tuned by hand: no plan matches
    startAt(berlinCity, berlinTime(6, 21, 12), settings);
    ASSERT_FALSE(model->eveningPlan());
    const Date noon = berlinTime(6, 21, 12);
    auto hero = card(noon);
    EXPECT_EQ(hero->now(), noon);
    EXPECT_NEAR(hero->day().window.start.secondsSince1970, berlinTime(6, 21, 2, 43).secondsSince1970, 90);
    EXPECT_NEAR(hero->day().sunX, 143.1, 0.3);
    EXPECT_TRUE(std::regex_match(hero->skyLine(), std::regex("Sunset at 9:3[234]\u202FPM · Berlin")))
        << hero->skyLine();
    EXPECT_EQ(hero->timeText(), "12:00\u202FPM");
    EXPECT_EQ(hero->day().marks.size(), 2u);
    EXPECT_TRUE(std::regex_match(
        hero->accessibleName().toStdString(),
        std::regex("Sky now: the sun is 5[6-9]° above the horizon\\. Sunset at 9:3[234]\u202FPM · Berlin\\.")))
        << hero->accessibleName().toStdString();
    EXPECT_EQ(hero->accessibleDescription(), "Drag across the sky to preview another time of day.");
    EXPECT_TRUE(hero->bedMenu()->isHidden());
}

TEST_F(SkyHeroTest, LongyearbyenMidsummerShowsTheWholeDayAndThePlaceName) {
    const Date noon = berlinTime(6, 21, 12);  // Longyearbyen keeps Central European time
    startAt(longyearbyenCity, noon);
    auto hero = card(noon);
    EXPECT_EQ(hero->day().window.start, Calendar(*TimeZone::named("Arctic/Longyearbyen")).startOfDay(noon));
    EXPECT_DOUBLE_EQ(hero->day().window.span, 86400);
    EXPECT_TRUE(hero->day().marks.empty());
    EXPECT_EQ(hero->skyLine(), "Longyearbyen");
}

TEST_F(SkyHeroTest, DragPreviewStartsOnlyAboveTheSeaAndSpringsBack) {
    Settings settings;
    settings.mode = Mode::manual;
    startAt(berlinCity, berlinTime(6, 21, 12), settings);
    auto hero = card(berlinTime(6, 21, 12));
    const double hY = hero->day().horizonY();
    const std::string liveTitle = hero->seaTitle();
    const std::string liveKelvin = hero->kelvinText();

    drag(*hero, {100, hY + 10}, {200, hY + 10});
    EXPECT_FALSE(hero->scrub());
    mouse(*hero, QEvent::MouseButtonRelease, {200, hY + 10});

    drag(*hero, {100, hY + 9}, {-30, hY + 60});  // into the sea and past the left edge
    ASSERT_TRUE(hero->scrub());
    EXPECT_EQ(*hero->scrub(), hero->day().window.start);
    EXPECT_EQ(hero->shown(), hero->day().window.start);
    EXPECT_DOUBLE_EQ(hero->day().sunX, 0);
    EXPECT_EQ(hero->skyLine(), "Preview · let go for now");
    // Manual mode has no curve to preview: the sea row stays live.
    EXPECT_EQ(hero->seaTitle(), liveTitle);
    EXPECT_EQ(hero->kelvinText(), liveKelvin);

    mouse(*hero, QEvent::MouseButtonRelease, {-30, hY + 60});
    EXPECT_FALSE(hero->scrub());
    EXPECT_EQ(hero->shown(), hero->now());
    EXPECT_TRUE(hero->springing());
    EXPECT_LT(hero->day().sunX, 100);  // on its way back
    scheduler->advance(1.0);
    EXPECT_FALSE(hero->springing());
    EXPECT_NEAR(hero->day().sunX, 143.1, 0.3);
}

TEST_F(SkyHeroTest, PreviewFollowsTheCurveInSunsetMode) {
    startAt(berlinCity, berlinTime(6, 21, 12));
    ASSERT_TRUE(model->eveningPlan());
    auto hero = card(berlinTime(6, 21, 12));
    const double W = 352;
    const SkyWindow window = hero->day().window;
    // Half past midnight lies in the warmest part of the default evening.
    const double x = W * window.fraction(berlinTime(6, 22, 0, 30));
    drag(*hero, {x - 20, 40}, {x, 40});
    ASSERT_TRUE(hero->scrub());
    EXPECT_EQ(hero->seaTitle(), "Orvane then");
    const auto expected = model->resolution().curve->state(*hero->scrub());
    EXPECT_EQ(hero->kelvinText(), std::to_string(expected.kelvin));
    EXPECT_LT(expected.kelvin, 6500);
    EXPECT_FALSE(hero->badgeReduction());
}

TEST_F(SkyHeroTest, MoonHoverNamesThePhase) {
    const Date late = berlinTime(6, 21, 23, 30);
    startAt(berlinCity, late);
    auto hero = card(late);
    ASSERT_TRUE(hero->day().moonSpot);
    const SkyPoint moon = hero->day().moonSpot->point;
    mouse(*hero, QEvent::MouseMove, {moon.x + 10, moon.y + 10});
    EXPECT_TRUE(hero->moonHovered());
    EXPECT_TRUE(std::regex_match(hero->skyLine(), std::regex(".+ · (9[0-9]|100)% lit"))) << hero->skyLine();
    EXPECT_TRUE(hero->accessibleName().contains("The moon is up: "));
    mouse(*hero, QEvent::MouseMove, {moon.x + 12, moon.y + 12});
    EXPECT_FALSE(hero->moonHovered());
    EXPECT_EQ(hero->skyLine().rfind("Sunrise", 0), 0u);
}

TEST_F(SkyHeroTest, TimersRunOnlyWhileOpen) {
    const Date night = berlinTime(6, 21, 23, 30);
    startAt(berlinCity, night);
    const std::size_t before = scheduler->timerCount();
    auto hero = card(std::nullopt);
    EXPECT_TRUE(hero->twinkles());
    EXPECT_TRUE(hero->animating());
    EXPECT_EQ(scheduler->timerCount(), before + 2);  // the minute's refresh and the frames
    notifications.post(kit::Notifications::popoverDidClose);
    EXPECT_FALSE(hero->isOpen());
    EXPECT_FALSE(hero->twinkles());
    EXPECT_EQ(scheduler->timerCount(), before);
    notifications.post(kit::Notifications::popoverWillShow);
    EXPECT_TRUE(hero->isOpen());
    EXPECT_EQ(scheduler->timerCount(), before + 2);
    hero.reset();
    EXPECT_EQ(scheduler->timerCount(), before);

    // A fixed moment or reduced motion: no twinkle, no frames.
    auto fixed = card(night);
    EXPECT_FALSE(fixed->twinkles());
    EXPECT_EQ(scheduler->timerCount(), before + 1);
    fixed.reset();
    auto still = card(std::nullopt, true);
    still->popoverWillShow();
    EXPECT_FALSE(still->animating());
    EXPECT_FALSE(still->scene().meteor);
}

TEST(SkyTexts, TheNextMinuteBegins) {
    const Date minute(1718994600);  // a whole minute
    const std::pair<double, double> cases[] = {{0, 60}, {0.25, 59.75}, {45, 15}, {59.5, 0.5}};
    for (const auto& [into, left] : cases) EXPECT_DOUBLE_EQ(SkyTexts::untilNextMinute(minute + into), left) << into;
    EXPECT_DOUBLE_EQ(SkyTexts::untilNextMinute(Date(-15)), 15) << "before 1970 too";
}

// While open the shown time changes as each minute begins, not up to a minute late; one
// timer, re-armed each minute, none once the popover closes.
TEST_F(SkyHeroTest, TheShownTimeTicksOnTheMinuteWhileOpen) {
    startAt(berlinCity, berlinTime(6, 21, 22, 30) + 40);
    const std::size_t before = scheduler->timerCount();
    auto hero = card(std::nullopt, true);  // reduced motion: no frames, no rolls
    ASSERT_EQ(scheduler->timerCount(), before + 1);
    // The model's start moved the clock on a little: measured from where it stands.
    const double left = SkyTexts::untilNextMinute(clock->now());
    ASSERT_GT(left, 5) << "the case needs a minute well under way";
    const std::string first = hero->timeText();
    scheduler->advance(left - 0.1);
    EXPECT_EQ(hero->timeText(), first);
    scheduler->advance(0.2);
    const std::string second = hero->timeText();
    EXPECT_NE(second, first) << "on the minute, not up to a minute late";
    scheduler->advance(59.7);
    EXPECT_EQ(hero->timeText(), second);
    scheduler->advance(0.3);
    const std::string third = hero->timeText();
    EXPECT_NE(third, second) << "and on the next";
    EXPECT_EQ(scheduler->timerCount(), before + 1) << "the same one timer, armed again";

    hero->popoverDidClose();
    EXPECT_EQ(scheduler->timerCount(), before);
    scheduler->advance(20);
    hero->popoverWillShow();
    EXPECT_EQ(hero->timeText(), third);
    scheduler->advance(39.5);
    EXPECT_EQ(hero->timeText(), third);
    scheduler->advance(0.5);
    EXPECT_NE(hero->timeText(), third) << "aligned again after opening";
}

// Whatever hides the card (its window closed by the window manager, minimised) stops the
// frames (the twinkle's, and a meteor's with them) and the refresh; showing it again starts
// them.
TEST_F(SkyHeroTest, AHiddenCardRunsNoTimersAndShownAgainAnimates) {
    const Date night = berlinTime(6, 21, 23, 30);
    startAt(berlinCity, night);
    const std::size_t before = scheduler->timerCount();
    auto hero = card(std::nullopt);
    hero->show();
    ASSERT_TRUE(hero->animating());
    hero->hide();
    EXPECT_TRUE(hero->isOpen()) << "hidden is not closed";
    EXPECT_FALSE(hero->animating());
    EXPECT_EQ(scheduler->timerCount(), before);
    hero->show();
    EXPECT_TRUE(hero->animating());
    EXPECT_EQ(scheduler->timerCount(), before + 2);

    // A spring back under way when the card hides ends there.
    const double y = hero->day().horizonY() - 20;
    drag(*hero, {100, y}, {300, y});
    mouse(*hero, QEvent::MouseButtonRelease, {300, y});
    ASSERT_TRUE(hero->springing());
    hero->hide();
    EXPECT_FALSE(hero->springing());
    EXPECT_EQ(scheduler->timerCount(), before);
}

TEST_F(SkyHeroTest, AClosedCardLaysOutNothingUntilItOpens) {
    startAt(berlinCity, berlinTime(6, 21, 21, 45), testing::manualSettings(3400));
    auto hero = card(std::nullopt);
    hero->popoverDidClose();
    const auto closed = hero->generation();
    ASSERT_EQ(hero->kelvinText(), "3400");

    // The ticks' statistics, a new warmth, tonight's figure: a closed card does no work.
    model->setRenderTonightReduction(0.5);
    Settings s = model->settings();
    s.manualKelvin = 2700;
    model->setSettings(s);
    scheduler->advance(61);
    EXPECT_EQ(hero->generation(), closed);

    // Opening shows what changed meanwhile.
    hero->popoverWillShow();
    EXPECT_NE(hero->generation(), closed);
    EXPECT_EQ(hero->kelvinText(), "2700");
    ASSERT_TRUE(hero->badgeReduction());
    EXPECT_FALSE(hero->badge()->isHidden());
}

TEST_F(SkyHeroTest, EachOpeningMayBringAMeteorThatCloseClears) {
    const Date night = berlinTime(6, 21, 23, 30);
    startAt(berlinCity, night);
    auto hero = card(std::nullopt);
    int meteors = 0;
    for (int i = 0; i < 300; ++i) {
        hero->popoverWillShow();
        if (const auto& m = hero->meteor()) {
            ++meteors;
            EXPECT_GE(m->start - clock->now(), 1.5);
            EXPECT_LE(m->start - clock->now(), 6.0);
            EXPECT_EQ(hero->scene().meteor, m);
        }
        hero->popoverDidClose();
        EXPECT_FALSE(hero->meteor());
    }
    EXPECT_GT(meteors, 8);  // about 24 expected at 8 %
    EXPECT_LT(meteors, 50);
}

// The rows' numbers count on the kit's clock: the kelvin on the sea row's 0.35 s spring,
// during a preview too; the time not while the finger scrubs, but back to now on the
// release's 0.5 s spring; what changed while the popover was closed simply stands when it
// opens, and the next minute while open counts up again.
TEST_F(SkyHeroTest, RowNumbersRollOnTheKitsClock) {
    startAt(berlinCity, berlinTime(6, 21, 21, 45));
    auto hero = card(std::nullopt);
    double t = 0;
    auto animator = std::make_shared<kit::Animator>([&] { return t; }, false);
    kit::Context context;
    context.animator = animator;
    context.notifications = &notifications;
    kit::setContext(*hero, context);
    hero->setAttribute(Qt::WA_DontShowOnScreen);
    hero->show();
    QCoreApplication::sendPostedEvents();
    animator->settleAll();
    const std::string live = hero->kelvinText();
    drag(*hero, {100, 40}, {330, 40});
    ASSERT_TRUE(hero->scrub());
    ASSERT_NE(hero->kelvinText(), live);
    EXPECT_TRUE(hero->kelvinRoll().rolling()) << "the previewed warmth counts too";
    EXPECT_FALSE(hero->timeRoll().rolling()) << "the time follows the finger";
    EXPECT_EQ(hero->timeRoll().text().toStdString(), hero->timeText());
    animator->settleAll();
    mouse(*hero, QEvent::MouseButtonRelease, {330, 40});
    ASSERT_TRUE(hero->timeRoll().rolling());
    t += 0.1;
    animator->step();
    EXPECT_NEAR(hero->timeRoll().progress(), kit::Spring(0.5, 1.0).progress(0.1), 1e-9);
    animator->settleAll();
    scheduler->advance(1);                        // the sun springs back to now too
    kit::defaultContext().animator->settleAll();  // the switch, made before the card had its context

    const std::string before = hero->kelvinText();
    ASSERT_GT(std::stoi(before), 1200);
    model->setWarmth(1200, std::nullopt);
    EXPECT_EQ(hero->kelvinText(), "1200");
    ASSERT_TRUE(hero->kelvinRoll().rolling());
    EXPECT_EQ(hero->kelvinRoll().previous().toStdString(), before);
    EXPECT_EQ(hero->kelvinRoll().currentDirection(), kit::NumericTransition::Direction::down);
    t += 0.1;
    animator->step();
    EXPECT_NEAR(hero->kelvinRoll().progress(), kit::Spring(0.35, 1.0).progress(0.1), 1e-9);
    for (bool dark : {false, true})
        kit::RenderHarness::save(
            kit::RenderHarness::render(*hero, dark ? kit::Appearance::dark : kit::Appearance::light, hero->size(),
                                       kit::RenderHarness::Animations::asTheyStand),
            dark ? "sky-berlin-2145-rolling-dark" : "sky-berlin-2145-rolling-light");
    animator->settleAll();

    hero->popoverDidClose();
    clock->setNow(clock->now() + 600);
    const std::string closed = hero->timeText();
    hero->popoverWillShow();
    EXPECT_NE(hero->timeText(), closed);
    EXPECT_FALSE(hero->timeRoll().rolling());
    scheduler->advance(60);
    EXPECT_TRUE(hero->timeRoll().rolling());

    // With reduced motion the numbers simply change.
    auto still = card(std::nullopt, true);
    kit::setContext(*still, context);
    still->setAttribute(Qt::WA_DontShowOnScreen);
    still->show();
    model->setWarmth(1500, std::nullopt);
    EXPECT_EQ(still->kelvinText(), "1500");
    EXPECT_FALSE(still->kelvinRoll().rolling());
    EXPECT_TRUE(hero->kelvinRoll().rolling());
}

TEST_F(SkyHeroTest, BedMenuSetsThePlanAndTheSwitchTheTint) {
    startAt(berlinCity, berlinTime(6, 21, 12));
    const auto plan = model->eveningPlan();
    ASSERT_TRUE(plan);
    auto hero = card(berlinTime(6, 21, 12));
    ClockMenu* menu = hero->bedMenu();
    ASSERT_FALSE(menu->isHidden());
    EXPECT_EQ(menu->time(), plan->bedtime);
    menu->choose(7);  // 00:00
    ASSERT_TRUE(model->eveningPlan());
    EXPECT_EQ(model->eveningPlan()->bedtime, ClockTime(0, 0));
    EXPECT_EQ(model->eveningPlan()->wake, plan->wake);
    EXPECT_EQ(model->eveningPlan()->intensity, plan->intensity);
    EXPECT_EQ(menu->time(), ClockTime(0, 0));

    QAbstractButton* toggle = hero->enabledSwitch();
    EXPECT_EQ(toggle->accessibleName(), "Warm my display");
    EXPECT_TRUE(toggle->isChecked());
    toggle->click();
    EXPECT_FALSE(model->settings().enabled);
    EXPECT_EQ(hero->seaTitle(), "Off");
    EXPECT_TRUE(hero->seaDimmed());
    model->setEnabled(true);
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_FALSE(hero->seaDimmed());
}

TEST_F(SkyHeroTest, BadgeShowsTonightsReduction) {
    startAt(berlinCity, berlinTime(6, 21, 21, 45));
    auto hero = card(berlinTime(6, 21, 21, 45));
    EXPECT_FALSE(hero->badgeReduction());
    model->setRenderTonightReduction(0.62);
    ASSERT_TRUE(hero->badgeReduction());
    EveningLightBadge* badge = hero->badge();
    ASSERT_TRUE(badge);
    EXPECT_FALSE(badge->isHidden());
    EXPECT_EQ(badge->text(), "62% less so far");
}

TEST(SkyWashLookTest, HorizonTowardsTheGlowFadedAtNight) {
    const SkyPalette day = Sky::palette(30), dusk = Sky::palette(-2), night = Sky::palette(-20);
    for (const SkyPalette& p : {day, dusk, night}) {
        const SkyWashLook look = SkyWashLook::make(p);
        EXPECT_EQ(look.color, mix(p.horizon, p.glow, 0.35 * p.glowStrength));
        EXPECT_DOUBLE_EQ(look.alpha, 0.3 * (1 - 0.6 * p.stars));
    }
    ASSERT_DOUBLE_EQ(night.stars, 1);
    EXPECT_DOUBLE_EQ(SkyWashLook::make(night).alpha, 0.12);
    EXPECT_DOUBLE_EQ(SkyWashLook::make(day).alpha, 0.3);
}

TEST_F(SkyHeroTest, WashFollowsTheSunAndAFixedMomentIgnoresTheClock) {
    const Date noon = berlinTime(6, 21, 12);
    startAt(berlinCity, noon);
    const std::size_t before = scheduler->timerCount();
    const Date winterNight = berlinTime(12, 21, 23, 0);
    SkyWash fixed(model, scheduler, clock, winterNight, host.get());
    EXPECT_EQ(scheduler->timerCount(), before) << "no refresh while the popover is closed";
    notifications.post(kit::Notifications::popoverWillShow);
    ASSERT_EQ(scheduler->timerCount(), before + 1);
    const auto minutely = [&] {
        const auto all = scheduler->timers();
        return std::count_if(all.begin(), all.end(), [](const auto& t) { return t.interval == 60; });
    };
    EXPECT_GE(minutely(), 1);
    notifications.post(kit::Notifications::popoverWillShow);
    EXPECT_EQ(scheduler->timerCount(), before + 1) << "a second announcement adds no second refresh";
    notifications.post(kit::Notifications::popoverDidClose);
    EXPECT_EQ(scheduler->timerCount(), before);
    EXPECT_EQ(fixed.now(), winterNight);
    EXPECT_DOUBLE_EQ(fixed.look().alpha, 0.12);  // night
    SkyWash live(model, scheduler, clock, std::nullopt);
    EXPECT_EQ(live.now(), clock->now());
    EXPECT_DOUBLE_EQ(live.look().alpha, 0.3);  // day
    clock->setNow(winterNight);
    EXPECT_DOUBLE_EQ(live.look().alpha, 0.12);
}

}  // namespace
}  // namespace orvane::testing
