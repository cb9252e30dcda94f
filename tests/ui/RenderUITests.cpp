// The screenshot mode in this process: the state each shot is given, what a run leaves of
// the user's world and of its own, and the shot renderer's sizes, lines and background.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <regex>

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QTest>

#include "RenderUIShots.h"
#include "SimFixture.h"
#include "app/AppModel.h"
#include "app/SettingsStore.h"
#include "engine/NightShift.h"
#include "platform/AtomicFile.h"
#include "platform/FakeScheduler.h"
#include "platform/Platform.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/OffscreenRender.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/kit/Tokens.h"
#include "ui/render/RenderUI.h"
#include "ui/render/ScratchWorld.h"
#include "ui/settings/PaneEnvironment.h"
#include "ui/settings/SettingsRootRules.h"
#include "ui/settings/SettingsRootView.h"

namespace orvane {
namespace {

std::vector<std::string> shotNames() { return testing::renderUIShotNames(); }

using testing::linesOf;
using testing::nearColour;

// TMPDIR points at a directory of the test's own, where the scratch world is made.
class RenderUITest : public ::testing::Test {
protected:
    void SetUp() override {
        temporary = testing::freshDirectory("tmp");
        if (const char* t = std::getenv("TMPDIR")) savedTemporary = t;
        ::setenv("TMPDIR", temporary.c_str(), 1);
    }
    void TearDown() override {
        if (savedTemporary) ::setenv("TMPDIR", savedTemporary->c_str(), 1);
        else ::unsetenv("TMPDIR");
    }

    std::vector<std::string> scratchDirectories() const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(temporary))
            if (entry.path().filename().string().rfind(ScratchWorld::directoryPrefix, 0) == 0)
                found.push_back(entry.path().filename());
        return found;
    }

    // Hooks that render only the named shots and note every shot's name.
    RenderUI::Hooks only(std::vector<std::string> rendered) {
        RenderUI::Hooks hooks;
        hooks.beforeShot = [this, rendered](const std::string& name, AppModel&) {
            shots.push_back(name);
            return std::find(rendered.begin(), rendered.end(), name) != rendered.end();
        };
        return hooks;
    }

    std::filesystem::path temporary;
    std::optional<std::string> savedTemporary;
    std::vector<std::string> shots;
};

TEST_F(RenderUITest, EveryShotSeesTheStateThePartGivesItOnAFrozenEveningInBerlin) {
    struct Seen {
        Mode mode;
        std::optional<EveningPlan> plan;
        std::optional<double> reduction;
        std::optional<Date> disabledUntil;
        Date now;
        std::string zone;
        std::int64_t kelvin;
    };
    std::map<std::string, Seen> seen;
    RenderUI::Hooks hooks;
    hooks.beforeShot = [&](const std::string& name, AppModel& model) {
        shots.push_back(name);
        seen[name] = {model.settings().mode,
                      model.eveningPlan(),
                      model.renderTonightReduction(),
                      model.runtime().disabledUntil,
                      model.platform()->clock().now(),
                      model.placeZone().identifier(),
                      model.resolution().modeState.kelvin};
        return false;
    };
    std::optional<Seen> end;
    std::filesystem::path scratch;
    hooks.afterShots = [&](AppModel& model, const std::shared_ptr<SettingsStore>&, const std::filesystem::path& dir) {
        end = Seen{model.settings().mode, model.eveningPlan(), {}, model.runtime().disabledUntil, {}, {}, 0};
        scratch = dir;
        EXPECT_TRUE(std::filesystem::is_directory(dir));
    };
    const auto output = temporary / "out" / "a" / "b";
    RenderUI::run(output, hooks);

    EXPECT_EQ(shots, shotNames());
    ASSERT_EQ(seen.size(), shotNames().size());
    bool reduced = false;
    for (const auto& name : shotNames()) {
        SCOPED_TRACE(name);
        const Seen& s = seen.at(name);
        EXPECT_EQ(s.now, ScratchWorld::frozenNow);
        EXPECT_EQ(s.zone, "Europe/Berlin");
        // The tonight figure is set once, for the popovers after it.
        reduced = reduced || name == "popover-2700K";
        EXPECT_EQ(s.reduction, reduced ? std::optional<double>(0.62) : std::nullopt);
        if (name == "popover-disabled") EXPECT_EQ(s.disabledUntil, std::optional<Date>(ScratchWorld::frozenNow + 3600));
        else EXPECT_FALSE(s.disabledUntil);
    }
    // A fresh suite: the defaults, not anything of an earlier run.
    EXPECT_EQ(seen.at("popover").mode, Settings{}.mode);
    EXPECT_EQ(seen.at("popover-2700K").kelvin, 2700);
    EXPECT_EQ(seen.at("popover-500K").kelvin, 500);
    const EveningPlan gentle{ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::gentle};
    const EveningPlan deepRed{ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::deepRed};
    EXPECT_EQ(seen.at("onboarding-gentle").plan, gentle);
    EXPECT_EQ(seen.at("onboarding-deepRed").plan, deepRed);

    ASSERT_TRUE(end);
    EXPECT_EQ(end->mode, Mode::sunset);
    EXPECT_EQ(end->plan, (EveningPlan{ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::warm}));
    EXPECT_FALSE(end->disabledUntil);

    // The output folder was made with its parents; the scratch world is gone.
    EXPECT_TRUE(std::filesystem::is_directory(output));
    EXPECT_TRUE(std::filesystem::is_empty(output));
    EXPECT_EQ(scratch.parent_path(), temporary);
    EXPECT_FALSE(std::filesystem::exists(scratch));
    EXPECT_TRUE(scratchDirectories().empty());
}

// The user's own settings, a running instance's Night Shift record and the user's machine
// are neither read nor changed: the run has a machine of its own.
TEST_F(RenderUITest, TheUsersDefaultsAndMachineStayAsTheyWere) {
    const auto user = platform::Platform::create({});
    const auto defaults = user->standardUserDefaults();
    Settings manual;
    manual.mode = Mode::manual;
    manual.manualKelvin = 3000;
    SettingsStore(defaults, nullptr).saveSettings(manual);
    defaults->set(NightShiftWarmth::dirtyKey,
                  platform::Value(platform::Dictionary{{"cct", 4100.0}, {"strength", 0.5}, {"active", true}}));
    // The file the desktop platform would use, beside the simulated machine's.
    const auto desktopDefaults = platform::configHome() / "orvane" / "app.orvane.Orvane.json";
    platform::UserDefaults::open(desktopDefaults)->set(NightShiftWarmth::dirtyKey, platform::Value(true));
    const auto machineFile = platform::simDirectory() / "machine.json";
    const auto before = std::make_tuple(platform::readWholeFile(defaults->file()),
                                        platform::readWholeFile(desktopDefaults), platform::readWholeFile(machineFile));
    ASSERT_TRUE(std::get<0>(before) && std::get<1>(before) && std::get<2>(before));

    std::optional<Mode> shownMode;
    RenderUI::Hooks hooks = only({"popover"});
    hooks.beforeShot = [&, inner = hooks.beforeShot](const std::string& name, AppModel& model) {
        if (name == "popover") shownMode = model.settings().mode;
        return inner(name, model);
    };
    RenderUI::run(temporary / "out", hooks);

    EXPECT_EQ(shownMode, Settings{}.mode) << "the popover shows the defaults, not the user's settings";
    EXPECT_TRUE(std::filesystem::exists(temporary / "out" / "popover.png"));
    const auto after = std::make_tuple(platform::readWholeFile(defaults->file()),
                                       platform::readWholeFile(desktopDefaults), platform::readWholeFile(machineFile));
    EXPECT_EQ(std::get<0>(after), std::get<0>(before));
    EXPECT_EQ(std::get<1>(after), std::get<1>(before));
    EXPECT_EQ(std::get<2>(after), std::get<2>(before));
    EXPECT_TRUE(defaults->object(NightShiftWarmth::dirtyKey));
}

// The offscreen switch is on for the shots and off again after them: the views made
// later in the same process (the tests that follow) animate as on screen.
TEST_F(RenderUITest, TheOffscreenSwitchIsOnOnlyWhileTheShotsRender) {
    ASSERT_FALSE(kit::GlassStyle::offscreenRender());
    std::vector<bool> during;
    RenderUI::Hooks hooks;
    hooks.beforeShot = [&](const std::string&, AppModel&) {
        during.push_back(kit::GlassStyle::offscreenRender());
        return false;
    };
    RenderUI::run(temporary / "out", hooks);
    ASSERT_FALSE(during.empty());
    EXPECT_EQ(std::count(during.begin(), during.end(), true), static_cast<long>(during.size()));
    EXPECT_FALSE(kit::GlassStyle::offscreenRender());
    {
        const kit::GlassStyle::OffscreenRender outer;
        RenderUI::run(temporary / "again", hooks);
        EXPECT_TRUE(kit::GlassStyle::offscreenRender()) << "a render inside another leaves it on";
    }
    EXPECT_FALSE(kit::GlassStyle::offscreenRender());
}

// A save the store still holds back at the end is dropped: written later it would make
// the removed scratch directory again.
TEST_F(RenderUITest, APendingWriteIsDroppedAndTheScratchDirectoryStaysGone) {
    std::shared_ptr<SettingsStore> kept;
    std::filesystem::path scratch;
    RenderUI::Hooks hooks = only({});
    hooks.afterShots = [&](AppModel& model, const std::shared_ptr<SettingsStore>& store,
                           const std::filesystem::path& dir) {
        Settings changed = model.settings();
        changed.manualKelvin = 4321;
        store->saveSettings(changed);
        ASSERT_TRUE(store->hasPending());
        kept = store;  // outlives the run, as a late writer would
        scratch = dir;
    };
    RenderUI::run(temporary / "out", hooks);
    ASSERT_TRUE(kept);
    EXPECT_FALSE(kept->hasPending());
    QTest::qWait(static_cast<int>(SettingsStore::debounce * 1000) + 300);
    EXPECT_FALSE(std::filesystem::exists(scratch));
    EXPECT_TRUE(scratchDirectories().empty());
}

// Dark before light, the size in points on each line and twice that in pixels, and the
// renderer's background wherever a view leaves it.
TEST_F(RenderUITest, EachShotWritesDarkThenLightWithItsSizeInPoints) {
    const auto output = temporary / "out";
    ::testing::internal::CaptureStdout();
    RenderUI::run(output, only({"menubar-icons", "menubar-morph", "rest-break"}));
    const auto lines = linesOf(::testing::internal::GetCapturedStdout());

    constexpr int morphHeight = 12 + 54 + 10 + 54 + 12;  // padding, two rows of glyphs and their gap
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "wrote menubar-morph.png 760\u00d7" + std::to_string(morphHeight));
    EXPECT_EQ(lines[3], "wrote menubar-morph-light.png 760\u00d7" + std::to_string(morphHeight));
    EXPECT_EQ(lines[4], "wrote rest-break.png 320\u00d792");
    EXPECT_EQ(lines[5], "wrote rest-break-light.png 320\u00d792");
    EXPECT_EQ(lines[0].rfind("wrote menubar-icons.png 760\u00d7", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("wrote menubar-icons-light.png 760\u00d7", 0), 0u) << lines[1];

    testing::expectSheetBackgrounds(output);
    EXPECT_EQ(QImage(QString::fromStdString((output / "menubar-morph.png").string())).size(),
              QSize(1520, morphHeight * 2));
    EXPECT_EQ(QImage(QString::fromStdString((output / "rest-break-light.png").string())).size(), QSize(640, 184));
}

// The images show the Linux program: the scratch machine's about line names the
// distribution and the whole processor, and no pane shows a Mac's words, its backlight
// note or the updates button.
TEST_F(RenderUITest, TheScratchMachinePresentsItselfAsALinuxComputer) {
    const auto world = ScratchWorld::make(std::make_shared<platform::FakeScheduler>());
    ASSERT_TRUE(world);
    const std::shared_ptr<AppModel> model = world->model();
    EXPECT_FALSE(model->capabilities().macWords);
    EXPECT_FALSE(model->capabilities().backlightFlickers);
    const std::string about = SettingsRootRules::aboutLine(*model->platform());
    EXPECT_NE(about.find(" \u00B7 Debian GNU/Linux 12 (bookworm) \u00B7 "), std::string::npos) << about;
    EXPECT_EQ(about.substr(about.rfind(" \u00B7 ") + std::string(" \u00B7 ").size()),
              "Intel(R) Core(TM) i7-1165G7 @ 2.80GHz");

    const std::regex macWords(
        R"(\b(Macs?|macOS|Apple|Touch ID|System Settings|Dock|Finder)\b|menu bar|Accessibility permission|backlight uses PWM|)"
        R"(Check for Updates)");
    PaneEnvironment panes{model, std::make_shared<Desktop>()};
    int shown = 0;
    for (const Pane pane : allCases<Pane>()) {
        SettingsRootView view(panes, pane);
        view.resize(900, 640);
        QStringList texts;
        for (const auto* widget : view.findChildren<QWidget*>()) {
            if (!widget->isVisibleTo(&view)) continue;
            if (const auto* text = dynamic_cast<const kit::Text*>(widget)) texts << text->text();
            if (const auto* button = dynamic_cast<const QAbstractButton*>(widget)) texts << button->text();
        }
        for (const auto& text : texts) {
            ++shown;
            EXPECT_FALSE(std::regex_search(text.toStdString(), macWords))
                << toString(pane) << ": " << text.toStdString();
        }
        if (pane == Pane::about) {
            ASSERT_NE(view.header(), nullptr);
            EXPECT_EQ(view.header()->subtitleText().text().toStdString(), about);
        }
    }
    EXPECT_GT(shown, 100);

    // The header keeps every line of the about line, which wraps at the header's measure,
    // at any width of the window.
    const double lineSpacing = QFontMetricsF(kit::FontBook::font(kit::TextStyle::callout)).lineSpacing();
    for (const int width : {900, 640}) {
        SettingsRootView view(panes, Pane::about);
        (void)kit::RenderHarness::render(view, kit::Appearance::light, QSize(width, 640));
        ASSERT_NE(view.header(), nullptr);
        const kit::Text& line = view.header()->subtitleText();
        EXPECT_GT(line.heightForWidth(line.width()), 1.5 * lineSpacing) << width << ": more than one line";
        EXPECT_GE(line.height(), line.heightForWidth(line.width())) << width;
    }
}

// The renderer alone: a given height is kept, a fitted one follows the width and is never
// below 50 points.
TEST(ShotRendererTest, HeightsAreGivenOrFittedAndNeverBelowFifty) {
    const QColor background = QColor::fromRgbF(0.16f, 0.15f, 0.15f);
    QWidget tiny;
    tiny.setFixedSize(40, 10);
    const auto small = kit::RenderHarness::shot(tiny, kit::Appearance::dark, 40, std::nullopt, background,
                                                std::chrono::milliseconds(0));
    ASSERT_TRUE(small);
    EXPECT_EQ(small->points, QSize(40, 50));
    EXPECT_EQ(small->image.size(), QSize(80, 100));
    EXPECT_TRUE(nearColour(small->image.pixelColor(0, 99), 41, 38, 38)) << "the background under the whole image";

    QLabel text(QString(40, QLatin1Char('x')).split(QString()).join(QLatin1Char(' ')));
    text.setWordWrap(true);
    const int narrow = kit::RenderHarness::fittedHeight(text, 120);
    const int wide = kit::RenderHarness::fittedHeight(text, 600);
    EXPECT_GT(narrow, wide);
    const auto fitted = kit::RenderHarness::shot(text, kit::Appearance::light, 120, std::nullopt, background,
                                                 std::chrono::milliseconds(0));
    ASSERT_TRUE(fitted);
    EXPECT_EQ(fitted->points, QSize(120, std::max(narrow, 50)));

    const auto given =
        kit::RenderHarness::shot(text, kit::Appearance::light, 900, 640, background, std::chrono::milliseconds(0));
    ASSERT_TRUE(given);
    EXPECT_EQ(given->points, QSize(900, 640));
    EXPECT_EQ(given->image.size(), QSize(1800, 1280));
}

}  // namespace
}  // namespace orvane
