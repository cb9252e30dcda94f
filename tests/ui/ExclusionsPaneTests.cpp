// The Exclusions pane over the real model on the simulated machine, whose catalogue is
// the scripted list of installed applications.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QTimer>

#include "DrawnTexts.h"
#include "KitFixture.h"
#include "RenderedView.h"
#include "platform/Platform.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/Form.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/settings/AppChooser.h"
#include "ui/settings/ExclusionsPane.h"
#include "ui/views/TextField.h"

namespace orvane::testing {
namespace {

using platform::sim::SimApp;
using platform::sim::SimState;

class ExclusionsPaneTest : public KitModelTest {
protected:
    void SetUp() override {
        KitModelTest::SetUp();
        sim->update([](SimState& s) {
            s.applications = {
                SimApp{"com.adobe.Photoshop", "Photoshop", std::nullopt, std::nullopt,
                       std::string("/Applications/Photoshop.app")},
                SimApp{"com.figma.Desktop", "Figma", std::nullopt, std::nullopt,
                       std::string("/Applications/Figma.app")},
                SimApp{"com.example.editor", "Editor", std::nullopt, std::nullopt,
                       std::string("/Applications/Editor.app")},
            };
        });
    }
    std::unique_ptr<ExclusionsPane> pane() {
        auto view = std::make_unique<ExclusionsPane>(PaneEnvironment{model, desktop}, window.get());
        place(*view, QSize(560, 900));
        return view;
    }
    void bringToFront(const char* id, const char* name) {
        sim->update([&](SimState& s) {
            s.frontApplication = platform::RunningApplication{std::string(id), std::string(name), 42};
        });
        sim->postWorkspaceEvent(platform::WorkspaceEvent::didActivateApplication);
        settle();
    }
    std::vector<std::string> excludedIDs() const {
        std::vector<std::string> ids;
        for (const auto& e : model->settings().excludedApps) ids.push_back(e.bundleID);
        return ids;
    }

    std::shared_ptr<Desktop> desktop = std::make_shared<Desktop>();
};

TEST_F(ExclusionsPaneTest, TheAddMenuOffersTheLastActiveApplicationUntilItIsExcluded) {
    start();
    auto view = pane();
    EXPECT_FALSE(view->emptyText().isHidden());
    EXPECT_EQ(view->emptyText().text(), QStringLiteral("No excluded apps yet."));
    EXPECT_EQ(view->addMenuTitles(), (std::vector<QString>{QStringLiteral("Choose Applications\u2026")}));

    bringToFront("com.example.editor", "Editor");
    EXPECT_EQ(view->addMenuTitles(), (std::vector<QString>{QStringLiteral("Editor (last active)"), QString(),
                                                           QStringLiteral("Choose Applications\u2026")}));
    QMenu* menu = view->buildAddMenu();
    menu->actions().front()->trigger();
    EXPECT_EQ(model->settings().excludedApps, (std::vector<ExcludedApp>{{"com.example.editor", "Editor", false}}));
    EXPECT_TRUE(view->emptyText().isHidden());
    EXPECT_EQ(view->excludedRowCount(), 1);
    EXPECT_EQ(view->addMenuTitles(), (std::vector<QString>{QStringLiteral("Choose Applications\u2026")}));
}

TEST_F(ExclusionsPaneTest, ChoosingApplicationsAddsEachOnceAndSkipsWhatIsNotAnApplication) {
    Settings s = manualSettings();
    s.excludedApps = {{"com.adobe.Photoshop", "Photoshop", false}};
    start(s);
    Desktop::FileRequest asked;
    desktop->chooseOpenFiles = [&](QWidget*, const Desktop::FileRequest& request) {
        asked = request;
        return std::vector<std::string>{"/Applications/Photoshop.app", "/Applications/Figma.app", "/tmp/notes.txt",
                                        "/Applications/Figma.app"};
    };
    auto view = pane();
    view->pickApp();
    EXPECT_EQ(asked.title, QStringLiteral("Choose apps to exclude"));
    EXPECT_EQ(asked.directory, QStringLiteral("/Applications"));
    EXPECT_EQ(excludedIDs(), (std::vector<std::string>{"com.adobe.Photoshop", "com.figma.Desktop"}));
    EXPECT_EQ(view->excludedRowCount(), 2);

    desktop->chooseOpenFiles = [](QWidget*, const Desktop::FileRequest&) { return std::vector<std::string>{}; };
    view->pickApp();  // cancelled
    EXPECT_EQ(excludedIDs().size(), 2u);
}

// Where the catalogue lists its applications, the chooser shows them by name (and icon),
// not as files; what is picked is added once.
TEST_F(ExclusionsPaneTest, TheApplicationChooserListsNamesAndAddsWhatIsPicked) {
    Settings s = manualSettings();
    s.excludedApps = {{"com.adobe.Photoshop", "Photoshop", false}};
    start(s);
    std::vector<std::string> offered;
    desktop->chooseOpenFiles = [](QWidget*, const Desktop::FileRequest&) {
        ADD_FAILURE() << "no file chooser where applications are listed";
        return std::vector<std::string>{};
    };
    desktop->chooseApplications = [&](QWidget*, const QString&, const std::vector<platform::CatalogApp>& apps) {
        for (const auto& app : apps) offered.push_back(app.name);
        return std::vector<std::string>{"com.figma.Desktop", "com.adobe.Photoshop", "com.example.gone"};
    };
    auto view = pane();
    view->pickApp();
    EXPECT_EQ(offered, (std::vector<std::string>{"Editor", "Figma", "Photoshop"})) << "by name";
    EXPECT_EQ(excludedIDs(), (std::vector<std::string>{"com.adobe.Photoshop", "com.figma.Desktop"}));
    EXPECT_EQ(model->settings().excludedApps.back().name, "Figma");

    // The real chooser: names, picked ones by identifier, a search that narrows the list.
    AppChooser chooser(QStringLiteral("Choose apps to exclude"), *sim->appCatalog().applications(), view.get());
    ASSERT_EQ(chooser.list().count(), 3);
    EXPECT_EQ(chooser.list().item(0)->text(), QStringLiteral("Editor"));
    EXPECT_FALSE(chooser.list().item(0)->icon().isNull()) << "every row has an icon";
    EXPECT_FALSE(chooser.addButton().isEnabled());
    chooser.list().item(1)->setSelected(true);
    chooser.list().item(2)->setSelected(true);
    EXPECT_TRUE(chooser.addButton().isEnabled());
    EXPECT_EQ(chooser.chosen(), (std::vector<std::string>{"com.figma.Desktop", "com.adobe.Photoshop"}));
    chooser.search().setText(QStringLiteral("fig"));
    EXPECT_TRUE(chooser.list().item(2)->isHidden());
    EXPECT_EQ(chooser.chosen(), (std::vector<std::string>{"com.figma.Desktop"})) << "a hidden row is not added";
    chooser.search().clear();
    for (const auto appearance : {kit::Appearance::light, kit::Appearance::dark}) {
        kit::setContext(*view, kit::contextOf(view.get()).withAppearance(appearance));
        AppChooser shown(QStringLiteral("Choose apps to exclude"), *sim->appCatalog().applications(), view.get());
        EXPECT_EQ(shown.palette().color(QPalette::Base).lightness() < 128, kit::isDark(appearance));
        EXPECT_EQ(shown.palette().color(QPalette::Text), kit::primaryText(appearance));
        const QString name = QStringLiteral("app-chooser-") + (kit::isDark(appearance) ? "dark" : "light");
        kit::RenderHarness::save(kit::RenderHarness::render(shown, appearance, QSize(420, 360)), name);
    }
}

// "Add App" opens the chooser at once when it is the only choice; with the last active
// application to offer too, it opens the menu of both.
TEST_F(ExclusionsPaneTest, AddAppOpensTheChooserDirectlyWhenItIsTheOnlyChoice) {
    start();
    int chosen = 0;
    desktop->chooseApplications = [&](QWidget*, const QString&, const std::vector<platform::CatalogApp>&) {
        ++chosen;
        return std::vector<std::string>{"com.figma.Desktop"};
    };
    auto view = pane();
    // A menu that opens is read and closed from inside its loop.
    std::vector<QString> shown;
    const auto closeMenuOnceOpen = [&] {
        shown.clear();
        QTimer::singleShot(0, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (const QAction* action : menu->actions()) shown.push_back(action->text());
                menu->close();
            }
        });
    };
    ASSERT_EQ(view->addMenuTitles().size(), 1u);
    closeMenuOnceOpen();
    view->addButton().click();
    EXPECT_TRUE(shown.empty()) << "no menu of one item";
    EXPECT_EQ(chosen, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(excludedIDs(), (std::vector<std::string>{"com.figma.Desktop"}));

    bringToFront("com.example.editor", "Editor");
    closeMenuOnceOpen();
    view->addButton().click();
    EXPECT_EQ(shown, view->addMenuTitles()) << "two choices: the menu";
    EXPECT_EQ(chosen, 1);
}

// Orvane is never offered for exclusion: not in the list of applications, not as a chosen
// application file.
TEST_F(ExclusionsPaneTest, OrvaneIsNotOfferedForExclusion) {
    sim->update([](SimState& s) {
        s.applications.push_back(SimApp{std::string(platform::bundleIdentifier), "Orvane", std::nullopt, std::nullopt,
                                        std::string("/Applications/Orvane.app")});
    });
    start();
    std::vector<std::string> offered;
    desktop->chooseApplications = [&](QWidget*, const QString&, const std::vector<platform::CatalogApp>& apps) {
        for (const auto& app : apps) offered.push_back(app.id);
        return std::vector<std::string>{std::string(platform::bundleIdentifier)};
    };
    auto view = pane();
    view->pickApp();
    EXPECT_EQ(offered, (std::vector<std::string>{"com.example.editor", "com.figma.Desktop", "com.adobe.Photoshop"}));
    EXPECT_TRUE(excludedIDs().empty());

    auto field = kit::settingField(model, &Settings::excludedApps);
    EXPECT_EQ(
        ExclusionsRules::addChosen(*field, sim->appCatalog(), {"/Applications/Orvane.app", "/Applications/Figma.app"}),
        1);
    EXPECT_EQ(excludedIDs(), (std::vector<std::string>{"com.figma.Desktop"}));
    for (const char* id : {"orvane", "Orvane", "app.orvane.Orvane"}) EXPECT_TRUE(ExclusionsRules::isOrvane(id)) << id;
    for (const char* id : {"orvane-helper", "org.example.orvane", ""})
        EXPECT_FALSE(ExclusionsRules::isOrvane(id)) << id;
}

TEST_F(ExclusionsPaneTest, TheAddMenuWearsTheAppearance) {
    start();
    bringToFront("com.other.Player", "Player");
    auto view = pane();
    QStringList titles;
    for (const QString& title : view->addMenuTitles())
        if (!title.isEmpty()) titles << title;
    ASSERT_EQ(titles.size(), 2) << "the last active app and the chooser";
    for (const auto appearance : {kit::Appearance::light, kit::Appearance::dark}) {
        const bool dark = kit::isDark(appearance);
        SCOPED_TRACE(dark ? "dark" : "light");
        kit::setContext(*view, kit::contextOf(view.get()).withAppearance(appearance));
        QMenu* menu = view->buildAddMenu();
        EXPECT_EQ(menu->palette().color(QPalette::Window), kit::windowColor(appearance));
        EXPECT_EQ(menu->palette().color(QPalette::WindowText), kit::primaryText(appearance));
        menu->ensurePolished();
        const QImage shown = menu->grab().toImage();
        const QColor middle = shown.pixelColor(shown.width() - 4, shown.height() / 2);
        EXPECT_EQ(middle.lightness() < 128, dark) << qPrintable(middle.name());

        // The picture, for a person to look at: the menu's size, its entries drawn whole.
        const QImage image = kit::RenderHarness::render(*menu, appearance);
        kit::RenderHarness::save(
            image, dark ? QStringLiteral("exclusions-add-menu-dark") : QStringLiteral("exclusions-add-menu-light"));
        EXPECT_EQ(image.size(), menu->size() * kit::RenderHarness::devicePixelRatio);
        EXPECT_GE(menu->width(), menu->sizeHint().width());
        EXPECT_TRUE(paintedSomething(image));
        EXPECT_EQ(drawnTexts(*menu), titles);
        const QColor text = kit::primaryText(appearance);
        int inked = 0;  // pixels near the text colour: the entries read on the menu
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (const QColor c = image.pixelColor(x, y); std::abs(c.lightness() - text.lightness()) < 40) ++inked;
        EXPECT_GT(inked, 100);
        delete menu;
    }
}

TEST_F(ExclusionsPaneTest, SuggestionsAreInstalledFixedOnesNotYetExcludedAndAddAppendsAtTheEnd) {
    Settings s = manualSettings();
    s.excludedApps = {{"com.example.editor", "Editor", true}};
    start(s);
    auto view = pane();
    // Of the five fixed suggestions the machine has two installed.
    EXPECT_EQ(view->suggestedNames(), (std::vector<QString>{QStringLiteral("Photoshop"), QStringLiteral("Figma")}));
    EXPECT_TRUE(view->showsSuggested());
    view->addSuggestion(1);
    EXPECT_EQ(model->settings().excludedApps.back(), (ExcludedApp{"com.figma.Desktop", "Figma", false}));
    EXPECT_EQ(view->suggestedNames(), (std::vector<QString>{QStringLiteral("Photoshop")}));
    view->addSuggestion(0);
    EXPECT_FALSE(view->showsSuggested()) << "no candidate left: no section";

    // One row's full-screen flag changes that entry only.
    view->setOnlyWhenFullScreen("com.figma.Desktop", true);
    const auto& apps = model->settings().excludedApps;
    EXPECT_TRUE(apps[0].onlyWhenFullScreen);
    EXPECT_TRUE(apps[1].onlyWhenFullScreen);
    EXPECT_FALSE(apps[2].onlyWhenFullScreen);
    view->remove("com.figma.Desktop");
    EXPECT_EQ(excludedIDs(), (std::vector<std::string>{"com.example.editor", "com.adobe.Photoshop"}));
    EXPECT_EQ(view->suggestedNames(), (std::vector<QString>{QStringLiteral("Figma")})) << "removed: suggested again";
}

// The pane shows the applications the model read once: settings changes, the list's own
// included, and the periodic refresh of the capabilities read no desktop entries. The
// simulated catalogue journals every read.
TEST_F(ExclusionsPaneTest, SettingsChangesReadNothingFromTheCatalogue) {
    start();
    auto view = pane();
    const auto reads = [&] {
        std::vector<std::string> seen;
        for (const auto& call : sim->journal().calls())
            if (call.facility.rfind("appCatalog.", 0) == 0) seen.push_back(call.facility);
        return seen;
    };
    sim->journal().clear();
    view->addSuggestion(0);
    view->setOnlyWhenFullScreen("com.adobe.Photoshop", true);
    model->change([](Settings& s, RuntimeState&) {
        s.exclusionFade = Smoothing::ms400;
        s.mode = Mode::manual;
        s.manualKelvin = 3100;
    });
    model->refreshCapabilities();
    EXPECT_EQ(view->excludedRowCount(), 1);
    EXPECT_EQ(view->suggestedNames(), (std::vector<QString>{QStringLiteral("Figma")}));
    view->remove("com.adobe.Photoshop");
    EXPECT_EQ(view->suggestedNames(), (std::vector<QString>{QStringLiteral("Photoshop"), QStringLiteral("Figma")}));
    EXPECT_EQ(reads(), std::vector<std::string>{});
}

TEST_F(ExclusionsPaneTest, RendersLightAndDark) {
    Settings s = manualSettings();
    s.excludedApps = {{"com.example.editor", "Editor", false}, {"Gimp-2.10", "GIMP", true}};
    start(s);
    bringToFront("com.other.Player", "Player");
    auto view = pane();
    expectRenderedWhole(*view, "exclusions-pane", kit::RenderHarness::fittingSize(*view, 620));
}

}  // namespace
}  // namespace orvane::testing
