#include <gtest/gtest.h>

#include "DDCFixture.h"
#include "engine/DDCBackend.h"
#include "engine/DDCRecovery.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::DDCTest;
using orvane::testing::LogCapture;

namespace {

using Sets = std::vector<std::pair<int, int>>;

class DDCRecoveryTest : public DDCTest {
protected:
    std::string recordKey(std::uint32_t display) const { return "ddc.snapshot." + info(display).key; }
    std::vector<int> values(std::uint32_t display) const {
        return {value(display, 0x10), value(display, 0x16), value(display, 0x18), value(display, 0x1A)};
    }
    // A run that tints the monitor with its own back-end and ends without detaching.
    void tintAndCrash(std::uint32_t display) {
        DDCBackend b(info(display), service(display), defaults, sim);
        ASSERT_EQ(b.attach(info(display)), std::nullopt);
        b.apply(RenderRequest(Multiplier(0.6, 0.4, 0.2), false, false, OverlayPlan::none, std::nullopt), 0);
    }
    // What the next launch does, on fresh bindings.
    void relaunch() {
        sim->journal().clear();
        DDCRecovery::restoreLeftovers(*defaults, makeLibrary());
    }
};

}  // namespace

TEST_F(DDCRecoveryTest, EachMonitorGetsBackItsOwnValues) {
    setFeature(2, 0x10, 60);
    const std::uint32_t second = addMonitor(50, 90, 70, 30);
    tintAndCrash(2);
    tintAndCrash(second);
    ASSERT_NE(values(2), (std::vector<int>{60, 50, 50, 50}));
    ASSERT_NE(values(second), (std::vector<int>{50, 90, 70, 30}));

    relaunch();
    EXPECT_EQ(values(2), (std::vector<int>{60, 50, 50, 50}));
    EXPECT_EQ(values(second), (std::vector<int>{50, 90, 70, 30}));
    // Each monitor received its own record only.
    EXPECT_EQ(sets(2), (Sets{{0x16, 50}, {0x18, 50}, {0x1A, 50}, {0x10, 60}}));
    EXPECT_EQ(sets(second), (Sets{{0x16, 90}, {0x18, 70}, {0x1A, 30}, {0x10, 50}}));
    EXPECT_FALSE(defaults->object(recordKey(2)));
    EXPECT_FALSE(defaults->object(recordKey(second)));
}

TEST_F(DDCRecoveryTest, AnUnpluggedMonitorsRecordWaitsForItsNextAttach) {
    const std::uint32_t second = addMonitor(50, 90, 70, 30);
    const std::string secondKey = recordKey(second);
    tintAndCrash(2);
    tintAndCrash(second);
    const sim::SimDisplay unplugged = *sim->state().display(second);
    ASSERT_TRUE(sim->removeDisplay(second));

    relaunch();
    EXPECT_EQ(values(2), (std::vector<int>{70, 50, 50, 50}));
    EXPECT_FALSE(defaults->object(recordKey(2)));
    EXPECT_EQ(
        defaults->dictionary(secondKey),
        (Dictionary{
            {"16", std::int64_t{50}}, {"22", std::int64_t{90}}, {"24", std::int64_t{70}}, {"26", std::int64_t{30}}}));

    // Plugged in again, still tinted: attaching restores the record before it takes its snapshot.
    sim->addDisplay(unplugged);
    ASSERT_EQ(recordKey(second), secondKey);
    DDCBackend b(info(second), service(second), defaults, sim);
    ASSERT_EQ(b.attach(info(second)), std::nullopt);
    EXPECT_EQ(values(second), (std::vector<int>{50, 90, 70, 30}));
    EXPECT_EQ(b.snapshot(), (DDCRecord::Values{{0x10, 50}, {0x16, 90}, {0x18, 70}, {0x1A, 30}}));
}

TEST_F(DDCRecoveryTest, NothingIsAskedWithoutRecordsOrWithoutI2C) {
    relaunch();
    EXPECT_TRUE(packets().empty());

    tintAndCrash(2);
    sim->setPortMissing("i2c");
    relaunch();
    EXPECT_TRUE(packets().empty());
    EXPECT_TRUE(defaults->object(recordKey(2)));

    // No monitor answers: the record stays.
    sim->setPortMissing("i2c", false);
    sim->changeDisplay(2, [](sim::SimDisplay& d) { d.ddc.reset(); });
    relaunch();
    EXPECT_TRUE(sets().empty());
    EXPECT_TRUE(defaults->object(recordKey(2)));
}

TEST_F(DDCRecoveryTest, BadRecordsWriteNothingUnsafeAndLoseNoOtherEntry) {
    const std::uint32_t second = addMonitor(50, 90, 70, 30);
    defaults->set(recordKey(2), Dictionary{{"22", std::int64_t{70000}},
                                           {"4", std::int64_t{1}},
                                           {"x", std::int64_t{5}},
                                           {"214", std::int64_t{4}},  // 0xD6: power mode
                                           {"24", std::int64_t{45}},
                                           {"16", std::int64_t{65}}});
    defaults->set(recordKey(second), Value("not a dictionary"));
    defaults->set("settings.json", Value("kept"));
    LogCapture logs;
    relaunch();
    EXPECT_EQ(sets(2), (Sets{{0x18, 45}, {0x10, 65}}));
    EXPECT_TRUE(sets(second).empty());
    for (const auto& p : packets()) EXPECT_NE(p.bytes.size() == 7 ? p.bytes[3] : 0x10, 0x04);
    EXPECT_FALSE(defaults->object(recordKey(2)));
    EXPECT_EQ(defaults->object(recordKey(second)), Value("not a dictionary"));
    EXPECT_EQ(defaults->object("settings.json"), Value("kept"));
    const auto lines = logs.messages("ddc");
    EXPECT_NE(std::find(lines.begin(), lines.end(), recordKey(2) + ": skipped entries \"214\", \"22\", \"4\", \"x\""),
              lines.end());
}
