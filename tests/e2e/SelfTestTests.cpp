// "Orvane --selftest": the whole command on the simulated machine, and on a private X
// server with and without a compositing manager.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ProgramProcess.h"
#include "SelfTestRows.h"
#include "SessionBus.h"
#include "XvfbServer.h"
#include "engine/SelfTest.h"
#include "platform/linux/X11Probe.h"
#include "platform/sim/SimPlatform.h"

// Last: the X headers' macros clash with our names.
#include "Compositor.h"

namespace orvane::e2e {
namespace {

using Report = SelfTest::Report;

Report readReport(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return Report::fromJson(json::parse(text.str()));
}

const SelfTest::Measurement* named(const Report& r, const std::string& name) {
    for (const auto& m : r.measurements)
        if (m.name == name) return &m;
    return nullptr;
}

// A session whose temporary directory, where the captures go, is its own.
struct SelfTestSession : Session {
    SelfTestSession() { environment["TMPDIR"] = root.string(); }
};

bool has(const std::vector<std::string>& list, const std::string& entry) {
    return std::find(list.begin(), list.end(), entry) != list.end();
}

TEST(SelfTestProgramTest, ADryRunOnTheSimulatedMachinePassesAndNamesTheBackends) {
    SelfTestSession session;
    const auto file = session.root / "r.json";
    ProgramProcess program(session, {"--selftest", "--dry-run", "--json", file.string()});
    const auto status = program.waitForExit(60s);
    EXPECT_TRUE(exitedWith(status, 0)) << program.output() << program.errors();
    const Report report = readReport(file);
    EXPECT_TRUE(report.passed);
    EXPECT_EQ(report.notes,
              (std::vector<std::string>{
                  "dry run: no captures, engine paths only",
                  "backends: Built-in Display [built-in] → Overlay tint, External Monitor [external] → Overlay tint"}));
    EXPECT_EQ(program.output(), SelfTest::render(report) + "\n");
    EXPECT_EQ(program.errors().find("launched: "), std::string::npos) << "no normal start";
}

TEST(SelfTestProgramTest, HiddenPanelsFailTheDryRunOncePerDisplay) {
    SelfTestSession session;
    platform::sim::SimPlatform(platform::Runtime{}, session.sim).machine().update([](platform::sim::SimState& s) {
        s.failures["overlay.orderFront"] = {};
    });
    ProgramProcess program(session, {"--selftest", "--dry-run"});
    EXPECT_TRUE(exitedWith(program.waitForExit(60s), 1)) << program.output() << program.errors();
    EXPECT_NE(program.output().find("failures:\n  - overlay panel not visible on Built-in Display\n"
                                    "  - overlay panel not visible on External Monitor\n"),
              std::string::npos)
        << program.output();
}

TEST(SelfTestProgramTest, ATrailingJsonWritesNothing) {
    SelfTestSession session;
    ProgramProcess program(session, {"--selftest", "--dry-run", "--json"});
    EXPECT_TRUE(exitedWith(program.waitForExit(60s), 0)) << program.output() << program.errors();
    EXPECT_EQ(program.output().find("could not write"), std::string::npos);
    // No report beside the session's directories, nor under the option's own name.
    for (const auto& e : std::filesystem::directory_iterator(session.root))
        EXPECT_NE(e.path().extension(), ".json") << e.path();
    EXPECT_FALSE(std::filesystem::exists("--json"));
}

TEST(SelfTestProgramTest, RefusedCaptureAccessIsTheOnlyFailure) {
    SelfTestSession session;
    platform::sim::SimPlatform(platform::Runtime{}, session.sim).machine().update([](platform::sim::SimState& s) {
        s.screenCaptureAllowed = false;
    });
    const auto file = session.root / "r.json";
    ProgramProcess program(session, {"--selftest", "--json", file.string()});
    EXPECT_TRUE(exitedWith(program.waitForExit(60s), 1)) << program.output() << program.errors();
    EXPECT_EQ(
        readReport(file).failures,
        (std::vector<std::string>{"Screen capture permission is required for the process running the self-test."}));
}

// The full run measures the simulated screen, where the overlay draws without the layer
// colour mode: the exact-gain rows below white fail, and that is the honest verdict.
TEST(SelfTestProgramTest, AFullRunOnTheSimulatedMachineMeasuresEveryCheck) {
    SelfTestSession session;
    const auto file = session.root / "r.json";
    ProgramProcess program(session, {"--selftest", "--json", file.string()});
    const auto status = program.waitForExit(120s);
    EXPECT_TRUE(exitedWith(status, 1)) << program.output() << program.errors();
    const Report report = readReport(file);
    EXPECT_EQ(program.output(), SelfTest::render(report) + "\n");

    EXPECT_EQ(testing::measurementNames(report), testing::fullRunMeasurements);
    const auto* daylight = named(report, "6500K dim 100%");
    ASSERT_NE(daylight, nullptr);
    EXPECT_EQ(daylight->error, 0);
    EXPECT_TRUE(daylight->passed);
    const auto* halfDim = named(report, "6500K dim 50%");
    ASSERT_NE(halfDim, nullptr);
    EXPECT_NEAR(halfDim->measured.at(0), 0.216, 0.005);
    EXPECT_FALSE(halfDim->passed);

    EXPECT_EQ(report.chosenLayerColorMode, "linear");
    EXPECT_TRUE(report.menuBarTinted);
    EXPECT_TRUE(report.captureExcluded);
    ASSERT_TRUE(report.latencyMilliseconds);
    EXPECT_GE(*report.latencyMilliseconds, 50);
    EXPECT_EQ(report.failures, (std::vector<std::string>{"multipliers outside ±2 %"}));
    EXPECT_FALSE(report.passed);
    EXPECT_EQ(report.os, "macOS 26.1.0");
    EXPECT_EQ(program.output().rfind("Orvane self-test — FAIL\nmacOS 26.1.0 · Apple M5\n", 0), 0u);

    // The captures are gone, and so are the panels and the patch row.
    const auto captures = session.root / ("orvane-selftest-" + std::to_string(program.pid()));
    EXPECT_TRUE(std::filesystem::is_directory(captures));
    EXPECT_TRUE(std::filesystem::is_empty(captures));
    for (const auto& w : platform::sim::SimPlatform(platform::Runtime{}, session.sim).state().windows)
        EXPECT_FALSE(w.visible);
}

TEST(SelfTestProgramTest, AnOptionTheSelfTestDoesNotTakeIsRefusedBeforeAnythingRuns) {
    SelfTestSession session;
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--selftest", "--bogus"}, {"--selftest", "--dry-run", "--toggle"}}) {
        ProgramProcess program(session, arguments);
        EXPECT_TRUE(exitedWith(program.waitForExit(30s), 2)) << program.output() << program.errors();
        EXPECT_EQ(program.output(), "") << "no report";
        EXPECT_EQ(program.errors(), "orvane: unknown option " + arguments.back() +
                                        " for --selftest (it takes --dry-run and --json FILE)\n");
    }
}

// Two programs setting the same ramps and overlays would undo each other: the self-test
// names the instance that runs and leaves it alone, on the bus or by its lock.
TEST(SelfTestProgramTest, ARunningInstanceIsNamedAndTheSelfTestRefusesToRun) {
    SelfTestSession session;
    testing::SessionBus bus(session.root);
    ORVANE_REQUIRE_TOOL(bus.error());
    session.environment["DBUS_SESSION_BUS_ADDRESS"] = bus.address();
    ProgramProcess running(session, {});
    ASSERT_TRUE(running.waitUntilReady()) << running.errors();

    ProgramProcess refused(session, {"--selftest", "--dry-run"});
    EXPECT_TRUE(exitedWith(refused.waitForExit(30s), 1)) << refused.output() << refused.errors();
    EXPECT_EQ(refused.output(), "");
    EXPECT_EQ(refused.errors(), "Orvane: Orvane is already running (process " + std::to_string(running.pid()) +
                                    "); quit it before the self-test, which would fight it over the displays\n");
    EXPECT_TRUE(running.running());

    // Without a bus, whoever holds the lock is the instance.
    SelfTestSession alone;
    const int lock = ::open((alone.runtime / "orvane.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    ProgramProcess locked(alone, {"--selftest", "--dry-run"});
    EXPECT_TRUE(exitedWith(locked.waitForExit(30s), 1)) << locked.output() << locked.errors();
    EXPECT_NE(locked.errors().find("Orvane is already running (process " + std::to_string(::getpid()) + ")"),
              std::string::npos)
        << locked.errors();
    ::close(lock);
}

class SelfTestX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ORVANE_REQUIRE_TOOL(server.error());
        // Held for the whole test: a server whose last client leaves resets itself and
        // refuses connections for a moment, the compositor's or the tool's among them.
        const auto deadline = Steady::now() + 10s;
        while (!(hold = platform::linuxsys::holdX11Display(server.display())).opened() && Steady::now() < deadline)
            std::this_thread::sleep_for(20ms);
        ASSERT_TRUE(hold.opened()) << hold.failure();
        session.environment["ORVANE_PLATFORM"] = "linux";
        session.environment["DISPLAY"] = server.display();
    }

    Report runFull(ProgramProcess& program) {
        EXPECT_TRUE(exitedWith(program.waitForExit(180s), 1)) << program.output() << program.errors();
        return readReport(session.root / "r.json");
    }

    testing::XvfbServer server;
    platform::linuxsys::X11Hold hold;
    SelfTestSession session;
};

TEST_F(SelfTestX11Test, UnderACompositingManagerTheTintShowsOverThePatchesButLeaksIntoCaptures) {
    ORVANE_REQUIRE_TOOL(testing::findProgram("xcompmgr") ? "" : "no xcompmgr on PATH");
    Compositor compositor(server.display());
    ASSERT_TRUE(compositor.started());
    const auto deadline = Steady::now() + 10s;
    while (!platform::linuxsys::compositingManagerRunning(server.display()) && Steady::now() < deadline)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(platform::linuxsys::compositingManagerRunning(server.display()));

    ProgramProcess program(session, {"--selftest", "--json", (session.root / "r.json").string()});
    const Report report = runFull(program);
    // The panels lie above the later patch row, so the tint reached the captured patches.
    ASSERT_TRUE(report.latencyMilliseconds) << program.output();
    EXPECT_FALSE(report.captureExcluded) << "X11 keeps no window out of a capture";
    EXPECT_TRUE(has(report.failures, "overlay showed in a capture though hidden from screenshots")) << program.output();
    EXPECT_FALSE(report.passed);
    EXPECT_EQ(report.measurements.size(), 17u) << program.output();
}

TEST_F(SelfTestX11Test, WithoutACompositingManagerTheRunFailsWithItsReasons) {
    ProgramProcess program(session, {"--selftest", "--json", (session.root / "r.json").string()});
    const Report report = runFull(program);
    EXPECT_FALSE(report.passed);
    EXPECT_TRUE(has(report.failures, "latency: tint never showed up in 12 captures")) << program.output();
    EXPECT_TRUE(has(report.failures, "panel not tinted")) << program.output();
    // No overlay ever showed, so there was nothing to keep out of a capture.
    EXPECT_FALSE(report.captureExcluded);
    EXPECT_TRUE(has(report.failures, "capture exclusion not checked: no overlay was shown")) << program.output();
    EXPECT_EQ(program.output().find("PASS\n    overlay left out"), std::string::npos) << program.output();
    EXPECT_NE(program.output().find("overlay could not attach to "), std::string::npos) << program.output();
    // The opaque patch row is there all the same: the baseline shows its white patch.
    EXPECT_EQ(report.notes.front(), "baseline white patch encoded RGB = (1.000, 1.000, 1.000)") << program.output();
}

TEST_F(SelfTestX11Test, WithoutACompositingManagerADryRunFailsWithTheReason) {
    ProgramProcess program(session, {"--selftest", "--dry-run", "--json", (session.root / "r.json").string()});
    EXPECT_TRUE(exitedWith(program.waitForExit(60s), 1)) << program.output() << program.errors();
    const Report report = readReport(session.root / "r.json");
    EXPECT_FALSE(report.passed);
    ASSERT_FALSE(report.failures.empty()) << program.output();
    for (const auto& failure : report.failures) {
        EXPECT_EQ(failure.rfind("overlay could not attach to ", 0), 0u) << failure;
        EXPECT_NE(failure.find("no compositing manager is running"), std::string::npos) << failure;
    }
    EXPECT_EQ(program.output().rfind("Orvane self-test — FAIL\n", 0), 0u) << program.output();
}

}  // namespace
}  // namespace orvane::e2e
