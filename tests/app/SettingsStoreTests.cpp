// The store of the three documents: loading with fallbacks, the trailing debounce, flush,
// reset, and keeping an unreadable document aside before it is overwritten.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "SimFixture.h"
#include "app/SettingsStore.h"
#include "core/SettingsCodec.h"
#include "platform/AtomicFile.h"
#include "platform/FakeScheduler.h"
#include "platform/Log.h"
#include "support/Json.h"

namespace orvane {
namespace {

using platform::Bytes;
using platform::Value;

Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

// The store's log lines.
class LogCapture {
public:
    std::vector<std::string> lines() const { return capture_.messages("store"); }

private:
    testing::LogCapture capture_;
};

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        file_ = std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "store" /
                (std::string(info->test_suite_name()) + "." + info->name() + ".json");
        std::filesystem::remove(file_);
        defaults = platform::UserDefaults::open(file_);
        defaults->clear();
    }

    // A second handle on the same domain, as another reader sees it.
    std::optional<Value> stored(std::string_view key) const { return defaults->object(std::string(key)); }
    std::optional<std::string> storedText(std::string_view key) const {
        const auto v = stored(key);
        if (!v || !v->data()) return std::nullopt;
        return std::string(v->data()->begin(), v->data()->end());
    }
    std::optional<Settings> storedSettings() const {
        const auto text = storedText(SettingsStore::settingsKey);
        if (!text) return std::nullopt;
        return SettingsCodec::decode(*text);
    }

    std::filesystem::path file_;
    std::shared_ptr<platform::UserDefaults> defaults;
    std::shared_ptr<platform::FakeScheduler> scheduler = std::make_shared<platform::FakeScheduler>();
};

Settings withKelvin(std::int64_t kelvin) {
    Settings s;
    s.manualKelvin = kelvin;
    return s;
}

TEST_F(SettingsStoreTest, EmptyDomainGivesDefaultsWithoutLogging) {
    LogCapture log;
    SettingsStore store(defaults, scheduler);
    EXPECT_EQ(store.loadSettings(), Settings());
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(SettingsStoreTest, StoredSettingsLoadBack) {
    Settings s = withKelvin(2900);
    s.mode = Mode::manual;
    defaults->set(std::string(SettingsStore::settingsKey), Value(bytes(SettingsCodec::encode(s))));
    SettingsStore store(defaults, scheduler);
    EXPECT_EQ(store.loadSettings(), s);
}

TEST_F(SettingsStoreTest, ReadingAgainFollowsEveryChangeOfTheStoredSettings) {
    SettingsStore store(defaults, scheduler);
    EXPECT_EQ(store.loadSettings(), Settings());
    defaults->set(std::string(SettingsStore::settingsKey), Value(bytes(SettingsCodec::encode(withKelvin(2900)))));
    EXPECT_EQ(store.loadSettings(), withKelvin(2900));
    EXPECT_EQ(store.loadSettings(), withKelvin(2900));
    store.saveSettings(withKelvin(3100));
    store.flush();
    EXPECT_EQ(store.loadSettings(), withKelvin(3100));
    defaults->remove(std::string(SettingsStore::settingsKey));
    EXPECT_EQ(store.loadSettings(), Settings());
}

TEST_F(SettingsStoreTest, UnreadableSettingsFallBackWithOneLogLineAndStayStored) {
    const std::string broken = "{\"manualKelvin\": ";
    defaults->set(std::string(SettingsStore::settingsKey), Value(bytes(broken)));
    LogCapture log;
    SettingsStore store(defaults, scheduler);
    EXPECT_EQ(store.loadSettings(), Settings());
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].rfind("settings unreadable, using defaults: ", 0), 0u) << log.lines()[0];
    EXPECT_GT(log.lines()[0].size(), std::string("settings unreadable, using defaults: ").size());
    EXPECT_EQ(storedText(SettingsStore::settingsKey), broken);

    // Launch reads them again for the model: the same failure is not told twice, a new one is.
    EXPECT_EQ(store.loadSettings(), Settings());
    EXPECT_EQ(log.lines().size(), 1u);
    defaults->set(std::string(SettingsStore::settingsKey), Value(bytes("[")));
    EXPECT_EQ(store.loadSettings(), Settings());
    EXPECT_EQ(log.lines().size(), 2u);
}

TEST_F(SettingsStoreTest, TwoSavesCloseTogetherMakeOneWriteOfTheSecond) {
    SettingsStore store(defaults, scheduler);
    store.saveSettings(withKelvin(3000));
    scheduler->advance(0.1);
    store.saveSettings(withKelvin(3100));
    scheduler->advance(0.39);
    EXPECT_FALSE(stored(SettingsStore::settingsKey)) << "written before the debounce ended";
    scheduler->advance(0.02);
    ASSERT_TRUE(storedSettings());
    EXPECT_EQ(storedSettings()->manualKelvin, 3100);
    EXPECT_FALSE(store.hasPending());
}

TEST_F(SettingsStoreTest, SettingsAndRuntimeSavesAreWrittenTogether) {
    SettingsStore store(defaults, scheduler);
    store.saveSettings(withKelvin(3000));
    scheduler->advance(0.2);
    RuntimeState runtime;
    runtime.cozyActive = true;
    store.saveRuntime(runtime);
    scheduler->advance(0.39);
    EXPECT_FALSE(stored(SettingsStore::settingsKey)) << "the runtime save restarts the one debounce";
    EXPECT_FALSE(stored(SettingsStore::runtimeKey));
    scheduler->advance(0.02);
    EXPECT_TRUE(stored(SettingsStore::settingsKey));
    EXPECT_TRUE(stored(SettingsStore::runtimeKey));
}

TEST_F(SettingsStoreTest, RuntimeAndStatisticsRoundTripWithIsoDates) {
    RuntimeState runtime;
    runtime.pausedUntil = Date(1769893200);
    runtime.pausedState = TintState(2700, 0.8, RedStyle::pure, false);
    Statistics statistics;
    statistics.record(TintState(3000, 1.0, RedStyle::readable, false), 0.3, 30, Date(1769893200),
                      Calendar(TimeZone::utc()));
    {
        SettingsStore store(defaults, scheduler);
        store.saveRuntime(runtime);
        store.saveStatistics(statistics);
        store.flush();
    }
    EXPECT_NE(storedText(SettingsStore::runtimeKey)->find("\"pausedUntil\": \"2026-01-31T21:00:00Z\""),
              std::string::npos)
        << *storedText(SettingsStore::runtimeKey);
    SettingsStore store(defaults, scheduler);
    EXPECT_EQ(store.loadRuntime(), runtime);
    EXPECT_EQ(store.loadStatistics(), statistics);
}

TEST_F(SettingsStoreTest, UnreadableRuntimeAndStatisticsFallBackWithALogLineEach) {
    // A date written as seconds, not ISO 8601, and statistics of the wrong shape.
    defaults->set(std::string(SettingsStore::runtimeKey),
                  Value(bytes("{\"cozyActive\":false,\"pausedUntil\":791000000}")));
    defaults->set(std::string(SettingsStore::statisticsKey), Value(bytes("{\"days\":{}}")));
    LogCapture log;
    SettingsStore store(defaults, scheduler);
    EXPECT_EQ(store.loadRuntime(), RuntimeState());
    EXPECT_EQ(store.loadStatistics(), Statistics());
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("runtime unreadable, using defaults: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("pausedUntil"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].rfind("statistics unreadable, using defaults: ", 0), 0u) << lines[1];
}

TEST_F(SettingsStoreTest, DeeplyNestedDocumentsFallBackAndAreKeptAside) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "{\"sunset\":";
    deep += "{}";
    deep.append(100000, '}');
    for (const auto key : {SettingsStore::settingsKey, SettingsStore::runtimeKey, SettingsStore::statisticsKey})
        defaults->set(std::string(key), Value(bytes(deep)));
    LogCapture log;
    SettingsStore store(defaults, scheduler);
    EXPECT_EQ(store.loadSettings(), Settings());
    EXPECT_EQ(store.loadRuntime(), RuntimeState());
    EXPECT_EQ(store.loadStatistics(), Statistics());
    EXPECT_EQ(log.lines().size(), 3u);
    store.saveSettings(withKelvin(3100));
    store.flush();
    EXPECT_EQ(storedText("settings.json.unreadable"), deep);
    EXPECT_EQ(storedSettings()->manualKelvin, 3100);
}

TEST_F(SettingsStoreTest, TheThreeDocumentsAreStoredAsReadableJson) {
    Statistics statistics;
    statistics.record(TintState(3000, 1.0, RedStyle::readable, false), 0.3, 30, Date(1769893200),
                      Calendar(TimeZone::utc()));
    SettingsStore store(defaults, scheduler);
    store.saveSettings(withKelvin(2900));
    store.saveRuntime(RuntimeState());
    store.saveStatistics(statistics);
    store.flush();
    const Json values = json::parse(platform::readWholeFile(file_).value())["values"];
    EXPECT_EQ(values["settings.json"]["json"]["manualKelvin"], 2900) << values.dump(2);
    EXPECT_TRUE(values["runtime.json"]["json"].is_object()) << values.dump(2);
    EXPECT_TRUE(values["statistics.json"]["json"].is_object()) << values.dump(2);
    // And they load back as they were saved.
    SettingsStore reader(platform::UserDefaults::open(file_), scheduler);
    EXPECT_EQ(reader.loadSettings().manualKelvin, 2900);
    EXPECT_EQ(reader.loadStatistics(), statistics);
}

TEST_F(SettingsStoreTest, ADocumentThatCannotBeEncodedStagesNothing) {
    Statistics statistics;
    statistics.days.emplace_back("2026-01-31");
    statistics.days.back().eveningSeconds = std::numeric_limits<double>::infinity();
    SettingsStore store(defaults, scheduler);
    store.saveStatistics(statistics);
    EXPECT_FALSE(store.hasPending());
    scheduler->advance(1);
    EXPECT_FALSE(stored(SettingsStore::statisticsKey));
}

TEST_F(SettingsStoreTest, FlushWritesAtOnceAndTheDebounceThenWritesNothing) {
    SettingsStore store(defaults, scheduler);
    store.saveSettings(withKelvin(3000));
    store.flush();
    EXPECT_EQ(storedSettings()->manualKelvin, 3000);
    // Something else changes the stored value; the sleeping debounce must not write again.
    defaults->set(std::string(SettingsStore::settingsKey), Value(bytes("other")));
    scheduler->advance(1.0);
    EXPECT_EQ(storedText(SettingsStore::settingsKey), "other");
}

TEST_F(SettingsStoreTest, ASaveOfTheStoredBytesWritesNothingButStillReplacesAStagedOne) {
    SettingsStore store(defaults, scheduler);
    Statistics statistics;
    statistics.days.push_back(DayStats("2026-01-01"));
    store.saveStatistics(statistics);
    store.flush();
    const auto written = platform::fileStamp(file_);
    ASSERT_TRUE(written);

    // A tick that booked nothing saves the same document: nothing is staged or written.
    store.saveStatistics(statistics);
    EXPECT_FALSE(store.hasPending());
    scheduler->advance(1.0);
    EXPECT_EQ(platform::fileStamp(file_), written);

    // A change staged and then taken back must still reach the domain as taken back.
    store.saveSettings(withKelvin(3000));
    store.flush();
    store.saveSettings(withKelvin(3100));
    store.saveSettings(withKelvin(3000));
    EXPECT_TRUE(store.hasPending());
    scheduler->advance(1.0);
    EXPECT_EQ(storedSettings()->manualKelvin, 3000);

    // Bytes that differ are written as before.
    statistics.days[0].warmSeconds = 30;
    store.saveStatistics(statistics);
    scheduler->advance(1.0);
    EXPECT_NE(platform::fileStamp(file_), written);
    EXPECT_EQ(Statistics::fromJson(json::parse(*storedText(SettingsStore::statisticsKey))), statistics);
}

// The tick's bookings: no write of their own before five minutes have passed since the
// first unwritten one; any earlier write (a setting saved, flush) takes them along.
TEST_F(SettingsStoreTest, BookedStatisticsWaitAtMostFiveMinutesOrGoWithTheNextWrite) {
    SettingsStore store(defaults, scheduler);
    const auto booked = [](double seconds) {
        Statistics statistics;
        statistics.days.push_back(DayStats("2026-01-01"));
        statistics.days[0].warmSeconds = seconds;
        return statistics;
    };
    const auto onDisk = [&]() -> std::optional<Statistics> {
        const auto data = platform::UserDefaults::open(file_)->data(std::string(SettingsStore::statisticsKey));
        if (!data) return std::nullopt;
        return Statistics::fromJson(json::parse(std::string(data->begin(), data->end())));
    };
    store.bookStatistics(booked(30));
    scheduler->advance(100);
    store.bookStatistics(booked(60));  // joins the first booking's deadline
    scheduler->advance(SettingsStore::statisticsDelay - 100 - 11);
    EXPECT_FALSE(onDisk()) << "still short of the five minutes, by more than the timer's tolerance";
    scheduler->advance(11);
    EXPECT_EQ(onDisk(), booked(60));
    EXPECT_FALSE(store.hasPending());

    store.bookStatistics(booked(90));
    store.saveSettings(withKelvin(3000));
    scheduler->advance(SettingsStore::debounce + 0.01);
    EXPECT_EQ(onDisk(), booked(90)) << "taken along by the settings' write";
    EXPECT_EQ(storedSettings()->manualKelvin, 3000);

    store.bookStatistics(booked(120));
    store.flush();  // quit, a signal, a day change
    EXPECT_EQ(onDisk(), booked(120));
    const auto written = platform::fileStamp(file_);
    scheduler->advance(SettingsStore::statisticsDelay + 1);
    EXPECT_EQ(platform::fileStamp(file_), written) << "the deadline went with the flush";

    store.bookStatistics(booked(150));
    store.discardPending();
    scheduler->advance(SettingsStore::statisticsDelay + 1);
    EXPECT_EQ(onDisk(), booked(120));
}

TEST_F(SettingsStoreTest, ResetAllRemovesTheDocumentsAndDropsStagedSaves) {
    for (const auto key : {SettingsStore::settingsKey, SettingsStore::runtimeKey, SettingsStore::statisticsKey})
        defaults->set(std::string(key), Value(bytes("{}")));
    defaults->set("focusApplied", Value("windDown"));
    SettingsStore store(defaults, scheduler);
    store.saveSettings(withKelvin(3000));
    store.resetAll();
    scheduler->advance(1.0);
    for (const auto key : {SettingsStore::settingsKey, SettingsStore::runtimeKey, SettingsStore::statisticsKey})
        EXPECT_FALSE(stored(key)) << key;
    EXPECT_EQ(defaults->string("focusApplied"), "windDown") << "the store touches only its own keys";
}

TEST_F(SettingsStoreTest, WithoutSchedulerSavesAreWrittenAtOnce) {
    SettingsStore store(defaults, nullptr);
    store.saveSettings(withKelvin(2000));
    EXPECT_EQ(storedSettings()->manualKelvin, 2000);
}

TEST_F(SettingsStoreTest, ADestroyedStoreWritesNothingLater) {
    {
        SettingsStore store(defaults, scheduler);
        store.saveSettings(withKelvin(3000));
    }
    scheduler->advance(1.0);
    EXPECT_FALSE(stored(SettingsStore::settingsKey));
}

// Damaged settings are the user's only copy: the first write over them keeps the entry, as
// the file held it, under "settings.json.unreadable", whether the document in it or the
// value's own type tag is at fault.
struct UnreadableCase {
    const char* name;
    const char* entry;  // the "settings.json" entry of the defaults file
    friend void PrintTo(const UnreadableCase& c, std::ostream* out) { *out << c.entry; }
};

class UnreadableSettingsTest : public SettingsStoreTest, public ::testing::WithParamInterface<UnreadableCase> {
protected:
    Json onDisk() const { return json::parse(platform::readWholeFile(file_).value())["values"]; }
    // Lines of the store or the defaults saying a copy was kept.
    static long keptLines(const testing::LogCapture& logs) {
        long n = 0;
        for (const char* category : {"store", "defaults"})
            for (const auto& line : logs.messages(category))
                n += line.rfind("kept the unreadable settings.json as settings.json.unreadable", 0) == 0;
        return n;
    }
};

TEST_P(UnreadableSettingsTest, FirstSaveKeepsTheUnreadableValueUnderTheBackupKey) {
    const Json entry = json::parse(GetParam().entry);
    platform::writeFileAtomically(file_, Json({{"version", 1}, {"values", {{"settings.json", entry}}}}).dump());
    testing::LogCapture logs;
    SettingsStore store(defaults, scheduler);
    EXPECT_EQ(store.loadSettings(), Settings());
    store.saveSettings(withKelvin(3300));
    EXPECT_FALSE(onDisk().contains("settings.json.unreadable")) << "kept aside only when it is overwritten";
    scheduler->advance(0.5);
    EXPECT_EQ(onDisk()["settings.json.unreadable"], entry);
    EXPECT_EQ(storedSettings()->manualKelvin, 3300);
    EXPECT_EQ(keptLines(logs), 1);

    // Later writes leave the backup alone.
    store.saveSettings(withKelvin(3400));
    store.flush();
    EXPECT_EQ(onDisk()["settings.json.unreadable"], entry);
    EXPECT_EQ(storedSettings()->manualKelvin, 3400);
    EXPECT_EQ(keptLines(logs), 1);
}

INSTANTIATE_TEST_SUITE_P(Values, UnreadableSettingsTest,
                         ::testing::Values(
                             // The document is at fault.
                             UnreadableCase{"notJson", R"({"data": "bm90IGpzb24gYXQgYWxs"})"},
                             UnreadableCase{"wrongFieldType", R"({"json": {"manualKelvin": "warm"}})"},
                             UnreadableCase{"wrongTagForTheKey", R"({"string": "a string, not data"})"},
                             // The value's type tag is at fault.
                             UnreadableCase{"unknownTag", R"({"jsno": {"mode": "manual", "manualKelvin": 2200}})"},
                             UnreadableCase{
                                 "extraKeyBesideTheTag",
                                 R"({"json": {"mode": "manual", "manualKelvin": 2200}, "note": "my hand edit"})"},
                             UnreadableCase{"noTag", R"({"mode": "manual", "manualKelvin": 2200})"},
                             UnreadableCase{"notAnObject", R"("mode: manual, manualKelvin: 2200")"},
                             UnreadableCase{"dataThatIsNotBase64", R"({"data": "not base64!"})"},
                             UnreadableCase{"jsonThatIsNoDocument", R"({"json": 2200})"}),
                         [](const auto& param) { return std::string(param.param.name); });

// Settings damaged by hand in one value keep every other value; each damaged document is
// kept under a name of its own, so a second damage never replaces the copy of the first.
TEST_F(SettingsStoreTest, EachDamagedDocumentIsKeptAsideUnderANameOfItsOwn) {
    Settings user;
    user.mode = Mode::manual;
    user.onboardingCompleted = true;
    Json first = user.toJson();
    first["dimFloor"] = "very dark";
    Json second = user.toJson();
    second["mode"] = 42;
    const auto damage = [&](const std::string& text) {
        defaults->set(std::string(SettingsStore::settingsKey), Value(bytes(text)));
    };
    using Damage = SettingsStore::Damage;
    LogCapture log;

    damage(first.dump());
    SettingsStore store(defaults, scheduler);
    Settings loaded = store.loadSettings();
    EXPECT_EQ(loaded.mode, Mode::manual);
    EXPECT_TRUE(loaded.onboardingCompleted);
    EXPECT_EQ(loaded.dimFloor, Settings().dimFloor);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].rfind("settings unreadable in part, using defaults for dimFloor: ", 0), 0u)
        << log.lines()[0];
    EXPECT_EQ(store.keepDamagedAside(),
              (std::vector<Damage>{{"settings.json", {"dimFloor"}, "settings.json.unreadable"}}));
    EXPECT_EQ(store.keepDamagedAside(), std::vector<Damage>{}) << "told once";
    store.saveSettings(loaded);
    store.flush();
    EXPECT_EQ(storedSettings(), loaded);

    // Read again before anything replaced it (a start that wrote nothing): the same copy.
    damage(second.dump());
    SettingsStore again(defaults, scheduler);
    EXPECT_EQ(again.loadSettings().mode, Settings().mode);
    EXPECT_EQ(again.keepDamagedAside(),
              (std::vector<Damage>{{"settings.json", {"mode"}, "settings.json.unreadable-2"}}));
    SettingsStore third(defaults, scheduler);
    third.loadSettings();
    EXPECT_EQ(third.keepDamagedAside(),
              (std::vector<Damage>{{"settings.json", {"mode"}, "settings.json.unreadable-2"}}));

    // Not JSON at all: the defaults, and kept by the first write over it.
    damage("garbage");
    SettingsStore fourth(defaults, scheduler);
    EXPECT_EQ(fourth.loadSettings(), Settings());
    fourth.saveSettings(withKelvin(3100));
    fourth.flush();
    EXPECT_EQ(storedText("settings.json.unreadable"), first.dump());
    EXPECT_EQ(storedText("settings.json.unreadable-2"), second.dump());
    EXPECT_EQ(storedText("settings.json.unreadable-3"), "garbage");
    EXPECT_EQ(storedSettings(), withKelvin(3100));
}

TEST_F(SettingsStoreTest, ACopyTheDefaultsCannotReadIsNotReplacedEither) {
    // An earlier copy whose own type tag is damaged: no reader sees it, yet it stays.
    const Json earlier = {{"jsno", {{"mode", "manual"}}}};
    platform::writeFileAtomically(
        file_,
        Json({{"version", 1},
              {"values", {{"settings.json", {{"data", "Z2FyYmFnZQ=="}}}, {"settings.json.unreadable", earlier}}}})
            .dump());
    SettingsStore store(defaults, scheduler);
    EXPECT_EQ(store.loadSettings(), Settings());
    EXPECT_EQ(store.keepDamagedAside(),
              (std::vector<SettingsStore::Damage>{{"settings.json", {}, "settings.json.unreadable-2"}}));
    EXPECT_EQ(storedText("settings.json.unreadable-2"), "garbage");
    EXPECT_EQ(json::parse(platform::readWholeFile(file_).value())["values"]["settings.json.unreadable"], earlier);
}

TEST_F(SettingsStoreTest, UnreadableRuntimeAndStatisticsAreKeptAsideToo) {
    defaults->set(std::string(SettingsStore::runtimeKey), Value(bytes("{\"cozyActive\": 1}")));
    defaults->set(std::string(SettingsStore::statisticsKey), Value(bytes("[1, 2")));
    LogCapture log;
    SettingsStore store(defaults, scheduler);
    store.loadRuntime();
    store.loadStatistics();
    store.saveRuntime(RuntimeState());
    store.saveStatistics(Statistics());
    store.flush();
    EXPECT_EQ(storedText("runtime.json.unreadable"), "{\"cozyActive\": 1}");
    EXPECT_EQ(storedText("statistics.json.unreadable"), "[1, 2");
    EXPECT_EQ(store.loadRuntime(), RuntimeState());
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
              (std::vector<std::string>{"kept the unreadable runtime.json as runtime.json.unreadable",
                                        "kept the unreadable statistics.json as statistics.json.unreadable"}));
}

TEST_F(SettingsStoreTest, ResetAllKeepsAnUnreadableDocumentAside) {
    defaults->set(std::string(SettingsStore::settingsKey), Value(bytes("garbage")));
    SettingsStore store(defaults, scheduler);
    store.loadSettings();
    store.resetAll();
    EXPECT_FALSE(stored(SettingsStore::settingsKey));
    EXPECT_EQ(storedText("settings.json.unreadable"), "garbage");
}

TEST_F(SettingsStoreTest, ReadableDocumentsGetNoBackup) {
    defaults->set(std::string(SettingsStore::settingsKey), Value(bytes(SettingsCodec::encode(withKelvin(2800)))));
    SettingsStore store(defaults, scheduler);
    store.loadSettings();
    store.saveSettings(withKelvin(3000));
    store.flush();
    EXPECT_FALSE(stored("settings.json.unreadable"));
}

TEST_F(SettingsStoreTest, ADocumentReplacedByAnotherWriterIsNotBackedUpAsUnreadable) {
    defaults->set(std::string(SettingsStore::settingsKey), Value(bytes("garbage")));
    SettingsStore store(defaults, scheduler);
    store.loadSettings();
    // Another writer (an import, a second process) stores a good document meanwhile.
    defaults->set(std::string(SettingsStore::settingsKey), Value(bytes(SettingsCodec::encode(withKelvin(2800)))));
    store.saveSettings(withKelvin(3000));
    store.flush();
    EXPECT_FALSE(stored("settings.json.unreadable"));
}

}  // namespace
}  // namespace orvane
