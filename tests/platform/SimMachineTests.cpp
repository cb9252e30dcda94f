#include <cmath>
#include <fstream>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SimFixture.h"
#include "platform/AtomicFile.h"
#include "platform/NightShiftClient.h"
#include "platform/Status.h"

using namespace orvane;
using namespace orvane::platform;
using namespace orvane::platform::sim;
namespace {

// These tests look at the state file itself and share the machine with child processes.
class SimTest : public orvane::testing::SimTest {
protected:
    SimTest() { sharing = SimSharing::processes; }
};

// Runs `body` in a child process on the same machine directory and waits for it.
template <class F>
void inChild(const std::filesystem::path& dir, F body) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int code = 0;
        try {
            SimPlatform other(Runtime{}, dir);
            body(other);
        } catch (...) {
            code = 3;
        }
        ::_exit(code);  // no destructors: what the child left stays as a crashed process leaves it
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
}

void expectColor(const Rgb& c, double r, double g, double b) {
    EXPECT_NEAR(c.r, r, 1e-6);
    EXPECT_NEAR(c.g, g, 1e-6);
    EXPECT_NEAR(c.b, b, 1e-6);
}

}  // namespace

TEST_F(SimTest, AFreshMachineHasTheBuiltInLayoutOnDisk) {
    const SimState s = sim->state();
    ASSERT_EQ(s.displays.size(), 2u);
    EXPECT_TRUE(s.displays[0].builtIn);
    EXPECT_TRUE(s.displays[0].backlight);
    EXPECT_FALSE(s.displays[0].ddc);
    EXPECT_FALSE(s.displays[1].builtIn);
    ASSERT_TRUE(s.displays[1].ddc);
    std::vector<int> codes;
    for (const auto& [code, f] : s.displays[1].ddc->features) codes.push_back(code);
    EXPECT_EQ(codes, (std::vector<int>{0x10, 0x12, 0x16, 0x18, 0x1A}));
    // The file is complete JSON that decodes to the same state.
    const auto text = readWholeFile(directory / "machine.json");
    ASSERT_TRUE(text);
    EXPECT_EQ(SimState::fromJson(json::parse(*text)), s);
}

TEST_F(SimTest, ADeeplyNestedStateFileIsKeptAsideLikeAnyUnreadableOne) {
    const auto dir = orvane::testing::freshDirectory("deep");
    std::string deep = R"({"version": 1, "displays": [)";
    deep.append(100000, '[');
    deep.append(100000, ']');
    deep += "]}";
    std::ofstream(dir / "machine.json") << deep;
    orvane::testing::LogCapture logs;
    SimPlatform p(Runtime{}, dir);
    EXPECT_EQ(p.state().displays.size(), 2u);
    EXPECT_EQ(readWholeFile(dir / "machine.json.unreadable"), deep);
}

TEST_F(SimTest, TemporaryFilesOfAKilledWriteAreRemovedAtStart) {
    const auto dir = orvane::testing::freshDirectory("killed");
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(writer, nullptr, 0), writer);
    const auto left = dir / (".machine.json.tmp-" + std::to_string(writer) + "-12");
    const auto busy = dir / (".machine.json.tmp-" + std::to_string(::getpid()) + "-999999");
    std::ofstream(left) << R"({"version": 1, "disp)";
    std::ofstream(busy) << "{";
    SimPlatform p(Runtime{}, dir);
    EXPECT_FALSE(std::filesystem::exists(left));
    EXPECT_TRUE(std::filesystem::exists(busy));
}

TEST_F(SimTest, ALayoutWrittenBeforehandIsTheMachine) {
    const auto dir = orvane::testing::freshDirectory("layout");
    SimState layout;
    SimDisplay only;
    only.id = 7;
    only.name = "Only";
    only.frame = {0, 0, 800, 600};
    layout.displays = {only};
    writeFileAtomically(dir / "machine.json", json::encodePretty(layout.toJson()));
    SimPlatform p(Runtime{}, dir);
    EXPECT_EQ(p.displays().onlineDisplays(32), std::vector<std::uint32_t>{7});
    // New displays take ids above the ones in the file.
    EXPECT_EQ(p.addDisplay(SimDisplay{}), 8u);
}

TEST_F(SimTest, AnUnreadableStateFileIsKeptAsideAndReplaced) {
    const auto dir = orvane::testing::freshDirectory("broken");
    std::ofstream(dir / "machine.json") << R"({"version": 1, "displays": "no"})";
    orvane::testing::LogCapture logs;
    SimPlatform p(Runtime{}, dir);
    EXPECT_EQ(p.state().displays.size(), 2u);
    EXPECT_EQ(readWholeFile(dir / "machine.json.unreadable"), R"({"version": 1, "displays": "no"})");
    EXPECT_EQ(logs.messages("sim").size(), 1u);
}

TEST_F(SimTest, ProcessesShareOneMachine) {
    inChild(directory, [](SimPlatform& other) {
        ASSERT_TRUE(other.colorAdjustments().isAvailable());
        other.changeDisplay(2, [](SimDisplay& d) { d.matrix = Matrix3x3{1, 0, 0, 0, 0.5f, 0, 0, 0, 0.25f}; });
        SimDisplay added;
        added.name = "Added elsewhere";
        other.addDisplay(added);
    });
    const SimState s = sim->state();
    ASSERT_EQ(s.displays.size(), 3u);
    EXPECT_EQ(s.displays[2].name, "Added elsewhere");
    ASSERT_TRUE(s.displays[1].matrix);
    EXPECT_FLOAT_EQ((*s.displays[1].matrix)[4], 0.5f);
    // No temporary or half-written file is left behind.
    for (const auto& e : std::filesystem::directory_iterator(directory))
        EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
}

TEST_F(SimTest, TheStateFileIsRewrittenOnlyWhenTheStateChanges) {
    const auto before = fileStamp(sim->machine().stateFile());
    ASSERT_TRUE(before);
    sim->update([](SimState&) {});
    sim->update([](SimState& s) { s.idleSeconds = s.idleSeconds; });
    EXPECT_EQ(fileStamp(sim->machine().stateFile()), before) << "an unchanged state is not written";

    sim->update([](SimState& s) { s.idleSeconds = 42; });
    EXPECT_NE(fileStamp(sim->machine().stateFile()), before);
    // What another process reads is the new state.
    EXPECT_EQ(SimMachine(directory).read().idleSeconds, 42);

    // A file removed behind the machine's back is written again, even by an update that
    // changes nothing.
    std::filesystem::remove(sim->machine().stateFile());
    sim->update([](SimState&) {});
    EXPECT_TRUE(std::filesystem::exists(sim->machine().stateFile()));
}

TEST_F(SimTest, AMachineOfThisProcessAloneKeepsItsStateInMemory) {
    const auto dir = orvane::testing::freshDirectory("alone");
    SimState layout = SimState::defaultLayout();
    layout.idleSeconds = 5;
    writeFileAtomically(dir / "machine.json", json::encodePretty(layout.toJson()));
    SimPlatform alone(Runtime{}, dir, SimSharing::thisProcess);
    EXPECT_EQ(alone.state().idleSeconds, 5) << "the file is read at first use";
    const auto written = fileStamp(alone.machine().stateFile());

    alone.update([](SimState& s) { s.idleSeconds = 7; });
    ASSERT_EQ(alone.gammaTables().write(1, GammaRamp::identity(256).resampled(2)), status::success);
    EXPECT_EQ(fileStamp(alone.machine().stateFile()), written) << "no file write for a change";
    // Every machine of this process on the directory sees the change at once.
    EXPECT_EQ(SimMachine(dir, SimSharing::thisProcess).read().idleSeconds, 7);
    // A change that throws leaves the state as it was.
    EXPECT_THROW(alone.machine().update([](SimState& s) {
        s.idleSeconds = 9;
        throw std::runtime_error("no");
    }),
                 std::runtime_error);
    EXPECT_EQ(alone.state().idleSeconds, 7);

    // Once a user of the machine says other processes look, the file holds the state, and
    // keeps up with later changes.
    SimMachine shared(dir);
    EXPECT_EQ(shared.sharing(), SimSharing::processes);
    const auto text = readWholeFile(dir / "machine.json");
    ASSERT_TRUE(text);
    EXPECT_EQ(SimState::fromJson(json::parse(*text)).idleSeconds, 7);
    alone.update([](SimState& s) { s.idleSeconds = 8; });
    inChild(dir, [](SimPlatform& other) {
        if (other.state().idleSeconds != 8) throw std::runtime_error("stale");
    });
}

TEST_F(SimTest, ScreenshotsShowWindowsBlendedOverTheDesktopAndMenuBar) {
    auto panel = sim->overlayWindows().create(
        {0, 0, 1512, 982}, {sim->overlayWindows().maximumWindowLevel(), false, SharingType::readOnly});
    ASSERT_TRUE(panel);
    panel->setLayers({{std::nullopt, 1.0, 0.3, 0.0, 0.5}, {Rect{0, 0, 100, 100}, 0, 0, 0, 1.0}});
    // Built but not ordered front: nothing shows yet.
    expectColor(sim->screenColorAt({500, 500}), 0.5, 0.5, 0.5);
    panel->orderFront();
    expectColor(sim->screenColorAt({500, 500}), 0.75, 0.4, 0.25);
    expectColor(sim->screenColorAt({50, 50}), 0, 0, 0);  // the upper layer, a black square at the bottom left
    // The menu bar strip is the top 30 points, tinted by the overlay above it.
    expectColor(sim->screenColorAt({500, 975}), 0.965, 0.615, 0.465);
    expectColor(sim->screenColorAt({2000, 500}), 0.5, 0.5, 0.5);  // the other display
    expectColor(sim->screenColorAt({-5, 10}), 0, 0, 0);           // off every screen

    // A capture of the top strip, in top-left-origin points, at the display's scale.
    const auto image = sim->screenshots().capture(Rect{0, 0, 1512, 30});
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3024);
    EXPECT_EQ(image->height, 60);
    EXPECT_EQ(image->pixel(10, 10)[0], std::lround(0.965 * 255));
    EXPECT_EQ(image->pixel(10, 10)[2], std::lround(0.465 * 255));
}

TEST_F(SimTest, WindowsHiddenFromCapturesStillReachTheUser) {
    auto panel = sim->overlayWindows().create({0, 0, 1512, 982}, {0, false, SharingType::readOnly});
    panel->setLayers({{std::nullopt, 0, 0, 0, 0.5}});
    panel->orderFront();
    panel->setSharingType(SharingType::none);
    expectColor(sim->screenColorAt({500, 500}), 0.5, 0.5, 0.5);
    expectColor(sim->scanOutColorAt({500, 500}), 0.25, 0.25, 0.25);
}

TEST_F(SimTest, ScanOutAppliesTheMatrixThenTheGammaTable) {
    sim->changeDisplay(1, [](SimDisplay& d) {
        d.matrix = Matrix3x3{1, 0, 0, 0, 0.5f, 0, 0, 0, 0.25f};
        GammaRamp ramp = GammaRamp::identity(256);
        for (auto& v : ramp.red) v *= 0.8f;
        d.gamma = ramp;
    });
    // Screenshots are taken before the colour pipeline.
    expectColor(sim->screenColorAt({500, 500}), 0.5, 0.5, 0.5);
    const Rgb seen = sim->scanOutColorAt({500, 500});
    EXPECT_NEAR(seen.r, 0.4, 1e-6);
    EXPECT_NEAR(seen.g, 0.25, 1e-6);
    EXPECT_NEAR(seen.b, 0.125, 1e-6);
    const auto image = sim->scanOut(1, 0.25);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 378);
    EXPECT_EQ(image->pixel(100, 100)[1], std::lround(0.25 * 255));
}

TEST_F(SimTest, OverlaysOfAProcessThatIsGoneAreIgnored) {
    inChild(directory, [](SimPlatform& other) {
        auto panel = other.overlayWindows().create({0, 0, 1512, 982}, {100, false, SharingType::readOnly});
        panel->setLayers({{std::nullopt, 1, 0, 0, 1}});
        panel->orderFront();
        panel.release();  // the process dies with its window still recorded
    });
    ASSERT_EQ(sim->state().windows.size(), 1u);
    EXPECT_FALSE(SimMachine::ownerAlive(sim->state().windows[0]));
    expectColor(sim->screenColorAt({500, 500}), 0.5, 0.5, 0.5);
    expectColor(sim->scanOutColorAt({500, 500}), 0.5, 0.5, 0.5);
    // The next window made cleans the record up.
    auto mine = sim->overlayWindows().create({0, 0, 10, 10}, {});
    EXPECT_EQ(sim->state().windows.size(), 1u);
    EXPECT_EQ(sim->state().windows[0].pid, ::getpid());
}

TEST_F(SimTest, AWindowDroppedByADisplayResetComesBackOnItsNextChange) {
    auto panel = sim->overlayWindows().create({0, 0, 1512, 982}, {});
    panel->setLayers({{std::nullopt, 1, 0, 0, 1}});
    panel->orderFront();
    sim->resetDisplays();
    EXPECT_FALSE(panel->isVisible());
    expectColor(sim->screenColorAt({500, 500}), 0.5, 0.5, 0.5);
    panel->orderFront();
    EXPECT_TRUE(panel->isVisible());
    expectColor(sim->screenColorAt({500, 500}), 1, 0, 0);
    panel.reset();
    EXPECT_TRUE(sim->state().windows.empty());
}

TEST_F(SimTest, WithoutCompositingOnlyOpaqueOverlaysCanBeMade) {
    sim->update([](SimState& s) { s.compositing = false; });
    EXPECT_EQ(sim->overlayWindows().create({0, 0, 10, 10}, {}), nullptr);
    EXPECT_NE(sim->overlayWindows().create({0, 0, 10, 10}, {3, true, SharingType::readOnly}), nullptr);
}

TEST_F(SimTest, AScriptedOrderFrontFailureLeavesTheWindowHidden) {
    auto window = sim->overlayWindows().create({0, 0, 10, 10}, {});
    ASSERT_NE(window, nullptr);
    sim->fail("overlay.orderFront", status::failure, 1);
    window->orderFront();
    EXPECT_FALSE(window->isVisible());
    window->orderFront();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(SimTest, ScriptedFailuresLastTheirCount) {
    auto& gamma = sim->gammaTables();
    sim->fail("gamma.write", status::cannotComplete, 1);
    const GammaRamp ramp = GammaRamp::identity(256);
    EXPECT_EQ(gamma.write(1, ramp), status::cannotComplete);
    EXPECT_EQ(gamma.write(1, ramp), status::success);
    sim->fail("gamma.read", status::failure);
    GammaRamp out;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(gamma.read(1, 256, out), status::failure);
    EXPECT_EQ(out.size(), 0u);
    sim->clearFailure("gamma.read");
    EXPECT_EQ(gamma.read(1, 256, out), status::success);
    EXPECT_EQ(out, GammaRamp::identity(256));
}

TEST_F(SimTest, TheJournalKeepsTheLatestCallsOnly) {
    // A program on the simulated machine writes a matrix or a ramp for every fade frame;
    // what it asked long ago is of no use to anyone and must not pile up.
    auto& journal = sim->journal();
    journal.clear();
    const std::size_t extra = 500;
    for (std::size_t i = 0; i < SimJournal::capacity + extra; ++i)
        journal.add("call", Value(static_cast<std::int64_t>(i)));
    const auto calls = journal.calls();
    ASSERT_EQ(calls.size(), SimJournal::capacity);
    EXPECT_EQ(calls.front().arguments, Value(static_cast<std::int64_t>(extra)));
    EXPECT_EQ(calls.back().arguments, Value(static_cast<std::int64_t>(SimJournal::capacity + extra - 1)));
    EXPECT_EQ(journal.calls("call").size(), SimJournal::capacity);
}

TEST_F(SimTest, GammaTablesHoldWhatWasWrittenAtTheirCapacity) {
    auto& gamma = sim->gammaTables();
    EXPECT_EQ(gamma.capacity(1), 256u);
    GammaRamp half = GammaRamp::identity(1024);
    for (auto& v : half.blue) v *= 0.5f;
    ASSERT_EQ(gamma.write(1, half), status::success);
    GammaRamp out;
    ASSERT_EQ(gamma.read(1, 1024, out), status::success);
    EXPECT_EQ(out.size(), 256u);
    EXPECT_NEAR(out.blue.back(), 0.5f, 1e-6);
    EXPECT_NEAR(out.red.back(), 1.0f, 1e-6);
    gamma.restoreColorSyncSettings();
    EXPECT_FALSE(sim->state().displays[0].gamma);
    sim->changeDisplay(2, [](SimDisplay& d) { d.gammaCapacity = 0; });
    EXPECT_EQ(gamma.capacity(2), 0u);
    EXPECT_NE(gamma.read(2, 256, out), status::success);
    EXPECT_NE(gamma.write(99, half), status::success);
}

TEST_F(SimTest, DisplayChangesAreReportedOnTheMainThread) {
    int reports = 0;
    Handle observing = sim->displays().observeReconfiguration([&] { ++reports; });
    sim->changeDisplay(2, [](SimDisplay& d) { d.frame.x = -2560; });
    EXPECT_EQ(reports, 0);  // delivered later, not inside the change
    scheduler->runPending();
    EXPECT_EQ(reports, 1);
    // Colour changes are not a reconfiguration.
    sim->changeDisplay(2, [](SimDisplay& d) { d.matrix = Matrix3x3{}; });
    scheduler->runPending();
    EXPECT_EQ(reports, 1);
    // Another process unplugging a display is noticed through the state file.
    inChild(directory, [](SimPlatform& other) { other.removeDisplay(2); });
    scheduler->runPending();
    EXPECT_EQ(reports, 2);
    observing.cancel();
    sim->removeDisplay(1);
    scheduler->runPending();
    EXPECT_EQ(reports, 2);
}

namespace {

std::optional<std::pair<int, int>> ddcRead(I2CChannel& channel, std::uint8_t vcp, int* resultCode = nullptr) {
    const std::uint8_t request[] = {0x51, 0x82, 0x01, vcp, static_cast<std::uint8_t>(vcp ^ 0xBC)};
    if (channel.write(0x37, 0x51, request, 5) != 0) return std::nullopt;
    std::uint8_t reply[12] = {};
    if (channel.read(0x37, 0x51, reply, 12) != 0) return std::nullopt;
    if (reply[2] != 0x02 || reply[4] != vcp) return std::nullopt;
    if (resultCode) *resultCode = reply[3];
    return std::make_pair(reply[8] * 256 + reply[9], reply[6] * 256 + reply[7]);
}

bool ddcWrite(I2CChannel& channel, std::uint8_t vcp, std::uint16_t value) {
    const auto hi = static_cast<std::uint8_t>(value >> 8), lo = static_cast<std::uint8_t>(value & 0xFF);
    const std::uint8_t command[] = {0x51, 0x84, 0x03, vcp, hi, lo, static_cast<std::uint8_t>(vcp ^ hi ^ lo ^ 0xB8)};
    return channel.write(0x37, 0x51, command, 7) == 0;
}

}  // namespace

TEST_F(SimTest, TheExternalMonitorSpeaksDdcCi) {
    const auto services = sim->i2c().matchingServices("DCPAVServiceProxy");
    ASSERT_TRUE(services);
    ASSERT_EQ(services->size(), 2u);
    EXPECT_EQ((*services)[0].properties.at("Location"), Value("Embedded"));
    EXPECT_EQ((*services)[1].properties.at("Location"), Value("External"));
    auto monitor = sim->i2c().createChannel((*services)[1].id);
    ASSERT_TRUE(monitor);

    EXPECT_EQ(ddcRead(*monitor, 0x10), std::make_pair(70, 100));
    ASSERT_TRUE(ddcWrite(*monitor, 0x16, 40));
    EXPECT_EQ(ddcRead(*monitor, 0x16), std::make_pair(40, 100));
    ASSERT_TRUE(ddcWrite(*monitor, 0x18, 300));  // beyond the maximum: the monitor clamps
    EXPECT_EQ(ddcRead(*monitor, 0x18), std::make_pair(100, 100));
    int result = 0;
    EXPECT_EQ(ddcRead(*monitor, 0x14, &result), std::make_pair(0, 0));  // no colour preset
    EXPECT_EQ(result, 1);
    // A garbled request gets no reply.
    const std::uint8_t bad[] = {0x51, 0x82, 0x01, 0x10, 0x00};
    EXPECT_EQ(monitor->write(0x37, 0x51, bad, 5), 0);
    std::uint8_t reply[12];
    EXPECT_NE(monitor->read(0x37, 0x51, reply, 12), 0);
    // The built-in panel does not answer at all.
    auto panel = sim->i2c().createChannel((*services)[0].id);
    ASSERT_TRUE(panel);
    EXPECT_EQ(ddcRead(*panel, 0x10), std::nullopt);
    EXPECT_EQ(sim->state().displays[1].ddc->features.at(0x16).current, 40);
}

TEST_F(SimTest, DitheringIsAPropertyPerPipeline) {
    auto& dither = sim->dithering();
    const auto services = dither.services("IOMobileFramebufferAP");
    ASSERT_TRUE(services);
    ASSERT_EQ(services->size(), 2u);
    EXPECT_EQ(dither.property((*services)[0], "external"), Value(false));
    EXPECT_EQ(dither.property((*services)[1], "external"), Value(true));
    EXPECT_EQ(dither.setProperty((*services)[1], "enableDither", false), status::success);
    EXPECT_EQ(dither.property((*services)[1], "enableDither"), Value(false));
    sim->fail("dither.set", status::failure, 1);
    EXPECT_NE(dither.setProperty((*services)[0], "enableDither", false), status::success);
    EXPECT_EQ(dither.property((*services)[0], "enableDither"), Value(true));
}

TEST_F(SimTest, TheNightShiftClientAnswersForTheSelectorsItHas) {
    auto client = sim->makeNightShiftClient();
    ASSERT_TRUE(client);
    EXPECT_TRUE(client->respondsTo("getCCTRange:"));
    EXPECT_FALSE(client->respondsTo("frobnicate:"));
    client->setCCT(3400, true);
    client->setActive(true);
    EXPECT_EQ(sim->state().nightShift.cct, 3400);
    EXPECT_TRUE(client->blueLightStatus()->active);
    sim->update([](SimState& s) { s.nightShift.missingSelectors = {"getStrength:"}; });
    EXPECT_FALSE(client->respondsTo("getStrength:"));
    EXPECT_EQ(client->strength(), std::nullopt);
    sim->setPortMissing("nightShift");
    EXPECT_EQ(sim->makeNightShiftClient(), nullptr);
}

TEST_F(SimTest, TapsAndHotKeysReceiveWhatTestsPlay) {
    auto& keyboard = sim->keyboard();
    std::vector<std::int64_t> seen;
    auto tap = keyboard.createSystemDefinedTap([&](const SystemDefinedEvent& e) {
        seen.push_back(e.data1);
        return e.data1 != 0x20A00;  // swallow one key
    });
    ASSERT_TRUE(tap);
    EXPECT_TRUE(sim->injectSystemDefinedEvent({14, 8, 0x20A00}));  // not enabled yet
    tap->setEnabled(true);
    EXPECT_FALSE(sim->injectSystemDefinedEvent({14, 8, 0x20A00}));
    EXPECT_TRUE(sim->injectSystemDefinedEvent({14, 8, 0x30A00}));
    EXPECT_EQ(seen.size(), 2u);
    tap.reset();
    EXPECT_TRUE(sim->injectSystemDefinedEvent({14, 8, 0x20A00}));

    std::vector<std::pair<std::uint32_t, bool>> hits;
    ASSERT_EQ(keyboard.installHotKeyHandler(
                  [&](std::uint32_t, std::uint32_t id, bool released) { hits.emplace_back(id, released); }),
              0);
    const KeyChord resetChord{51, {.command = true, .option = true, .control = true}};
    std::uint64_t ref = 0;
    ASSERT_EQ(keyboard.registerHotKey(resetChord, 0x54534D52, 7, ref), 0);
    std::uint64_t duplicate = 0;
    EXPECT_NE(keyboard.registerHotKey(resetChord, 0x54534D52, 8, duplicate), 0);
    EXPECT_EQ(duplicate, 0u);
    EXPECT_TRUE(sim->pressHotKey(resetChord));
    EXPECT_TRUE(sim->pressHotKey(resetChord, true));
    EXPECT_FALSE(sim->pressHotKey({51, {.command = true}}));
    EXPECT_EQ(hits, (std::vector<std::pair<std::uint32_t, bool>>{{7, false}, {7, true}}));
    EXPECT_EQ(keyboard.unregisterHotKey(ref), 0);
    EXPECT_FALSE(sim->pressHotKey(resetChord));
}

TEST_F(SimTest, NotificationsAndWorkspaceEventsArriveOnTheMainThread) {
    std::vector<std::optional<Dictionary>> received;
    Handle observing =
        sim->notifications().observe("app.orvane.command", [&](const auto& info) { received.push_back(info); });
    sim->notifications().post("app.orvane.command", Dictionary{{"cmd", "set"}, {"kelvin", 2700}});
    sim->notifications().post("app.orvane.other", std::nullopt);
    EXPECT_TRUE(received.empty());
    scheduler->runPending();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0]->at("kelvin"), Value(2700));
    // A notification already on its way is dropped once the observer is gone.
    sim->notifications().post("app.orvane.command", std::nullopt);
    observing.cancel();
    scheduler->runPending();
    EXPECT_EQ(received.size(), 1u);

    int wakes = 0;
    Handle wake = sim->workspace().observe(WorkspaceEvent::didWake, [&] { ++wakes; });
    sim->postWorkspaceEvent(WorkspaceEvent::activeSpaceDidChange);
    sim->postWorkspaceEvent(WorkspaceEvent::didWake);
    scheduler->runPending();
    EXPECT_EQ(wakes, 1);
}

TEST_F(SimTest, TheScriptedWorkspaceReachesEveryProcessOnTheMachine) {
    const std::vector<WindowInfo> windows{{"SecurityAgent", 400, 0, Rect{10, 20, 300, 200}},
                                          {"", std::nullopt, 25, Rect{0, 0, 1512, 982}}};
    sim->update([&](SimState& s) {
        s.windowList = windows;
        s.screenLocked = true;
        s.powerAssertions = AssertionsByProcess{{77, {"PreventUserIdleDisplaySleep", "PreventSystemSleep"}}};
        s.lastInputAt = clock->now() - 12.5;
    });
    auto& workspace = sim->workspace();
    EXPECT_EQ(workspace.windowList(windowListOnScreenOnly), windows);
    EXPECT_EQ(workspace.screenLocked(), true);
    EXPECT_EQ(workspace.assertionsByProcess(),
              (AssertionsByProcess{{77, {"PreventUserIdleDisplaySleep", "PreventSystemSleep"}}}));
    EXPECT_DOUBLE_EQ(workspace.secondsSinceLastInput(), 12.5);
    clock->advance(2);
    EXPECT_DOUBLE_EQ(workspace.secondsSinceLastInput(), 14.5) << "the idle time runs on from the last input";

    // Another process reads the same; unreadable answers are absent there too.
    inChild(directory, [&](SimPlatform& other) {
        if (other.workspace().windowList(0) != windows || other.workspace().screenLocked() != true) ::_exit(4);
        other.update([](SimState& s) {
            s.screenLocked.reset();
            s.powerAssertions.reset();
        });
    });
    EXPECT_EQ(workspace.screenLocked(), std::nullopt);
    EXPECT_EQ(workspace.assertionsByProcess(), std::nullopt);

    sim->fail("windowList", 0, 1);
    EXPECT_EQ(workspace.windowList(0), std::nullopt);
    EXPECT_EQ(workspace.windowList(0), windows) << "the failure lasted one call";
}
