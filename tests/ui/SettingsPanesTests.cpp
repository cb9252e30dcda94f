// The General, About, Advanced and Statistics panes over the real model on the simulated
// machine: their texts follow the model, the settings file survives failed writes and
// refuses what it cannot read safely, the resets keep their order, and the chart keeps
// every bar inside its plot.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fstream>
#include <limits>
#include <thread>
#include <variant>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "DrawnTexts.h"
#include "KitFixture.h"
#include "RenderedView.h"
#include "core/SettingsCodec.h"
#include "engine/LaunchAtLogin.h"
#include "platform/AtomicFile.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/settings/AboutPane.h"
#include "ui/settings/AdvancedPane.h"
#include "ui/settings/GeneralPane.h"
#include "ui/settings/SettingsRootView.h"
#include "ui/settings/SettingsTransfer.h"
#include "ui/settings/StatisticsPane.h"
#include "ui/views/Picker.h"
#include "ui/views/SwitchRow.h"

namespace orvane::testing {
namespace {

std::string read(const std::filesystem::path& path) { return platform::readWholeFile(path).value_or(""); }

Preset userPreset(std::string id, std::string name, std::int64_t kelvin = 2400) {
    Preset preset;
    preset.id = std::move(id);
    preset.name = std::move(name);
    preset.kelvin = kelvin;
    preset.dim = 0.9;
    preset.icon = "star.fill";
    return preset;
}

DayStats warmDay() {
    DayStats day{"2026-03-14"};
    day.warmSeconds = 3600;
    return day;
}

class PanesTest : public KitModelTest {
protected:
    PaneEnvironment environment() { return {model, desktop}; }
    template <class Pane>
    std::unique_ptr<Pane> pane() {
        auto view = std::make_unique<Pane>(environment(), window.get());
        view->resize(560, 800);
        return view;
    }
    // The three stored documents as they are now, after any pending write.
    std::vector<std::optional<platform::Value>> stored() {
        store->flush();
        std::vector<std::optional<platform::Value>> out;
        for (auto key : {SettingsStore::settingsKey, SettingsStore::runtimeKey, SettingsStore::statisticsKey})
            out.push_back(defaults->object(std::string(key)));
        return out;
    }
    // One day of recorded statistics, in the model and staged in the store.
    void recordWarmDay() {
        Statistics statistics;
        statistics.days.push_back(warmDay());
        model->setStatistics(statistics);
        store->saveStatistics(statistics);
    }
    std::shared_ptr<Desktop> desktop = std::make_shared<Desktop>();
    std::vector<QString> copied;
};

// --- General ------------------------------------------------------------------------------

TEST_F(PanesTest, GeneralTextsFollowTheModel) {
    Settings settings = manualSettings(2700);
    settings.enabled = false;
    start(settings);
    auto general = pane<GeneralPane>();
    const auto subtitle = [&] { return general->warmSwitch().subtitleText()->text().toStdString(); };
    EXPECT_EQ(subtitle(), "Off: true colors");
    model->setEnabled(true);
    settle();
    EXPECT_EQ(subtitle(), "\u224880% less alerting light");

    auto& override = general->overridePicker();
    const auto detail = [&] { return override.subtitleText()->text().toStdString(); };
    EXPECT_EQ(detail(),
              "A change in the evening stays until morning. A change during the day stays until the evening "
              "begins. The screen never jumps back to a cooler color at night.");
    override.picker().choose(2);
    EXPECT_EQ(model->settings().overrideBehavior, OverrideBehavior::pauseOneHour);
    EXPECT_EQ(detail(), "Your change stays for an hour. The screen never jumps back to a cooler color at night.");
    override.picker().choose(3);
    EXPECT_EQ(detail(), "Sunset and Schedule turn off. Your change stays until you change it again.");

    EXPECT_TRUE(general->iconCaption().isHidden());
    model->change([](Settings& s, RuntimeState&) { s.showMenuBarIcon = false; });
    EXPECT_FALSE(general->iconCaption().isHidden());
    EXPECT_EQ(general->iconCaption().text(),
              QStringLiteral("With the icon hidden, open the app again to show Settings."));
    model->change([](Settings& s, RuntimeState&) { s.showMenuBarIcon = true; });
    EXPECT_TRUE(general->iconCaption().isHidden());

    EXPECT_EQ(general->smoothingPicker().picker().titles(),
              (std::vector<QString>{QStringLiteral("Instant"), QStringLiteral("150 ms"), QStringLiteral("400 ms")}));
}

TEST(GeneralRules, TheDamageNoticeSaysWhatWentBackAndWhereTheCopiesAre) {
    using Damage = SettingsStore::Damage;
    const std::string file = "/home/ada/.config/orvane/app.orvane.Orvane.json";
    const struct {
        const char* name;
        std::vector<Damage> damage;
        std::string home;
        std::optional<std::string> expected;
    } cases[] = {
        {"nothing damaged", {}, "/home/ada", std::nullopt},
        {"one value",
         {{"settings.json", {"dimFloor"}, "settings.json.unreadable"}},
         "/home/ada",
         "One setting could not be read and went back to its default: dimFloor. The others were kept. A copy of what "
         "was stored is kept as \u201Csettings.json.unreadable\u201D in ~/.config/orvane/app.orvane.Orvane.json."},
        {"two values, outside the home folder",
         {{"settings.json", {"mode", "sunset.morning"}, "settings.json.unreadable-2"}},
         "/home/ad",
         "Some settings could not be read and went back to their defaults: mode, sunset.morning. The others were kept. "
         "A copy of what was stored is kept as \u201Csettings.json.unreadable-2\u201D in " +
             file + "."},
        {"the whole settings, the pauses and the statistics",
         {{"settings.json", {}, "settings.json.unreadable"},
          {"runtime.json", {}, "runtime.json.unreadable"},
          {"statistics.json", {}, "statistics.json.unreadable-3"}},
         "",
         "Your settings could not be read, so every setting went back to its default. The saved pauses and holds "
         "could not be read and started afresh. The statistics could not be read and started afresh. Copies of what "
         "was stored are kept as \u201Csettings.json.unreadable\u201D, \u201Cruntime.json.unreadable\u201D and "
         "\u201Cstatistics.json.unreadable-3\u201D in " +
             file + "."},
    };
    for (const auto& c : cases) EXPECT_EQ(GeneralRules::damageNotice(c.damage, file, c.home), c.expected) << c.name;
}

// Damaged settings: the General pane tells once, at the top, until dismissed.
TEST_F(PanesTest, TheGeneralPaneTellsOfADamagedFileUntilDismissed) {
    Settings settings = manualSettings(2700);
    settings.onboardingCompleted = true;
    Json damaged = settings.toJson();
    damaged["dimFloor"] = "very dark";
    damaged["mode"] = 42;
    const std::string text = damaged.dump();
    defaults->set(std::string(SettingsStore::settingsKey), platform::Value(platform::Bytes(text.begin(), text.end())));
    start();
    auto general = pane<GeneralPane>();
    EXPECT_FALSE(general->damageSection().isHidden());
    EXPECT_NE(general->damageText().text().indexOf(QStringLiteral("defaults: dimFloor, mode.")), -1)
        << general->damageText().text().toStdString();
    expectRenderedWhole(*general, QStringLiteral("pane-general-damage"),
                        kit::RenderHarness::fittingSize(*general, 600));

    general->damageDismiss().click();
    EXPECT_TRUE(general->damageSection().isHidden());
    EXPECT_TRUE(model->damagedDocuments().empty());
    auto again = pane<GeneralPane>();
    EXPECT_TRUE(again->damageSection().isHidden()) << "told once";
}

// The login switch works where the desktop can start programs at login; elsewhere it only
// shows what is stored, with a caption that says why.
TEST_F(PanesTest, TheLoginSwitchIsOfferedOnlyWhereTheDesktopCanStartPrograms) {
    start(manualSettings(2700));
    for (const bool available : {true, false}) {
        SCOPED_TRACE(available ? "with login items" : "without login items");
        sim->machine().update([&](platform::sim::SimState& s) {
            s.bundlePath = available ? "/Applications/Orvane.app" : "/usr/bin/orvane";
        });
        model->refreshCapabilities();
        ASSERT_EQ(LaunchAtLogin::isAvailable(sim->loginItems()), available);
        auto general = pane<GeneralPane>();
        kit::SwitchRow* launch = nullptr;
        for (auto* child : general->findChildren<QWidget*>())  // the row has no meta-object of its own
            if (auto* row = dynamic_cast<kit::SwitchRow*>(child);
                row && row->titleText().text() == QStringLiteral("Launch at login"))
                launch = row;
        ASSERT_TRUE(launch);
        EXPECT_EQ(launch->isEnabled(), available);
        EXPECT_EQ(general->launchCaption().isHidden(), available);
        EXPECT_EQ(general->launchCaption().text(), QStringLiteral("Not available on this computer."));
    }
}

// --- About --------------------------------------------------------------------------------

TEST_F(PanesTest, CheckForUpdatesOnlyHandsTheChangelogToTheBrowser) {
    start();
    std::vector<std::string> opened;
    desktop->openURL = [&](const std::string& url) {
        opened.push_back(url);
        return true;
    };
    auto about = pane<AboutPane>();
    about->checkForUpdates().click();
    EXPECT_EQ(opened, std::vector<std::string>{kit::Brand::updatesURL()});
    EXPECT_EQ(AboutRules::versionLine("2.1"), "Orvane 2.1");
    EXPECT_EQ(AboutRules::credits().size(), 4u);
}

// --- Advanced: the settings file ----------------------------------------------------------

// Answers the next modal file dialog from inside its event loop, again while it stays
// open (a dialog still reading its folder may ignore the first answer), and no other
// dialog; one that never closes is cancelled after 10 s, so a fault fails the test
// instead of hanging it.
void answerFileDialog(std::function<void(QFileDialog&)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(50);
    auto target = std::make_shared<QPointer<QFileDialog>>();
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, target, ticks] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || (*ticks > 0 && dialog != target->data())) return;
        if (*ticks == 0) {
            *target = dialog;
            QObject::connect(dialog, &QDialog::finished, timer, [timer] {
                timer->stop();
                timer->deleteLater();
            });
        }
        if (++*ticks > 200) {
            ADD_FAILURE() << "the file dialog did not close";
            dialog->reject();
            return;
        }
        if (*ticks % 10 == 1) answer(*dialog);
    });
    timer->start();
}

// Types a path into the dialog's file name field and presses Return, as a user would.
void type(QFileDialog& dialog, const std::filesystem::path& path) {
    auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(field);
    field->setText(QString::fromStdString(path.string()));
    QTest::keyClick(field, Qt::Key_Return);
}

TEST_F(PanesTest, ExportThenImportThroughTheRealFileDialog) {
    Settings settings = manualSettings(2900, 0.8);
    settings.onboardingCompleted = false;
    settings.sounds = false;
    start(settings);
    auto system = Desktop::system(sim);
    desktop->chooseSaveFile = system->chooseSaveFile;
    desktop->chooseOpenFile = system->chooseOpenFile;
    desktop->copyText = [this](const QString& text) { copied.push_back(text); };
    auto advanced = pane<AdvancedPane>();
    EXPECT_EQ(advanced->message(), std::nullopt);
    advanced->copyDiagnostics();
    ASSERT_EQ(copied.size(), 1u);
    EXPECT_FALSE(copied[0].isEmpty());
    EXPECT_EQ(advanced->message(), "Diagnostics copied.");

    // A cancelled dialog changes nothing, the message included.
    answerFileDialog([](QFileDialog& d) { d.reject(); });
    advanced->exportSettings();
    answerFileDialog([](QFileDialog& d) { d.reject(); });
    advanced->importSettings();
    EXPECT_EQ(advanced->message(), "Diagnostics copied.");

    const auto folder = directory / "exports";
    std::filesystem::create_directories(folder);
    QString proposed;
    answerFileDialog([&](QFileDialog& d) {
        proposed = d.selectedFiles().value(0);
        type(d, folder / "Orvane settings.json");
    });
    advanced->exportSettings();
    EXPECT_TRUE(proposed.endsWith(QStringLiteral("Orvane settings.json"))) << proposed.toStdString();
    EXPECT_EQ(advanced->message(), "Exported to Orvane settings.json.");
    const auto file = folder / "Orvane settings.json";
    EXPECT_EQ(read(file), SettingsCodec::encode(model->settings()));

    const Settings exported = model->settings();
    model->setSettings(Settings());
    desktop->confirm = [](QWidget*, const Desktop::Confirmation&) { return true; };
    answerFileDialog([&](QFileDialog& d) { type(d, file); });
    advanced->importSettings();
    EXPECT_EQ(advanced->message(), "Imported Orvane settings.json.");
    Settings expected = exported;
    expected.onboardingCompleted = true;
    EXPECT_EQ(model->settings(), expected);
}

// Without a portal, Qt's dialog for import and export starts in the documents folder, and
// in the home folder where there is none.
TEST_F(PanesTest, TheFileDialogStartsInDocumentsElseAtHome) {
    start();
    const auto home = directory / "home";
    std::filesystem::create_directories(home / "Documents");
    const QByteArray savedHome = qgetenv("HOME"), savedBus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("HOME", QByteArray::fromStdString(home.string()));
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");  // no portal to ask
    auto system = Desktop::system(sim);
    desktop->chooseSaveFile = system->chooseSaveFile;
    desktop->chooseOpenFile = system->chooseOpenFile;
    auto advanced = pane<AdvancedPane>();
    const auto startsIn = [&](const std::function<void()>& open) {
        QString folder;
        answerFileDialog([&](QFileDialog& d) {
            folder = d.directory().absolutePath();
            d.reject();
        });
        open();
        return folder.toStdString();
    };
    const std::string documents = (home / "Documents").string();
    EXPECT_EQ(startsIn([&] { advanced->importSettings(); }), documents);
    EXPECT_EQ(startsIn([&] { advanced->exportSettings(); }), documents);
    std::filesystem::remove(home / "Documents");
    EXPECT_EQ(startsIn([&] { advanced->importSettings(); }), home.string());
    qputenv("HOME", savedHome);
    if (savedBus.isNull()) qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    else qputenv("DBUS_SESSION_BUS_ADDRESS", savedBus);
}

// A status line shows under the buttons that caused it, ending where they end, and no
// control moves for it.
TEST_F(PanesTest, StatusLinesSitUnderTheirButtonsAndMoveNothing) {
    start();
    const auto file = directory / "Orvane settings.json";
    desktop->chooseSaveFile = [&](QWidget*, const Desktop::FileRequest&) { return std::optional(file.string()); };
    desktop->copyText = [this](const QString& text) { copied.push_back(text); };
    auto advanced = pane<AdvancedPane>();
    advanced->show();
    QCoreApplication::sendPostedEvents();
    const auto controls = advanced->findChildren<QAbstractButton*>();
    const auto places = [&] {
        std::vector<QRect> out;
        for (const auto* c : controls) out.push_back(QRect(c->mapTo(advanced.get(), QPoint()), c->size()));
        return out;
    };
    const auto before = places();
    // Just below the button, on a line that reaches as far right as it does and further left.
    const auto under = [&](const kit::Text& note, const QAbstractButton& button) {
        const QRect n(note.mapTo(advanced.get(), QPoint()), note.size());
        const QRect b(button.mapTo(advanced.get(), QPoint()), button.size());
        return n.top() > b.bottom() && n.top() - b.bottom() < 20 && std::abs(n.right() - b.right()) <= 1 &&
               n.left() < b.left();
    };
    QAbstractButton* copy = nullptr;
    for (auto* c : controls)
        if (c->text() == QStringLiteral("Copy")) copy = c;
    ASSERT_TRUE(copy);

    advanced->copyDiagnostics();
    EXPECT_EQ(advanced->diagnosticsNote().text(), QStringLiteral("Diagnostics copied."));
    EXPECT_TRUE(advanced->transferNote().text().isEmpty());
    EXPECT_TRUE(under(advanced->diagnosticsNote(), *copy));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(places(), before) << "a message moves no control";
    kit::RenderHarness::renderBoth(*advanced, QStringLiteral("advanced-diagnostics-copied"), QSize(560, 520));

    advanced->exportSettings();
    EXPECT_EQ(advanced->transferNote().text(), QStringLiteral("Exported to Orvane settings.json."));
    EXPECT_TRUE(advanced->diagnosticsNote().text().isEmpty()) << "one status at a time";
    EXPECT_TRUE(under(advanced->transferNote(), advanced->importButton()));
    EXPECT_LT(advanced->transferNote().mapTo(advanced.get(), QPoint()).x(),
              advanced->exportButton().mapTo(advanced.get(), QPoint()).x());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(places(), before);
    kit::RenderHarness::renderBoth(*advanced, QStringLiteral("advanced-exported"), QSize(560, 520));
}

// The longest status lines show every word, under their buttons, at the settings window's
// narrowest (its detail is 530 points wide there), in both appearances.
TEST_F(PanesTest, TheLongestStatusLinesShowWhole) {
    start();
    const auto folder = directory / "Backups of the living room computer";
    std::filesystem::create_directories(folder);
    Settings renamed;
    renamed.presets.push_back(userPreset("user.1", ""));
    renamed.presets.push_back(userPreset("user.2", "candle"));
    const std::pair<const char*, std::string> files[] = {
        {"broken.json", "{\n  \"sounds\": false,\n  \"x\" 1}"},
        {"other.json", R"({"hello":"world"})"},
        {"two places.json", R"({"sunset":{"locationSource":{"city":{"id":"1"},"precise":{}}}})"},
        {"Orvane settings from the old laptop, March 2026.json", SettingsCodec::encode(renamed)},
        {"outofrange.json", R"({"manualKelvin":99999,"manualDim":-3.0})"},
    };
    for (const auto& [name, contents] : files) std::ofstream(folder / name, std::ios::binary) << contents;
    struct Case {
        const char* render;
        std::filesystem::path path;  // exported to, or imported from
        bool exports;
        std::string message;
    };
    const Case cases[] = {
        {"exported", folder / "Orvane settings \u2013 living room computer, 14 March 2026.json", true,
         "Exported to Orvane settings \u2013 living room computer, 14 March 2026.json."},
        {"not-json", folder / "broken.json", false, "Import failed: the file is not valid JSON (line 3, column 7)."},
        {"foreign", folder / "other.json", false, "Import failed: this is not an Orvane settings file."},
        {"pipe", "/dev/zero", false, "Import failed: only a regular file can be imported, not a pipe or device."},
        {"bad-setting", folder / "two places.json", false,
         "Import failed: the setting \u201csunset.locationSource\u201d holds a value Orvane cannot use."},
        {"renamed", folder / "Orvane settings from the old laptop, March 2026.json", false,
         "Imported Orvane settings from the old laptop, March 2026.json. 2 presets were renamed, as each needs a "
         "name of its own."},
        {"adjusted", folder / "outofrange.json", false,
         "Imported outofrange.json; 2 values were outside what Orvane allows: manualKelvin 99999 \u2192 6500 K, "
         "manualDim \u22123 \u2192 5 %."},
    };
    std::filesystem::path chosen;
    desktop->chooseSaveFile = [&](QWidget*, const Desktop::FileRequest&) { return std::optional(chosen.string()); };
    desktop->chooseOpenFile = desktop->chooseSaveFile;
    desktop->confirm = [](QWidget*, const Desktop::Confirmation&) { return true; };
    auto advanced = pane<AdvancedPane>();
    const QSize size(530, kit::RenderHarness::fittingSize(*advanced, 530).height());
    const auto& note = advanced->transferNote();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.render);
        chosen = c.path;
        if (c.exports) advanced->exportSettings();
        else advanced->importSettings();
        EXPECT_EQ(advanced->message(), c.message);
        expectRenderedWhole(*advanced, QStringLiteral("advanced-status-") + QString::fromUtf8(c.render), size);
        EXPECT_EQ(note.text().toStdString(), c.message);
        EXPECT_TRUE(drawnWhole(note)) << note.width() << " x " << note.height();
        EXPECT_TRUE(note.isVisibleTo(advanced.get()));
    }
}

TEST_F(PanesTest, AFailedExportLeavesTheEarlierFileWhole) {
    start();
    const auto file = directory / "backup.json";
    const std::string earlier = "{\"earlier\": \"backup\"}\n";
    std::ofstream(file, std::ios::binary) << earlier;
    desktop->chooseSaveFile = [&](QWidget*, const Desktop::FileRequest&) { return std::optional(file.string()); };
    auto advanced = pane<AdvancedPane>();

    // A file-size limit below the document's size: every write of it fails, as root too.
    struct rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    advanced->exportSettings();
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_TRUE(advanced->message());
    EXPECT_EQ(advanced->message()->rfind("Export failed: ", 0), 0u) << *advanced->message();
    EXPECT_GT(advanced->message()->size(), std::string("Export failed: ").size());
    EXPECT_EQ(read(file), earlier) << "the earlier backup is byte-identical";
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        EXPECT_EQ(entry.path().filename().string().find(".backup.json.tmp"), std::string::npos)
            << "no half-written file is left: " << entry.path();

    advanced->exportSettings();
    EXPECT_EQ(advanced->message(), "Exported to backup.json.");
    EXPECT_EQ(read(file), SettingsCodec::encode(model->settings()));
}

TEST_F(PanesTest, ImportRefusesWhatItCannotReadAndChangesNothing) {
    start(manualSettings(3100));
    const auto folder = directory / "imports";
    std::filesystem::create_directories(folder / "a folder.json");
    std::ofstream(folder / "text.json") << "this is not JSON";
    std::ofstream(folder / "array.json") << "[1, 2, 3]";
    {
        std::ofstream big(folder / "big.json", std::ios::binary);
        const std::string mib(1024 * 1024, ' ');
        big << "{\"sounds\": false";
        for (int i = 0; i < 17; ++i) big << mib;
        big << "}";
    }
    struct Case {
        const char* file;
        const char* reason;  // part of the message; empty: any readable reason
    };
    const Case cases[] = {
        {"text.json", ""},
        {"array.json", ""},
        {"big.json", "the file is larger than 16 MiB."},
        {"a folder.json", "this is a folder, not a file."},
    };
    std::filesystem::path chosen;
    desktop->chooseOpenFile = [&](QWidget*, const Desktop::FileRequest&) { return std::optional(chosen.string()); };
    auto advanced = pane<AdvancedPane>();
    const Settings before = model->settings();
    const auto documents = stored();
    for (const auto& c : cases) {
        chosen = folder / c.file;
        advanced->importSettings();
        ASSERT_TRUE(advanced->message()) << c.file;
        const std::string message = *advanced->message();
        EXPECT_EQ(message.rfind("Import failed: ", 0), 0u) << c.file << ": " << message;
        EXPECT_GT(message.size(), std::string("Import failed: ").size() + 3) << c.file;
        EXPECT_NE(message.find(c.reason), std::string::npos) << c.file << ": " << message;
        EXPECT_EQ(model->settings(), before) << c.file;
        EXPECT_EQ(stored(), documents) << c.file;
    }
    // An endless device is no regular file: refused before a byte is read.
    const auto endless = SettingsTransfer::importFrom("/dev/zero");
    ASSERT_TRUE(std::holds_alternative<SettingsTransfer::Outcome>(endless));
    EXPECT_EQ(std::get<SettingsTransfer::Outcome>(endless).message,
              "Import failed: only a regular file can be imported, not a pipe or device.");
}

// A file that is JSON but no settings document, or that is only partly one, is refused with
// a message a person can act on; the settings and the stored documents stay as they were,
// and nobody is asked to confirm anything.
// An export into a folder that is not there and cannot be made (behind a link to a drive
// that is gone) names the folder, not a missing file; a folder that can be made is.
TEST_F(PanesTest, AnExportIntoAMissingFolderNamesTheFolder) {
    start();
    std::filesystem::path chosen;
    desktop->chooseSaveFile = [&](QWidget*, const Desktop::FileRequest&) { return std::optional(chosen.string()); };
    auto advanced = pane<AdvancedPane>();
    const auto drive = directory / "Drive";
    std::filesystem::create_directory_symlink(directory / "unplugged", drive);
    const struct {
        std::filesystem::path file;
        std::string message;
    } cases[] = {
        {drive / "backup.json", "Export failed: the folder \u201c" + drive.string() + "\u201d does not exist."},
        {drive / "Backups" / "backup.json",
         "Export failed: the folder \u201c" + (drive / "Backups").string() + "\u201d does not exist."},
        {directory / "new" / "backup.json", "Exported to backup.json."},
    };
    for (const auto& c : cases) {
        chosen = c.file;
        advanced->exportSettings();
        EXPECT_EQ(advanced->message(), c.message) << c.file;
    }
    EXPECT_FALSE(std::filesystem::exists(directory / "unplugged"));
}

TEST_F(PanesTest, ImportRefusesForeignAndBrokenDocumentsInPlainWords) {
    Settings settings = manualSettings(3100);
    settings.sounds = false;
    start(settings);
    const std::string valid = SettingsCodec::encode(settings);
    struct Case {
        const char* file;
        std::string contents;
        std::string message;
    };
    const Case cases[] = {
        {"other.json", R"({"hello":"world"})", "Import failed: this is not an Orvane settings file."},
        {"versioned.json", R"({"version": 3})", "Import failed: this is not an Orvane settings file."},
        {"list.json", "[1, 2, 3]", "Import failed: this is not an Orvane settings file."},
        {"string.json", "\"text\"", "Import failed: this is not an Orvane settings file."},
        {"broken.json", "{\n  \"sounds\": false,\n  \"x\" 1}",
         "Import failed: the file is not valid JSON (line 3, column 7)."},
        {"cut.json", "{\"sounds\": fal", "Import failed: the file is not valid JSON (line 1, column 15)."},
        // The parser used to stop at the NUL and take the export before it.
        {"nul.json", valid + std::string(1, '\0') + "garbage",
         "Import failed: the file is not valid JSON (line " +
             std::to_string(1 + std::count(valid.begin(), valid.end(), '\n')) + ", column " +
             std::to_string(valid.size() - valid.rfind('\n')) + ")."},
        {"wrong type.json", R"({"manualKelvin": "warm"})",
         "Import failed: the setting \u201cmanualKelvin\u201d holds a value Orvane cannot use."},
        {"missing.json", "", "Import failed: the file does not exist."},
    };
    const auto folder = directory / "imports";
    std::filesystem::create_directories(folder);
    std::filesystem::path chosen;
    desktop->chooseOpenFile = [&](QWidget*, const Desktop::FileRequest&) { return std::optional(chosen.string()); };
    int asked = 0;
    desktop->confirm = [&](QWidget*, const Desktop::Confirmation&) { return ++asked, true; };
    auto advanced = pane<AdvancedPane>();
    const Settings before = model->settings();
    const auto documents = stored();
    for (const auto& c : cases) {
        chosen = folder / c.file;
        if (!c.contents.empty()) std::ofstream(chosen, std::ios::binary) << c.contents;
        advanced->importSettings();
        EXPECT_EQ(advanced->message(), c.message) << c.file;
        EXPECT_EQ(model->settings(), before) << c.file;
        EXPECT_EQ(stored(), documents) << c.file;
    }
    EXPECT_EQ(asked, 0);
}

// A real export replaces every setting only once the user agreed, in a confirmation that
// names the file.
TEST_F(PanesTest, ImportAsksBeforeReplacingTheSettings) {
    Settings exported = manualSettings(2300);
    exported.sounds = false;
    exported.onboardingCompleted = true;
    const auto file = directory / "evening backup.json";
    std::ofstream(file, std::ios::binary) << SettingsCodec::encode(exported);
    start(manualSettings(4100));
    desktop->chooseOpenFile = [&](QWidget*, const Desktop::FileRequest&) { return std::optional(file.string()); };
    std::vector<Desktop::Confirmation> asked;
    bool answer = false;
    desktop->confirm = [&](QWidget*, const Desktop::Confirmation& c) {
        asked.push_back(c);
        return answer;
    };
    auto advanced = pane<AdvancedPane>();
    const Settings before = model->settings();
    const auto documents = stored();
    advanced->importSettings();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, QStringLiteral("Replace all settings?"));
    EXPECT_TRUE(asked[0].text.contains(QStringLiteral("\u201cevening backup.json\u201d")))
        << asked[0].text.toStdString();
    EXPECT_EQ(asked[0].confirm, QStringLiteral("Replace"));
    EXPECT_EQ(model->settings(), before) << "Cancel changes nothing";
    EXPECT_EQ(stored(), documents);
    EXPECT_EQ(advanced->message(), std::nullopt);

    answer = true;
    advanced->importSettings();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(model->settings(), exported);
    EXPECT_EQ(advanced->message(), "Imported evening backup.json.");
}

// A file edited to values Orvane does not allow: the confirmation says which, and what each
// becomes as Orvane shows it, before anything is replaced, and the status line says it
// again; a file within range says nothing of the kind.
TEST_F(PanesTest, ImportSaysWhichValuesItChangedBeforeAndAfter) {
    start(manualSettings(3100));
    Json edited = Json::parse(SettingsCodec::encode(manualSettings(2500)));
    edited["manualKelvin"] = 99999;
    edited["manualDim"] = -3.0;
    const auto outOfRange = directory / "outofrange.json";
    const auto inRange = directory / "inrange.json";
    std::ofstream(outOfRange, std::ios::binary) << edited.dump(2);
    std::ofstream(inRange, std::ios::binary) << SettingsCodec::encode(manualSettings(2500));
    std::filesystem::path chosen;
    desktop->chooseOpenFile = [&](QWidget*, const Desktop::FileRequest&) { return std::optional(chosen.string()); };
    std::vector<Desktop::Confirmation> asked;
    desktop->confirm = [&](QWidget*, const Desktop::Confirmation& c) {
        asked.push_back(c);
        return true;
    };
    auto advanced = pane<AdvancedPane>();
    const std::string adjusted =
        "2 values were outside what Orvane allows: manualKelvin 99999 \u2192 6500 K, manualDim \u22123 \u2192 5 %";

    chosen = outOfRange;
    advanced->importSettings();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text.toStdString().ends_with("you have now. " + adjusted + "."))
        << asked[0].text.toStdString();
    EXPECT_EQ(advanced->message(), "Imported outofrange.json; " + adjusted + ".");
    EXPECT_EQ(model->settings().manualKelvin, 6500);
    EXPECT_EQ(model->settings().manualDim, 0.0) << "what is stored is the decoder's, as before";

    chosen = inRange;
    advanced->importSettings();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[1].text.endsWith(QStringLiteral("you have now."))) << asked[1].text.toStdString();
    EXPECT_EQ(advanced->message(), "Imported inrange.json.");
}

// Each value changed, in the file's own key and number, and what it becomes in the units
// the settings show.
TEST(SettingsTransferRules, AdjustedValuesNameEachWithWhatItBecomes) {
    SettingsTransfer::Imported imported;
    imported.settings.dimFloor = 0.1;
    EXPECT_EQ(SettingsTransfer::adjustedValues(imported), "");
    const struct {
        SettingsAdjustment adjustment;
        std::string text;
    } cases[] = {
        {{"manualKelvin", 12, 500}, "manualKelvin 12 \u2192 500 K"},
        {{"manualDim", 0.02, 0.0}, "manualDim 0.02 \u2192 10 %"},  // shown at the dim floor
        {{"dimFloor", 0.5, 0.3}, "dimFloor 0.5 \u2192 30 %"},
        {{"displays.uuid:A.dimOffset", -0.75, -0.5}, "displays.uuid:A.dimOffset \u22120.75 \u2192 \u221250 %"},
        {{"displays.uuid:A.warmthOffsetKelvin", -4000, -1500},
         "displays.uuid:A.warmthOffsetKelvin \u22124000 \u2192 \u22121500 K"},
        {{"pointerTintThreshold", 9000, 6500}, "pointerTintThreshold 9000 \u2192 6500 K"},
        {{"restBreaks.everyMinutes", 5, 10}, "restBreaks.everyMinutes 5 \u2192 10 min"},
        {{"restBreaks.seconds", 200, 60}, "restBreaks.seconds 200 \u2192 60 s"},
    };
    for (const auto& c : cases) {
        imported.adjustments = {c.adjustment};
        EXPECT_EQ(SettingsTransfer::adjustedValues(imported), "1 value was outside what Orvane allows: " + c.text);
    }
}

// A document edited by hand may give a preset a blank name or another's: the import names
// them apart (the first of a repeated name keeps it), says so, and leaves the file as it was.
TEST_F(PanesTest, ImportNamesPresetsApartAndSaysSo) {
    start(manualSettings(3100));
    Settings edited = manualSettings(2500);
    edited.presets.push_back(userPreset("user.blank", "  "));
    edited.presets.push_back(userPreset("user.candle", "CANDLE", 2100));
    edited.presets.push_back(userPreset("user.reading", "Reading"));
    edited.presets.push_back(userPreset("user.reading.again", "reading "));
    Settings once = manualSettings(2500);
    once.presets.push_back(userPreset("user.candle", "Candle", 2100));
    const auto file = directory / "hand-edited.json";
    const auto other = directory / "one twin.json";
    std::ofstream(file, std::ios::binary) << SettingsCodec::encode(edited);
    std::ofstream(other, std::ios::binary) << SettingsCodec::encode(once);
    std::filesystem::path chosen;
    desktop->chooseOpenFile = [&](QWidget*, const Desktop::FileRequest&) { return std::optional(chosen.string()); };
    desktop->confirm = [](QWidget*, const Desktop::Confirmation&) { return true; };
    auto advanced = pane<AdvancedPane>();

    chosen = file;
    advanced->importSettings();
    EXPECT_EQ(advanced->message(),
              "Imported hand-edited.json. 3 presets were renamed, as each needs a name of its own.");
    std::vector<std::string> names;
    for (const auto& p : model->settings().presets) names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Daylight", "Focus", "Evening", "Candle", "Ember", "Midnight",
                                               "Preset 1", "CANDLE 2", "Reading", "reading 2"}));
    EXPECT_EQ(model->settings().presets[7].kelvin, 2100) << "only the name changes";
    EXPECT_EQ(model->settings().manualKelvin, 2500);
    EXPECT_EQ(read(file), SettingsCodec::encode(edited));

    chosen = other;
    advanced->importSettings();
    EXPECT_EQ(advanced->message(), "Imported one twin.json. A preset was renamed, as each needs a name of its own.");
    EXPECT_EQ(model->settings().presets.back().name, "Candle 2");
}

// A named pipe without a writer would block an ordinary open for ever, and the program with
// it: it is refused at once. Should the import hang after all, a writer is opened to free it.
TEST_F(PanesTest, ImportRefusesANamedPipeWithoutWaitingForAWriter) {
    start(manualSettings(3100));
    const auto fifo = directory / "pipe.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<bool> done = false;
    std::variant<SettingsTransfer::Imported, SettingsTransfer::Outcome> result;
    std::thread reader([&] {
        result = SettingsTransfer::importFrom(fifo);
        done = true;
    });
    for (int i = 0; i < 500 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool returned = done;
    if (!returned) {
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
        if (writer >= 0) ::close(writer);
    }
    reader.join();
    ASSERT_TRUE(returned) << "the import waited for a writer";
    ASSERT_TRUE(std::holds_alternative<SettingsTransfer::Outcome>(result));
    EXPECT_EQ(std::get<SettingsTransfer::Outcome>(result).message,
              "Import failed: only a regular file can be imported, not a pipe or device.");
}

// --- Advanced: the resets -----------------------------------------------------------------

TEST_F(PanesTest, ResetAsksFirstAndThenGivesTheDefaultsKeptByARestart) {
    Settings settings = manualSettings(2200);
    settings.debugLogging = true;
    settings.statisticsEnabled = false;
    settings.onboardingCompleted = true;
    start(settings);
    recordWarmDay();
    int asked = 0;
    bool answer = false;
    desktop->confirm = [&](QWidget*, const Desktop::Confirmation& c) {
        ++asked;
        EXPECT_EQ(c.title, QStringLiteral("Reset all settings?"));
        EXPECT_EQ(c.confirm, QStringLiteral("Reset"));
        return answer;
    };
    auto advanced = pane<AdvancedPane>();
    const auto documents = stored();
    advanced->confirmReset();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(model->settings().manualKelvin, 2200);
    EXPECT_EQ(stored(), documents) << "Cancel changes nothing";

    answer = true;
    advanced->confirmReset();
    EXPECT_EQ(model->settings(), Settings());
    EXPECT_FALSE(model->settings().debugLogging);
    EXPECT_TRUE(model->settings().statisticsEnabled);
    EXPECT_TRUE(model->statistics().days.empty());
    settle();
    store->flush();
    SettingsStore restarted(defaults, nullptr);
    EXPECT_EQ(restarted.loadSettings(), Settings());
    EXPECT_TRUE(restarted.loadStatistics().days.empty());
    EXPECT_EQ(restarted.loadRuntime(), RuntimeState());
}

// An import's failure is about that import: a reset, or any later action that succeeds,
// takes the stale line away; a reset that is cancelled leaves it.
TEST_F(PanesTest, AResetOrALaterActionClearsTheLastStatus) {
    start(manualSettings(2200));
    const auto broken = directory / "broken.json";
    std::ofstream(broken) << "{ not json";
    desktop->chooseOpenFile = [&](QWidget*, const Desktop::FileRequest&) { return std::optional(broken.string()); };
    bool answer = false;
    desktop->confirm = [&](QWidget*, const Desktop::Confirmation&) { return answer; };
    auto advanced = pane<AdvancedPane>();
    const std::pair<const char*, std::function<void()>> actions[] = {
        {"reset all settings", [&] { advanced->confirmReset(); }},
        {"reset statistics", [&] { advanced->resetStatistics(); }},
        {"run onboarding again", [&] { advanced->runOnboardingAgain(); }},
    };
    for (const auto& [name, act] : actions) {
        SCOPED_TRACE(name);
        advanced->importSettings();
        ASSERT_TRUE(advanced->message());
        ASSERT_EQ(advanced->message()->rfind("Import failed", 0), 0u) << *advanced->message();
        answer = false;
        advanced->confirmReset();
        EXPECT_TRUE(advanced->message()) << "a cancelled reset did nothing";
        answer = true;
        act();
        EXPECT_EQ(advanced->message(), std::nullopt);
        EXPECT_TRUE(advanced->transferNote().text().isEmpty());
        EXPECT_TRUE(advanced->transferNote().toolTip().isEmpty());
    }
}

TEST_F(PanesTest, StatisticsResetStoresTheEmptyDocumentAfterTheDebounceAndOnboardingRunsAgain) {
    Settings settings;
    settings.statisticsEnabled = false;
    settings.onboardingCompleted = true;
    start(settings);
    recordWarmDay();
    auto advanced = pane<AdvancedPane>();
    advanced->resetStatistics();
    EXPECT_TRUE(model->statistics().days.empty());
    EXPECT_FALSE(defaults->object(std::string(SettingsStore::statisticsKey))) << "not before the debounce";
    scheduler->advance(SettingsStore::debounce + 0.01);
    const auto data = defaults->data(std::string(SettingsStore::statisticsKey));
    ASSERT_TRUE(data);
    EXPECT_EQ(Json::parse(std::string(data->begin(), data->end())), Json::parse(R"({"days":[]})"));

    int shown = 0;
    auto observed = notifications.observe(kit::Notifications::showOnboarding, [&](const auto&) { ++shown; });
    advanced->runOnboardingAgain();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(model->settings().onboardingCompleted);
}

// --- Statistics ---------------------------------------------------------------------------

TEST(StatisticsRules, FiguresAndBars) {
    EXPECT_EQ(StatisticsRules::eveningLightText(std::nullopt), "\u2014");
    EXPECT_EQ(StatisticsRules::eveningLightText(0.375), "\u221238%");
    EXPECT_EQ(StatisticsRules::eveningLightText(0.42), "\u221242%");
    EXPECT_EQ(StatisticsRules::eveningLightText(-0.2), "\u22120%");
    EXPECT_EQ(StatisticsRules::eveningLightText(1.4), "\u2212100%");

    // Bars stay within 0...100 whatever the stored numbers say (hand-edited statistics).
    struct Case {
        double melanopic, screen, value;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {30, 100, 70}, {30, 59, 0},  {200, 100, 0}, {-50, 100, 100},
        {nan, 100, 0}, {30, nan, 0}, {0, 100, 100}, {30, std::numeric_limits<double>::infinity(), 100},
    };
    for (const auto& c : cases) {
        DayStats day{"2026-03-14"};
        day.eveningMelanopicSeconds = c.melanopic;
        day.eveningScreenSeconds = c.screen;
        EXPECT_DOUBLE_EQ(StatisticsRules::barValue(day), c.value) << c.melanopic << " / " << c.screen;
    }
    EXPECT_TRUE(StatisticsRules::showsLabel(0, 14, 28));
    EXPECT_TRUE(StatisticsRules::showsLabel(13, 14, 20));
    EXPECT_FALSE(StatisticsRules::showsLabel(12, 14, 20));
    EXPECT_TRUE(StatisticsRules::showsLabel(11, 14, 20));
}

TEST_F(PanesTest, StatisticsPaneFromEmptyToRecordedEvenings) {
    start();
    auto stats = pane<StatisticsPane>();
    EXPECT_EQ(stats->shownFigures(), (StatisticsRules::Figures{"0.0 h", "\u2014", "\u2014"}));
    const auto& bars = stats->chart().bars();
    ASSERT_EQ(bars.size(), 14u);
    EXPECT_EQ(bars.back().label, "03-15") << "ending today";
    EXPECT_EQ(bars.front().label, "03-02");
    for (const auto& bar : bars) EXPECT_EQ(bar.value, 0);
    EXPECT_FALSE(stats->noteShown());

    // Last evening (which began yesterday) 42 % less; the evening before that under a minute.
    Statistics statistics;
    DayStats yesterday{"2026-03-14"};
    yesterday.warmSeconds = 3 * 3600;
    yesterday.eveningScreenSeconds = 1000;
    yesterday.eveningMelanopicSeconds = 580;
    yesterday.eveningSeconds = 1000;
    yesterday.eveningKelvinSeconds = 2350.0 * 1000;
    DayStats before{"2026-03-13"};
    before.warmSeconds = 1800;
    before.eveningScreenSeconds = 59;
    before.eveningMelanopicSeconds = 59 * 0.58;  // the 14-day figure stays at 42 %
    statistics.days = {before, yesterday};
    model->setStatistics(statistics);
    EXPECT_EQ(stats->shownFigures(), (StatisticsRules::Figures{"3.5 h", "2350K", "\u221242%"}));
    EXPECT_DOUBLE_EQ(stats->chart().bars()[12].value, 42);
    EXPECT_EQ(stats->chart().bars()[11].value, 0) << "59 s of evening screen time";
    const QRectF plot = stats->chart().plotRect();
    for (const QRectF& r : stats->chart().barRects()) {
        EXPECT_GE(r.top(), plot.top() - 0.01);
        EXPECT_LE(r.bottom(), plot.bottom() + 0.01);
    }

    model->change([](Settings& s, RuntimeState&) { s.statisticsEnabled = false; });
    EXPECT_TRUE(stats->noteShown());
    EXPECT_EQ(stats->shownFigures().warmHours, "3.5 h") << "what was recorded stays";
    model->change([](Settings& s, RuntimeState&) { s.statisticsEnabled = true; });
    EXPECT_FALSE(stats->noteShown());
}

TEST_F(PanesTest, AfterMidnightTheEveningStillCountsUnderYesterday) {
    start();
    clock->setNow(berlinNoon + 13 * 3600);  // 01:00 on Monday
    Statistics statistics;
    statistics.record(TintState(2700, 1.0, RedStyle::readable, false), 0.5, 600, clock->now(), model->systemCalendar());
    model->setStatistics(statistics);
    auto stats = pane<StatisticsPane>();
    const auto& bars = stats->chart().bars();
    ASSERT_EQ(bars.size(), 14u);
    EXPECT_EQ(bars.back().label, "03-16");
    EXPECT_EQ(bars.back().value, 0) << "today's bar stays empty until 18:00";
    EXPECT_EQ(bars[12].label, "03-15");
    EXPECT_GT(bars[12].value, 0);
}

// --- Renders -------------------------------------------------------------------------------

TEST_F(PanesTest, EveryPaneRendersLightAndDark) {
    Settings settings = manualSettings(2700);
    start(settings);
    Statistics statistics;
    for (int i = 0; i < 10; ++i) {
        DayStats day{(i < 6 ? "2026-03-0" : "2026-03-") + std::to_string(4 + i)};
        day.warmSeconds = 3600.0 * (2 + i % 3);
        day.eveningScreenSeconds = 4000;
        day.eveningMelanopicSeconds = 4000 * (0.3 + 0.05 * (i % 5));
        day.eveningSeconds = 3000;
        day.eveningKelvinSeconds = 2600.0 * 3000;
        statistics.days.push_back(day);
    }
    model->setStatistics(statistics);
    for (Pane p : allCases<Pane>()) {
        SettingsRootView root(environment(), p, window.get());
        expectRenderedWhole(root, QStringLiteral("settings-") + QString::fromStdString(std::string(toString(p))),
                            QSize(820, 600));
    }
    for (auto [name, view] : std::vector<std::pair<QString, QWidget*>>{
             {QStringLiteral("pane-general"), new GeneralPane(environment(), window.get())},
             {QStringLiteral("pane-advanced"), new AdvancedPane(environment(), window.get())},
             {QStringLiteral("pane-statistics"), new StatisticsPane(environment(), window.get())},
             {QStringLiteral("pane-about"), new AboutPane(environment(), window.get())}}) {
        expectRenderedWhole(*view, name, kit::RenderHarness::fittingSize(*view, 600));
        delete view;
    }
}

}  // namespace
}  // namespace orvane::testing
