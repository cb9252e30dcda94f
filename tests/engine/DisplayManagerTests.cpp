#include <gtest/gtest.h>

#include "SimFixture.h"
#include "engine/DisplayManager.h"

using namespace orvane;
using namespace orvane::platform::sim;
using orvane::testing::LogCapture;
using orvane::testing::SimTest;

namespace {

struct Report {
    std::vector<DisplayInfo> added, removed, changed;
};

std::vector<std::uint32_t> ids(const std::vector<DisplayInfo>& list) {
    std::vector<std::uint32_t> out;
    for (const auto& d : list) out.push_back(d.id);
    return out;
}

class DisplayManagerTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        manager = std::make_unique<DisplayManager>(sim);
        manager->onChange = [this](const auto& a, const auto& r, const auto& c) { reports.push_back({a, r, c}); };
    }
    std::unique_ptr<DisplayManager> manager;
    std::vector<Report> reports;
};

}  // namespace

TEST_F(SimTest, StableKeysPreferTheUuidThenVendorModelSerialThenTheId) {
    const struct {
        std::optional<std::string> uuid;
        std::uint32_t vendor, model, serial;
        std::string expected;  // "#" stands for the id
    } cases[] = {
        {"6A1C9E33-0B7F-4D52-A8E4-3C5D7E9F1A2B", 7789, 23305, 5, "uuid:6A1C9E33-0B7F-4D52-A8E4-3C5D7E9F1A2B"},
        {"6A1C9E33-0B7F-4D52-A8E4-3C5D7E9F1A2B", 0, 0, 0, "uuid:6A1C9E33-0B7F-4D52-A8E4-3C5D7E9F1A2B"},
        {std::nullopt, 0, 1234, 0, "vms:0-1234-0"},
        {std::nullopt, 4, 0, 0, "vms:4-0-0"},
        {std::nullopt, 4294967295u, 65535, 4294967295u, "vms:4294967295-65535-4294967295"},
        {std::nullopt, 0, 0, 77, "id:#"},
        {std::nullopt, 0, 0, 0, "id:#"},
    };
    for (const auto& c : cases) {
        SimDisplay d;
        d.uuid = c.uuid;
        d.vendor = c.vendor;
        d.model = c.model;
        d.serial = c.serial;
        const std::uint32_t id = sim->addDisplay(d);
        std::string expected = c.expected;
        if (const auto hash = expected.find('#'); hash != std::string::npos)
            expected.replace(hash, 1, std::to_string(id));
        EXPECT_EQ(DisplayInfo::stableKey(id, sim->displays()), expected);
    }
}

TEST_F(SimTest, DisplaysComeFromTheScreenListAndSkipScreensWithoutANumber) {
    sim->changeDisplay(2, [](SimDisplay& d) { d.hasDisplayNumber = false; });
    const auto list = DisplayManager::currentDisplays(*sim);
    ASSERT_EQ(list.size(), 1u);
    const DisplayInfo& d = list[0];
    EXPECT_EQ(d.id, 1u);
    EXPECT_EQ(d.key, "uuid:2B5E4F1C-7A3D-4C8E-9F60-1D2E3F4A5B6C");
    EXPECT_EQ(d.name, "Built-in Display");
    EXPECT_TRUE(d.isBuiltIn);
    EXPECT_EQ(d.frame, (platform::Rect{0, 0, 1512, 982}));
    EXPECT_EQ(d.scale, 2);
    EXPECT_FALSE(DisplayInfo::fromScreen(platform::Screen{std::nullopt, "No number", {0, 0, 1, 1}, 1}, *sim));
}

TEST_F(DisplayManagerTest, AMoveOrAScaleChangeIsAChangeNotAReplug) {
    sim->changeDisplay(2, [](SimDisplay& d) { d.frame = {-2560, 0, 2560, 1440}; });
    sim->changeDisplay(1, [](SimDisplay& d) { d.scale = 1; });
    manager->refresh();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].added.empty());
    EXPECT_TRUE(reports[0].removed.empty());
    EXPECT_EQ(ids(reports[0].changed), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(reports[0].changed[1].frame.x, -2560);
    EXPECT_EQ(manager->displays()[1].frame.x, -2560);
}

TEST_F(DisplayManagerTest, AReplugUnderANewIdIsOneRemovedAndOneAdded) {
    SimDisplay monitor = sim->state().displays[1];
    sim->removeDisplay(2);
    monitor.id = 0;
    const std::uint32_t newId = sim->addDisplay(monitor);
    ASSERT_NE(newId, 2u);
    LogCapture logs;
    manager->refresh();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(ids(reports[0].added), std::vector<std::uint32_t>{newId});
    EXPECT_EQ(ids(reports[0].removed), std::vector<std::uint32_t>{2});
    EXPECT_TRUE(reports[0].changed.empty());
    // The key follows the display, not its id.
    EXPECT_EQ(reports[0].added[0].key, reports[0].removed[0].key);
    EXPECT_EQ(logs.messages("displays"), std::vector<std::string>{"displays changed: +1 -1 ~0"});
}

TEST_F(DisplayManagerTest, ANewKeyForTheSameIdIsAChange) {
    sim->changeDisplay(2, [](SimDisplay& d) { d.uuid.reset(); });
    manager->refresh();
    ASSERT_EQ(reports.size(), 1u);
    ASSERT_EQ(ids(reports[0].changed), std::vector<std::uint32_t>{2});
    EXPECT_EQ(reports[0].changed[0].key, "vms:7789-23305-16843009");
}

TEST_F(DisplayManagerTest, ANameOrBuiltInChangeAloneIsNotReportedButKept) {
    sim->changeDisplay(2, [](SimDisplay& d) {
        d.name = "Renamed";
        d.builtIn = true;
    });
    LogCapture logs;
    manager->refresh();
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(logs.messages("displays").empty());
    EXPECT_EQ(manager->displays()[1].name, "Renamed");
    EXPECT_TRUE(manager->displays()[1].isBuiltIn);
}

TEST_F(DisplayManagerTest, ListsKeepTheirOrderInTheReport) {
    SimDisplay a, b;
    a.name = "A";
    b.name = "B";
    const auto idA = sim->addDisplay(a);
    const auto idB = sim->addDisplay(b);
    manager->refresh();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(ids(reports[0].added), (std::vector<std::uint32_t>{idA, idB}));
    sim->update([](SimState& s) { s.displays.erase(s.displays.begin(), s.displays.begin() + 2); });
    manager->refresh();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(ids(reports[1].removed), (std::vector<std::uint32_t>{1, 2}));
    manager->refresh();
    EXPECT_EQ(reports.size(), 2u);  // nothing new: nothing called
}

TEST_F(DisplayManagerTest, FollowsTheSystemsReconfigurationOnItsOwn) {
    sim->changeDisplay(2, [](SimDisplay& d) { d.frame.y = 200; });
    EXPECT_TRUE(reports.empty());
    scheduler->runPending();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(ids(reports[0].changed), std::vector<std::uint32_t>{2});
    // A report arriving after the manager is gone finds nothing to call.
    sim->changeDisplay(2, [](SimDisplay& d) { d.frame.y = 400; });
    manager.reset();
    scheduler->runPending();
    EXPECT_EQ(reports.size(), 1u);
}

TEST(DisplayInfo, EqualDisplaysHashAlike) {
    const DisplayInfo a(1, "id:1", "A", false, {0, 0, 100, 50}, 2);
    const DisplayInfo b(1, "id:1", "A", false, {100, 50, -100, -50}, 2);  // the same rectangle
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<DisplayInfo>{}(a), std::hash<DisplayInfo>{}(b));
    EXPECT_NE(a, DisplayInfo(1, "id:1", "A", false, {0, 0, 100, 50}, 1));
}

TEST_F(SimTest, SystemFactsAreCleanedUpSystemValues) {
    sim->update([](SimState& s) {
        s.sysctl["machdep.cpu.brand_string"] = std::string(" Apple M5 Pro\n\0garbage", 22);
        s.sysctl["hw.model"] =
            "Mac\xFF"
            "17,2";
        s.osVersion = {26, 0, 0};
    });
    EXPECT_EQ(SystemFacts(*sim).chipBrand(), "Apple M5 Pro");
    EXPECT_EQ(SystemFacts(*sim).modelIdentifier(),
              "Mac\xEF\xBF\xBD"
              "17,2");
    EXPECT_EQ(SystemFacts(*sim).osVersionString(), "26.0.0");
    EXPECT_EQ(SystemFacts(*sim).sysctlString("kern.nothing"), std::nullopt);
    sim->update([](SimState& s) { s.sysctl.erase("machdep.cpu.brand_string"); });
    EXPECT_EQ(SystemFacts(*sim).chipBrand(), std::nullopt);
    EXPECT_EQ(SystemFacts(*sim).chipDisplayName(), "Unknown chip");
}

TEST(SystemInfo, Utf8RepairReplacesEachBrokenSequenceOnce) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain", "plain"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"a\xC3", "a\xEF\xBF\xBD"},                                // cut short at the end
        {"\xE2\x82x", "\xEF\xBF\xBDx"},                            // a broken three-byte sequence is one unit
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // overlong lead and a stray continuation
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate is not UTF-8
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
    };
    for (const auto& c : cases) EXPECT_EQ(repairUtf8(c.in), c.out);
}

#include "XvfbServer.h"
#include "platform/linux/LinuxPlatform.h"

TEST(DisplayManagerOnX11, AnOutputWithoutIdentityIsKeyedByItsId) {
    orvane::testing::XvfbServer server;
    ORVANE_REQUIRE_TOOL(server.error());
    LogCapture logs;
    ::setenv("DISPLAY", server.display().c_str(), 1);
    auto linux = platform::linuxsys::makeLinuxPlatform(platform::Runtime{}, true);
    ::unsetenv("DISPLAY");
    ASSERT_EQ(linux->name(), "linux");
    DisplayManager manager(linux);
    ASSERT_EQ(manager.displays().size(), 1u);
    const DisplayInfo& d = manager.displays()[0];
    EXPECT_EQ(d.key, "id:" + std::to_string(d.id));
    EXPECT_EQ(d.name, "screen");
    EXPECT_FALSE(d.isBuiltIn);
    EXPECT_EQ(d.frame, (platform::Rect{0, 0, 1280, 800}));
    manager.refresh();  // the same server: nothing to report
    EXPECT_TRUE(logs.messages("displays").empty());
}
