#include "ui/render/RenderUI.h"

#include <array>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <system_error>

#include <unicode/locid.h>

#include <QApplication>
#include <QLocale>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include "app/AppModel.h"
#include "app/Panels.h"
#include "core/Calendar.h"
#include "core/ShortTime.h"
#include "platform/qt/QtScheduler.h"
#include "ui/hud/RestBreakView.h"
#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/OffscreenRender.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Tokens.h"
#include "ui/menubar/PopoverView.h"
#include "ui/menubar/QtTray.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/render/ScratchWorld.h"
#include "ui/render/ShotSheets.h"
#include "ui/settings/SettingsRootView.h"

namespace orvane::RenderUI {
namespace {

constexpr const char* locale = "en_US";

struct Look {
    kit::Appearance appearance;
    QColor background;
    const char* suffix;
};
// Dark first.
const std::array<Look, 2>& looks() {
    static const std::array<Look, 2> all{{{kit::Appearance::dark, QColor::fromRgbF(0.16f, 0.15f, 0.15f), ""},
                                          {kit::Appearance::light, QColor::fromRgbF(0.93f, 0.92f, 0.91f), "-light"}}};
    return all;
}

struct SkyTime {
    int hour, minute;
};
constexpr std::array<SkyTime, 9> skyTimes{
    {{7, 30}, {8, 15}, {13, 0}, {16, 30}, {17, 30}, {18, 5}, {18, 35}, {19, 10}, {23, 0}}};

struct MoonDate {
    const char* name;
    int day, hour, minute;
};
constexpr std::array<MoonDate, 5> moonDates{{{"crescent", 13, 18, 30},
                                             {"quarter", 17, 21, 30},
                                             {"gibbous", 21, 21, 30},
                                             {"full", 24, 18, 30},
                                             {"day", 3, 10, 0}}};

QPalette paletteFor(kit::Appearance appearance) {
    QPalette palette = QApplication::style()->standardPalette();
    if (appearance == kit::Appearance::light) return palette;
    const QColor window = kit::windowColor(appearance);
    const QColor text = kit::primaryText(appearance);
    for (const auto& [role, colour] : {std::pair{QPalette::Window, window},
                                       {QPalette::Base, window.darker(130)},
                                       {QPalette::AlternateBase, window.lighter(115)},
                                       {QPalette::Button, window.lighter(125)},
                                       {QPalette::WindowText, text},
                                       {QPalette::Text, text},
                                       {QPalette::ButtonText, text},
                                       {QPalette::PlaceholderText, kit::secondaryText(appearance)},
                                       {QPalette::Light, window.lighter(160)},
                                       {QPalette::Midlight, window.lighter(140)},
                                       {QPalette::Mid, window.lighter(110)},
                                       {QPalette::Dark, window.darker(150)},
                                       {QPalette::Shadow, QColor(Qt::black)},
                                       {QPalette::Highlight, kit::Tokens::ember().resolve(appearance)},
                                       {QPalette::HighlightedText, window}})
        palette.setColor(role, colour);
    return palette;
}

using Builder = std::function<std::unique_ptr<QWidget>(kit::Appearance)>;

// One shot: the view built anew for each appearance, rendered, written, announced.
class Shooter {
public:
    Shooter(std::filesystem::path directory, kit::Context context, const Hooks& hooks, AppModel& model)
        : directory_(std::move(directory)), context_(std::move(context)), hooks_(hooks), model_(model) {}

    void operator()(const std::string& name, int width, std::optional<int> height, const Builder& build) {
        if (hooks_.beforeShot && !hooks_.beforeShot(name, model_)) return;
        for (const Look& look : looks()) {
            // The appearance of everything built from now on, as the application's would be;
            // the toolkit's own controls take the palette a desktop of that appearance gives.
            kit::setDefaultContext(context_.withAppearance(look.appearance));
            QApplication::setPalette(paletteFor(look.appearance));
            const std::unique_ptr<QWidget> view = build(look.appearance);
            if (!view) continue;
            kit::setContext(*view, context_.withAppearance(look.appearance));
            const auto shot = kit::RenderHarness::shot(*view, look.appearance, width, height, look.background);
            if (!shot) continue;
            const std::string file = name + look.suffix + ".png";
            if (!shot->image.save(QString::fromStdString((directory_ / file).string()), "PNG")) continue;
            std::printf("wrote %s %d\u00d7%d\n", file.c_str(), shot->points.width(), shot->points.height());
            std::fflush(stdout);
        }
    }

private:
    std::filesystem::path directory_;
    kit::Context context_;
    const Hooks& hooks_;
    AppModel& model_;
};

std::shared_ptr<Desktop> quietDesktop() {
    auto desktop = std::make_shared<Desktop>();
    desktop->chooseSaveFile = [](QWidget*, const Desktop::FileRequest&) { return std::nullopt; };
    desktop->chooseOpenFile = [](QWidget*, const Desktop::FileRequest&) { return std::nullopt; };
    desktop->confirm = [](QWidget*, const Desktop::Confirmation&) { return false; };
    desktop->copyText = [](const QString&) {};
    desktop->openURL = [](const std::string&) { return false; };
    return desktop;
}

std::string twoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

}  // namespace

void run(const std::filesystem::path& directory, const Hooks& hooks) {
    const kit::GlassStyle::OffscreenRender offscreen;
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);

    const auto scheduler = std::make_shared<platform::QtScheduler>();
    const auto world = ScratchWorld::make(scheduler);
    if (!world) return;
    const std::shared_ptr<AppModel> model = world->model();
    const std::shared_ptr<platform::Clock> clock = world->clock();

    // The context every view of the run reads: the frozen wall clock, a centre of its own.
    kit::NotificationCenter notifications;
    const kit::Context before = kit::defaultContext();
    const QPalette palette = QApplication::palette();
    kit::Context context = before;
    context.animator = std::make_shared<kit::Animator>();
    context.haptics = std::make_shared<kit::SilentHaptics>();
    context.notifications = &notifications;
    context.now = [clock] { return clock->now(); };
    context.playSound = [](const std::string&) {};
    Shooter shot(directory, context, hooks, *model);

    const auto popover = [&](std::optional<Date> skyTime) -> Builder {
        return [&, skyTime](kit::Appearance) {
            PopoverView::Environment environment;
            environment.scheduler = scheduler;
            environment.clock = clock;
            environment.sky.locale = locale;
            environment.sky.random = std::make_shared<std::mt19937_64>(0);
            environment.quit = [] {};
            environment.showWhy = [] {};
            return std::make_unique<PopoverView>(model, environment, skyTime);
        };
    };
    constexpr int popoverWidth = PopoverView::popoverWidth;

    shot("popover", popoverWidth, std::nullopt, popover(std::nullopt));

    // The panes' dialogs and addresses go nowhere: nothing of the desktop is asked.
    PaneEnvironment panes{model, quietDesktop()};
    for (const Pane pane : allCases<Pane>())
        shot("settings-" + std::string(toString(pane)), 900, 640,
             [&panes, pane](kit::Appearance) { return std::make_unique<SettingsRootView>(panes, pane); });

    const auto onboarding = [&model](kit::Appearance) { return std::make_unique<OnboardingView>(model, [] {}); };
    constexpr int onboardingWidth = OnboardingView::viewWidth, onboardingHeight = OnboardingView::viewHeight;
    shot("onboarding", onboardingWidth, onboardingHeight, onboarding);
    for (const EveningIntensity intensity : {EveningIntensity::gentle, EveningIntensity::deepRed}) {
        // A hand-tuned curve or another mode has no plan: the first-run window's own.
        const EveningPlan read =
            model->eveningPlan().value_or(EveningPlan{ClockTime(1380), ClockTime(420), EveningIntensity::warm});
        model->setEveningPlan({read.bedtime, read.wake, intensity});
        shot("onboarding-" + std::string(toString(intensity)), onboardingWidth, onboardingHeight, onboarding);
        model->setEveningPlan(read);
    }

    const Calendar calendar(model->placeZone());
    const Date today = calendar.startOfDay(clock->now());
    for (const auto& [hour, minute] : skyTimes)
        shot("sky-" + twoDigits(hour) + twoDigits(minute), popoverWidth, std::nullopt,
             popover(today + hour * 3600.0 + minute * 60.0));
    for (const auto& moon : moonDates) {
        const Date date = calendar.date(2026, 11, moon.day, moon.hour, moon.minute);
        if (!Calendar::canRepresent(date)) continue;
        shot(std::string("moon-") + moon.name, popoverWidth, std::nullopt, popover(date));
    }

    model->setRenderTonightReduction(0.62);
    model->setWarmth(2700, 0.9);
    shot("popover-2700K", popoverWidth, std::nullopt, popover(std::nullopt));
    model->setWarmth(500, 0.7);
    shot("popover-500K", popoverWidth, std::nullopt, popover(std::nullopt));
    model->disable(clock->now() + 3600);
    shot("popover-disabled", popoverWidth, std::nullopt, popover(std::nullopt));
    model->disable(std::nullopt);

    shot("menubar-icons", 760, std::nullopt, [](kit::Appearance) { return std::make_unique<IconSheet>(); });
    shot("menubar-morph", 760, std::nullopt, [](kit::Appearance) { return std::make_unique<MorphSheet>(); });

    app::RestBreakHUDState rest(clock->now());
    rest.setSeconds(20);
    rest.setStartedAt(clock->now() - 7);
    shot("rest-break", RestBreakView::panelWidth, std::nullopt,
         [&rest](kit::Appearance) { return std::make_unique<RestBreakView>(rest); });

    // With the scene's own toggle keys, as a user who has one sees it.
    shot("hidden-icon-notice", HiddenIconNotice::noticeWidth, std::nullopt, [&](kit::Appearance appearance) {
        StatusItemController::NoticeActions actions{[] {}, [] {}, [](bool) {}};
        actions.toggle = model->settings().shortcuts.toggle;
        return std::make_unique<HiddenIconNotice>(actions, appearance);
    });

    if (hooks.afterShots) hooks.afterShots(*model, world->store(), world->directory());
    kit::setDefaultContext(before.withAppearance(kit::Appearance::light));
    QApplication::setPalette(palette);
}

int command(int argc, char** argv, const std::string& directory) {
    // Nothing of the desktop's may change a pixel.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (const char* name :
         {"QT_STYLE_OVERRIDE", "QT_QPA_PLATFORMTHEME", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI"})
        ::unsetenv(name);
    QApplication application(argc, argv);
    // The toolkit took the environment's locale; numbers are written the C way.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale(locale), status);
    ShortTime::setLocale(locale);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(kit::FontBook::font(kit::TextStyle::body));
    run(directory);
    return 0;
}

}  // namespace orvane::RenderUI
