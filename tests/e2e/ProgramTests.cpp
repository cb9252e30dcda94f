// The whole program on the simulated machine: start-up modes, one instance per session,
// the orderly quit on termination signals and the watchdog after a kill.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <fstream>
#include <sstream>

#include "ProgramProcess.h"
#include "SessionBus.h"
#include "SimSession.h"
#include "app/SettingsStore.h"
#include "app/SystemTimeZone.h"
#include "core/ColorMatrix.h"
#include "core/Resolver.h"
#include "platform/AtomicFile.h"
#include "platform/UserDefaults.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimPlatform.h"
#include "support/Json.h"

namespace orvane::e2e {
namespace {

std::string resultLine(pid_t pid, int displays) {
    return "Glowkeeper: pid " + std::to_string(pid) + " ended, reset " + std::to_string(displays) + " display(s)\n";
}

bool neutral(const platform::sim::SimState& state) {
    for (const auto& d : state.displays)
        if (d.gamma || d.matrix) return false;
    for (const auto& w : state.windows)
        if (w.visible && platform::sim::SimMachine::ownerAlive(w)) return false;
    return true;
}

// The children of a process with the given command name, from /proc.
std::vector<pid_t> childrenNamed(pid_t parent, const std::string& name) {
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "stat");
        std::string line;
        if (!std::getline(in, line)) continue;
        const auto open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent && state != 'Z' && line.substr(open + 1, close - open - 1) == name)
            found.push_back(static_cast<pid_t>(std::stoi(pid)));
    }
    return found;
}

// Seconds since boot, now and when a process started: the moment a process was made, free
// of how late a test polling for it sees it.
double secondsSinceBoot() {
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}
double startedSecondsAfterBoot(pid_t pid) {
    return static_cast<double>(platform::sim::SimMachine::processStartTime(pid)) /
           static_cast<double>(::sysconf(_SC_CLK_TCK));
}

std::string commandLine(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline");
    std::string text;
    for (std::string word; std::getline(in, word, '\0');) text += word + " ";
    return text;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// A stored document nested far beyond anything Orvane writes: the start goes on with the
// defaults, says so once, and the first write keeps the user's file aside.
TEST(ProgramStartTest, DeeplyNestedStoredDocumentsStartWithTheDefaults) {
    const struct {
        const char* name;
        bool wholeFile;  // the defaults file itself, or the settings document in it
        const char* logged;
    } cases[] = {{"defaults file", true, "defaults unreadable, starting empty: "},
                 {"settings document", false, "settings unreadable, using defaults: "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session session;
        const auto file = platform::sim::SimPlatform(platform::Runtime{}, session.sim).standardUserDefaults()->file();
        std::string deep;
        for (int i = 0; i < 100000; ++i) deep += c.wholeFile ? R"([{"array": )" : R"({"sunset": )";
        deep += c.wholeFile ? "[]" : "{}";
        for (int i = 0; i < 100000; ++i) deep += c.wholeFile ? "}]" : "}";
        std::filesystem::create_directories(file.parent_path());
        if (c.wholeFile) std::ofstream(file) << R"({"version": 1, "values": {"deep": {"array": )" << deep << "}}}";
        else platform::UserDefaults::open(file)->set("settings.json", platform::Bytes(deep.begin(), deep.end()));
        const auto original = platform::readWholeFile(file);

        ProgramProcess program(session, {});
        ASSERT_TRUE(program.waitUntilReady()) << program.errors();
        EXPECT_EQ(occurrences(program.errors(), c.logged), 1u) << program.errors();
        // By the end of an orderly quit the program has written; what it could not read is
        // still there beside what it wrote.
        program.signal(SIGTERM);
        EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
        bool keptAside = false;
        for (const auto& e : std::filesystem::directory_iterator(file.parent_path()))
            if (e.path().filename().string().rfind(file.filename().string() + ".unreadable-", 0) == 0)
                keptAside = keptAside || platform::readWholeFile(e.path()) == original;
        if (c.wholeFile) EXPECT_TRUE(keptAside);
        else
            EXPECT_EQ(platform::UserDefaults::open(file)->data("settings.json.unreadable"),
                      platform::Bytes(deep.begin(), deep.end()));
    }
}

// A settings value damaged by hand: the start goes on with the defaults, and the first
// write, which comes within moments of the launch, keeps the entry as the file held it.
TEST(ProgramStartTest, ADamagedSettingsValueIsKeptAsideByTheFirstWrite) {
    const struct {
        const char* name;
        const char* entry;
        const char* logged;
    } cases[] = {
        {"unknown tag", R"({"jsno": {"mode": "manual", "manualKelvin": 2200}})", "defaults value unreadable"},
        {"extra key", R"({"json": {"mode": "manual", "manualKelvin": 2200}, "note": "my hand edit"})",
         "defaults value unreadable"},
        {"no tag", R"({"mode": "manual", "manualKelvin": 2200})", "defaults value unreadable"},
        {"a tag of the wrong kind for the key", R"({"int": 2200})", "settings unreadable, using defaults: "},
        {"a payload that does not decode", R"({"data": "not base64!"})", "defaults value unreadable"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session session;
        const auto file = platform::sim::SimPlatform(platform::Runtime{}, session.sim).standardUserDefaults()->file();
        const Json entry = json::parse(c.entry);
        platform::writeFileAtomically(file, Json({{"version", 1}, {"values", {{"settings.json", entry}}}}).dump());
        const auto keptEntry = [&]() -> std::optional<Json> {
            const auto text = platform::readWholeFile(file);
            if (!text) return std::nullopt;
            const Json values = json::parse(*text)["values"];
            if (!values.contains("settings.json.unreadable")) return std::nullopt;
            return values["settings.json.unreadable"];
        };

        ProgramProcess program(session, {});
        ASSERT_TRUE(program.waitUntilReady()) << program.errors();
        EXPECT_EQ(occurrences(program.errors(), c.logged), 1u) << program.errors();
        ASSERT_TRUE(program.waitFor([&] { return keptEntry().has_value(); }, 15s)) << program.errors();
        EXPECT_EQ(keptEntry(), entry);
        const std::string kept = "kept the unreadable settings.json as settings.json.unreadable";
        EXPECT_TRUE(program.waitForError(kept)) << program.errors();
        EXPECT_EQ(occurrences(program.errors(), kept), 1u) << program.errors();
        program.signal(SIGTERM);
        EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
        EXPECT_EQ(keptEntry(), entry) << "the quit's writes leave the kept copy alone";
    }
}

// A display that does not open is an error naming it; only without DISPLAY (or with the
// simulated machine asked for) does the program run on the simulated machine.
TEST(ProgramStartTest, ADisplayThatDoesNotOpenIsAnErrorThatNamesIt) {
    {
        Session session;
        session.environment["ORVANE_PLATFORM"] = std::nullopt;  // chosen by the desktop
        session.environment["DISPLAY"] = ":9999";
        ProgramProcess program(session, {});
        EXPECT_TRUE(exitedWith(program.waitForExit(), 1)) << program.errors();
        EXPECT_EQ(occurrences(program.errors(), "Orvane: cannot open X display :9999 (no X server is listening)\n"), 1u)
            << program.errors();
        EXPECT_EQ(program.errors().find("launched: "), std::string::npos);
    }
    for (const auto& [platformChoice, display] :
         {std::pair<std::optional<std::string>, std::optional<std::string>>{std::nullopt, std::nullopt},
          {std::string("sim"), std::string(":9999")}}) {
        SCOPED_TRACE(display.value_or("unset"));
        Session session;
        session.environment["ORVANE_PLATFORM"] = platformChoice;
        session.environment["DISPLAY"] = display;
        ProgramProcess program(session, {});
        ASSERT_TRUE(program.waitUntilReady()) << program.errors();
        EXPECT_EQ(program.errors().find("cannot open X display"), std::string::npos) << program.errors();
        EXPECT_NE(program.errors().find("platform: sim"), std::string::npos) << program.errors();
        program.signal(SIGTERM);
        EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    }
}

class ProgramSessionTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) {
            bus = std::make_unique<testing::SessionBus>(session.root);
            ORVANE_REQUIRE_TOOL(bus->error());
            session.environment["DBUS_SESSION_BUS_ADDRESS"] = bus->address();
        }
    }
    platform::sim::SimState machine() { return platform::sim::SimMachine(session.sim).read(); }

    Session session;
    std::unique_ptr<testing::SessionBus> bus;
};

TEST_P(ProgramSessionTest, ANormalStartPrintsOnlyItsOwnLines) {
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    // The tray item is made and shown after the launch line; give it time to complain.
    program.waitFor([] { return false; }, 2500ms);
    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    // The program's log and its watchdog's last word, nothing else.
    for (const std::string& stream : {program.errors(), program.output()}) {
        std::istringstream lines(stream);
        for (std::string line; std::getline(lines, line);)
            EXPECT_TRUE(line.rfind("app.orvane[", 0) == 0 || line.rfind("Glowkeeper: ", 0) == 0) << line;
    }
}

TEST_P(ProgramSessionTest, SecondStartHandsItsUrlOverAndTheRunningInstanceCarriesItOut) {
    Settings settings;
    settings.mode = Mode::manual;
    settings.manualKelvin = 2700;
    storeSettings(session, settings);
    const ColorMatrix warm = ColorMatrix::make(resolverSays(settings).target);
    ProgramProcess first(session, {});
    ASSERT_TRUE(first.waitUntilReady()) << first.errors();
    ASSERT_TRUE(first.waitFor([&] { return showsMatrix(machine().displays.at(0), warm); }, 10s)) << first.errors();

    ProgramProcess second(session, {"ORVANE://toggle"});
    EXPECT_TRUE(exitedWith(second.waitForExit(), 0)) << second.errors();
    EXPECT_EQ(second.output(), "sent to Orvane: switch the tint on or off\n");
    EXPECT_EQ(second.errors().find("launched: "), std::string::npos) << "the second start never launches";
    EXPECT_TRUE(first.waitForError("command: toggle")) << first.errors();
    EXPECT_TRUE(first.waitFor([&] { return neutral(machine()); }, 5s)) << "the tint is off";

    // One that does not parse is named and the whole line refused: the others are not
    // sent either, so nothing is half done.
    ProgramProcess third(session, {"orvane://bogus", "orvane://toggle"});
    EXPECT_TRUE(exitedWith(third.waitForExit(), 2)) << third.errors();
    EXPECT_EQ(third.output(), "");
    EXPECT_EQ(third.errors(), "orvane: orvane://bogus: no such command (see orvane --help)\n");
    ProgramProcess again(session, {"orvane://toggle"});
    EXPECT_TRUE(exitedWith(again.waitForExit(), 0)) << again.errors();
    EXPECT_TRUE(first.waitFor([&] { return showsMatrix(machine().displays.at(0), warm); }, 5s)) << "on again";
    const auto log = first.errors();
    const auto toggles = [&] {
        std::size_t n = 0;
        for (auto at = log.find("command: toggle"); at != std::string::npos; at = log.find("command: toggle", at + 1))
            ++n;
        return n;
    }();
    EXPECT_EQ(toggles, 2u) << "the refused line sent no toggle: " << log;

    ProgramProcess fourth(session, {});
    EXPECT_TRUE(exitedWith(fourth.waitForExit(), 0)) << fourth.errors();
    EXPECT_TRUE(first.running());
}

TEST_P(ProgramSessionTest, TerminationSignalsGiveAnOrderlyQuitAndTheWatchdogStillEndsItsWatch) {
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        ProgramProcess program(session, {});
        ASSERT_TRUE(program.waitUntilReady()) << program.errors();
        program.signal(number);
        EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
        EXPECT_NE(program.errors().find("received; quitting"), std::string::npos) << program.errors();
        EXPECT_TRUE(neutral(machine()));
        // The watchdog, left running, resets the displays once the program has gone.
        EXPECT_TRUE(program.waitForOutput(resultLine(program.pid(), 2))) << program.output();
    }
}

TEST_P(ProgramSessionTest, AfterAKillTheWatchdogResetsEveryDisplay) {
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    // Something for the watchdog to clear, whatever the tint at this hour.
    platform::sim::SimMachine(session.sim).update([](platform::sim::SimState& s) {
        for (auto& d : s.displays) d.matrix = platform::Matrix3x3{1, 0, 0, 0, 0.5f, 0, 0, 0, 0.2f};
    });
    program.signal(SIGKILL);
    ASSERT_TRUE(program.waitForExit());
    EXPECT_TRUE(program.waitFor([&] { return neutral(machine()); }, 10s)) << "still tinted 10 s after the kill";
    EXPECT_TRUE(program.waitForOutput(resultLine(program.pid(), 2), 10s)) << program.output();

    // The next start is the instance again, the killed one's lock or name notwithstanding.
    ProgramProcess next(session, {});
    EXPECT_TRUE(next.waitUntilReady()) << next.errors();
}

TEST_P(ProgramSessionTest, DisplaysShowWhatTheResolverSaysAndAnOrderlyQuitLeavesThemNeutral) {
    Settings settings;
    settings.mode = Mode::manual;
    settings.manualKelvin = 2700;
    settings.manualDim = 0.8;
    storeSettings(session, settings);
    const Resolution expected = resolverSays(settings);
    ASSERT_EQ(expected.target.kelvin, 2700);
    ASSERT_DOUBLE_EQ(expected.target.dim, 0.8);
    const ColorMatrix matrix = ColorMatrix::make(expected.target);

    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    // The first decision fades in over the two seconds of the wake transition.
    const bool tinted = program.waitFor([&] { return bothShow(machine(), matrix); }, 10s);
    EXPECT_TRUE(tinted) << program.errors();
    for (const auto& d : machine().displays) EXPECT_FALSE(d.gamma.has_value()) << "the colour matrix alone tints";

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    EXPECT_TRUE(neutral(machine())) << "the quit sequence detaches every back-end before the process ends";
    // The store was flushed: the program's own record of the displays is on disk.
    platform::sim::SimPlatform after(platform::Runtime{}, session.sim);
    const Settings stored = SettingsStore(after.standardUserDefaults(), nullptr).loadSettings();
    EXPECT_EQ(stored.manualKelvin, 2700);
    EXPECT_EQ(stored.displays.size(), 2u);
}

TEST_P(ProgramSessionTest, NoTintSwitchKeepsTheDisplaysNeutralAfterClearingWhatAKilledRunLeft) {
    Settings settings;
    settings.mode = Mode::manual;
    settings.manualKelvin = 1900;
    storeSettings(session, settings);
    for (const auto& [value, tinted] : std::vector<std::pair<std::string, bool>>{{"1", false}, {"true", true}}) {
        SCOPED_TRACE(value);
        // A red matrix from an earlier run that was killed while no watchdog ran.
        platform::sim::SimMachine(session.sim).update([](platform::sim::SimState& s) {
            for (auto& d : s.displays) d.matrix = platform::Matrix3x3{1, 0, 0, 0, 0, 0, 0, 0, 0};
        });
        session.environment["ORVANE_NO_TINT"] = value;
        ProgramProcess program(session, {});
        ASSERT_TRUE(program.waitUntilReady()) << program.errors();
        const ColorMatrix red = ColorMatrix::make(resolverSays(settings).target);
        const bool shows = program.waitFor(
            [&] {
                const auto state = machine();
                return std::all_of(state.displays.begin(), state.displays.end(),
                                   [&](const auto& d) { return tinted ? showsMatrix(d, red) : !d.matrix; });
            },
            5s);
        EXPECT_TRUE(shows);
        if (!tinted) {
            program.waitFor([] { return false; }, 300ms);  // nothing turns up later either
            EXPECT_TRUE(neutral(machine()));
        }
        program.signal(SIGTERM);
        EXPECT_TRUE(exitedWith(program.waitForExit(), 0));
        program.waitForOutput("Glowkeeper: pid ");
    }
}

TEST_P(ProgramSessionTest, AWatchdogThatEndsIsStartedAgainThreeSecondsLater) {
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    std::vector<pid_t> guards;
    // The kernel names a process at exec a moment before it lays out its arguments: a guard
    // counts once its command line is there.
    ASSERT_TRUE(program.waitFor(
        [&] {
            guards = childrenNamed(program.pid(), "glowkeeper");
            return guards.size() == 1 && !commandLine(guards[0]).empty();
        },
        5s));
    const pid_t first = guards[0];
    EXPECT_EQ(commandLine(first), std::string(GLOWKEEPER_PATH) + " " + std::to_string(program.pid()) + " ");

    ::kill(first, SIGKILL);
    const double killed = secondsSinceBoot();
    // Waits long enough for a loaded machine; the delay is judged by the new process's start.
    ASSERT_TRUE(program.waitFor(
        [&] {
            guards = childrenNamed(program.pid(), "glowkeeper");
            return guards.size() == 1 && guards[0] != first && !commandLine(guards[0]).empty();
        },
        15s));
    const double after = startedSecondsAfterBoot(guards[0]) - killed;
    EXPECT_GE(after, 2.9);  // the start time counts in ticks of 10 ms
    EXPECT_LT(after, 4.5);
    EXPECT_EQ(commandLine(guards[0]), std::string(GLOWKEEPER_PATH) + " " + std::to_string(program.pid()) + " ");
    EXPECT_TRUE(program.running());
}

TEST_P(ProgramSessionTest, WithoutItsWatchdogTheProgramSaysWhereItLookedAndRunsOn) {
    // The program alone in a directory of its own (its libraries where it looks for them).
    const auto alone = session.root / "alone";
    std::filesystem::create_directories(alone);
    std::filesystem::copy_file(ORVANE_PATH, alone / "orvane");
    const std::filesystem::path library = ORVANE_PROGRAM_PATH;
    const auto relative = library.lexically_relative(std::filesystem::path(ORVANE_PATH).parent_path());
    std::filesystem::create_directories((alone / relative).parent_path());
    std::filesystem::copy_file(library, alone / relative);
    std::filesystem::copy_file(
        ORVANE_RUNTIME_PATH, (alone / relative).parent_path() / std::filesystem::path(ORVANE_RUNTIME_PATH).filename());
    ProgramProcess program(session, {}, (alone / "orvane").string());
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    const std::string line = "Glowkeeper missing at " +
                             ((alone / relative).parent_path() / "glowkeeper").lexically_normal().string() +
                             "; a crash could leave the tint on until relaunch";
    EXPECT_NE(program.errors().find(line), std::string::npos) << program.errors();
    EXPECT_TRUE(childrenNamed(program.pid(), "glowkeeper").empty());
    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    EXPECT_TRUE(neutral(machine()));
}

INSTANTIATE_TEST_SUITE_P(Session, ProgramSessionTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "PrivateBus" : "NoBus"; });

}  // namespace
}  // namespace orvane::e2e
