// The desktops' own night light as the Night Shift client, driven by the real Night Shift
// controller: GNOME's through the real GSettings library (a compiled copy of the colour
// schema's night-light keys, the keyfile backend) beside a stand-in settings daemon, and
// KWin's through kwinrc and a stand-in KWin on a private bus. What matters is that the
// user's settings come back exactly, from a quit, the next launch or the watchdog.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../FakeNightLight.h"
#include "../RequiredTool.h"
#include "../SessionBus.h"
#include "EngineTestSupport.h"
#include "engine/NightShift.h"
#include "platform/Platform.h"
#include "platform/linux/DesktopNightLight.h"
#include "platform/linux/KConfigText.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::CompiledSchema;
using orvane::testing::FakeGnomeColor;
using orvane::testing::FakeKWin;
using orvane::testing::readText;
using orvane::testing::SessionBus;
using orvane::testing::TintEngineTest;
using orvane::testing::writeText;

namespace {

const CompiledSchema& compiledSchema() { return orvane::testing::compiledGnomeSchema(); }

// The desktop under test: a private bus with the stand-in services, GNOME's settings in a
// keyfile of the test's own, KWin's kwinrc in the test's config directory.
class DesktopNightLightTest : public TintEngineTest {
protected:
    void SetUp() override {
        TintEngineTest::SetUp();
        // A config folder of the test's own: kwinrc, the keyfile and the program's defaults
        // left by one test would be another's starting point.
        if (const char* before = std::getenv("XDG_CONFIG_HOME")) configBefore = before;
        ::setenv("XDG_CONFIG_HOME", orvane::testing::freshDirectory("config").c_str(), 1);
        std::string pattern = "/tmp/orvane-bus-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        busDir = pattern;
        bus = std::make_unique<SessionBus>(busDir);
        keyfile = configHome() / "glib-2.0" / "settings" / "keyfile";
        kwinrc = configHome() / "kwinrc";
    }
    void TearDown() override {
        engine.reset();
        stopDesktop();
        bus.reset();
        std::filesystem::remove_all(busDir);
        std::filesystem::remove_all(configHome());
        if (configBefore) ::setenv("XDG_CONFIG_HOME", configBefore->c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
        TintEngineTest::TearDown();
    }

    // Ends the stand-in desktop and the client, so that another can start.
    void stopDesktop() {
        sim->setNightShiftClient(nullptr);
        kwin.reset();
        gnome.reset();
        client.reset();
        if (settings) g_object_unref(std::exchange(settings, nullptr));
        if (backend) g_object_unref(std::exchange(backend, nullptr));
        if (source) g_settings_schema_source_unref(std::exchange(source, nullptr));
    }

    // GNOME's client over the test schema and keyfile, with the daemon on the bus.
    bool startGnome(const CompiledSchema& schemaDirectory = compiledSchema()) {
        if (!schemaDirectory.error.empty() || !bus->error().empty()) return false;
        GError* error = nullptr;
        source = g_settings_schema_source_new_from_directory(schemaDirectory.directory.c_str(), nullptr, TRUE, &error);
        if (!source) {
            ADD_FAILURE() << error->message;
            g_error_free(error);
            return false;
        }
        backend = g_keyfile_settings_backend_new(keyfile.c_str(), "/", nullptr);
        GSettingsSchema* schema = g_settings_schema_source_lookup(source, linuxsys::gnomeColorSchema, FALSE);
        settings = g_settings_new_full(schema, backend, nullptr);
        g_settings_schema_unref(schema);
        gnome = std::make_unique<FakeGnomeColor>(bus->address());
        EXPECT_TRUE(gnome->ready());
        client = linuxsys::openGnomeNightLight(connect(), source, backend, clientScheduler);
        EXPECT_NE(client, nullptr);
        sim->setNightShiftClient(client);
        return client != nullptr;
    }

    bool startKWin(double previewSeconds = 15, const char* path = "/org/kde/KWin/NightLight",
                   const char* interfaceName = "org.kde.KWin.NightLight") {
        if (!bus->error().empty()) return false;
        kwin = std::make_unique<FakeKWin>(bus->address(), kwinrc, previewSeconds, path, interfaceName);
        EXPECT_TRUE(kwin->ready());
        client = linuxsys::openKWinNightLight(connect(), kwinrc, clientScheduler);
        EXPECT_NE(client, nullptr);
        sim->setNightShiftClient(client);
        return client != nullptr;
    }

    // A schema source over a compiled directory; null (and a failure) when it cannot be read.
    static GSettingsSchemaSource* schemaSource(const CompiledSchema& compiled) {
        GError* error = nullptr;
        GSettingsSchemaSource* made =
            g_settings_schema_source_new_from_directory(compiled.directory.c_str(), nullptr, TRUE, &error);
        if (!made) {
            ADD_FAILURE() << error->message;
            g_error_free(error);
        }
        return made;
    }
    // A directory whose only schema is not the desktop's.
    static const CompiledSchema& otherSchemaOnly() {
        return orvane::testing::compiledGnomeSchema(
            R"(<schemalist><schema id="org.example.other" path="/org/example/other/"/></schemalist>)");
    }

    std::shared_ptr<linuxsys::DBusConnection> connect() {
        linuxsys::DBusError error;
        return linuxsys::DBusConnection::connect(bus->address(), error);
    }

    // What the user writes in KWin's settings, read by KWin as its settings module has it.
    void userWritesKwinrc(const std::string& text) {
        writeText(kwinrc, text);
        const auto reloads = kwin->calls().size();
        ASSERT_FALSE(connect()->emitSignal("/KWin", "org.kde.KWin", "reloadConfig", ""));
        ASSERT_TRUE(eventually([&] { return kwin->calls().size() > reloads; }));
    }

    // What the user sets in the desktop's own settings.
    void userSets(const char* key, GVariant* value) {
        g_settings_set_value(settings, key, value);
        g_settings_sync();
    }
    bool enabled() { return g_settings_get_boolean(settings, "night-light-enabled"); }
    // The keys the user has set, with their values.
    std::string userValues() {
        std::string out;
        for (const char* key : {"night-light-enabled", "night-light-temperature", "night-light-schedule-automatic",
                                "night-light-schedule-from", "night-light-schedule-to"}) {
            GVariant* v = g_settings_get_user_value(settings, key);
            if (!v) continue;
            gchar* text = g_variant_print(v, FALSE);
            out += std::string(key) + "=" + text + ";";
            g_free(text);
            g_variant_unref(v);
        }
        return out;
    }
    unsigned temperature() { return g_settings_get_uint(settings, "night-light-temperature"); }

    std::shared_ptr<UserDefaults> defaults() { return sim->standardUserDefaults(); }
    bool recorded() { return defaults()->object(NightShiftWarmth::dirtyKey).has_value(); }

    // Waits (up to a generous bound, never asserted as a time) for `done`.
    template <class F>
    static bool eventually(F done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    std::optional<std::string> configBefore;
    std::filesystem::path busDir;
    // The scheduler that runs the client's watches on the desktop's settings; none unless set.
    std::shared_ptr<platform::Scheduler> clientScheduler;
    std::unique_ptr<SessionBus> bus;
    std::filesystem::path keyfile;
    std::filesystem::path kwinrc;
    GSettingsSchemaSource* source = nullptr;
    GSettingsBackend* backend = nullptr;
    GSettings* settings = nullptr;
    std::unique_ptr<FakeGnomeColor> gnome;
    std::unique_ptr<FakeKWin> kwin;
    std::shared_ptr<NightShiftClient> client;
};

#define REQUIRE_DESKTOP_TOOLS()                      \
    do {                                             \
        ORVANE_REQUIRE_TOOL(bus->error());           \
        ORVANE_REQUIRE_TOOL(compiledSchema().error); \
    } while (0)

}  // namespace

// ---- GNOME ------------------------------------------------------------------------------

TEST_F(DesktopNightLightTest, GnomeTakesOverForTheWholeDayAndGivesTheUsersSettingsBackByteForByte) {
    REQUIRE_DESKTOP_TOOLS();
    ASSERT_TRUE(startGnome());
    const struct {
        const char* name;
        std::function<void()> user;
    } cases[] = {
        {"never touched (every key at its default)", [] {}},
        {"on, automatic schedule, 4000 K",
         [&] {
             userSets("night-light-enabled", g_variant_new_boolean(TRUE));
             userSets("night-light-temperature", g_variant_new_uint32(4000));
         }},
        {"off, manual 21:30 to 7:00, 3500 K",
         [&] {
             userSets("night-light-schedule-automatic", g_variant_new_boolean(FALSE));
             userSets("night-light-schedule-from", g_variant_new_double(21.5));
             userSets("night-light-schedule-to", g_variant_new_double(7.0));
             userSets("night-light-temperature", g_variant_new_uint32(3500));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* key : {"night-light-enabled", "night-light-temperature", "night-light-schedule-automatic",
                                "night-light-schedule-from", "night-light-schedule-to"})
            g_settings_reset(settings, key);
        g_settings_sync();
        c.user();
        const std::string before = readText(keyfile);

        NightShiftWarmth warmth(*sim, defaults());
        ASSERT_TRUE(warmth.isDesktopNightLight());
        warmth.apply(3200, 2700);
        EXPECT_TRUE(enabled());
        EXPECT_EQ(temperature(), 3200u);
        EXPECT_FALSE(g_settings_get_boolean(settings, "night-light-schedule-automatic"));
        EXPECT_EQ(g_settings_get_double(settings, "night-light-schedule-from"), 0.0);
        EXPECT_EQ(g_settings_get_double(settings, "night-light-schedule-to"), 24.0);
        EXPECT_TRUE(recorded());

        warmth.apply(2900, 2700);  // a warmth change reaches the night light
        EXPECT_EQ(temperature(), 2900u);

        warmth.restore();
        EXPECT_FALSE(recorded());
        // Keys the user never set are reset, not written with their defaults. (The keyfile
        // backend keeps the emptied group's header; dconf keeps nothing.)
        if (before.empty()) EXPECT_EQ(userValues(), "");
        else EXPECT_EQ(readText(keyfile), before);
    }
}

TEST_F(DesktopNightLightTest, GnomeKeepsTheFirstSnapshotSendsNothingTwiceAndLeavesAnInactiveLightAlone) {
    REQUIRE_DESKTOP_TOOLS();
    ASSERT_TRUE(startGnome());
    userSets("night-light-temperature", g_variant_new_uint32(4100));
    const std::string before = readText(keyfile);

    NightShiftWarmth warmth(*sim, defaults());
    // Off while the night light is off: nothing changes on the desktop.
    warmth.apply(std::nullopt, 2700);
    EXPECT_EQ(readText(keyfile), before);
    EXPECT_TRUE(recorded());

    warmth.apply(3000, 2700);
    const std::string driven = readText(keyfile);
    const auto snapshot = defaults()->dictionary(NightShiftWarmth::dirtyKey);
    // The same request again writes nothing; Orvane's own later values never reach the
    // snapshot, which holds the user's first.
    warmth.apply(3000, 2700);
    EXPECT_EQ(readText(keyfile), driven);
    warmth.apply(2800, 2700);
    EXPECT_EQ(temperature(), 2800u);
    EXPECT_EQ(defaults()->dictionary(NightShiftWarmth::dirtyKey), snapshot);
    EXPECT_TRUE(warmth.keptUserChanges().empty());
    warmth.restore();
    EXPECT_EQ(readText(keyfile), before);
    EXPECT_NE(driven, before);

    // Off while the daemon reports it on switches it off.
    NightShiftWarmth again(*sim, defaults());
    userSets("night-light-enabled", g_variant_new_boolean(TRUE));
    gnome->setActive(true);
    again.apply(std::nullopt, 2700);
    EXPECT_FALSE(enabled());
    again.restore();
    EXPECT_TRUE(enabled());
}

TEST_F(DesktopNightLightTest, TheFloorAndTheTemperatureStayWithinTheDesktopsRange) {
    REQUIRE_DESKTOP_TOOLS();
    ASSERT_TRUE(startGnome());
    NightShiftWarmth warmth(*sim, defaults());
    EXPECT_EQ(warmth.floorWithinLimits(800), 1000);
    EXPECT_EQ(warmth.floorWithinLimits(2700), 2700);
    warmth.apply(800, 800);
    EXPECT_EQ(temperature(), 1000u);
    ASSERT_TRUE(client->cctRange());
    EXPECT_EQ((*client->cctRange())[0], 1000.0f);
    EXPECT_EQ((*client->cctRange())[1], 10000.0f);
    warmth.restore();

    ASSERT_TRUE(startKWin());
    NightShiftWarmth kde(*sim, defaults());
    EXPECT_EQ(kde.floorWithinLimits(800), 1000);
    kde.apply(7000, 2700);
    EXPECT_EQ(kwin->currentTemperature(), 6500u);
    kde.restore();
}

// The limits are the schema's own: a desktop whose schema takes 1700–4700 K and a schedule
// up to 23.99 h is asked for nothing outside them (GSettings would refuse such a value and
// keep the old one), and the floor follows it in the engine too.
TEST_F(DesktopNightLightTest, TheDesktopsLimitsAreReadFromItsSchema) {
    REQUIRE_DESKTOP_TOOLS();
    orvane::testing::GnomeSchemaLimits narrow;
    narrow.temperatureMin = "1700";
    narrow.temperatureMax = "4700";
    narrow.fromMax = "23.99";
    narrow.toMax = "23.99";
    const CompiledSchema& schema = orvane::testing::compiledGnomeSchema(orvane::testing::gnomeColorSchemaText(narrow));
    ORVANE_REQUIRE_TOOL(schema.error);
    ASSERT_TRUE(startGnome(schema));
    userSets("night-light-schedule-from", g_variant_new_double(21.0));
    userSets("night-light-schedule-to", g_variant_new_double(7.0));

    NightShiftWarmth warmth(*sim, defaults());
    EXPECT_EQ(warmth.floorWithinLimits(1000), 1700);
    EXPECT_EQ(warmth.floorWithinLimits(2700), 2700);
    EXPECT_EQ(warmth.floorWithinLimits(5000), 4700);
    ASSERT_TRUE(client->cctRange());
    EXPECT_EQ((*client->cctRange())[0], 1700.0f);
    EXPECT_EQ((*client->cctRange())[1], 4700.0f);
    warmth.apply(1200, 1200);
    EXPECT_EQ(temperature(), 1700u);
    warmth.apply(6000, 2700);
    EXPECT_EQ(temperature(), 4700u);
    // The whole day, as far as the schema lets the schedule reach.
    EXPECT_FALSE(g_settings_get_boolean(settings, "night-light-schedule-automatic"));
    EXPECT_EQ(g_settings_get_double(settings, "night-light-schedule-from"), 0.0);
    EXPECT_EQ(g_settings_get_double(settings, "night-light-schedule-to"), 23.99);
    warmth.restore();

    useMethod(1, TintMethod::nightShift);
    useMethod(2, TintMethod::nightShift);
    start();
    engine->setNightShiftFloor(1000);
    engine->apply(TintState{1000, 1.0, RedStyle::pure, false}, Transition::instant, 0);
    EXPECT_EQ(temperature(), 1700u);
    EXPECT_TRUE(enabled());
    engine->detachAll();
    EXPECT_EQ(g_settings_get_double(settings, "night-light-schedule-from"), 21.0);
    EXPECT_EQ(g_settings_get_double(settings, "night-light-schedule-to"), 7.0);
}

TEST_F(DesktopNightLightTest, AUsersSwitchOffIsReassertedAndARecordLeftBehindIsRestoredAtLaunch) {
    REQUIRE_DESKTOP_TOOLS();
    ASSERT_TRUE(startGnome());
    userSets("night-light-enabled", g_variant_new_boolean(TRUE));
    std::string expected = readText(keyfile);
    expected.replace(expected.find("night-light-enabled=true"), 24, "night-light-enabled=false");
    {
        NightShiftWarmth warmth(*sim, defaults());
        warmth.apply(3000, 2700);
        gnome->setActive(true);
        userSets("night-light-enabled", g_variant_new_boolean(FALSE));
        gnome->setActive(false);
        warmth.reassert();
        EXPECT_TRUE(enabled());
        EXPECT_EQ(temperature(), 3000u);
        // The run ends here without restoring, as a killed one would.
    }
    ASSERT_TRUE(recorded());
    NightShiftWarmth next(*sim, defaults());
    next.restoreIfDirty();
    EXPECT_FALSE(recorded());
    // The switch-off was the user's latest own setting.
    EXPECT_FALSE(enabled());
    EXPECT_EQ(readText(keyfile), expected);
}

TEST_F(DesktopNightLightTest, AnOlderRecordWithoutTheDesktopsFieldsStillRestoresAndNoClientStillClears) {
    REQUIRE_DESKTOP_TOOLS();
    ASSERT_TRUE(startGnome());
    defaults()->set(
        NightShiftWarmth::dirtyKey,
        Dictionary{{"active", true}, {"cct", 3600.0}, {"strength", 0.7}, {"range", Array{2700.0, 6000.0, 4100.0}}});
    NightShiftWarmth warmth(*sim, defaults());
    warmth.restore();
    EXPECT_TRUE(enabled());
    EXPECT_EQ(temperature(), 3600u);
    EXPECT_FALSE(recorded());

    // Without a client the record still goes, and nothing is sent anywhere.
    sim->setNightShiftClient(nullptr);
    sim->setPortMissing("nightShift");
    defaults()->set(NightShiftWarmth::dirtyKey, Dictionary{{"gnome", Dictionary{}}, {"active", false}});
    const std::string before = readText(keyfile);
    NightShiftWarmth none(*sim, defaults());
    EXPECT_FALSE(none.isAvailable());
    none.restore();
    EXPECT_FALSE(recorded());
    EXPECT_EQ(readText(keyfile), before);
}

TEST_F(DesktopNightLightTest, NoSchemaNoGnomeClient) {
    ORVANE_REQUIRE_TOOL(compiledSchema().error);
    GSettingsSchemaSource* empty = schemaSource(otherSchemaOnly());
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(linuxsys::openGnomeNightLight(nullptr, empty, nullptr), nullptr);
    g_settings_schema_source_unref(empty);
}

// The session's client: KWin's wherever KWin answers, else GNOME's where the schema is
// installed and either the settings daemon answers or the session says it is GNOME.
TEST_F(DesktopNightLightTest, TheSessionsNightLightIsKWinsWhereItAnswersElseGnomesBySchemaAndDaemon) {
    REQUIRE_DESKTOP_TOOLS();
    GSettingsSchemaSource* withSchema = schemaSource(compiledSchema());
    GSettingsSchemaSource* without = schemaSource(otherSchemaOnly());
    ASSERT_TRUE(withSchema && without);
    GSettingsBackend* memory = g_memory_settings_backend_new();
    const auto chosen = [&](std::shared_ptr<linuxsys::DBusConnection> on, const char* desktops,
                            GSettingsSchemaSource* schemas) {
        const auto c = linuxsys::openDesktopNightLight(std::move(on), kwinrc, desktops, schemas, memory);
        return c ? c->desktopName() : std::string("none");
    };
    // No bus, or nothing on it: a session that calls itself GNOME, with the schema.
    EXPECT_EQ(chosen(nullptr, "XFCE", withSchema), "none");
    EXPECT_EQ(chosen(nullptr, "ubuntu:GNOME", withSchema), "GNOME");
    EXPECT_EQ(chosen(connect(), "XFCE", withSchema), "none");
    EXPECT_EQ(chosen(connect(), "GNOME", without), "none");
    // GNOME's settings daemon answers: the session need not name GNOME, but the schema must be there.
    gnome = std::make_unique<FakeGnomeColor>(bus->address());
    ASSERT_TRUE(gnome->ready());
    EXPECT_EQ(chosen(connect(), "", withSchema), "GNOME");
    EXPECT_EQ(chosen(connect(), "", without), "none");
    // KWin answers: its night light, schema or not.
    kwin = std::make_unique<FakeKWin>(bus->address(), kwinrc);
    ASSERT_TRUE(kwin->ready());
    EXPECT_EQ(chosen(connect(), "KDE", without), "KDE Plasma");
    EXPECT_EQ(chosen(connect(), "KDE", withSchema), "KDE Plasma");
    g_object_unref(memory);
    g_settings_schema_source_unref(withSchema);
    g_settings_schema_source_unref(without);
}

// "Disable until tomorrow" from GNOME's menu holds night light off with its switch on: the
// diagnostics say so, and re-asserting writes nothing over it.
TEST_F(DesktopNightLightTest, GnomesDisableUntilTomorrowIsReportedNotFought) {
    REQUIRE_DESKTOP_TOOLS();
    ASSERT_TRUE(startGnome());
    NightShift probe(*sim);
    EXPECT_EQ(probe.desktopName(), "GNOME");
    NightShiftWarmth warmth(*sim, defaults());
    warmth.apply(3000, 2700);
    gnome->setActive(true);
    EXPECT_EQ(probe.heldElsewhere(), "");

    gnome->setDisabledUntilTomorrow(true);
    gnome->setActive(false);
    EXPECT_EQ(probe.heldElsewhere(), "paused until tomorrow from the desktop's menu");
    ASSERT_TRUE(probe.status());
    EXPECT_FALSE(probe.status()->active);
    EXPECT_TRUE(probe.status()->enabled);
    const std::string driven = readText(keyfile);
    warmth.reassert();
    warmth.reassert();
    EXPECT_EQ(readText(keyfile), driven);
    EXPECT_TRUE(enabled());

    gnome->setDisabledUntilTomorrow(false);
    EXPECT_EQ(probe.heldElsewhere(), "");
    warmth.restore();
}

// ---- KDE Plasma -------------------------------------------------------------------------

TEST_F(DesktopNightLightTest, KWinHoldsTheTemperatureFromKwinrcAndGetsTheFileBackByteForByte) {
    ORVANE_REQUIRE_TOOL(bus->error());
    const struct {
        const char* name;
        std::optional<std::string> kwinrc;
    } cases[] = {
        {"no kwinrc at all", std::nullopt},
        {"kwinrc without the group", "[Compositing]\nBackend=OpenGL\n\n[Windows]\nFocusPolicy=ClickToFocus\n"},
        {"the user's own schedule",
         "[Compositing]\nBackend=OpenGL\n\n[NightColor]\nActive=true\nMode=Times\nMorningBeginFixed=0630\n"
         "NightTemperature=4200\n\n[Windows]\nFocusPolicy=ClickToFocus\n"},
        {"switched off, the last group, no final newline", "[Plugins]\nblurEnabled=false\n[NightColor]\nActive=false"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(kwinrc);
        if (c.kwinrc) writeText(kwinrc, *c.kwinrc);
        ASSERT_TRUE(startKWin());
        const auto scheduled = kwin->currentTemperature();

        NightShiftWarmth warmth(*sim, defaults());
        warmth.apply(3000, 2700);
        ASSERT_TRUE(eventually([&] { return kwin->currentTemperature() == 3000; }));
        EXPECT_TRUE(kwin->enabled());
        warmth.apply(2800, 2700);
        ASSERT_TRUE(eventually([&] { return kwin->currentTemperature() == 2800; }));

        warmth.restore();
        EXPECT_FALSE(recorded());
        if (c.kwinrc) EXPECT_EQ(readText(kwinrc), *c.kwinrc);
        else EXPECT_FALSE(std::filesystem::exists(kwinrc));
        // KWin was told to read the file again, and shows the user's own again.
        EXPECT_TRUE(eventually([&] { return kwin->currentTemperature() == scheduled; }));
        // No preview and no inhibit: the file is the one way Orvane holds the temperature.
        for (const auto& call : kwin->calls()) EXPECT_EQ(call, "reloadConfig");
        kwin.reset();
    }
}

// Why the file and not a preview: a preview ends by itself and the screen jumps back to
// the schedule until it is renewed; the constant mode holds without a break.
TEST_F(DesktopNightLightTest, APreviewFallsBackWhileTheConstantModeHolds) {
    ORVANE_REQUIRE_TOOL(bus->error());
    ASSERT_TRUE(startKWin(0.2));
    auto caller = connect();
    ASSERT_FALSE(caller
                     ->call({"org.kde.KWin", "/org/kde/KWin/NightLight", "org.kde.KWin.NightLight"}, "preview", "u",
                            std::uint32_t{3000})
                     .error);
    ASSERT_TRUE(eventually([&] { return kwin->shown() == std::vector<std::uint32_t>{6500, 3000, 6500}; }));

    NightShiftWarmth warmth(*sim, defaults());
    warmth.apply(3000, 2700);
    ASSERT_TRUE(eventually([&] { return kwin->currentTemperature() == 3000; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // past the preview's lifetime
    EXPECT_EQ(kwin->currentTemperature(), 3000u);
    EXPECT_EQ(kwin->shown(), (std::vector<std::uint32_t>{6500, 3000, 6500, 3000}));
    warmth.restore();
}

TEST_F(DesktopNightLightTest, AnotherProgramsInhibitIsReportedNotFought) {
    ORVANE_REQUIRE_TOOL(bus->error());
    ASSERT_TRUE(startKWin());
    NightShift probe(*sim);
    EXPECT_EQ(probe.desktopName(), "KDE Plasma");
    EXPECT_EQ(probe.heldElsewhere(), "");

    NightShiftWarmth warmth(*sim, defaults());
    warmth.apply(3000, 2700);
    auto other = connect();
    const auto reply =
        other->call({"org.kde.KWin", "/org/kde/KWin/NightLight", "org.kde.KWin.NightLight"}, "inhibit", "");
    ASSERT_FALSE(reply.error);
    EXPECT_NE(probe.heldElsewhere(), "");
    const auto before = kwin->calls().size();
    warmth.reassert();
    warmth.reassert();
    // Re-asserting writes nothing new: the file already says what Orvane wants.
    EXPECT_EQ(kwin->calls().size(), before);
    warmth.restore();
}

TEST_F(DesktopNightLightTest, PlasmaFivesColorCorrectObjectIsUsedToo) {
    ORVANE_REQUIRE_TOOL(bus->error());
    ASSERT_TRUE(startKWin(15, "/ColorCorrect", "org.kde.kwin.ColorCorrect"));
    NightShiftWarmth warmth(*sim, defaults());
    warmth.apply(3300, 2700);
    EXPECT_TRUE(eventually([&] { return kwin->currentTemperature() == 3300; }));
    warmth.restore();
}

TEST_F(DesktopNightLightTest, KWinKeepsTheFirstSnapshotSendsNothingTwiceAndLeavesAnInactiveLightAlone) {
    ORVANE_REQUIRE_TOOL(bus->error());
    const std::string before = "[NightColor]\nActive=false\nMode=Times\nNightTemperature=4100\n";
    writeText(kwinrc, before);
    ASSERT_TRUE(startKWin());

    NightShiftWarmth warmth(*sim, defaults());
    // Off while the night light is off: the file stays as it is and KWin is not told.
    warmth.apply(std::nullopt, 2700);
    EXPECT_EQ(readText(kwinrc), before);
    EXPECT_TRUE(kwin->calls().empty());
    EXPECT_TRUE(recorded());

    warmth.apply(3000, 2700);
    ASSERT_TRUE(eventually([&] { return kwin->currentTemperature() == 3000; }));
    const auto snapshot = defaults()->dictionary(NightShiftWarmth::dirtyKey);
    // The same request again writes nothing and tells KWin nothing; Orvane's own later
    // values never reach the snapshot, which holds the user's first settings.
    const auto reloads = kwin->calls().size();
    const std::string driven = readText(kwinrc);
    warmth.apply(3000, 2700);
    EXPECT_EQ(readText(kwinrc), driven);
    EXPECT_EQ(kwin->calls().size(), reloads);
    warmth.apply(2800, 2700);
    ASSERT_TRUE(eventually([&] { return kwin->currentTemperature() == 2800; }));
    EXPECT_EQ(defaults()->dictionary(NightShiftWarmth::dirtyKey), snapshot);
    warmth.restore();
    EXPECT_EQ(readText(kwinrc), before);

    // Off while KWin's night light is on switches it off; restoring switches it on again.
    const std::string on = "[NightColor]\nActive=true\nMode=Constant\nNightTemperature=3800\n";
    userWritesKwinrc(on);
    ASSERT_TRUE(kwin->enabled());
    NightShiftWarmth again(*sim, defaults());
    again.apply(std::nullopt, 2700);
    EXPECT_TRUE(eventually([&] { return !kwin->enabled(); }));
    again.restore();
    EXPECT_EQ(readText(kwinrc), on);
    EXPECT_TRUE(eventually([&] { return kwin->enabled() && kwin->currentTemperature() == 3800; }));
}

TEST_F(DesktopNightLightTest, KWinsRecordLeftBehindIsRestoredAtLaunchAndAnOlderRecordStillRestores) {
    ORVANE_REQUIRE_TOOL(bus->error());
    const std::string before = "[Compositing]\nBackend=OpenGL\n\n[NightColor]\nActive=true\nMode=Location\n";
    writeText(kwinrc, before);
    ASSERT_TRUE(startKWin());
    {
        NightShiftWarmth warmth(*sim, defaults());
        warmth.apply(2900, 2700);
        ASSERT_TRUE(eventually([&] { return kwin->currentTemperature() == 2900; }));
        // The run ends here without restoring, as a killed one would.
    }
    ASSERT_TRUE(recorded());
    ASSERT_NE(readText(kwinrc), before);
    start();  // the next launch's engine restores before it touches anything
    EXPECT_FALSE(recorded());
    EXPECT_EQ(readText(kwinrc), before);
    EXPECT_TRUE(eventually([&] { return kwin->enabled() && kwin->currentTemperature() == 4500; }));
    engine.reset();

    // A record without KWin's own fields: the four values go to kwinrc.
    defaults()->set(
        NightShiftWarmth::dirtyKey,
        Dictionary{{"active", false}, {"cct", 3600.0}, {"strength", 0.7}, {"range", Array{2700.0, 6000.0, 4100.0}}});
    NightShiftWarmth older(*sim, defaults());
    older.restore();
    EXPECT_FALSE(recorded());
    EXPECT_EQ(kconfig::value(readText(kwinrc), "NightColor", "NightTemperature"), "3600");
    EXPECT_EQ(kconfig::value(readText(kwinrc), "NightColor", "Active"), "false");
    EXPECT_TRUE(eventually([&] { return !kwin->enabled(); }));
}

// ---- A record from another desktop ------------------------------------------------------

// A record GNOME left (a crash, then a Plasma session) holds GNOME's keys: none of them, nor
// their summary, belongs in kwinrc. It waits for GNOME, with KWin's own settings filed
// beside it while Orvane drives KWin, and GNOME gets exactly its own back.
TEST_F(DesktopNightLightTest, ARecordFromAnotherDesktopIsLeftForItAndNeverWrittenHere) {
    REQUIRE_DESKTOP_TOOLS();
    const Dictionary gnomeOwn{{"night-light-enabled", true}, {"night-light-temperature", std::int64_t{3900}}};
    const Dictionary fromGnome{{"gnome", gnomeOwn},
                               {"active", true},
                               {"cct", 3900.0},
                               {"strength", 0.63},
                               {"range", Array{1000.0, 10000.0, 5500.0}}};
    defaults()->set(NightShiftWarmth::dirtyKey, fromGnome);
    const std::string before = "[NightColor]\nActive=false\nMode=Location\nNightTemperature=4200\n";
    writeText(kwinrc, before);
    ASSERT_TRUE(startKWin());

    orvane::testing::LogCapture log;
    NightShiftWarmth kde(*sim, defaults());
    kde.restoreIfDirty();
    kde.restore();
    EXPECT_EQ(readText(kwinrc), before);
    EXPECT_TRUE(kwin->calls().empty()) << "KWin was told to reload";
    EXPECT_EQ(defaults()->dictionary(NightShiftWarmth::dirtyKey), fromGnome);
    const auto lines = log.messages("nightshift");
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "left the night light settings another desktop recorded for that desktop"),
              1);

    kde.apply(3000, 2700);
    ASSERT_TRUE(eventually([&] { return kwin->currentTemperature() == 3000; }));
    const auto both = defaults()->dictionary(NightShiftWarmth::dirtyKey);
    ASSERT_TRUE(both);
    EXPECT_TRUE(both->count("kde"));
    EXPECT_EQ(both->at("gnome"), Value(gnomeOwn));
    kde.restore();
    EXPECT_EQ(readText(kwinrc), before);
    EXPECT_EQ(defaults()->dictionary(NightShiftWarmth::dirtyKey), fromGnome);

    // Back on GNOME, the record is GNOME's to restore.
    kwin.reset();
    ASSERT_TRUE(startGnome());
    NightShiftWarmth next(*sim, defaults());
    next.restoreIfDirty();
    EXPECT_FALSE(recorded());
    EXPECT_TRUE(enabled());
    EXPECT_EQ(temperature(), 3900u);
    EXPECT_EQ(userValues(), "night-light-enabled=true;night-light-temperature=3900;");
}

// ---- In the engine ----------------------------------------------------------------------

TEST_F(DesktopNightLightTest, GammaOrMatrixTintSwitchesTheDesktopsNightLightOffUntilItEnds) {
    REQUIRE_DESKTOP_TOOLS();
    ASSERT_TRUE(startGnome());
    userSets("night-light-enabled", g_variant_new_boolean(TRUE));
    gnome->setActive(true);
    const std::string before = readText(keyfile);
    for (const auto method : {TintMethod::gamma, TintMethod::matrix}) {
        SCOPED_TRACE(std::string(toString(method)));
        useMethod(1, method);
        useMethod(2, method);
        orvane::testing::LogCapture log;
        start();
        engine->apply(TintState{3000, 1.0, RedStyle::pure, false}, Transition::instant, 0);
        EXPECT_FALSE(enabled());
        EXPECT_TRUE(recorded());
        gnome->setActive(false);
        engine->apply(TintState{3100, 1.0, RedStyle::pure, false}, Transition::instant, 0);
        const auto lines = log.messages("engine");
        EXPECT_EQ(std::count(lines.begin(), lines.end(),
                             "switched the desktop's night light off while Orvane tints by gamma or colour matrix"),
                  1);
        engine->apply(TintState::off, Transition::instant, 0);
        EXPECT_EQ(readText(keyfile), before);
        EXPECT_FALSE(recorded());
        gnome->setActive(true);
        engine->detachAll();
        engine.reset();
    }
}

// The desktop's night light warms every screen: beside a display tinted by gamma or the
// colour matrix it would warm that one too and fight over its colours. The display that
// asked for it runs its next method meanwhile, and gets it back once no display is so tinted.
TEST_F(DesktopNightLightTest, TheNightLightWaitsWhileAnotherDisplayIsTintedByGammaOrMatrix) {
    REQUIRE_DESKTOP_TOOLS();
    ASSERT_TRUE(startGnome());
    userSets("night-light-enabled", g_variant_new_boolean(TRUE));
    gnome->setActive(true);
    const std::string before = readText(keyfile);
    for (const auto method : {TintMethod::gamma, TintMethod::matrix}) {
        SCOPED_TRACE(std::string(toString(method)));
        useMethod(1, TintMethod::nightShift);
        useMethod(2, method);
        orvane::testing::LogCapture log;
        start();
        engine->apply(TintState{3000, 1.0, RedStyle::pure, false}, Transition::instant, 0);
        EXPECT_EQ(engine->slots().at(1).method, TintMethod::overlay);
        EXPECT_EQ(engine->slots().at(1).requested, TintMethod::nightShift);
        EXPECT_EQ(engine->slots().at(2).method, method);
        EXPECT_FALSE(enabled()) << "the user's own night light is held off too";
        EXPECT_TRUE(recorded());
        gnome->setActive(false);
        engine->apply(TintState{3100, 1.0, RedStyle::pure, false}, Transition::instant, 0);
        EXPECT_EQ(engine->slots().at(1).method, TintMethod::overlay);
        const auto lines = log.messages("engine");
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) {
                                    return l.find("the desktop's night light would warm") != std::string::npos;
                                }),
                  1);

        // The other display leaves the ramps: the night light is back for the first.
        useMethod(2, TintMethod::overlay);
        engine->reconfigure();
        EXPECT_EQ(engine->slots().at(1).method, TintMethod::nightShift);
        EXPECT_TRUE(enabled());
        EXPECT_EQ(temperature(), 3100u);
        engine->detachAll();
        EXPECT_EQ(readText(keyfile), before);
        EXPECT_FALSE(recorded());
        gnome->setActive(true);
        engine.reset();
    }
}

TEST_F(DesktopNightLightTest, TheNightShiftMethodDrivesTheDesktopsNightLightAndQuittingGivesItBack) {
    REQUIRE_DESKTOP_TOOLS();
    ASSERT_TRUE(startGnome());
    userSets("night-light-temperature", g_variant_new_uint32(4500));
    const std::string before = readText(keyfile);
    useMethod(1, TintMethod::nightShift);
    useMethod(2, TintMethod::overlay);  // an overlay beside it changes no ramps
    start();
    engine->apply(TintState{3400, 1.0, RedStyle::pure, false}, Transition::instant, 0);
    EXPECT_TRUE(enabled());
    EXPECT_EQ(temperature(), 3400u);
    engine->detachAll();
    EXPECT_EQ(readText(keyfile), before);
}

// The night light gets the whole warmth, down to the desktop's lowest, where no overlay can
// show beside it to carry what lies below the floor; with a compositing manager in an X
// session it stops at the floor and the overlay adds the rest. Where the overlay cannot show
// in an X session the night light cannot be the method at all: gamma tints and the night
// light stays off. GNOME over its installed schema (which names no range: the daemon's
// 1000–10000 K holds), KDE Plasma through kwinrc.
TEST_F(DesktopNightLightTest, TheNightLightCarriesTheWholeWarmthWhereNoOverlayCanAddToIt) {
    ORVANE_REQUIRE_TOOL(bus->error());
    const CompiledSchema& installed = orvane::testing::installedGnomeSchema();
    ORVANE_REQUIRE_TOOL(installed.error);
    enum class Session { wayland, x11WithCompositor, x11WithoutCompositor };
    const struct {
        Session session;
        std::int64_t kelvin;
        std::optional<unsigned> written;  // none: the night light stays off
    } cases[] = {
        {Session::wayland, 3400, 3400u},
        {Session::wayland, 1900, 1900u},
        {Session::wayland, 1000, 1000u},
        {Session::wayland, 800, 1000u},
        {Session::wayland, 500, 1000u},
        {Session::x11WithCompositor, 3400, 3400u},
        {Session::x11WithCompositor, 1900, 2700u},
        {Session::x11WithCompositor, 800, 2700u},
        {Session::x11WithoutCompositor, 1900, std::nullopt},
    };
    const char* names[] = {"Wayland", "X11 with a compositing manager", "X11 without one"};
    for (const bool kde : {false, true}) {
        SCOPED_TRACE(kde ? "KDE Plasma" : "GNOME");
        if (kde) {
            writeText(kwinrc, "[NightColor]\nActive=false\nNightTemperature=4200\n");
            ASSERT_TRUE(startKWin());
        } else {
            ASSERT_TRUE(startGnome(installed));
            userSets("night-light-enabled", g_variant_new_boolean(FALSE));
            userSets("night-light-temperature", g_variant_new_uint32(4200));
        }
        const std::string before = readText(kde ? kwinrc : keyfile);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(names[static_cast<int>(c.session)]) + ", " + std::to_string(c.kelvin) + " K");
            sim->update([&](sim::SimState& s) {
                s.overlaysReachScreen = c.session != Session::wayland;
                s.compositing = c.session == Session::x11WithCompositor;
                for (auto& d : s.displays) d.gammaCapacity = c.session == Session::wayland ? 0 : 256;
            });
            useMethod(1, TintMethod::nightShift);
            useMethod(2, TintMethod::nightShift);
            orvane::testing::LogCapture log;
            start();
            engine->apply(TintState{c.kelvin, 1.0, RedStyle::pure, false}, Transition::instant, 0);
            // Below the desktop's range the log says what the night light reaches.
            const auto lines = log.messages("engine");
            const bool said = std::find(lines.begin(), lines.end(),
                                        "the desktop's night light reaches 1000 K at the warmest; asked for " +
                                            std::to_string(c.kelvin) + " K") != lines.end();
            EXPECT_EQ(said, c.session == Session::wayland && c.kelvin < 1000);
            const std::string text = readText(kwinrc);
            const bool on = kde ? kconfig::value(text, "NightColor", "Active") == "true" : enabled();
            EXPECT_EQ(on, c.written.has_value());
            if (c.written) {
                if (kde) {
                    EXPECT_EQ(kconfig::value(text, "NightColor", "NightTemperature"), std::to_string(*c.written));
                    EXPECT_TRUE(eventually([&] { return kwin->currentTemperature() == *c.written; }))
                        << kwin->currentTemperature();
                } else {
                    EXPECT_EQ(temperature(), *c.written);
                }
            } else {
                EXPECT_EQ(readText(kde ? kwinrc : keyfile), before);
            }
            engine->detachAll();
            engine.reset();
        }
    }
}

// ---- The user's own change while Orvane drives it ---------------------------------------

#ifdef GLOWKEEPER_PATH
// Kills a stand-in for the program while the watchdog waits for it; the watchdog runs in
// the session `configHome` names. The seconds from the kill to the watchdog's clean end,
// none where it failed.
static std::optional<double> watchdogRestoresAfterAKill(const std::filesystem::path& configHome,
                                                        const std::string& busAddress) {
    const pid_t program = ::fork();
    if (program == 0) {
        ::pause();
        ::_exit(0);
    }
    const std::string schemaDir = orvane::testing::compiledGnomeSchema().directory.string();
    const pid_t watchdog = ::fork();
    if (watchdog == 0) {
        ::setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        ::setenv("GSETTINGS_SCHEMA_DIR", schemaDir.c_str(), 1);
        ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", busAddress.c_str(), 1);
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 1);
        const std::string pid = std::to_string(program);
        ::execl(GLOWKEEPER_PATH, "glowkeeper", pid.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the watchdog starts watching
    const auto killed = std::chrono::steady_clock::now();
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    int status = 0;
    ::waitpid(watchdog, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - killed).count();
}
#endif

// A temperature the user sets in the desktop's own settings while Orvane drives its night
// light is the user's: the record takes it in place of the first one, Orvane's warmth is
// written again at once (the same request as before, so nothing may skip it as already
// sent), and a quit, the next start after a crash and the watchdog give the user's latest
// value back. Orvane's own writes, echoed by the desktop, never reach the record.
TEST_F(DesktopNightLightTest, ATemperatureTheUserSetsWhileOrvaneDrivesIsKeptAndTheWarmthHolds) {
    REQUIRE_DESKTOP_TOOLS();
    clientScheduler = scheduler;
    enum class Desktop { gnomeShell, plasma };
    enum class Ending { quit, nextStart, watchdog };
    const struct {
        const char* name;
        Desktop desktop;
        Ending ending;
    } cases[] = {
        {"GNOME, quit", Desktop::gnomeShell, Ending::quit},
        {"GNOME, next start after a crash", Desktop::gnomeShell, Ending::nextStart},
        {"GNOME, watchdog after a kill", Desktop::gnomeShell, Ending::watchdog},
        {"KDE Plasma, quit", Desktop::plasma, Ending::quit},
        {"KDE Plasma, next start after a crash", Desktop::plasma, Ending::nextStart},
        {"KDE Plasma, watchdog after a kill", Desktop::plasma, Ending::watchdog},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
#ifndef GLOWKEEPER_PATH
        if (c.ending == Ending::watchdog) continue;
#endif
        const bool isGnome = c.desktop == Desktop::gnomeShell;
        // A session of the case's own: its settings, its desktop files, the program's defaults.
        const auto home = orvane::testing::freshDirectory("hand-change");
        keyfile = home / "glib-2.0" / "settings" / "keyfile";
        kwinrc = home / "kwinrc";
        const auto programDefaults = UserDefaults::open(home / "orvane" / "app.orvane.Orvane.json");
        const char* key = isGnome ? "night-light-temperature" : "NightTemperature";
        std::string before;
        if (isGnome) {
            ASSERT_TRUE(startGnome());
            userSets("night-light-enabled", g_variant_new_boolean(TRUE));
            userSets("night-light-temperature", g_variant_new_uint32(4100));
            before = readText(keyfile);
        } else {
            before =
                "[Compositing]\nBackend=OpenGL\n\n[NightColor]\nActive=true\nMode=Location\nNightTemperature=4100\n";
            writeText(kwinrc, before);
            ASSERT_TRUE(startKWin());
        }
        const auto holds = [&](unsigned kelvin) {
            return eventually([&] {
                scheduler->runPending();
                if (isGnome) return temperature() == kelvin;
                return kconfig::value(readText(kwinrc), "NightColor", "NightTemperature") == std::to_string(kelvin) &&
                       kwin->currentTemperature() == kelvin;
            });
        };
        const auto recordedValue = [&]() -> std::optional<Value> {
            const auto record = programDefaults->dictionary(NightShiftWarmth::dirtyKey);
            if (!record || !record->count(isGnome ? "gnome" : "kde")) return std::nullopt;
            const auto* own = record->at(isGnome ? "gnome" : "kde").dictionary();
            if (!own || !own->count(key)) return std::nullopt;
            return own->at(key);
        };
        const auto asRecorded = [&](unsigned kelvin) {
            return isGnome ? Value(std::int64_t{kelvin}) : Value(std::to_string(kelvin));
        };

        auto warmth = std::make_unique<NightShiftWarmth>(*sim, programDefaults);
        warmth->apply(3000, 2700);
        ASSERT_TRUE(holds(3000));
        EXPECT_EQ(recordedValue(), asRecorded(4100));

        // The user's 3500, by hand in the desktop's settings.
        if (isGnome) userSets("night-light-temperature", g_variant_new_uint32(3500));
        else userWritesKwinrc(kconfig::set(readText(kwinrc), "NightColor", "NightTemperature", "3500"));
        EXPECT_TRUE(eventually([&] {
            scheduler->runPending();
            return recordedValue() == asRecorded(3500);
        })) << "the record still holds the user's first value";
        EXPECT_EQ(warmth->keptUserChanges(), std::vector<std::string>{key});
        EXPECT_TRUE(holds(3000)) << "Orvane's warmth did not hold";

        // Orvane's own next value, and its echo, stay out of the record.
        warmth->apply(2900, 2700);
        ASSERT_TRUE(holds(2900));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        scheduler->runPending();
        EXPECT_EQ(recordedValue(), asRecorded(3500));
        EXPECT_EQ(warmth->keptUserChanges(), std::vector<std::string>{key});

        switch (c.ending) {
            case Ending::quit:
                warmth->restore();
                EXPECT_TRUE(warmth->keptUserChanges().empty());
                break;
            case Ending::nextStart: {
                warmth.reset();  // killed, and its watchdog with it
                NightShiftWarmth next(*sim, programDefaults);
                next.restoreIfDirty();
                break;
            }
            case Ending::watchdog:
                warmth.reset();
#ifdef GLOWKEEPER_PATH
                EXPECT_TRUE(watchdogRestoresAfterAKill(home, bus->address()).has_value());
#endif
                break;
        }
        std::string expected = before;
        expected.replace(expected.find("=4100"), 5, "=3500");
        EXPECT_EQ(readText(isGnome ? keyfile : kwinrc), expected);
        EXPECT_EQ(readText(programDefaults->file()).find("nightShift.dirty"), std::string::npos);
        if (!isGnome) {
            EXPECT_TRUE(eventually([&] { return kwin->currentTemperature() == 3500; }))
                << "KWin was not told to read the user's settings again";
        }
        warmth.reset();
        stopDesktop();
    }
}

// A writer that is not atomic empties kwinrc before it writes it again: the empty file in
// between is not the user taking every key out, and only the key the user changed reaches
// the record.
TEST_F(DesktopNightLightTest, AKwinrcEmptiedWhileItIsWrittenIsNotReadAsTheUsersChange) {
    ORVANE_REQUIRE_TOOL(bus->error());
    clientScheduler = scheduler;
    const auto home = orvane::testing::freshDirectory("half-written");
    kwinrc = home / "kwinrc";
    writeText(kwinrc, "[NightColor]\nActive=true\nMode=Location\nNightTemperature=4100\n");
    ASSERT_TRUE(startKWin());
    const auto programDefaults = UserDefaults::open(home / "orvane" / "app.orvane.Orvane.json");
    NightShiftWarmth warmth(*sim, programDefaults);
    warmth.apply(3000, 2700);
    ASSERT_TRUE(eventually([&] { return kwin->currentTemperature() == 3000; }));
    const std::string driven = readText(kwinrc);
    const auto kept = [&] {
        Dictionary own;
        if (const auto record = programDefaults->dictionary(NightShiftWarmth::dirtyKey)) {
            const auto it = record->find("kde");
            if (it != record->end() && it->second.dictionary()) own = *it->second.dictionary();
        }
        return own;
    };

    writeText(kwinrc, "");
    for (int i = 0; i < 5; ++i) {  // the watch has seen the empty file
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        scheduler->runPending();
    }
    writeText(kwinrc, kconfig::set(driven, "NightColor", "NightTemperature", "3500"));
    ASSERT_TRUE(eventually([&] {
        scheduler->runPending();
        return kept().count("NightTemperature") && kept().at("NightTemperature") == Value("3500");
    }));
    const auto keptValue = [&](const char* key) {
        const auto own = kept();
        return own.count(key) ? std::optional<Value>(own.at(key)) : std::nullopt;
    };
    EXPECT_EQ(keptValue("Mode"), Value("Location"));
    EXPECT_EQ(keptValue("Active"), Value("true"));
    EXPECT_EQ(warmth.keptUserChanges(), std::vector<std::string>{"NightTemperature"});
    warmth.restore();
    EXPECT_EQ(readText(kwinrc), "[NightColor]\nActive=true\nMode=Location\nNightTemperature=3500\n");
}

// ---- The watchdog -----------------------------------------------------------------------

#ifdef GLOWKEEPER_PATH
TEST_F(DesktopNightLightTest, TheWatchdogGivesBothDesktopsTheirSettingsBackWhenTheProgramIsKilled) {
    REQUIRE_DESKTOP_TOOLS();
    ASSERT_TRUE(startGnome());
    userSets("night-light-temperature", g_variant_new_uint32(3900));
    userSets("night-light-schedule-automatic", g_variant_new_boolean(FALSE));
    const std::string gnomeBefore = readText(keyfile);
    const std::string kwinBefore = "[NightColor]\nActive=true\nMode=Location\n";
    writeText(kwinrc, kwinBefore);

    // The program's own defaults file, where the watchdog looks for the record.
    const auto programDefaults = UserDefaults::open(configHome() / "orvane" / "app.orvane.Orvane.json");
    const auto drive = [&] {
        NightShiftWarmth warmth(*sim, programDefaults);
        warmth.apply(2900, 2700);
    };
    // The record holds both desktops' fields, as one run on each would leave it.
    drive();
    const auto gnomeRecord = programDefaults->dictionary(NightShiftWarmth::dirtyKey);
    ASSERT_TRUE(gnomeRecord);
    programDefaults->remove(NightShiftWarmth::dirtyKey);
    ASSERT_TRUE(startKWin());
    drive();
    auto both = *programDefaults->dictionary(NightShiftWarmth::dirtyKey);
    both["gnome"] = gnomeRecord->at("gnome");
    programDefaults->set(NightShiftWarmth::dirtyKey, both);
    // GNOME's settings as the killed run left them.
    userSets("night-light-temperature", g_variant_new_uint32(2900));
    ASSERT_NE(readText(keyfile), gnomeBefore);
    ASSERT_NE(readText(kwinrc), kwinBefore);

    // The watched program: killed with SIGKILL while the watchdog waits for it.
    const auto took = watchdogRestoresAfterAKill(std::getenv("XDG_CONFIG_HOME"), bus->address());
    ASSERT_TRUE(took.has_value());
    RecordProperty("restoredSeconds", std::to_string(*took));

    EXPECT_EQ(readText(keyfile), gnomeBefore);
    EXPECT_EQ(readText(kwinrc), kwinBefore);
    // KWin was told to read the user's file again.
    EXPECT_TRUE(eventually([&] { return kwin->currentTemperature() == 4500 && kwin->enabled(); }));
    // The record is gone from the program's defaults file on disk.
    const auto onDisk = readText(programDefaults->file());
    EXPECT_EQ(onDisk.find("nightShift.dirty"), std::string::npos) << onDisk;
}
#endif
