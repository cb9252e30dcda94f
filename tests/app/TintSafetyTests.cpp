// The launch reset, the termination signals and the watchdog's supervision, with a
// stand-in watchdog script that records its arguments and then waits to be killed.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../SimFixture.h"
#include "app/TintSafety.h"

namespace orvane {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> lines(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The signals a process ignores, from /proc.
unsigned long ignoredSignals(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("SigIgn:", 0) == 0) return std::stoul(line.substr(7), nullptr, 16);
    return ~0UL;
}

class TintSafetyTest : public testing::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        watchdog = directory / "Glowkeeper";
        writeScript(watchdog, "#!/bin/sh\necho \"$@\" >> \"$0.log\"\nexec sleep 600\n");
    }
    void TearDown() override {
        if (safety && safety->guardPid()) {
            const pid_t pid = *safety->guardPid();
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        safety.reset();
        SimTest::TearDown();
    }

    static void writeScript(const std::filesystem::path& path, const std::string& text, mode_t mode = 0755) {
        std::ofstream(path) << text;
        ::chmod(path.c_str(), mode);
    }

    void makeSafety(std::filesystem::path path) {
        safety = std::make_shared<TintSafety>(
            sim, [this] { ++terminations; }, TintSafety::Options{std::move(path), 3.0});
    }

    // Runs the fake loop until `done`, in real time, since processes end in real time.
    template <class F>
    bool runUntil(F done, std::chrono::milliseconds limit = 5s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            scheduler->runPending();
            if (done()) return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }

    std::vector<std::string> starts() { return lines(watchdog.string() + ".log"); }
    bool startedTimes(std::size_t n) {
        return runUntil([&] { return starts().size() == n; });
    }

    std::filesystem::path watchdog;
    std::shared_ptr<TintSafety> safety;
    int terminations = 0;
    testing::LogCapture logs;
};

TEST_F(TintSafetyTest, StartClearsWhatAnEarlierRunLeftOnTheDisplays) {
    sim->update([](platform::sim::SimState& s) {
        for (auto& d : s.displays) {
            d.matrix = platform::Matrix3x3{{1, 0, 0, 0, 0.2f, 0, 0, 0, 0}};
            d.gamma = platform::GammaRamp::identity(d.gammaCapacity);
            d.gamma->blue.assign(d.gamma->blue.size(), 0.0f);
        }
    });
    makeSafety(watchdog);
    safety->start();
    for (const auto& d : sim->state().displays) {
        EXPECT_FALSE(d.matrix.has_value()) << d.name;
        EXPECT_FALSE(d.gamma.has_value()) << d.name;
    }
}

TEST_F(TintSafetyTest, WatchdogGetsThisProcessIdAndIsStartedAgainThreeSecondsAfterItEnds) {
    makeSafety(watchdog);
    safety->start();
    ASSERT_TRUE(safety->guardPid());
    ASSERT_TRUE(startedTimes(1));
    EXPECT_EQ(starts()[0], std::to_string(::getpid()));
    const pid_t first = *safety->guardPid();

    ::kill(first, SIGKILL);
    ASSERT_TRUE(runUntil([&] { return !safety->guardPid(); }));
    EXPECT_EQ(::waitpid(first, nullptr, WNOHANG), -1) << "the ended watchdog is reaped";

    scheduler->advance(2.9);
    EXPECT_FALSE(safety->guardPid());
    scheduler->advance(0.2);
    ASSERT_TRUE(safety->guardPid());
    EXPECT_NE(*safety->guardPid(), first);
    ASSERT_TRUE(startedTimes(2));
    EXPECT_EQ(starts()[1], std::to_string(::getpid()));
}

TEST_F(TintSafetyTest, NoWatchdogIsStartedOnceStopping) {
    makeSafety(watchdog);
    safety->start();
    ASSERT_TRUE(startedTimes(1));

    // Ended before the quit: the restart already scheduled finds it stopping.
    ::kill(*safety->guardPid(), SIGKILL);
    ASSERT_TRUE(runUntil([&] { return !safety->guardPid(); }));
    safety->setStopping();
    scheduler->advance(10);
    EXPECT_FALSE(safety->guardPid());
    EXPECT_EQ(starts().size(), 1u);
}

TEST_F(TintSafetyTest, StoppingLeavesTheRunningWatchdogAlone) {
    makeSafety(watchdog);
    safety->start();
    ASSERT_TRUE(startedTimes(1));
    const pid_t pid = *safety->guardPid();
    safety->setStopping();
    scheduler->advance(5);
    EXPECT_EQ(::kill(pid, 0), 0);
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), 0) << "still running";
}

TEST_F(TintSafetyTest, MissingOrUnusableWatchdogIsLoggedAndTheProgramRunsOn) {
    const auto notExecutable = directory / "plain";
    writeScript(notExecutable, "#!/bin/sh\n", 0644);
    for (const auto& path : {directory / "absent" / "Glowkeeper", notExecutable, directory}) {
        SCOPED_TRACE(path.string());
        const auto before = logs.messages("safety").size();
        makeSafety(path);
        safety->start();
        EXPECT_FALSE(safety->guardPid());
        const auto messages = logs.messages("safety");
        ASSERT_EQ(messages.size(), before + 1);
        EXPECT_EQ(messages.back(),
                  "Glowkeeper missing at " + path.string() + "; a crash could leave the tint on until relaunch");
        scheduler->advance(10);
        EXPECT_FALSE(safety->guardPid()) << "no retry";
        safety.reset();
    }
}

TEST_F(TintSafetyTest, WatchdogThatCannotBeExecutedIsReportedOnce) {
    const auto garbage = directory / "Garbage";
    writeScript(garbage, std::string("\x7f"
                                     "ELF not really",
                                     14));
    makeSafety(garbage);
    safety->start();
    EXPECT_FALSE(safety->guardPid());
    const auto messages = logs.messages("safety");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Glowkeeper failed to start: ", 0), 0u) << messages[0];
    scheduler->advance(10);
    EXPECT_FALSE(safety->guardPid());
}

TEST_F(TintSafetyTest, TerminationSignalsBecomeAnOrderlyQuit) {
    makeSafety(watchdog);
    safety->start();
    ASSERT_TRUE(startedTimes(1));

    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        const int before = terminations;
        ASSERT_EQ(::raise(number), 0);
        EXPECT_TRUE(runUntil([&] { return terminations == before + 1; })) << number;
        struct sigaction current {};
        ::sigaction(number, nullptr, &current);
        EXPECT_NE(current.sa_handler, SIG_IGN) << "an ignored disposition would pass to the watchdog";
        EXPECT_NE(current.sa_handler, SIG_DFL);
    }
    const unsigned long wanted = (1UL << (SIGTERM - 1)) | (1UL << (SIGINT - 1)) | (1UL << (SIGHUP - 1));
    EXPECT_EQ(ignoredSignals(*safety->guardPid()) & wanted, 0UL);
}

// Back to what the process had before: the default action, or "ignore" under nohup.
TEST_F(TintSafetyTest, SignalsGetTheActionTheyHadBackWhenSafetyIsGone) {
    const auto handler = [](int number) {
        struct sigaction current {};
        ::sigaction(number, nullptr, &current);
        return current.sa_handler;
    };
    // Hang-ups ignored as under nohup, whatever this run's own disposition: a safety that
    // always put the default back would pass where everything starts at the default.
    struct IgnoredHangUp {
        struct sigaction outside {};
        IgnoredHangUp() {
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            ::sigemptyset(&ignore.sa_mask);
            ::sigaction(SIGHUP, &ignore, &outside);
        }
        ~IgnoredHangUp() { ::sigaction(SIGHUP, &outside, nullptr); }
    } ignoredHangUp;
    ASSERT_EQ(handler(SIGHUP), SIG_IGN);
    const std::map<int, void (*)(int)> found{
        {SIGTERM, handler(SIGTERM)}, {SIGINT, handler(SIGINT)}, {SIGHUP, handler(SIGHUP)}};
    makeSafety(watchdog);
    safety->start();
    ASSERT_TRUE(safety->guardPid());
    const pid_t pid = *safety->guardPid();
    for (const auto& [number, before] : found) EXPECT_NE(handler(number), before) << number << " is caught";
    safety.reset();
    for (const auto& [number, before] : found) EXPECT_EQ(handler(number), before) << number;
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), 0) << "the watchdog outlives the object";
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

}  // namespace
}  // namespace orvane
