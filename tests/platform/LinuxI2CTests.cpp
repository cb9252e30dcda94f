#include <algorithm>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

#include "SimFixture.h"
#include "XvfbServer.h"
#include "platform/FakeScheduler.h"
#include "platform/Platform.h"
#include "platform/Status.h"
#include "platform/linux/DrmConnectors.h"
#include "platform/linux/LinuxI2C.h"
#include "platform/linux/X11Edids.h"

// Last: Xlib's macros would clash with the names above.
#include <X11/Xlib.h>

using namespace orvane;
using namespace orvane::platform;
using namespace orvane::platform::linuxsys;
namespace fs = std::filesystem;

namespace {

// An EDID block told apart from the others by its serial number.
std::vector<std::uint8_t> edid(std::uint8_t serial) {
    std::vector<std::uint8_t> e(128, 0);
    const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(header), std::end(header), e.begin());
    e[8] = 0x1E;
    e[9] = 0x6D;
    e[12] = serial;
    return e;
}

// A DRM class directory and a device directory laid out as sysfs and devtmpfs show them.
class FakeSysfs {
public:
    FakeSysfs() : root_(orvane::testing::freshDirectory("sysfs")) {
        fs::create_directories(drm());
        fs::create_directories(dev());
        fs::create_directories(drm() / "card0");  // the card itself is no connector
        fs::create_directories(drm() / "renderD128");
    }
    fs::path drm() const { return root_ / "class" / "drm"; }
    fs::path dev() const { return root_ / "dev"; }

    enum class Bus { none, ddcLink, auxAdapter };
    void connector(const std::string& name, bool connected, const std::vector<std::uint8_t>& block,
                   Bus kind = Bus::none, int bus = 0) {
        const fs::path dir = drm() / name;
        fs::create_directories(dir);
        std::ofstream(dir / "status") << (connected ? "connected\n" : "disconnected\n");
        std::ofstream out(dir / "edid", std::ios::binary);
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
        if (kind == Bus::ddcLink)
            fs::create_directory_symlink("../../../devices/i2c-" + std::to_string(bus), dir / "ddc");
        if (kind == Bus::auxAdapter) fs::create_directories(dir / ("i2c-" + std::to_string(bus)) / "i2c-dev");
    }

private:
    fs::path root_;
};

// An answered search that found nothing (absent would mean the registry cannot be searched).
bool listsNothing(const std::optional<std::vector<RegistryEntry>>& entries) { return entries && entries->empty(); }

std::vector<std::uint64_t> ids(const std::vector<RegistryEntry>& entries) {
    std::vector<std::uint64_t> out;
    for (const auto& e : entries) out.push_back(e.id);
    return out;
}

}  // namespace

TEST(LinuxI2C, PairsEachConnectorsBusWithTheOutputOfTheSameEdid) {
    FakeSysfs sys;
    using Bus = FakeSysfs::Bus;
    sys.connector("card0-HDMI-A-1", true, edid(1), Bus::ddcLink, 4);
    sys.connector("card0-DP-1", true, edid(2), Bus::auxAdapter, 7);
    sys.connector("card0-DP-2", true, edid(3), Bus::auxAdapter, 8);  // two identical monitors
    sys.connector("card1-DP-3", true, edid(3), Bus::auxAdapter, 9);
    sys.connector("card0-DP-4", false, edid(4), Bus::auxAdapter, 10);  // unplugged, stale EDID
    sys.connector("card0-eDP-1", true, edid(5), Bus::ddcLink, 2);
    sys.connector("card0-DP-5", true, edid(6));                        // no bus
    sys.connector("card0-HDMI-A-2", true, edid(7), Bus::ddcLink, 11);  // no X output shows it
    sys.connector("card0-HDMI-A-3", true, {}, Bus::ddcLink, 12);       // no EDID
    sys.connector("card0-DP-6", true, edid(8), Bus::auxAdapter, 13);   // two outputs claim it
    const std::vector<OutputEdid> outputs{{101, edid(1)}, {102, edid(2)}, {103, edid(3)}, {104, edid(4)},
                                          {105, edid(5)}, {106, edid(6)}, {108, edid(8)}, {109, edid(8)}};

    LinuxI2C i2c([&] { return outputs; }, sys.drm(), sys.dev());
    const auto entries = i2c.matchingServices(LinuxI2C::serviceClass);
    ASSERT_TRUE(entries);
    ASSERT_EQ(ids(*entries), (std::vector<std::uint64_t>{7, 4, 2}));
    EXPECT_EQ((*entries)[0].displayId, 102u);
    EXPECT_EQ((*entries)[0].properties.at("Location"), Value("External"));
    EXPECT_EQ((*entries)[1].displayId, 101u);
    EXPECT_EQ((*entries)[1].properties.at("Location"), Value("External"));
    EXPECT_EQ((*entries)[2].displayId, 105u);
    EXPECT_EQ((*entries)[2].properties.at("Location"), Value("Embedded"));

    EXPECT_TRUE(listsNothing(i2c.matchingServices("IOMobileFramebufferAP")));
    EXPECT_TRUE(listsNothing(LinuxI2C([] { return std::vector<OutputEdid>{}; }, sys.drm(), sys.dev())
                                 .matchingServices(LinuxI2C::serviceClass)));
    EXPECT_TRUE(
        listsNothing(LinuxI2C(nullptr, sys.dev() / "none", sys.dev()).matchingServices(LinuxI2C::serviceClass)));
}

TEST(LinuxI2C, ReadsConnectorsAsTheKernelShowsThem) {
    FakeSysfs sys;
    sys.connector("card0-DP-1", true, edid(2), FakeSysfs::Bus::auxAdapter, 7);
    sys.connector("card0-DP-2", false, edid(3), FakeSysfs::Bus::auxAdapter, 8);
    const auto list = readDrmConnectors(sys.drm());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "card0-DP-1");
    EXPECT_EQ(list[0].connector, "DP-1");
    EXPECT_TRUE(list[0].connected);
    EXPECT_EQ(list[0].edid, edid(2));
    EXPECT_EQ(list[0].bus, 7);
    EXPECT_FALSE(list[1].connected);
    EXPECT_EQ(list[1].bus, std::nullopt);  // an unplugged connector is not looked into

    for (const char* bad : {"i2c-", "i2c-x", "i2c--1", "i2c-1a", "i2c-12345678", "spi-3"})
        EXPECT_EQ(parseI2CAdapterName(bad), std::nullopt) << bad;
    EXPECT_EQ(parseI2CAdapterName("i2c-0"), 0);
    EXPECT_EQ(parseI2CAdapterName("i2c-42"), 42);
}

TEST(LinuxI2C, OpensOnlyListedBusesAndSaysOnceWhyOneWillNotOpen) {
    FakeSysfs sys;
    using Bus = FakeSysfs::Bus;
    sys.connector("card0-HDMI-A-1", true, edid(1), Bus::ddcLink, 4);
    sys.connector("card0-DP-1", true, edid(2), Bus::auxAdapter, 7);
    sys.connector("card0-DP-2", true, edid(3), Bus::auxAdapter, 6);
    fs::create_directories(sys.dev() / "i2c-4");  // will not open: a directory
    std::ofstream(sys.dev() / "i2c-6") << "";     // opens, but is no adapter
    std::ofstream(sys.dev() / "i2c-8") << "";     // a bus no monitor was paired with
    // i2c-7 has no node at all.
    LinuxI2C i2c(
        [] {
            return std::vector<OutputEdid>{{1, edid(1)}, {2, edid(2)}, {3, edid(3)}};
        },
        sys.drm(), sys.dev());
    EXPECT_EQ(i2c.createChannel(6), nullptr);  // nothing listed yet
    ASSERT_EQ(i2c.matchingServices(LinuxI2C::serviceClass)->size(), 3u);

    orvane::testing::LogCapture logs;
    EXPECT_EQ(i2c.createChannel(4), nullptr);
    EXPECT_EQ(i2c.createChannel(4), nullptr);
    EXPECT_EQ(i2c.createChannel(7), nullptr);
    EXPECT_EQ(i2c.createChannel(8), nullptr);
    const auto lines = logs.messages("i2c");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "cannot open " + (sys.dev() / "i2c-4").string() + ": Is a directory; its monitor has no DDC/CI");
    EXPECT_EQ(lines[1], "cannot open " + (sys.dev() / "i2c-7").string() +
                            ": No such file or directory; its monitor has no DDC/CI");

    auto channel = i2c.createChannel(6);
    ASSERT_NE(channel, nullptr);
    std::uint8_t request[] = {0x51, 0x82, 0x01, 0x10, 0xAC};
    EXPECT_NE(channel->write(0x37, 0x51, request, 5), status::success);  // the kernel refuses: no adapter
    // Only DDC/CI's address is ever spoken to; the EDID memory at 0x50 is not.
    EXPECT_EQ(channel->write(0x50, 0x51, request, 5), status::illegalArgument);
    EXPECT_EQ(channel->read(0x50, 0x51, request, 5), status::illegalArgument);
    EXPECT_EQ(channel->read(0x37, 0x51, request, 0), status::illegalArgument);
}

TEST(LinuxI2C, UnderXvfbNothingIsListed) {
    orvane::testing::XvfbServer server;
    ORVANE_REQUIRE_TOOL(server.error());
    // Held throughout: a server whose last client leaves resets, and may refuse the
    // platform's connection while it does.
    const std::unique_ptr<Display, int (*)(Display*)> keeper(XOpenDisplay(server.display().c_str()), XCloseDisplay);
    ASSERT_TRUE(keeper);
    // The virtual output has no EDID, so even a connected connector pairs with nothing.
    EXPECT_TRUE(readOutputEdids(server.display()).empty());
    FakeSysfs sys;
    sys.connector("card0-HDMI-A-1", true, edid(1), FakeSysfs::Bus::ddcLink, 4);
    LinuxI2C i2c([&] { return readOutputEdids(server.display()); }, sys.drm(), sys.dev());
    EXPECT_TRUE(listsNothing(i2c.matchingServices(LinuxI2C::serviceClass)));

    const auto saved = environmentValue("ORVANE_PLATFORM");
    ::unsetenv("ORVANE_PLATFORM");
    ::setenv("DISPLAY", server.display().c_str(), 1);
    orvane::testing::LogCapture quiet;
    auto desktop = Platform::create(Runtime{SystemClock::shared(), std::make_shared<FakeScheduler>()});
    ::unsetenv("DISPLAY");
    if (saved) ::setenv("ORVANE_PLATFORM", saved->c_str(), 1);
    ASSERT_EQ(desktop->name(), "linux");
    EXPECT_TRUE(desktop->i2c().isAvailable());
    EXPECT_TRUE(listsNothing(desktop->i2c().matchingServices(LinuxI2C::serviceClass)));
}
