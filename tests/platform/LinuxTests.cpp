#include <cmath>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "SimFixture.h"
#include "XvfbServer.h"
#include "platform/FakeScheduler.h"
#include "platform/Status.h"
#include "platform/linux/Edid.h"
#include "platform/linux/LinuxBacklight.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/LinuxSystemInfo.h"
#include "platform/linux/X11ColorAdjustments.h"
#include "platform/linux/X11Displays.h"
#include "platform/linux/X11GammaTables.h"
#include "platform/linux/X11Session.h"

// Last: the X headers' macros (None, Status, ...) must not meet the code above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

using namespace orvane;
using namespace orvane::platform;
using namespace orvane::platform::linuxsys;

namespace {

std::vector<std::uint8_t> edidBlock(const std::string& name) {
    std::vector<std::uint8_t> e(128, 0);
    const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(header), std::end(header), e.begin());
    e[8] = 0x1E;  // "GSM"
    e[9] = 0x6D;
    e[10] = 0x09;  // product 0x5B09, little-endian
    e[11] = 0x5B;
    e[12] = 0x01;  // serial 0x01010101
    e[13] = 0x01;
    e[14] = 0x01;
    e[15] = 0x01;
    // Descriptor 2 is a monitor name.
    const std::size_t d = 72;
    e[d + 3] = 0xFC;
    for (std::size_t i = 0; i < 13; ++i)
        e[d + 5 + i] = i < name.size() ? static_cast<std::uint8_t>(name[i]) : (i == name.size() ? 0x0A : 0x20);
    return e;
}

}  // namespace

TEST(Edid, GivesVendorModelSerialAndName) {
    const auto id = parseEdid(edidBlock("LG HDR 4K"));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->vendor, 7789u);
    EXPECT_EQ(id->model, 23305u);
    EXPECT_EQ(id->serial, 16843009u);
    EXPECT_EQ(id->name, "LG HDR 4K");
    auto unnamed = edidBlock("");
    unnamed[72 + 3] = 0xFF;  // a serial-text descriptor instead
    EXPECT_EQ(parseEdid(unnamed)->name, std::nullopt);
    auto broken = edidBlock("X");
    broken[0] = 0x01;
    EXPECT_EQ(parseEdid(broken), std::nullopt);
    EXPECT_EQ(parseEdid(std::vector<std::uint8_t>(64, 0)), std::nullopt);
}

TEST(X11Encoding, ColourMatrixTravelsAsSignMagnitudeFixedPoint) {
    const Matrix3x3 m{1, 0, 0, -0.25f, 0.5f, 0, 0, 0, 2};
    const auto words = encodeCtm(m);
    ASSERT_EQ(words.size(), 18u);
    EXPECT_EQ(words[0], 0u);  // 1.0: low word 0, high word 1
    EXPECT_EQ(words[1], 1u);
    EXPECT_EQ(words[6], 0x40000000u);  // -0.25: magnitude 0.25 with the sign bit set
    EXPECT_EQ(words[7], 0x80000000u);
    EXPECT_EQ(decodeCtm(words), m);
}

TEST(X11Encoding, AnAllZeroRampReadsAsIdentity) {
    const std::vector<std::uint16_t> zero(256, 0);
    EXPECT_EQ(rampFromX(zero, zero, zero), GammaRamp::identity(256));
    std::vector<std::uint16_t> dark(256, 0);
    dark[255] = 65535;
    const GammaRamp kept = rampFromX(dark, zero, zero);  // one lit channel is a real ramp
    EXPECT_EQ(kept.red.back(), 1.0f);
    EXPECT_EQ(kept.green.back(), 0.0f);
    EXPECT_EQ(channelToX({0.0f, 0.5f, 1.0f, 1.5f, -1.0f}), (std::vector<std::uint16_t>{0, 32768, 65535, 65535, 0}));
}

TEST(X11Encoding, BuiltInPanelsAreTheEmbeddedConnectors) {
    for (const char* name : {"eDP-1", "eDP1", "LVDS-1", "DSI-1", "edp-2"})
        EXPECT_TRUE(isBuiltInConnector(name)) << name;
    for (const char* name : {"HDMI-1", "DP-1", "screen", "VGA-1", ""}) EXPECT_FALSE(isBuiltInConnector(name)) << name;
}

TEST(LinuxSystemInfo, ReadsProcessorModelAndVersionFromTheFileTree) {
    const auto root = orvane::testing::freshDirectory("root");
    std::filesystem::create_directories(root / "proc");
    std::filesystem::create_directories(root / "sys/class/dmi/id");
    std::filesystem::create_directories(root / "etc");
    std::ofstream(root / "proc/cpuinfo") << "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) "
                                            "Core(TM) i7-1165G7 @ 2.80GHz\n\nprocessor\t: 1\nmodel name\t: other\n";
    std::ofstream(root / "sys/class/dmi/id/product_name") << "ThinkPad X1 Carbon Gen 9\n";
    std::ofstream(root / "etc/os-release") << "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nVERSION_ID=\"12\"\n";
    LinuxSystemInfo info(root);
    EXPECT_EQ(info.sysctlString("machdep.cpu.brand_string"), "Intel(R) Core(TM) i7-1165G7 @ 2.80GHz");
    EXPECT_EQ(info.sysctlString("hw.model"), "ThinkPad X1 Carbon Gen 9");
    EXPECT_EQ(info.sysctlString("kern.unknown"), std::nullopt);
    EXPECT_EQ(info.osVersion(), (OSVersion{12, 0, 0}));
    EXPECT_EQ(LinuxSystemInfo(root / "missing").osVersion(), (OSVersion{0, 0, 0}));
    // Read once: the method choice asks on every repair, and the answers cannot change.
    std::filesystem::remove_all(root / "proc");
    std::filesystem::remove_all(root / "etc");
    EXPECT_EQ(info.sysctlString("machdep.cpu.brand_string"), "Intel(R) Core(TM) i7-1165G7 @ 2.80GHz");
    EXPECT_EQ(info.osVersion(), (OSVersion{12, 0, 0}));
}

TEST(LinuxSystemInfo, TheProgramsFileIsWhereProcSaysItIs) {
    const auto root = orvane::testing::freshDirectory("root");
    EXPECT_EQ(LinuxSystemInfo(root).executablePath(), std::nullopt);
    std::filesystem::create_directories(root / "proc/self");
    std::filesystem::create_symlink("/home/ada/.local/bin/orvane", root / "proc/self/exe");
    EXPECT_EQ(LinuxSystemInfo(root).executablePath(), "/home/ada/.local/bin/orvane");
}

TEST(LinuxSystemInfo, VersionAndProcessorLinesInTheirOtherForms) {
    EXPECT_EQ(versionFromOsRelease("VERSION_ID=22.04\n"), (OSVersion{22, 4, 0}));
    EXPECT_EQ(versionFromOsRelease("VERSION_ID='3.19.1'\n"), (OSVersion{3, 19, 1}));
    EXPECT_EQ(versionFromOsRelease("ID=arch\n"), (OSVersion{0, 0, 0}));
    EXPECT_EQ(cpuBrandFromCpuinfo("processor : 0\nHardware : Raspberry Pi 4\n"), "Raspberry Pi 4");
    EXPECT_EQ(cpuBrandFromCpuinfo("flags : fpu\n"), std::nullopt);
}

TEST(LinuxSystemInfo, OperatingSystemNameFromOsRelease) {
    const std::pair<const char*, const char*> cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"PRETTY_NAME='Alpine Linux v3.19'\n", "Alpine Linux v3.19"},
        {"PRETTY_NAME=\"Say \\\"hi\\\"\"\n", "Say \"hi\""},
        {"NAME=Arch\nVERSION=rolling\n", "Arch rolling"},
        {"PRETTY_NAME=\"\"\nNAME=Gentoo\n", "Gentoo"},
        {"ID=x\n", "Linux"},
    };
    for (const auto& [text, name] : cases) EXPECT_EQ(prettyNameFromOsRelease(text), name) << text;
}

TEST(LinuxBacklight, LevelsAreFractionsOfTheDevicesMaximum) {
    const auto root = orvane::testing::freshDirectory("backlight");
    for (const auto& [dev, type, max, now] :
         {std::tuple{"acpi_video0", "firmware", 100, 30}, std::tuple{"intel_backlight", "raw", 19393, 9696}}) {
        std::filesystem::create_directories(root / dev);
        std::ofstream(root / dev / "type") << type << "\n";
        std::ofstream(root / dev / "max_brightness") << max << "\n";
        std::ofstream(root / dev / "brightness") << now << "\n";
    }
    LinuxBacklight backlight([](std::uint32_t id) { return id == 1; }, root);
    EXPECT_EQ(backlight.device(), root / "acpi_video0");  // firmware before raw
    float level = -1;
    ASSERT_EQ(backlight.brightness(1, level), status::success);
    EXPECT_FLOAT_EQ(level, 0.3f);
    EXPECT_NE(backlight.brightness(2, level), status::success);  // not the panel
    ASSERT_EQ(backlight.setBrightness(1, 0.55f), status::success);
    std::string written;
    std::ifstream(root / "acpi_video0/brightness") >> written;
    EXPECT_EQ(written, "55");
    EXPECT_TRUE(backlight.canChangeBrightness(1));
    EXPECT_FALSE(LinuxBacklight([](std::uint32_t) { return true; }, root / "none").device());
}

TEST(LinuxBacklight, AFileThatCannotBeWrittenIsSetThroughTheFallback) {
    const auto root = orvane::testing::freshDirectory("backlight");
    std::filesystem::create_directories(root / "intel_backlight" / "brightness");  // opens for nobody
    std::ofstream(root / "intel_backlight" / "max_brightness") << 19393 << "\n";
    std::vector<std::pair<std::string, std::uint32_t>> asked;
    bool accept = true;
    LinuxBacklight backlight([](std::uint32_t) { return true; }, root,
                             [&](const std::string& device, std::uint32_t v) {
                                 asked.emplace_back(device, v);
                                 return accept;
                             });
    EXPECT_EQ(backlight.setBrightness(1, 0.5f), status::success);
    accept = false;
    EXPECT_NE(backlight.setBrightness(1, 1.0f), status::success);
    EXPECT_EQ(asked, (std::vector<std::pair<std::string, std::uint32_t>>{{"intel_backlight", 9697},
                                                                         {"intel_backlight", 19393}}));
    EXPECT_NE(LinuxBacklight([](std::uint32_t) { return true; }, root).setBrightness(1, 0.5f), status::success);
}

TEST(LinuxX11, ListsTheServersOutputAndRoundTripsAGammaRamp) {
    orvane::testing::XvfbServer server;
    ORVANE_REQUIRE_TOOL(server.error());
    auto scheduler = std::make_shared<FakeScheduler>();
    auto x11 = openX11(scheduler, server.display());
    ASSERT_TRUE(x11) << "cannot open " << server.display();

    auto& displays = *x11->displays;
    const auto screens = displays.screens();
    ASSERT_EQ(screens.size(), 1u);
    ASSERT_TRUE(screens[0].displayNumber);
    const std::uint32_t id = *screens[0].displayNumber;
    EXPECT_EQ(screens[0].frame, (Rect{0, 0, 1280, 800}));
    EXPECT_EQ(screens[0].localizedName, "screen");
    EXPECT_EQ(displays.onlineDisplays(32), std::vector<std::uint32_t>{id});
    EXPECT_EQ(displays.mainDisplay(), id);
    EXPECT_FALSE(displays.isBuiltin(id));
    EXPECT_EQ(displays.vendorNumber(id), 0u);  // no EDID on a virtual output
    EXPECT_EQ(displays.uuid(id), std::nullopt);

    auto& gamma = *x11->gamma;
    const std::uint32_t size = gamma.capacity(id);
    ASSERT_GT(size, 1u);
    GammaRamp read;
    ASSERT_EQ(gamma.read(id, size, read), status::success);
    EXPECT_EQ(read, GammaRamp::identity(size));  // what a bare server reports is taken as identity

    GammaRamp warm = GammaRamp::identity(size);
    for (auto& v : warm.green) v *= 0.7f;
    for (auto& v : warm.blue) v *= 0.4f;
    ASSERT_EQ(gamma.write(id, warm), status::success);
    ASSERT_EQ(gamma.read(id, size, read), status::success);
    ASSERT_EQ(read.size(), size);
    for (std::size_t i = 0; i < size; ++i) {
        EXPECT_NEAR(read.red[i], warm.red[i], 1.0 / 65535);
        EXPECT_NEAR(read.green[i], warm.green[i], 1.0 / 65535);
        EXPECT_NEAR(read.blue[i], warm.blue[i], 1.0 / 65535);
    }
    // A smaller capacity asks for the same curve at fewer samples.
    ASSERT_EQ(gamma.read(id, 16, read), status::success);
    EXPECT_EQ(read.size(), 16u);
    EXPECT_NEAR(read.blue.back(), 0.4f, 1e-4);
    gamma.restoreColorSyncSettings();
    ASSERT_EQ(gamma.read(id, size, read), status::success);
    EXPECT_NEAR(read.blue.back(), 1.0f, 1e-4);
    EXPECT_EQ(gamma.write(id + 1000, warm), status::illegalArgument);

    // A virtual output has no colour matrix: the adjustment is not there.
    EXPECT_FALSE(x11->colorAdjustments->isAvailable());
    EXPECT_NE(x11->colorAdjustments->set(ColorAdjustment::tint(id, Matrix3x3{1, 0, 0, 0, 1, 0, 0, 0, 1})),
              status::success);

    const auto shot = x11->screenshots->capture(std::nullopt);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 1280);
    EXPECT_EQ(shot->height, 800);
    const auto part = x11->screenshots->capture(Rect{1200, 780, 200, 40});  // partly off the screen
    ASSERT_TRUE(part);
    EXPECT_EQ(part->width, 200);
}

// The repair check's read waits for no reply: the answer comes once the main loop has read
// the connection, and it is what the server holds, another client's ramp included.
TEST(LinuxX11, AGammaReadLaterIsAnsweredFromTheMainLoopWithWhatTheServerHolds) {
    orvane::testing::XvfbServer server;
    ORVANE_REQUIRE_TOOL(server.error());
    auto scheduler = std::make_shared<FakeScheduler>();
    auto x11 = openX11(scheduler, server.display());
    auto other = openX11(nullptr, server.display());  // another program on the same server
    ASSERT_TRUE(x11 && other);
    const std::uint32_t id = x11->displays->onlineDisplays(32).at(0);
    const std::uint32_t size = x11->gamma->capacity(id);
    GammaRamp dimmed = GammaRamp::identity(size);
    for (auto& v : dimmed.blue) v *= 0.5f;
    ASSERT_EQ(other->gamma->write(id, dimmed), status::success);

    std::vector<std::pair<std::int32_t, GammaRamp>> answers;
    const auto ask = [&](std::uint32_t capacity) {
        x11->gamma->readLater(id, capacity, [&](std::int32_t s, GammaRamp r) { answers.emplace_back(s, r); });
    };
    ask(size);
    ask(16);
    EXPECT_TRUE(answers.empty()) << "answered within the call: it waited for the server";
    for (int i = 0; i < 400 && answers.size() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        scheduler->runPending();
    }
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].first, status::success);
    ASSERT_EQ(answers[0].second.size(), size);
    EXPECT_NEAR(answers[0].second.blue.back(), 0.5f, 1e-4);
    EXPECT_NEAR(answers[0].second.green.back(), 1.0f, 1e-4);
    EXPECT_EQ(answers[1].second.size(), 16u) << "a smaller capacity, as read() gives it";

    // A display that is not there is refused, as by read().
    std::optional<std::int32_t> refused;
    x11->gamma->readLater(id + 1000, size, [&](std::int32_t s, GammaRamp) { refused = s; });
    scheduler->runPending();
    EXPECT_EQ(refused, status::illegalArgument);
}

TEST(LinuxX11, WhatTheSessionKeepsFollowsTheServersChanges) {
    orvane::testing::XvfbServer server;
    ORVANE_REQUIRE_TOOL(server.error());
    auto scheduler = std::make_shared<FakeScheduler>();
    auto x11 = openX11(scheduler, server.display());
    ASSERT_TRUE(x11);
    int changes = 0;
    const auto observation = x11->displays->observeReconfiguration([&] { ++changes; });
    // Turns of the main loop, which reads what arrives on the connection, until `done`.
    const auto until = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 200 && !done(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            scheduler->runPending();
        }
        return done();
    };
    const std::uint32_t id = x11->displays->onlineDisplays(32).at(0);
    ASSERT_FALSE(x11->colorAdjustments->isAvailable());
    ASSERT_FALSE(x11->colorAdjustments->isAvailable());  // asked again: the answer is kept

    // A driver that comes with a colour matrix: another client gives the output the property.
    Display* other = XOpenDisplay(server.display().c_str());
    ASSERT_NE(other, nullptr);
    const auto words = encodeCtm(Matrix3x3{1, 0, 0, 0, 1, 0, 0, 0, 1});
    std::vector<long> data(words.begin(), words.end());
    XRRChangeOutputProperty(other, static_cast<RROutput>(id), XInternAtom(other, "CTM", False), XA_INTEGER, 32,
                            PropModeReplace, reinterpret_cast<unsigned char*>(data.data()),
                            static_cast<int>(data.size()));
    XSync(other, False);
    EXPECT_TRUE(until([&] { return x11->colorAdjustments->isAvailable(); }))
        << "a property that appeared is still taken as missing";
    const Matrix3x3 warm{1, 0, 0, 0, 0.8f, 0, 0, 0, 0.5f};
    EXPECT_EQ(x11->colorAdjustments->set(ColorAdjustment::tint(id, warm)), status::success);
    EXPECT_EQ(x11->colorAdjustments->current(id), warm);
    // Clearing writes the identity, which reads back as no adjustment.
    EXPECT_EQ(x11->colorAdjustments->set(ColorAdjustment::clear(id)), status::success);
    EXPECT_EQ(x11->colorAdjustments->current(id), std::nullopt);
    EXPECT_EQ(changes, 0) << "a property is no change of the display list";

    // The screen changes: the kept list is dropped and the observers hear of it.
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(other, DefaultRootWindow(other));
    ASSERT_NE(res, nullptr);
    XRRCrtcInfo* crtc = XRRGetCrtcInfo(other, res, res->crtcs[0]);
    ASSERT_NE(crtc, nullptr);
    XRRSetCrtcConfig(other, res, res->crtcs[0], CurrentTime, 0, 0, None, RR_Rotate_0, nullptr, 0);  // switched off
    XSync(other, False);
    EXPECT_TRUE(until([&] { return x11->displays->onlineDisplays(32).empty(); }))
        << "an output switched off is still listed";
    EXPECT_GT(changes, 0);
    XRRSetCrtcConfig(other, res, res->crtcs[0], CurrentTime, crtc->x, crtc->y, crtc->mode, crtc->rotation,
                     crtc->outputs, crtc->noutput);
    XSync(other, False);
    EXPECT_TRUE(until([&] { return !x11->displays->onlineDisplays(32).empty(); }));
    XRRFreeCrtcInfo(crtc);
    XRRFreeScreenResources(res);
    XCloseDisplay(other);
}

TEST(LinuxX11, TheDesktopIsChosenWhenItsDisplayOpens) {
    orvane::testing::XvfbServer server;
    ORVANE_REQUIRE_TOOL(server.error());
    orvane::testing::LogCapture logs;
    const auto saved = environmentValue("ORVANE_PLATFORM");
    ::unsetenv("ORVANE_PLATFORM");
    ::setenv("DISPLAY", server.display().c_str(), 1);
    auto chosen = Platform::create(Runtime{SystemClock::shared(), std::make_shared<FakeScheduler>()});
    ::unsetenv("DISPLAY");
    auto fallback = Platform::create();
    if (saved) ::setenv("ORVANE_PLATFORM", saved->c_str(), 1);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->name(), "linux");
    EXPECT_EQ(chosen->displays().onlineDisplays(32).size(), 1u);
    EXPECT_FALSE(chosen->colorAdjustments().isAvailable());
    EXPECT_EQ(chosen->makeNightShiftClient(), nullptr);
    EXPECT_TRUE(chosen->takesToolkitOverlays()) << "the program supplies the desktop's overlay windows";
    EXPECT_EQ(fallback->name(), "sim");
    EXPECT_FALSE(fallback->takesToolkitOverlays()) << "the simulated machine draws its own";
    const auto lines = logs.messages("platform");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "platform: linux (X display " + server.display() + ")");
    EXPECT_EQ(lines[1].rfind("platform: sim (machine state in ", 0), 0u);
}

TEST(Platform, TheSimulatedMachineIsChosenOnRequest) {
    orvane::testing::LogCapture logs;
    ASSERT_STREQ(std::getenv("ORVANE_PLATFORM"), "sim");
    auto p = Platform::create();
    EXPECT_EQ(p->name(), "sim");
    EXPECT_EQ(logs.messages("platform"), std::vector<std::string>{"platform: sim (machine state in " +
                                                                  std::string(std::getenv("ORVANE_SIM_DIR")) + ")"});
    EXPECT_EQ(p->defaultsDirectory(), std::filesystem::path(std::getenv("ORVANE_SIM_DIR")) / "defaults");
}
