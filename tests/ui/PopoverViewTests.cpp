// The popover over the real model: its five elements and entrance delays, the tiles' rules,
// the footer and extras, the kelvin field's submits, and the images in light and dark.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>

#include <QCoreApplication>
#include <QTest>

#include "KitFixture.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/kit/TileLabel.h"
#include "ui/kit/TintSwitch.h"
#include "ui/menubar/PopoverParts.h"
#include "ui/menubar/PopoverView.h"
#include "ui/views/AppIconRenderer.h"
#include "ui/views/KelvinField.h"
#include "ui/views/RevealBox.h"
#include "ui/views/StatusBanner.h"

namespace orvane::testing {
namespace {

class PopoverTest : public KitModelTest {
protected:
    AppModel& startInBerlin(Settings settings = manualSettings(2700)) {
        settings.sunset.locationSource = LocationSource::City{"2950159"};
        return start(settings);
    }
    std::unique_ptr<PopoverView> popover(std::optional<Date> skyTime = std::nullopt) {
        PopoverView::Environment e;
        e.scheduler = scheduler;
        e.clock = clock;
        e.sky.locale = "en_US";
        e.sky.random = std::make_shared<std::mt19937_64>(7);
        e.quit = [this] { ++quits; };
        e.showWhy = [this] { ++whyShown; };
        auto view = std::make_unique<PopoverView>(model, e, skyTime, window.get());
        view->adjustSize();
        view->show();  // as when open; the window itself is never on screen
        return view;
    }
    int quits = 0, whyShown = 0;
};

TEST_F(PopoverTest, FiveElementsAndTheEntranceDelays) {
    startInBerlin();
    auto view = popover();
    ASSERT_FALSE(kit::StatusBanner::hasContent(*model));
    EXPECT_EQ(view->elements().size(), 5u);
    std::vector<double> delays;
    for (auto* box : view->entrance()) delays.push_back(box->delay());
    EXPECT_EQ(delays, (std::vector<double>{0, 0.04, 0.12, 0.16}));
    EXPECT_EQ(view->width(), PopoverView::popoverWidth);

    view->setExtrasExpanded(true);
    EXPECT_EQ(view->elements().size(), 6u);
    EXPECT_EQ(view->footer().chevron().toolTip(), "Fewer options");
    view->setExtrasExpanded(false);
    EXPECT_EQ(view->footer().chevron().toolTip(), "More options");
}

// The delays run on the scheduler, the springs on the animator's clock: both stepped here.
TEST_F(PopoverTest, WillShowReplaysTheStaggeredEntrance) {
    startInBerlin();
    auto view = popover();
    const auto& boxes = view->entrance();
    notifications.post(kit::Notifications::popoverWillShow);
    for (auto* box : boxes) {
        EXPECT_EQ(box->progress(), 0.0);
        EXPECT_EQ(box->childOffset(), 10) << "starts 10 pt low";
        EXPECT_FALSE(box->started());
    }
    scheduler->runPending();  // the reveal comes as separate work after the reset
    EXPECT_TRUE(boxes[0]->started()) << "the tint module has no delay";
    double elapsed = 0;
    for (auto* box : boxes) {
        if (box->delay() == 0) continue;
        scheduler->advance(box->delay() - elapsed - 0.005);
        EXPECT_FALSE(box->started()) << "index " << box->index() << " before its delay";
        scheduler->advance(0.005);
        elapsed = box->delay();
        EXPECT_TRUE(box->started()) << "index " << box->index() << " after its delay";
    }
    // The entrance spring is under-damped: the first element overshoots on its way in.
    double highest = 0;
    for (int frame = 0; frame < 60; ++frame) {
        animationTime += 1.0 / 60;
        animator->step();
        highest = std::max(highest, boxes[0]->progress());
    }
    EXPECT_GT(highest, 1.001);
    animationTime += 3;
    animator->step();
    for (auto* box : boxes) {
        EXPECT_DOUBLE_EQ(box->progress(), 1.0);
        EXPECT_EQ(box->childOffset(), 0);
    }
}

TEST_F(PopoverTest, ASecondOpeningJumpsBackAndDropsTheEarlierDelays) {
    startInBerlin();
    auto view = popover();
    const auto& boxes = view->entrance();
    notifications.post(kit::Notifications::popoverWillShow);
    scheduler->runPending();
    scheduler->advance(0.05);
    animationTime += 0.05;
    animator->step();
    ASSERT_TRUE(boxes[1]->started());
    ASSERT_GT(boxes[0]->progress(), 0.0);

    notifications.post(kit::Notifications::popoverWillShow);
    for (auto* box : boxes) EXPECT_EQ(box->progress(), 0.0) << "mid-animation jumps back";
    scheduler->runPending();
    // The first opening's tiles were due 0.07 s from here; only the new delays count.
    scheduler->advance(0.1);
    EXPECT_TRUE(boxes[1]->started());
    EXPECT_FALSE(boxes[2]->started());
    scheduler->advance(0.02);
    EXPECT_TRUE(boxes[2]->started());
}

TEST_F(PopoverTest, ReducedMotionShowsEverythingAtOnce) {
    startInBerlin();
    auto view = popover();
    animator->setReduceMotion(true);
    notifications.post(kit::Notifications::popoverWillShow);
    scheduler->runPending();
    for (auto* box : view->entrance()) EXPECT_EQ(box->progress(), 1.0) << "index " << box->index();
    view->setExtrasExpanded(true);
    EXPECT_EQ(view->extrasBox().progress(), 1.0);
    EXPECT_DOUBLE_EQ(view->footer().chevronAngle(), std::numbers::pi);
}

// Opening the extras: the panel comes down from its top edge, the popover grows on the
// 0.3 s critically damped spring and the chevron turns half a round with it; closing
// reverses all three and takes the panel out of the stack.
TEST_F(PopoverTest, ExtrasOpenAndCloseOnTheirSpring) {
    startInBerlin();
    auto view = popover();
    const int closedHeight = view->sizeHint().height();
    RevealBox& box = view->extrasBox();
    view->setExtrasExpanded(true);
    EXPECT_EQ(view->elements().size(), 6u);
    EXPECT_EQ(box.layoutHeight(), 0.0);
    EXPECT_EQ(view->footer().chevronAngle(), 0.0);
    const int full = box.fullHeight();
    ASSERT_GT(full, 16);

    const double t = 0.12;
    animationTime += t;
    animator->step();
    const double p = PopoverView::extrasSpring.progress(t);
    EXPECT_NEAR(box.layoutHeight(), full * p, 0.5);
    EXPECT_NEAR(box.progress(), p, 1e-9);
    EXPECT_LT(box.childTop(), 16) << "still above its place";
    EXPECT_NEAR(view->footer().chevronAngle(), std::numbers::pi * p, 1e-9);
    EXPECT_NEAR(view->sizeHint().height(), closedHeight + full * p, 1.0) << "what lies below moves with it";

    animationTime += 2;
    animator->step();
    EXPECT_EQ(box.childTop(), 16);
    EXPECT_EQ(view->sizeHint().height(), closedHeight + full);
    EXPECT_DOUBLE_EQ(view->footer().chevronAngle(), std::numbers::pi);

    view->setExtrasExpanded(false);
    animationTime += t;
    animator->step();
    EXPECT_NEAR(box.layoutHeight(), full * (1 - p), 0.5);
    EXPECT_FALSE(box.isHidden()) << "leaves only once closed";
    animationTime += 2;
    animator->step();
    EXPECT_TRUE(box.isHidden());
    EXPECT_EQ(view->elements().size(), 5u);
    EXPECT_EQ(view->sizeHint().height(), closedHeight);
    EXPECT_EQ(view->footer().chevronAngle(), 0.0);
}

// The banner comes and goes on the slower status spring, also when a notice is added to
// one already shown.
TEST_F(PopoverTest, BannerComesInFromTheTopAndGrowsWithItsNotices) {
    startInBerlin();
    auto view = popover();
    RevealBox& box = view->bannerBox();
    ASSERT_TRUE(box.isHidden());
    const int before = view->sizeHint().height();

    model->setAccessibilityNeeded(true);
    EXPECT_FALSE(box.isHidden());
    EXPECT_EQ(box.progress(), 0.0);
    const int full = box.fullHeight();
    const double t = 0.15;
    animationTime += t;
    animator->step();
    const double p = PopoverView::statusSpring.progress(t);
    EXPECT_NEAR(box.layoutHeight(), full * p, 0.5);
    EXPECT_NEAR(view->sizeHint().height(), before + full * p, 1.0);
    animationTime += 2;
    animator->step();
    EXPECT_EQ(view->sizeHint().height(), before + full);

    // A second notice while the banner is up: the banner's box springs to its new height.
    model->setNightShiftActive(true);
    // A row added to a shown banner shows, and asks for room, in the next turns of the loop.
    for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
    ASSERT_GE(view->banner().notices().size(), 2u);
    const int taller = box.fullHeight();
    ASSERT_GT(taller, full);
    animationTime += t;
    animator->step();
    EXPECT_NEAR(box.layoutHeight(), full + (taller - full) * p, 0.5);
    animationTime += 2;
    animator->step();
    EXPECT_EQ(box.layoutHeight(), taller);

    model->setNightShiftActive(false);
    model->setAccessibilityNeeded(false);
    ASSERT_FALSE(kit::StatusBanner::hasContent(*model));
    animationTime += 2;
    animator->step();
    EXPECT_TRUE(box.isHidden());
    EXPECT_EQ(view->sizeHint().height(), before);

    // While the popover is closed the banner changes at once, leaving no animation running.
    view->hide();
    model->setAccessibilityNeeded(true);
    EXPECT_EQ(box.progress(), 1.0);
    EXPECT_EQ(box.layoutHeight(), full);
    EXPECT_TRUE(animator->idle());
}

TEST_F(PopoverTest, ClosedPopoverHoldsNoTimerBeyondTheModels) {
    startInBerlin();
    settle();
    // Ticks book the evening's statistics, whose write waits on the store's own timer (up
    // to five minutes): the model's timers are counted once that one is running.
    scheduler->advance(60);
    const std::size_t modelOnly = scheduler->timerCount();
    auto view = popover();
    EXPECT_EQ(scheduler->timerCount(), modelOnly) << "built but never shown";
    notifications.post(kit::Notifications::popoverWillShow);
    EXPECT_GT(scheduler->timerCount(), modelOnly) << "the card's and the wash's refreshes run while open";
    notifications.post(kit::Notifications::popoverDidClose);
    scheduler->advance(3);
    EXPECT_EQ(scheduler->timerCount(), modelOnly);
    // A second round leaves nothing behind either.
    notifications.post(kit::Notifications::popoverWillShow);
    scheduler->advance(61);
    notifications.post(kit::Notifications::popoverDidClose);
    scheduler->advance(120);
    EXPECT_EQ(scheduler->timerCount(), modelOnly);
}

TEST_F(PopoverTest, ClosedPopoverLaysOutNothingWhenTheModelChanges) {
    startInBerlin();
    settle();
    auto view = popover();
    const auto closed = view->sky().generation();
    const auto booked = model->statistics();
    // Ticks that book time (the popover hears of each), a new warmth and tonight's figure.
    scheduler->advance(95);
    ASSERT_FALSE(model->statistics() == booked);
    model->setWarmth(3100, std::nullopt);
    model->setRenderTonightReduction(0.4);
    EXPECT_EQ(view->sky().generation(), closed);

    notifications.post(kit::Notifications::popoverWillShow);
    EXPECT_NE(view->sky().generation(), closed);
    EXPECT_EQ(view->sky().kelvinText(), "3100");
    // Once the entrance is over, the whole popover shows the new state.
    scheduler->advance(1);
    animationTime += 3;
    animator->step();
    QCoreApplication::sendPostedEvents();
    view->adjustSize();
    kit::RenderHarness::renderBoth(*view, "popover-opened-after-changes");
}

TEST_F(PopoverTest, TrueColorTileIsInertUnlessWarming) {
    startInBerlin(manualSettings(6500));
    auto view = popover();
    EXPECT_FALSE(view->trueColorTile().isEnabled());
    view->trueColorTile().click();
    view->trueColorTile().choose(1);
    settle();
    EXPECT_FALSE(model->runtime().disabledUntil);

    model->setWarmth(2700, std::nullopt);
    settle();
    EXPECT_TRUE(view->trueColorTile().isEnabled());
    view->trueColorTile().click();
    settle();
    ASSERT_TRUE(model->runtime().disabledUntil);
    EXPECT_NEAR(model->runtime().disabledUntil->secondsSince1970, clock->now().secondsSince1970 + 900 - 2.5, 1);
    EXPECT_TRUE(view->trueColorTile().label().on());
    view->trueColorTile().click();
    settle();
    EXPECT_FALSE(model->runtime().disabledUntil) << "state A brings the warmth back";
}

TEST_F(PopoverTest, CozyTileNamesTonightsDeepestKelvin) {
    startInBerlin();
    auto view = popover();
    const auto midnight = model->settings().preset("builtin.midnight");
    EXPECT_EQ(view->cozyTile().detail(), QString::number(midnight->kelvin) + "K now");
    view->cozyTile().click();
    settle();
    EXPECT_TRUE(model->runtime().cozyActive);
    EXPECT_EQ(view->cozyTile().detail(), "On \u00B7 click to end");
}

TEST_F(PopoverTest, OneToggleRemovesTheFirstOfTwoEqualExclusions) {
    sim->update([](platform::sim::SimState& st) {
        st.frontApplication =
            platform::RunningApplication{std::string("org.example.Viewer"), std::string("Viewer"), 42};
    });
    startInBerlin();
    auto view = popover();
    ASSERT_TRUE(model->frontmostAppInfo());
    EXPECT_FALSE(view->thisAppTile().excluded());
    EXPECT_EQ(view->thisAppTile().label().on(), false);
    model->change([](Settings& s, RuntimeState&) {
        s.excludedApps.push_back({"org.example.Viewer", "Viewer A"});
        s.excludedApps.push_back({"org.example.Viewer", "Viewer B"});
    });
    settle();
    EXPECT_TRUE(view->thisAppTile().excluded());
    EXPECT_EQ(view->thisAppTile().toolTip(), "Tint Viewer again");
    view->thisAppTile().click();
    settle();
    ASSERT_EQ(model->settings().excludedApps.size(), 1u);
    EXPECT_EQ(model->settings().excludedApps[0].name, "Viewer B");
}

// However long the front application's name, its tile cuts its own title short; the
// other tiles keep their words whole.
TEST_F(PopoverTest, ALongApplicationNameElidesOnlyItsOwnTile) {
    const auto front = [this](const std::string& name) {
        sim->update([&](platform::sim::SimState& st) {
            st.frontApplication = platform::RunningApplication{std::string("org.example.Viewer"), name, 42};
        });
    };
    front("Viewer");
    startInBerlin();
    auto view = popover();
    const std::string longName = "Extraordinarily Long Application Name Studio Professional";
    for (const std::string& name : {std::string("Viewer"), longName}) {
        SCOPED_TRACE(name);
        front(name);
        sim->postWorkspaceEvent(platform::WorkspaceEvent::didActivateApplication);
        settle();
        view->adjustSize();
        ASSERT_EQ(view->thisAppTile().label().title().toStdString(), name);
        EXPECT_FALSE(view->cozyTile().label().elided()) << view->cozyTile().label().width();
        EXPECT_FALSE(view->trueColorTile().label().elided()) << view->trueColorTile().label().width();
        EXPECT_EQ(view->thisAppTile().label().elided(), name == longName);
        kit::RenderHarness::renderBoth(*view, name == longName ? "popover-long-app" : "popover-short-app");
    }
    // A popover made while that application is in front lays its tiles out the same way.
    auto fresh = popover();
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(fresh->cozyTile().label().elided()) << fresh->cozyTile().label().width();
    EXPECT_FALSE(fresh->trueColorTile().label().elided()) << fresh->trueColorTile().label().width();
    EXPECT_TRUE(fresh->thisAppTile().label().elided());
    kit::RenderHarness::renderBoth(*fresh, "popover-long-app-opened");
}

// Desktop entries as the tile reads them: which icon it asks the theme (or the disk) for.
TEST_F(PopoverTest, ThisAppIconNamesComeFromTheDesktopEntry) {
    const auto write = [](const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    };
    const auto first = directory / "share1" / "applications";
    const auto second = directory / "share2" / "applications";
    write(first / "org.example.Viewer.desktop",
          "[Desktop Entry]\nName=Viewer\nIcon[de]=betrachter\nIcon = viewer-app\n\n[Desktop Action new]\nIcon=other\n");
    write(second / "org.example.Viewer.desktop", "[Desktop Entry]\nIcon=shadowed\n");
    write(second / "firefox-esr.desktop", "[Desktop Entry]\nIcon=/opt/firefox/icon.png\n");
    write(first / "org.example.Plain.desktop", "[Desktop Entry]\nName=Plain\n[Desktop Action x]\nIcon=action-icon\n");
    const QStringList dirs{QString::fromStdString(first.string()), QString::fromStdString(second.string())};
    using Names = std::vector<QString>;
    const std::pair<std::string, Names> cases[] = {
        {"org.example.Viewer", {"viewer-app", "org.example.Viewer", "org.example.viewer"}},
        {"Firefox-esr", {"/opt/firefox/icon.png", "Firefox-esr", "firefox-esr"}},  // a window class
        {"org.example.Plain", {"org.example.Plain", "org.example.plain"}},         // an entry without an icon
        {"gimp", {"gimp"}},                                                        // no entry at all
        {"../share2/applications/firefox-esr", {}},                                // never a path
        {"", {}},
    };
    for (const auto& [id, names] : cases) EXPECT_EQ(ThisAppTile::iconNames(id, dirs), names) << id;
}

// An application with an icon shows it (its "never tinted" badge goes with the icon); one
// that resolves to nothing keeps the symbol and still toggles.
TEST_F(PopoverTest, ThisAppTileShowsTheFrontApplicationsIcon) {
    const auto share = directory / "share";
    std::filesystem::create_directories(share / "applications");
    QImage png(32, 32, QImage::Format_ARGB32);
    png.fill(Qt::blue);
    const auto iconPath = share / "viewer.png";
    ASSERT_TRUE(png.save(QString::fromStdString(iconPath.string())));
    std::ofstream(share / "applications" / "org.example.Viewer.desktop")
        << "[Desktop Entry]\nName=Viewer\nIcon=" << iconPath.string() << "\n";
    const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(share.string()));
    ASSERT_TRUE(ThisAppTile::icon("org.example.Viewer"));
    EXPECT_FALSE(ThisAppTile::icon("org.example.Nowhere"));

    sim->update([](platform::sim::SimState& st) {
        st.frontApplication =
            platform::RunningApplication{std::string("org.example.Viewer"), std::string("Viewer"), 42};
    });
    startInBerlin();
    auto view = popover();
    view->thisAppTile().click();
    settle();
    EXPECT_TRUE(view->thisAppTile().label().badgeShown()) << "the icon is there, greyed, with its badge";

    model->change([](Settings& s, RuntimeState&) { s.excludedApps.push_back({"org.example.Nowhere", "Nowhere"}); });
    sim->update([](platform::sim::SimState& st) {
        st.frontApplication =
            platform::RunningApplication{std::string("org.example.Nowhere"), std::string("Nowhere"), 43};
    });
    sim->postWorkspaceEvent(platform::WorkspaceEvent::didActivateApplication);
    settle();
    if (savedDataHome.isNull()) qunsetenv("XDG_DATA_HOME");
    else qputenv("XDG_DATA_HOME", savedDataHome);
    ASSERT_EQ(model->frontmostAppInfo()->bundleID, "org.example.Nowhere");
    EXPECT_TRUE(view->thisAppTile().label().on());
    EXPECT_FALSE(view->thisAppTile().label().badgeShown()) << "no icon: the symbol stays";
    view->thisAppTile().click();
    settle();
    EXPECT_FALSE(view->thisAppTile().excluded()) << "still works";
}

TEST_F(PopoverTest, AntiDitheringOffAndOnGivesExternalOnly) {
    Settings s = manualSettings(2700);
    s.antiDithering = AntiDitheringScope::allDisplays;
    startInBerlin(s);
    ExtrasSection extras(model);
    extras.antiDithering().click();
    settle();
    EXPECT_EQ(model->settings().antiDithering, AntiDitheringScope::off);
    extras.antiDithering().click();
    settle();
    EXPECT_EQ(model->settings().antiDithering, AntiDitheringScope::externalOnly);
    EXPECT_EQ(extras.revealText(), "Alt+Super+T \u00B7 hold");
    model->change([](Settings& x, RuntimeState&) {
        x.shortcuts.reveal.reset();
        x.revealTapToggles = true;
    });
    EXPECT_EQ(extras.revealText(), "unbound \u00B7 press");
}

TEST_F(PopoverTest, WithoutDitheringControlTheSwitchIsDisabledAndSaysWhy) {
    const Date evening = Calendar(*TimeZone::named("Europe/Berlin")).date(2024, 6, 21, 22, 30);
    clock->setNow(evening);
    // No frame-buffer service to ask, as on Linux.
    sim->update([](platform::sim::SimState& st) { st.missingPorts.insert("dithering"); });
    startInBerlin(manualSettings(2700));
    ExtrasSection extras(model);
    EXPECT_FALSE(extras.antiDithering().isEnabled());
    EXPECT_FALSE(extras.ditheringCaption().isHidden());
    EXPECT_EQ(extras.ditheringCaption().text(), "Not available on this computer.");
    const auto before = model->settings().antiDithering;
    extras.antiDithering().click();
    settle();
    EXPECT_EQ(model->settings().antiDithering, before) << "a disabled switch writes nothing";
    auto view = popover(evening);
    view->setExtrasExpanded(true);
    view->adjustSize();
    kit::RenderHarness::renderBoth(*view, "popover-extras-unavailable");
}

TEST_F(PopoverTest, WithDitheringControlTheSwitchWorksWithoutACaption) {
    startInBerlin(manualSettings(2700));
    ExtrasSection extras(model);
    EXPECT_TRUE(extras.antiDithering().isEnabled());
    EXPECT_TRUE(extras.ditheringCaption().isHidden());
}

TEST_F(PopoverTest, FooterButtons) {
    startInBerlin();
    auto view = popover();
    int opened = 0;
    auto sub = notifications.observe(kit::Notifications::openSettings, [&](auto&) { ++opened; });
    view->footer().settingsButton().click();
    view->footer().quitButton().click();
    view->footer().methodButton().click();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(whyShown, 1);
    EXPECT_EQ(view->footer().quitButton().toolTip(), "Quit Orvane (removes the tint)");
}

// Where nothing can tint the main display, the footer's line gives the reason: cut short
// with an ellipsis beside the buttons, whole in the tooltip, and the buttons keep their room.
TEST_F(PopoverTest, ANotTintedReasonTooLongForTheFooterIsElidedAndWholeInTheTooltip) {
    sim->update([](platform::sim::SimState& s) {
        s.linuxName = "Debian GNU/Linux 12 (bookworm)";
        s.compositing = false;
        s.missingPorts.insert({"colorAdjustments", "nightShift"});
        for (auto& d : s.displays) d.gammaCapacity = 0;
    });
    startInBerlin();
    auto view = popover();
    auto& footer = view->footer();
    const QString line = footer.methodText();
    ASSERT_TRUE(line.startsWith("Not tinted: ")) << line.toStdString();
    EXPECT_EQ(footer.methodButton().toolTip(), line);
    const QFontMetricsF fm(kit::FontBook::font(kit::TextStyle::caption));
    EXPECT_GT(15 + fm.horizontalAdvance(line), footer.methodButton().width()) << "the case needs a line too long";
    EXPECT_LE(footer.methodButton().geometry().right(), footer.chevron().geometry().left());
    kit::RenderHarness::renderBoth(*view, "popover-not-tinted");
}

TEST_F(PopoverTest, KelvinFieldShowsWhatIsApplied) {
    startInBerlin(manualSettings(2750));
    KelvinField field(model);
    EXPECT_EQ(field.text(), "2750");
    const std::pair<const char*, std::int64_t> cases[] = {
        {"2734", 2750},    {"12000", 6500}, {"100", 500}, {"-3000", 3000},
        {"2,700 K", 2700}, {"2740", 2750},  // rounds back to the kelvin in force: the field must not keep "2740"
    };
    for (const auto& [typed, applied] : cases) {
        field.setText(typed);
        field.submit();
        settle();
        EXPECT_EQ(model->resolution().modeState.kelvin, applied) << typed;
        EXPECT_EQ(field.text(), QString::number(applied)) << typed;
    }
    for (const char* junk : {"", "abc", "99999999999999999999999"}) {
        field.setText(junk);
        field.submit();
        EXPECT_EQ(field.text(), "2750") << junk;
    }
    model->setWarmth(3400, std::nullopt);
    settle();
    EXPECT_EQ(field.text(), "3400") << "follows the applied kelvin";
    EXPECT_EQ(KelvinField::parse("\u0663\u0664"), 34) << "any script's digits count";
}

TEST_F(PopoverTest, KelvinFieldWearsTheKitFieldInDark) {
    startInBerlin(manualSettings(2750));
    KelvinField field(model);
    field.setText("");  // the ground alone, no digits over it
    const QImage image = kit::RenderHarness::render(field, kit::Appearance::dark);
    // Sampled inside the rounded box, away from its edge: a plain line edit paints white here.
    const QColor ground = image.pixelColor(image.width() / 2, image.height() / 2);
    EXPECT_LT(ground.lightnessF(), 0.5) << qPrintable(ground.name());
}

TEST_F(PopoverTest, WhySheetTexts) {
    startInBerlin();
    WhySheet sheet(model, {});
    EXPECT_EQ(WhySheet::body().count("\n\n"), 2);
    if (model->primaryMethod()) EXPECT_TRUE(sheet.methodText().startsWith("In use on this computer: "));
    else EXPECT_TRUE(sheet.methodText().isEmpty());
}

// An evening plan brings the intensity into the tonight block: the block grows and what
// follows moves down instead of being drawn over it.
TEST_F(PopoverTest, TheTonightBlockMakesRoomForTheIntensity) {
    startInBerlin();
    auto view = popover();
    view->adjustSize();
    const int before = view->height();
    const EntranceBox& tonight = *view->entrance()[1];
    const EntranceBox& tiles = *view->entrance()[2];
    model->setEveningPlan({ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::warm});
    animator->settleAll();
    QCoreApplication::sendPostedEvents();
    view->adjustSize();
    EXPECT_EQ(tonight.height(), tonight.sizeHint().height());
    EXPECT_LT(tonight.geometry().bottom(), tiles.geometry().top());
    EXPECT_GT(view->height(), before);
}

// Berlin on a summer evening, the sky fixed.
TEST_F(PopoverTest, Renders) {
    const Date evening = Calendar(*TimeZone::named("Europe/Berlin")).date(2024, 6, 21, 22, 30);
    clock->setNow(evening);
    startInBerlin();
    auto view = popover(evening);
    view->adjustSize();
    kit::RenderHarness::renderBoth(*view, "popover");
    view->setExtrasExpanded(true);
    view->adjustSize();
    kit::RenderHarness::renderBoth(*view, "popover-extras");
    WhySheet sheet(model, {});
    kit::RenderHarness::renderBoth(sheet, "why-sheet");
    const QImage light = kit::RenderHarness::render(*view, kit::Appearance::light);
    EXPECT_EQ(light.width(), PopoverView::popoverWidth * 2);

    // Halfway through closing the extras: the panel slides up under the footer.
    view->setExtrasExpanded(false);
    animationTime += 0.1;
    animator->step();
    QCoreApplication::sendPostedEvents();
    view->adjustSize();
    QImage closing(view->size() * 2, QImage::Format_ARGB32_Premultiplied);
    closing.setDevicePixelRatio(2);
    closing.fill(Qt::transparent);
    view->render(&closing);
    kit::RenderHarness::save(closing, "popover-extras-closing");

    // With an evening plan the tonight block offers its intensity.
    model->setEveningPlan({ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::warm});
    animator->settleAll();
    QCoreApplication::sendPostedEvents();
    view->adjustSize();
    kit::RenderHarness::renderBoth(*view, "popover-evening");
}

// With a notice in the banner and an excluded application in front, its icon from its
// desktop entry.
TEST_F(PopoverTest, RendersWithBannerAndApplication) {
    const auto share = directory / "share";
    std::filesystem::create_directories(share / "applications");
    const auto iconPath = share / "viewer.png";
    ASSERT_TRUE(AppIconRenderer::image(64).save(QString::fromStdString(iconPath.string())));
    std::ofstream(share / "applications" / "org.example.Viewer.desktop")
        << "[Desktop Entry]\nName=Viewer\nIcon=" << iconPath.string() << "\n";
    const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(share.string()));
    sim->update([](platform::sim::SimState& st) {
        st.frontApplication =
            platform::RunningApplication{std::string("org.example.Viewer"), std::string("Viewer"), 42};
    });
    const Date evening = Calendar(*TimeZone::named("Europe/Berlin")).date(2024, 6, 21, 22, 30);
    clock->setNow(evening);
    startInBerlin();
    model->setAccessibilityNeeded(true);
    auto view = popover(evening);
    view->thisAppTile().click();  // excluded from here on: the badge comes on the window's animator
    if (savedDataHome.isNull()) qunsetenv("XDG_DATA_HOME");
    else qputenv("XDG_DATA_HOME", savedDataHome);
    ASSERT_TRUE(view->thisAppTile().label().badgeShown());
    ASSERT_FALSE(view->bannerBox().isHidden());
    view->adjustSize();
    kit::RenderHarness::renderBoth(*view, "popover-banner");
}

}  // namespace
}  // namespace orvane::testing
