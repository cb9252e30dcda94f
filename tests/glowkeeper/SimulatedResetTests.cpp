// The watchdog against the simulated machine's state file.
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <sys/file.h>
#include <nlohmann/json.hpp>

#include "glowkeeper/WatchdogProcess.h"

namespace glowkeeper_test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

json tintedDisplay(int id) {
    json display = {
        {"id", id},
        {"uuid", "2B5E0000-0000-4000-8000-00000000000" + std::to_string(id % 10)},
        {"vendor", 1552},
        {"model", 40000 + id},
        {"serial", 7},
        {"name", "Display " + std::to_string(id)},
        {"builtIn", id == 1},
        {"frame", {0, 0, 1512.5, 982}},
        {"scale", 2},
        {"asleep", false},
        {"hasDisplayNumber", true},
        {"gammaCapacity", 256},
        {"gamma", {{"red", {0, 0.5, 1}}, {"green", {0, 0.4, 0.8}}, {"blue", {0, 0.1, 0.2}}}},
        {"matrix", {1, 0, 0, 0.3, 0.6, 0, 0.1, 0, 0.2}},
    };
    if (id == 1) display["backlight"] = 0.6;
    else display["ddc"] = {{"16", {{"current", 70}, {"maximum", 100}}}};
    return display;
}

json tintedState(int displayCount) {
    json state = {
        {"version", 1},
        {"displays", json::array()},
        {"windows",
         {{{"id", 9},
           {"pid", 4242},
           {"pidStart", 123456},
           {"frame", {0, 0, 100, 100}},
           {"level", 1000},
           {"opaque", false},
           {"sharing", "none"},
           {"visible", true},
           {"order", 3},
           {"layers", {{{"color", {1, 0.5, 0}}, {"opacity", 0.35}}}}}}},
        {"nightShift", {{"active", true}, {"enabled", true}, {"cct", 0.25}, {"strength", 0.7}}},
        {"preferences", {{"com.example.domain", {{"key", {{"string", "value"}}}}}}},
        {"failures", {{"gamma", {{"status", 1001}, {"remaining", -1}}}}},
        {"mouse", {640.25, 400}},
        {"idleSeconds", 12.125},
        {"nextDisplayId", displayCount + 1},
    };
    for (int id = 1; id <= displayCount; ++id) state["displays"].push_back(tintedDisplay(id));
    return state;
}

// What the state must look like after the watchdog: the first `count` displays untinted,
// no windows, and nothing else changed.
json untinted(json state, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        state["displays"][i]["gamma"] = nullptr;
        state["displays"][i]["matrix"] = nullptr;
    }
    state["windows"] = json::array();
    return state;
}

class SimulatedReset : public WatchdogTest {
protected:
    static fs::path dir() { return simDir(); }
    static fs::path statePath() { return dir() / "machine.json"; }

    static void writeText(const std::string& text) { std::ofstream(statePath(), std::ios::binary) << text; }
    static std::string readText() {
        std::ifstream in(statePath(), std::ios::binary);
        std::string text;
        std::getline(in, text, '\0');
        return text;
    }
    static json readState() { return json::parse(readText()); }
    static std::set<std::string> dirEntries() {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir())) names.insert(entry.path().filename().string());
        return names;
    }

    // Starts a watchdog on a live process, checks it leaves the tint alone while the
    // process lives, then kills the process and checks the reset comes (how soon is
    // bench/watchdog_reset.sh's to measure; a loaded machine may take its time).
    void expectResetAfterTheKill(std::optional<std::vector<std::string>> environment = std::nullopt) {
        const json state = tintedState(3);
        writeText(state.dump(2));
        const std::string written = readText();
        WatchedProcess watched;
        Watchdog watchdog({std::to_string(watched.pid())}, std::move(environment));
        ASSERT_TRUE(watchdog.waitUntilIgnoringHangupAndInterrupt());
        std::this_thread::sleep_for(300ms);
        ASSERT_TRUE(watchdog.running());
        EXPECT_EQ(readText(), written) << "the tint was reset while the watched process lived";

        watched.kill();  // left unreaped: an ended process that is still a zombie counts as ended
        const auto finished = watchdog.finish(10s);
        EXPECT_TRUE(exitedWith(finished, 0));
        EXPECT_EQ(finished.output, resultLine(watched.pid(), 3));
        EXPECT_EQ(readState(), untinted(state, 3));
        EXPECT_EQ(dirEntries(), (std::set<std::string>{"machine.json", "machine.lock"}));
    }
};

TEST_F(SimulatedReset, ResetsEveryDisplayOnceTheWatchedProcessDies) { expectResetAfterTheKill(); }

TEST_F(SimulatedReset, PollsForTheEndWhereNoPidfdCanBeOpened) {
    const fs::path mark = dir().parent_path() / "pidfd-refused";
    fs::remove(mark);
    expectResetAfterTheKill(environmentWith({
        {"LD_PRELOAD", GLOWKEEPER_NO_PIDFD},
        {"GLOWKEEPER_TEST_PIDFD_MARK", mark.string()},
    }));
    EXPECT_TRUE(fs::exists(mark)) << "the pidfd refusal was not in effect";
}

TEST_F(SimulatedReset, HangupAndInterruptDoNotEndTheWait) {
    writeText(tintedState(3).dump(2));
    const std::string written = readText();
    WatchedProcess watched;
    Watchdog watchdog({std::to_string(watched.pid())});
    ASSERT_TRUE(watchdog.waitUntilIgnoringHangupAndInterrupt());
    ::kill(watchdog.pid(), SIGINT);
    ::kill(watchdog.pid(), SIGHUP);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(watchdog.running());
    EXPECT_EQ(readText(), written);

    // Termination keeps its default action: the watchdog ends without a reset.
    ::kill(watchdog.pid(), SIGTERM);
    const auto finished = watchdog.finish();
    EXPECT_TRUE(WIFSIGNALED(finished.status) && WTERMSIG(finished.status) == SIGTERM);
    EXPECT_EQ(finished.output, "");
    EXPECT_EQ(readText(), written);
}

TEST_F(SimulatedReset, ChoosesThePlatformLikeTheProgram) {
    struct Case {
        const char* platform;  // nullptr: unset
        int count;
    };
    // No X display is reachable in the tests, so an unset platform means the simulated one.
    for (const Case& c : {Case{"sim", 3}, Case{nullptr, 3}, Case{"linux", 0}}) {
        SCOPED_TRACE(c.platform ? c.platform : "(unset)");
        const json state = tintedState(3);
        writeText(state.dump(2));
        const std::string written = readText();
        const pid_t gone = deadPid();
        std::map<std::string, std::optional<std::string>> changes{{"DISPLAY", std::nullopt}};
        changes["ORVANE_PLATFORM"] = c.platform ? std::optional<std::string>(c.platform) : std::nullopt;
        Watchdog watchdog({std::to_string(gone)}, environmentWith(changes));
        const auto finished = watchdog.finish();
        EXPECT_TRUE(exitedWith(finished, 0));
        EXPECT_EQ(finished.output, resultLine(gone, c.count));
        if (c.count == 0) EXPECT_EQ(readText(), written);
        else EXPECT_EQ(readState(), untinted(state, 3));
    }
}

TEST_F(SimulatedReset, LeavesAMissingOrUnreadableStateAlone) {
    // Nested deeper than any state the program writes: writing it back would recurse per level.
    const std::string deep =
        "{\"displays\": [{\"id\": 1, \"edid\": " + std::string(100000, '[') + std::string(100000, ']') + "}]}";
    for (const std::string& text : {std::string("{\"displays\": ["), std::string("[1, 2, 3]"),
                                    std::string("{\"displays\": {\"id\": 1}}"), std::string(), deep}) {
        SCOPED_TRACE(text.substr(0, 40));
        writeText(text);
        const pid_t gone = deadPid();
        Watchdog watchdog({std::to_string(gone)});
        const auto finished = watchdog.finish();
        EXPECT_TRUE(exitedWith(finished, 0));
        EXPECT_EQ(finished.output, resultLine(gone, 0));
        EXPECT_EQ(readText(), text);
    }

    fs::remove(statePath());
    const pid_t gone = deadPid();
    Watchdog watchdog({std::to_string(gone)});
    EXPECT_EQ(watchdog.finish().output, resultLine(gone, 0));
    EXPECT_FALSE(fs::exists(statePath()));
}

TEST_F(SimulatedReset, ResetsNoMoreThanThirtyTwoDisplays) {
    const json state = tintedState(34);
    writeText(state.dump(2));
    const pid_t gone = deadPid();
    Watchdog watchdog({std::to_string(gone)});
    EXPECT_EQ(watchdog.finish().output, resultLine(gone, 32));
    const json after = readState();
    EXPECT_EQ(after, untinted(state, 32));
    EXPECT_FALSE(after["displays"][32]["matrix"].is_null());
}

TEST_F(SimulatedReset, WaitsForTheStateLock) {
    const json state = tintedState(3);
    writeText(state.dump(2));
    const std::string written = readText();
    const int lock = ::open((dir() / "machine.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);

    const pid_t gone = deadPid();
    Watchdog watchdog({std::to_string(gone)});
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(watchdog.running());
    EXPECT_EQ(readText(), written);

    ::flock(lock, LOCK_UN);
    ::close(lock);
    const auto finished = watchdog.finish();
    EXPECT_EQ(finished.output, resultLine(gone, 3));
    EXPECT_EQ(readState(), untinted(state, 3));
}

}  // namespace
}  // namespace glowkeeper_test
