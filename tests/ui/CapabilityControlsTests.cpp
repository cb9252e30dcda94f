// Controls that depend on what the computer can do, on the simulated machine standing for
// a Mac (everything works) and presenting itself as a Linux computer (no colour matrix, no
// compositing manager unless asked, no haptics, no hiding from captures, no dithering
// control, sounds only with the sounds port): each control works or says why not.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>

#include <QAbstractButton>

#include <QCoreApplication>

#include "DrawnTexts.h"
#include "KitFixture.h"
#include "RecordingPanels.h"
#include "RenderedView.h"
#include "app/Capabilities.h"
#include "app/ComfortController.h"
#include "app/Diagnostics.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/kit/TileLabel.h"
#include "ui/menubar/PopoverParts.h"
#include "ui/menubar/PopoverView.h"
#include "ui/settings/AboutPane.h"
#include "ui/settings/ComfortPane.h"
#include "ui/settings/DisplaysPane.h"
#include "ui/settings/ExclusionsPane.h"
#include "ui/settings/GeneralPane.h"
#include "ui/settings/HotkeyRecorder.h"
#include "ui/settings/PresetEditor.h"
#include "ui/settings/ShortcutsPane.h"
#include "ui/settings/ShortcutsPaneRules.h"
#include "ui/views/LevelControl.h"
#include "ui/views/Picker.h"
#include "ui/views/StatusBannerRules.h"
#include "ui/views/SwitchRow.h"

namespace orvane::testing {
namespace {

const QString notHere = QStringLiteral("Not available on this computer.");

class CapabilityControlsTest : public KitModelTest {
protected:
    // A Linux computer: gamma ramps on every display, nothing else unless asked.
    void presentLinux(bool compositing, bool withSounds, bool backlight = true) {
        sim->update([&](platform::sim::SimState& s) {
            s.linuxName = "Debian GNU/Linux 12 (bookworm)";
            s.compositing = compositing;
            s.missingPorts.insert({"colorAdjustments", "dithering", "nightShift", "preferences"});
            if (!withSounds) s.missingPorts.insert("sounds");
            if (!backlight) s.missingPorts.insert("backlight");
        });
    }
    PaneEnvironment environment() { return PaneEnvironment{model, std::make_shared<Desktop>()}; }
    // The popover on the test's clock, with a fixed locale and sky.
    PopoverView::Environment popoverEnvironment() {
        PopoverView::Environment e;
        e.scheduler = scheduler;
        e.clock = clock;
        e.sky.locale = "en_US";
        e.sky.random = std::make_shared<std::mt19937_64>(7);
        return e;
    }
    void TearDown() override {
        shortcuts.reset();
        KitModelTest::TearDown();
    }
    std::unique_ptr<ShortcutsPane> shortcuts;
    std::string subtitle(const kit::SettingRow& row) {
        return row.subtitleText() ? row.subtitleText()->text().toStdString() : std::string();
    }
};

// A switch that cannot work here is disabled with its reason and drawn off, though what is
// stored (on, here) stays for a computer where it works.
TEST_F(CapabilityControlsTest, FeelControlsWorkOnAMacAndSayWhyNotOnLinux) {
    Settings stored = manualSettings(3400, 1.0);
    stored.sounds = stored.hapticDetents = stored.hideTintFromScreenshots = stored.showKelvinInMenuBar = true;
    start(stored);
    const std::string noTrayText = "The panel's tray shows the icon alone, with no text beside it.";
    {
        GeneralPane pane(environment(), window.get());
        for (kit::SwitchRow* row : {&pane.soundsSwitch(), &pane.hapticsSwitch(), &pane.hideFromCapturesSwitch(),
                                    &pane.kelvinInTraySwitch()}) {
            EXPECT_TRUE(row->toggle().isEnabled()) << row->titleText().text().toStdString();
            EXPECT_TRUE(row->isOn()) << row->titleText().text().toStdString();
        }
        EXPECT_EQ(subtitle(pane.hideFromCapturesSwitch()).rfind("Only for the overlay fallback methods.", 0), 0u);
    }
    for (const bool withSounds : {false, true}) {
        presentLinux(true, withSounds);
        model->refreshCapabilities();
        GeneralPane pane(environment(), window.get());
        EXPECT_EQ(pane.soundsSwitch().toggle().isEnabled(), withSounds);
        EXPECT_EQ(pane.soundsSwitch().isOn(), withSounds);
        EXPECT_EQ(subtitle(pane.soundsSwitch()), withSounds ? "" : notHere.toStdString());
        const std::pair<kit::SwitchRow*, std::string> cannot[] = {
            {&pane.hapticsSwitch(), notHere.toStdString()},
            {&pane.hideFromCapturesSwitch(), notHere.toStdString()},
            {&pane.kelvinInTraySwitch(), noTrayText}};
        for (const auto& [row, reason] : cannot) {
            SCOPED_TRACE(row->titleText().text().toStdString());
            EXPECT_FALSE(row->toggle().isEnabled());
            EXPECT_EQ(subtitle(*row), reason);
            EXPECT_FALSE(row->isOn());
            EXPECT_EQ(row->toggle().knobPosition(), 0.0);
        }
        // A change of the stored value elsewhere does not turn a disabled switch on.
        model->change([](Settings& s, RuntimeState&) { s.hapticDetents = false; });
        model->change([](Settings& s, RuntimeState&) { s.hapticDetents = true; });
        EXPECT_FALSE(pane.hapticsSwitch().isOn());
        if (!withSounds)
            kit::RenderHarness::renderBoth(pane, "general-pane-linux-no-sounds",
                                           QSize(640, kit::RenderHarness::fittingSize(pane, 640).height()));
        sim->update([](platform::sim::SimState& s) { s.missingPorts.erase("sounds"); });
    }
    const Settings& now = model->settings();
    EXPECT_TRUE(now.sounds && now.hapticDetents && now.hideTintFromScreenshots && now.showKelvinInMenuBar)
        << "nothing stored is changed";
}

// The pane follows a change of what the computer can do without being rebuilt (read
// again on wake, as after a resume).
TEST_F(CapabilityControlsTest, APaneFollowsTheCapabilitiesAsTheyChange) {
    start();
    GeneralPane pane(environment(), window.get());
    EXPECT_TRUE(pane.soundsSwitch().toggle().isEnabled());
    presentLinux(true, false);
    sim->postWorkspaceEvent(platform::WorkspaceEvent::didWake);
    scheduler->runPending();
    EXPECT_FALSE(pane.soundsSwitch().toggle().isEnabled());
    EXPECT_EQ(subtitle(pane.soundsSwitch()), notHere.toStdString());
}

TEST_F(CapabilityControlsTest, TheMethodPickerOffersWhatThisDisplayCanRunAndSaysWhatAutomaticPicks) {
    presentLinux(false, true);
    start();
    DisplaysPane pane(environment(), window.get());
    ASSERT_EQ(pane.sections().size(), 2u);
    const DisplaySection& section = *pane.sections()[1];
    auto& picker = section.methodRow().picker();
    const auto reasonOf = [&](TintMethod m) -> std::string {
        const auto& titles = picker.titles();
        for (int i = 0; i < static_cast<int>(titles.size()); ++i)
            if (titles[static_cast<std::size_t>(i)] == QString::fromStdString(model->capabilities().methodTitle(m)))
                return picker.disabledReason(i).value_or(QString()).toStdString();
        ADD_FAILURE() << "no item " << title(m);
        return {};
    };
    EXPECT_EQ(reasonOf(TintMethod::automatic), "");
    EXPECT_EQ(reasonOf(TintMethod::gamma), "");
    EXPECT_EQ(reasonOf(TintMethod::matrix), "The driver has no color matrix for this output.");
    EXPECT_EQ(reasonOf(TintMethod::overlay), "Needs a compositing manager.");
    EXPECT_EQ(reasonOf(TintMethod::nightShift), "This desktop has no night light Orvane can drive.");
    const std::string caption = subtitle(section.methodRow());
    EXPECT_NE(caption.find("Here: Gamma table."), std::string::npos) << caption;
    EXPECT_EQ(caption.find("Mac"), std::string::npos) << caption;
    const std::string line = section.subtitleText().text().toStdString();
    EXPECT_EQ(line.substr(line.size() - std::string("Gamma table").size()), "Gamma table") << line;
    EXPECT_EQ(line.find(" pt"), std::string::npos) << line;
    // Choosing a disabled item does nothing.
    const auto before = model->settings().displaySettings(section.display().key).method;
    for (int i = 0; i < static_cast<int>(picker.titles().size()); ++i)
        if (picker.disabledReason(i)) picker.choose(i);
    EXPECT_EQ(model->settings().displaySettings(section.display().key).method, before);

    // Anti-dithering has no control on this computer.
    auto& dithering = section.extras().antiDithering();
    EXPECT_FALSE(dithering.picker().isEnabled());
    EXPECT_EQ(subtitle(dithering), notHere.toStdString());

    // With a compositing manager the overlay can be chosen.
    sim->update([](platform::sim::SimState& s) { s.compositing = true; });
    model->refreshCapabilities();
    EXPECT_EQ(reasonOf(TintMethod::overlay), "");

    // Without it and without gamma ramps nothing can run: automatic picks nothing either.
    sim->update([](platform::sim::SimState& s) {
        s.compositing = false;
        for (auto& d : s.displays) d.gammaCapacity = 0;
    });
    model->refreshCapabilities();
    const DisplayCapabilities* external = model->capabilities().display(section.display().id);
    ASSERT_NE(external, nullptr);
    EXPECT_EQ(external->automaticMethod, std::nullopt);
    const std::string nothing = subtitle(section.methodRow());
    EXPECT_NE(nothing.find("Nothing can tint this display: Needs a compositing manager."), std::string::npos)
        << nothing;
    EXPECT_EQ(nothing.find("Here: "), std::string::npos) << nothing;

    // In a Wayland session the reasons are the compositor's, not the driver's or a
    // compositing manager's (no window of a program lies over a Wayland screen).
    sim->update([](platform::sim::SimState& s) {
        s.overlaysReachScreen = false;
        s.compositing = false;
        for (auto& d : s.displays) d.gammaCapacity = 0;
    });
    model->refreshCapabilities();
    EXPECT_EQ(reasonOf(TintMethod::gamma), "The compositor offers no gamma control.");
    EXPECT_EQ(reasonOf(TintMethod::matrix), "The compositor offers no color matrix.");
    EXPECT_EQ(reasonOf(TintMethod::overlay), "Overlays cannot show on Wayland.");
}

// A method that cannot attach falls back to the next one this display can run, and every
// report names the method really attached; with none that can run, "Not tinted" and why.
TEST_F(CapabilityControlsTest, AFailedMethodFallsBackAndTheReportsNameWhatReallyTints) {
    presentLinux(false, true);
    start();
    const std::string key = display(2).key;
    model->change([&](Settings& s, RuntimeState&) {
        DisplaySettings d = s.displaySettings(key);
        d.method = TintMethod::overlay;
        s.displays[key] = d;
    });
    settle();
    const DisplayCapabilities* external = model->capabilities().display(2u);
    ASSERT_NE(external, nullptr);
    EXPECT_EQ(external->attachedMethod, TintMethod::gamma);
    EXPECT_EQ(methodLine(model->capabilities().display(1u)).toStdString(), "Gamma table \u00B7 " + display(1).name);
    bool named = false;
    for (const auto& line : engine->describeBackends())
        named = named || line == display(2).name + " [external] \u2192 Gamma table";
    EXPECT_TRUE(named);

    sim->update([](platform::sim::SimState& s) {
        for (auto& d : s.displays) d.gammaCapacity = 0;
    });
    engine->reattach(display(2).id);
    model->refreshCapabilities();
    external = model->capabilities().display(2u);
    ASSERT_NE(external, nullptr);
    EXPECT_EQ(external->attachedMethod, std::nullopt);
    EXPECT_EQ(external->notTintedReason, "Needs a compositing manager.");
    bool notTinted = false;
    for (const auto& line : engine->describeBackends())
        notTinted =
            notTinted || line == display(2).name + " [external] \u2192 Not tinted: Needs a compositing manager.";
    EXPECT_TRUE(notTinted);
    EXPECT_EQ(methodLine(external).toStdString(), "Not tinted: Needs a compositing manager.");
}

// One display left untinted beside a tinted one: the popover's footer names it before the
// method that tints the other, and its tooltip gives the reason; with the primary display
// the untinted one, the footer names the method of the one that is tinted.
TEST_F(CapabilityControlsTest, TheFooterNamesADisplayLeftUntintedBesideATintedOne) {
    presentLinux(false, true);
    start();
    PopoverView popover(model, popoverEnvironment(), std::nullopt, window.get());
    const auto footer = [&] { return popover.footer().methodText().toStdString(); };
    const auto tip = [&] { return popover.footer().methodButton().toolTip().toStdString(); };
    EXPECT_EQ(footer(), "Gamma table \u00B7 " + display(1).name);
    EXPECT_EQ(tip(), "How Orvane warms the screen");

    for (const std::uint32_t untinted : {2u, 1u}) {
        const std::uint32_t other = untinted == 2u ? 1u : 2u;
        SCOPED_TRACE(display(untinted).name);
        // One display loses its gamma; the other has it (back) and is tried again at the next check.
        sim->update([&](platform::sim::SimState& s) {
            s.display(display(untinted).id)->gammaCapacity = 0;
            s.display(display(other).id)->gammaCapacity = 256;
        });
        engine->reattach(display(untinted).id);
        engine->verifyAll("test");
        model->refreshCapabilities();
        settle();
        EXPECT_EQ(footer(), display(untinted).name + " not tinted \u00B7 Gamma table \u00B7 " + display(other).name);
        EXPECT_EQ(tip(), display(untinted).name + " not tinted: Needs a compositing manager.");
    }
    kit::RenderHarness::renderBoth(popover, QStringLiteral("popover-one-display-untinted"), popover.sizeHint());
}

// On Linux the desktop's night light goes by its own name, "+ overlay" where an overlay can
// join it; alone (no overlay reaches the screen, as on Wayland) it cannot dim below the
// backlight or fold red, and those controls say so.
TEST_F(CapabilityControlsTest, TheDesktopsNightLightGoesByItsNameAndAloneSaysWhatItCannotDo) {
    presentLinux(true, true);
    sim->update([](platform::sim::SimState& s) { s.missingPorts.erase("nightShift"); });
    start();
    {
        DisplaysPane pane(environment(), window.get());
        ASSERT_FALSE(pane.sections().empty());
        const auto titles = pane.sections()[0]->methodRow().picker().titles();
        EXPECT_NE(std::find(titles.begin(), titles.end(), QStringLiteral("Night Light + overlay")), titles.end());
        EXPECT_EQ(std::find(titles.begin(), titles.end(), QStringLiteral("Night Shift + overlay")), titles.end());
        ComfortPane comfort(environment(), window.get());
        ASSERT_NE(comfort.nightShiftFloorRow(), nullptr);
        EXPECT_EQ(comfort.nightShiftFloorRow()->titleText().text(), QStringLiteral("Night Light floor"));
        // Gamma ramps tint here: they dim, but fold no red, overlay or not.
        EXPECT_FALSE(comfort.redStyleRow().picker().isEnabled());
        EXPECT_TRUE(comfort.dimFloorRow().content()->isEnabled());
    }

    sim->update([](platform::sim::SimState& s) {
        s.overlaysReachScreen = false;
        s.compositing = false;
        for (auto& d : s.displays) d.gammaCapacity = 0;
    });
    for (const auto& d : {display(1), display(2)}) engine->reattach(d.id);
    model->refreshCapabilities();
    settle();
    for (const auto& d : model->capabilities().displays) {
        EXPECT_EQ(d.attachedMethod, TintMethod::nightShift) << d.name;
        EXPECT_EQ(d.attachedTitle, "Night Light") << d.name;
    }
    EXPECT_EQ(methodLine(model->capabilities().display(1u)).toStdString(), "Night Light \u00B7 " + display(1).name);
    DisplaysPane pane(environment(), window.get());
    ASSERT_FALSE(pane.sections().empty());
    const auto titles = pane.sections()[0]->methodRow().picker().titles();
    EXPECT_NE(std::find(titles.begin(), titles.end(), QStringLiteral("Night Light")), titles.end());
    const std::string line = pane.sections()[0]->subtitleText().text().toStdString();
    EXPECT_EQ(line.substr(line.size() - std::string("Night Light").size()), "Night Light") << line;
    const std::string without = "Not available with the desktop's night light.";
    ComfortPane comfort(environment(), window.get());
    EXPECT_FALSE(comfort.redStyleRow().picker().isEnabled());
    EXPECT_EQ(subtitle(comfort.redStyleRow()), without);
    EXPECT_FALSE(comfort.dimFloorRow().content()->isEnabled());
    EXPECT_EQ(subtitle(comfort.dimFloorRow()), without);
}

// Dimming and readable red as the tinted displays allow them, on a Linux computer: gamma
// ramps dim but cannot fold red, in an X11 session as in a Wayland one, while an overlay or
// a colour matrix can; with nothing tinted both say why. The Comfort pane shows each (the
// desktop's night light alone is the test above).
TEST_F(CapabilityControlsTest, DimmingAndReadableRedFollowWhatReallyTints) {
    const std::string gammaAlone = "Needs a color matrix or an overlay; gamma ramps alone cannot fold colors into red.";
    presentLinux(true, true);
    sim->update([](platform::sim::SimState& s) { s.overlaysReachScreen = false; });
    start();
    // "Not tinted: " stands for itself followed by the first display's reason.
    const struct {
        const char* situation;
        std::function<void(platform::sim::SimState&)> machine;
        std::optional<TintMethod> method;  // what every display then has
        std::string dimming, readableRed;  // the reasons; empty where the control works
    } cases[] = {
        {"gamma ramps on X11, overlays possible", [](platform::sim::SimState& s) { s.overlaysReachScreen = true; },
         TintMethod::gamma, "", gammaAlone},
        {"overlays on X11, no gamma ramps",
         [](platform::sim::SimState& s) {
             for (auto& d : s.displays) d.gammaCapacity = 0;
         },
         TintMethod::overlay, "", ""},
        {"gamma ramps, no overlay possible",
         [](platform::sim::SimState& s) {
             s.overlaysReachScreen = false;
             for (auto& d : s.displays) d.gammaCapacity = 256;
         },
         TintMethod::gamma, "", gammaAlone},
        {"the built-in panel has a colour matrix",
         [](platform::sim::SimState& s) {
             s.missingPorts.erase("colorAdjustments");
             for (auto& d : s.displays) d.ctm = d.builtIn;
         },
         std::nullopt, "", ""},
        {"nothing can tint",
         [](platform::sim::SimState& s) {
             for (auto& d : s.displays) {
                 d.ctm = false;
                 d.gammaCapacity = 0;
             }
         },
         std::nullopt, "Not tinted: ", "Not tinted: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        sim->update(c.machine);
        for (const auto& d : model->displays()) engine->reattach(d.id);
        model->refreshCapabilities();
        settle();
        const Capabilities& can = model->capabilities();
        ASSERT_EQ(can.displays.size(), 2u);
        for (const auto& d : can.displays) {
            if (c.method) {
                EXPECT_EQ(d.attachedMethod, c.method) << d.name;
            }
            if (c.dimming == "Not tinted: ") {
                EXPECT_FALSE(d.attachedMethod || d.notTintedReason.empty()) << d.name;
            }
        }
        const auto expected = [&](const std::string& reason, const char* caption) {
            if (reason.empty()) return std::string(caption);
            return reason == "Not tinted: " ? reason + can.displays.front().notTintedReason : reason;
        };
        ComfortPane comfort(environment(), window.get());
        EXPECT_EQ(comfort.dimFloorRow().content()->isEnabled(), c.dimming.empty());
        EXPECT_EQ(subtitle(comfort.dimFloorRow()), expected(c.dimming, ComfortRules::dimFloorCaption));
        EXPECT_EQ(comfort.redStyleRow().picker().isEnabled(), c.readableRed.empty());
        EXPECT_EQ(subtitle(comfort.redStyleRow()), expected(c.readableRed, ComfortRules::redStyleCaption));
        if (c.method == TintMethod::gamma && c.dimming.empty())
            kit::RenderHarness::renderBoth(comfort, "comfort-pane-gamma-ramps",
                                           QSize(640, kit::RenderHarness::fittingSize(comfort, 640).height()));
    }
}

// Off the Mac the brightness-keys notice and the pointer caption use the desktop's words:
// the keys are out of reach where no keyboard service answers, and no permission is asked.
TEST_F(CapabilityControlsTest, TheBrightnessKeysNoticeAndPointerCaptionSpeakLinux) {
    presentLinux(true, true);
    sim->update([](platform::sim::SimState& s) { s.missingPorts.erase("preferences"); });
    start();
    model->setAccessibilityNeeded(true);
    ComfortPane comfort(environment(), window.get());
    EXPECT_FALSE(comfort.accessibilityNotice().isHidden());
    std::vector<std::string> notice;
    for (const auto* widget : comfort.accessibilityNotice().findChildren<QWidget*>())
        if (const auto* text = dynamic_cast<const kit::Text*>(widget)) notice.push_back(text->text().toStdString());
    EXPECT_EQ(notice, std::vector<std::string>{"This desktop does not let Orvane intercept the brightness keys."});
    EXPECT_TRUE(comfort.accessibilityNotice().findChildren<QAbstractButton*>().isEmpty()) << "nothing to open";
    ASSERT_TRUE(comfort.pointerSwitch().toggle().isEnabled());
    EXPECT_EQ(subtitle(comfort.pointerSwitch()),
              "Sets the pointer colors to dark red at or below 1500K and restores them afterwards.");
}

// A desktop's night light in place of the system's client, as the Linux platform gives it:
// the user switches it on and off, and says who else holds it.
class DesktopStyleNightLight final : public platform::NightShiftClient {
public:
    bool respondsTo(std::string_view) const override { return true; }
    std::optional<platform::BlueLightStatus> blueLightStatus() override {
        return platform::BlueLightStatus{active, active};
    }
    std::optional<float> cct() override { return 4000.0f; }
    std::optional<float> strength() override { return 0.6f; }
    std::optional<std::array<float, 3>> cctRange() override { return std::array<float, 3>{1000, 10000, 5500}; }
    bool setCCTRange(const std::array<float, 3>&) override { return false; }
    void setCCT(float, bool) override {}
    void setStrength(float, bool) override {}
    void setActive(bool on) override { active = on; }
    std::string desktopName() const override { return "GNOME"; }
    std::string recordKey() const override { return "gnome"; }
    std::string heldElsewhere() override { return held; }
    std::optional<std::pair<int, int>> temperatureLimits() const override { return std::pair(1000, 10000); }

    bool active = false;
    std::string held;
};

// The comfort controller watches the desktop's night light as it would the system's Night
// Shift; the Comfort pane's rows, the status banner and the diagnostics call it by the
// desktop's name.
TEST_F(CapabilityControlsTest, TheDesktopsNightLightWatchedByTheComfortControllerIsCalledNightLightEverywhere) {
    presentLinux(true, true);
    sim->update([](platform::sim::SimState& s) { s.missingPorts.erase("nightShift"); });
    auto light = std::make_shared<DesktopStyleNightLight>();
    sim->setNightShiftClient(light);
    start(manualSettings(3400, 1.0));
    // Overlays beside the night light: it stacks with them rather than being held off.
    Settings settings = model->settings();
    for (const auto id : {1u, 2u}) settings.displays[display(id).key].method = TintMethod::overlay;
    model->setSettings(settings);
    settle();
    RecordingPanels panels;
    ComfortController::Environment comfortEnvironment;
    comfortEnvironment.ddcLibrary = std::make_shared<DDCLibrary>(sim, [this](TimeInterval s) { clock->advance(s); });
    const auto comfort = ComfortController::create(model, panels, comfortEnvironment);
    settle();
    ASSERT_TRUE(model->isWarming());
    EXPECT_EQ(model->primaryMethod(), TintMethod::overlay);

    ComfortPane pane(environment(), window.get());
    ASSERT_NE(pane.nightShiftTip(), nullptr);
    ASSERT_NE(pane.nightShiftFloorRow(), nullptr);
    EXPECT_EQ(pane.nightShiftTip()->titleText().text(), QStringLiteral("Night Light tip"));
    EXPECT_EQ(pane.nightShiftFloorRow()->titleText().text(), QStringLiteral("Night Light floor"));
    EXPECT_FALSE(model->nightShiftActive());
    EXPECT_EQ(subtitle(*pane.nightShiftTip()), "Night Light is off.");
    const auto bannerNotice = [&] {
        const auto all = kit::StatusBannerRules::notices(kit::StatusBannerRules::inputFrom(*model));
        const auto it = std::find_if(all.begin(), all.end(), [](const kit::StatusBannerRules::Notice& n) {
            return n.kind == kit::StatusBannerRules::NoticeKind::nightShift;
        });
        return it != all.end() ? it->text : std::string();
    };
    EXPECT_EQ(bannerNotice(), "");

    // The user switches the desktop's night light on: noticed at the next poll.
    light->active = true;
    scheduler->advance(ComfortController::nightShiftInterval + ComfortController::nightShiftTolerance);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(model->nightShiftActive());
    EXPECT_EQ(subtitle(*pane.nightShiftTip()), "Night Light is currently on and stacks with Orvane.");
    EXPECT_EQ(bannerNotice(), "Night Light is also on");

    light->held = "paused until tomorrow from the desktop's menu";
    const std::string report = Diagnostics::text(*model);
    EXPECT_NE(report.find("\nNight Light: GNOME's own, paused until tomorrow from the desktop's menu\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(report.find("Night Shift"), std::string::npos) << report;
}

// Where the desktop's night light tints alone (no overlay reaches the screen) it carries the
// whole warmth: below its range each place that tells how the screen is warmed says what it
// reaches, the floor row is gone, and what would dim says it cannot. Beside an overlay (an X
// session with a compositing manager) the floor is back and nothing is said.
TEST_F(CapabilityControlsTest, TheNightLightAloneSaysWhatItReachesAndWhatCannotDim) {
    presentLinux(false, true);
    auto light = std::make_shared<DesktopStyleNightLight>();
    sim->update([](platform::sim::SimState& s) {
        s.missingPorts.erase("nightShift");
        s.overlaysReachScreen = false;
        for (auto& d : s.displays) d.gammaCapacity = 0;
    });
    sim->setNightShiftClient(light);
    start(manualSettings(3400, 1.0));
    settle();
    for (const auto& d : model->capabilities().displays) ASSERT_EQ(d.attachedMethod, TintMethod::nightShift) << d.name;

    const auto setKelvin = [&](std::int64_t kelvin) {
        model->change([&](Settings& s, RuntimeState&) { s.manualKelvin = kelvin; });
        settle();
    };
    DisplaysPane displays(environment(), window.get());
    ASSERT_FALSE(displays.sections().empty());
    FooterRow footer(
        model, [] {}, [] {}, [] {}, window.get());
    const std::string reach = "Night Light reaches 1000K at the warmest";
    const struct {
        std::int64_t kelvin;
        bool short_;  // below the desktop's range
    } cases[] = {{3400, false}, {1000, false}, {800, true}, {500, true}, {1900, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kelvin);
        setKelvin(c.kelvin);
        EXPECT_EQ(model->nightLightReach(), c.short_ ? reach : "");
        const std::string caption = subtitle(displays.sections()[0]->methodRow());
        EXPECT_EQ(caption.rfind(reach + ". ", 0) == 0, c.short_) << caption;
        EXPECT_EQ(footer.methodButton().toolTip().toStdString(),
                  c.short_ ? "How Orvane warms the screen. " + reach + "." : "How Orvane warms the screen");
        const std::string report = Diagnostics::text(*model);
        EXPECT_EQ(report.find("\n" + reach + "; asked for " + std::to_string(c.kelvin) + "K\n") != std::string::npos,
                  c.short_)
            << report;
    }

    setKelvin(800);
    expectRenderedWhole(displays, "displays-pane-night-light-alone", kit::RenderHarness::fittingSize(displays, 620));
    const QString cannotDim = QStringLiteral("Not available with the desktop's night light.");
    {
        kit::DimControl dim(model, 28, window.get());
        expectRenderedWhole(dim, "dim-control-night-light-alone", QSize(320, 40));
        EXPECT_FALSE(dim.slider().isEnabled());
        EXPECT_EQ(dim.slider().toolTip(), cannotDim);
        ShortcutsPane keys(environment(), window.get());
        EXPECT_FALSE(keys.recorder(&Shortcuts::dimmer).isEnabled());
        EXPECT_FALSE(keys.recorder(&Shortcuts::brighter).isEnabled());
        EXPECT_FALSE(keys.dimStep().isEnabled());
        EXPECT_EQ(keys.recorder(&Shortcuts::warmer).isEnabled(), model->capabilities().globalShortcuts.available);
        EXPECT_FALSE(keys.dimCaptionText().isHidden());
        EXPECT_EQ(keys.dimCaptionText().text(), cannotDim);
        expectRenderedWhole(keys, "shortcuts-pane-night-light-alone", kit::RenderHarness::fittingSize(keys, 620));
        ComfortPane comfort(environment(), window.get());
        ASSERT_NE(comfort.nightShiftFloorRow(), nullptr);
        EXPECT_TRUE(comfort.nightShiftFloorRow()->isHidden());
    }

    // An X session with a compositing manager: the overlay joins the night light below the floor.
    sim->update([](platform::sim::SimState& s) {
        s.overlaysReachScreen = true;
        s.compositing = true;
    });
    Settings settings = model->settings();
    for (const auto id : {1u, 2u}) settings.displays[display(id).key].method = TintMethod::nightShift;
    model->setSettings(settings);
    for (const auto& d : {display(1), display(2)}) engine->reattach(d.id);
    model->refreshCapabilities();
    settle();
    for (const auto& d : model->capabilities().displays) ASSERT_EQ(d.attachedTitle, "Night Light + overlay") << d.name;
    setKelvin(800);
    EXPECT_EQ(model->nightLightReach(), "");
    EXPECT_EQ(footer.methodButton().toolTip(), QStringLiteral("How Orvane warms the screen"));
    kit::DimControl dim(model, 28, window.get());
    EXPECT_TRUE(dim.slider().isEnabled());
    EXPECT_EQ(dim.slider().toolTip(), QString());
    ShortcutsPane keys(environment(), window.get());
    EXPECT_TRUE(keys.dimStep().isEnabled());
    EXPECT_TRUE(keys.dimCaptionText().isHidden());
    ComfortPane comfort(environment(), window.get());
    ASSERT_NE(comfort.nightShiftFloorRow(), nullptr);
    EXPECT_FALSE(comfort.nightShiftFloorRow()->isHidden());
    expectRenderedWhole(comfort, "comfort-pane-night-light-floor", kit::RenderHarness::fittingSize(comfort, 620));
    EXPECT_EQ(subtitle(*comfort.nightShiftFloorRow()),
              "Night Light warms the screen down to here; below it the overlay adds the rest of the warmth. The "
              "desktop's Night Light goes no lower than 1000K.");
}

TEST_F(CapabilityControlsTest, BacklightAndUpdatesSayWhyNotOnLinux) {
    presentLinux(true, true, false);
    start();
    ComfortPane comfort(environment(), window.get());
    EXPECT_FALSE(comfort.steadySwitch().toggle().isEnabled());
    EXPECT_EQ(subtitle(comfort.steadySwitch()), "No backlight control on this computer.");
    EXPECT_FALSE(comfort.ditheringPicker().picker().isEnabled());
    EXPECT_EQ(subtitle(comfort.ditheringPicker()), notHere.toStdString());
    AboutPane about(environment(), window.get());
    EXPECT_TRUE(about.checkForUpdates().isHidden());
}

// Only a package under /usr is said to be kept up to date by the package manager; an
// install from source is told how it is updated.
TEST(Capabilities, TheUpdatesReasonFollowsWhereTheProgramIsInstalled) {
    const std::string packaged = "The package manager keeps Orvane up to date.";
    const std::string fromSource =
        "Orvane was installed from source: to update it, build the newer source and install it again.";
    const struct {
        std::optional<std::string> executable;
        std::string reason;
    } cases[] = {
        {"/usr/bin/orvane", packaged},
        {"/usr/lib/orvane/Orvane", packaged},
        {"/usr/local/bin/orvane", fromSource},
        {"/home/ada/.local/bin/orvane", fromSource},
        {"/home/ada/src/orvane/build/src/ui/Orvane", fromSource},
        {"/usrlocal/bin/orvane", fromSource},
        {std::nullopt, packaged},  // where the system does not say, as before
    };
    for (const auto& c : cases)
        EXPECT_EQ(Capabilities::updatesReason(c.executable), c.reason) << c.executable.value_or("<unknown>");
}

// The popover's headline claims no reduction while the tint is off: read from what the
// popover draws, not from the model.
TEST_F(CapabilityControlsTest, NothingIsClaimedWhileTheTintIsOff) {
    start();
    model->change([](Settings& s, RuntimeState&) {
        s.mode = Mode::manual;
        s.manualKelvin = 1900;
    });
    settle();
    PopoverView popover(model, popoverEnvironment(), std::nullopt, window.get());
    popover.adjustSize();
    popover.show();
    // Opened as its window announces it, and the entrance over: every element shows.
    notifications.post(kit::Notifications::popoverWillShow);
    scheduler->advance(1);
    const auto claims = [&] {
        animationTime += 3;
        animator->step();
        animator->settleAll();
        QCoreApplication::sendPostedEvents();
        QStringList found;
        for (const QString& text : drawnTexts(popover))
            if (text.contains(QStringLiteral("less alerting light"))) found << text;
        return found;
    };
    // Tinted, the claim is drawn once, on the sky card's sea row under the kelvin: the reading
    // sees it where it is.
    const QString claim = QString::fromStdString(Melanopic::label(model->shownWhite()));
    ASSERT_TRUE(claim.contains(QStringLiteral("less alerting light"))) << claim.toStdString();
    EXPECT_EQ(claims(), QStringList({claim})) << drawnTexts(popover).join(QStringLiteral(" | ")).toStdString();

    model->change([](Settings& s, RuntimeState&) { s.enabled = false; });
    settle();
    EXPECT_TRUE(claims().isEmpty()) << claims().join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(drawnTexts(popover).count(QStringLiteral("True colors")), 1);
    expectRenderedWhole(popover, QStringLiteral("popover-tint-off"), popover.size());
    EXPECT_TRUE(claims().isEmpty()) << "in neither appearance";
}

// A desktop that gives no global shortcuts (a Wayland session without the portal) or never
// tells which app is in front (a compositor without a window list for clients): the
// recorders are disabled, and the panes and the popover's tile say why.
TEST_F(CapabilityControlsTest, ShortcutsAndExclusionsSayWhyNotWhereTheDesktopCannot) {
    const std::string noShortcuts = "Global shortcuts are not available on this desktop.";
    const std::string noFront =
        "This desktop does not tell programs which app is in front, so exclusions cannot work here.";
    sim->update([](platform::sim::SimState& s) {
        s.frontApplication = platform::RunningApplication{std::string("org.example.Viewer"), std::string("Viewer"), 42};
    });
    start();
    for (const bool can : {true, false, true}) {
        sim->update([&](platform::sim::SimState& s) {
            for (const char* port : {"globalShortcuts", "frontmostApplication"})
                if (can) s.missingPorts.erase(port);
                else s.missingPorts.insert(port);
        });
        model->refreshCapabilities();
        model->frontmost().refresh();
        settle();
        SCOPED_TRACE(can ? "the desktop can" : "the desktop cannot");

        // The pane follows the change without being rebuilt: one pane for the whole run.
        if (!shortcuts) shortcuts = std::make_unique<ShortcutsPane>(environment(), window.get());
        for (auto field : {&Shortcuts::reveal, &Shortcuts::toggle, &Shortcuts::cozy})
            EXPECT_EQ(shortcuts->recorder(field).isEnabled(), can);
        EXPECT_EQ(shortcuts->globalCaptionText().text().toStdString(),
                  can ? std::string(ShortcutsPaneRules::globalCaption) : noShortcuts);
        // The reset is a global shortcut as well: its row says so where none works.
        EXPECT_EQ(shortcuts->emergencyRow().isEnabled(), can);
        EXPECT_EQ(subtitle(shortcuts->emergencyRow()),
                  can ? std::string(ShortcutsPaneRules::emergencySubtitle) : noShortcuts);

        PresetEditor editor(model, model->settings().presets.front().id, window.get());
        EXPECT_EQ(editor.recorder().isEnabled(), can);
        const QString editorText = [&] {
            QString all;
            for (auto* w : editor.findChildren<QWidget*>())
                if (auto* t = dynamic_cast<kit::Text*>(w)) all += t->text() + "\n";
            return all;
        }();
        EXPECT_EQ(editorText.contains(QString::fromStdString(noShortcuts)), !can);

        ExclusionsPane exclusions(environment(), window.get());
        EXPECT_EQ(exclusions.footnoteText().text().toStdString().rfind(can ? "Orvane fades out" : noFront, 0), 0u)
            << exclusions.footnoteText().text().toStdString();

        ThisAppTile tile(model, window.get());
        EXPECT_EQ(tile.isEnabled(), can);
        EXPECT_EQ(tile.label().detail().toStdString(), can ? "Skip this app" : "Cannot work here");
        EXPECT_EQ(tile.toolTip().toStdString().find(noFront) != std::string::npos, !can);
        if (!can) {
            using kit::RenderHarness::fittingSize;
            using kit::RenderHarness::renderBoth;
            renderBoth(*shortcuts, "shortcuts-pane-no-global-shortcuts",
                       QSize(640, fittingSize(*shortcuts, 640).height()));
            renderBoth(exclusions, "exclusions-pane-no-front-app", QSize(640, fittingSize(exclusions, 640).height()));
            renderBoth(editor, "preset-editor-no-global-shortcuts", QSize(560, fittingSize(editor, 560).height()));
            renderBoth(tile, "this-app-tile-cannot-work-here");
        }
    }
}

}  // namespace
}  // namespace orvane::testing
