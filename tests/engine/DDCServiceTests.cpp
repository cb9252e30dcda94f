#include <thread>

#include <gtest/gtest.h>

#include "DDCFixture.h"
#include "platform/Status.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::DDCTest;

namespace {

using Reply = std::array<std::uint8_t, DDCService::replyLength>;

// A monitor's answer to Get VCP feature, checksum included.
Reply reply(std::uint8_t vcp, std::uint16_t current, std::uint16_t maximum, std::uint8_t result = 0) {
    Reply r{0x6E,
            0x88,
            0x02,
            result,
            vcp,
            0x00,
            static_cast<std::uint8_t>(maximum >> 8),
            static_cast<std::uint8_t>(maximum & 0xFF),
            static_cast<std::uint8_t>(current >> 8),
            static_cast<std::uint8_t>(current & 0xFF),
            0,
            0};
    std::uint8_t check = 0x50;
    for (std::size_t i = 0; i < 10; ++i) check ^= r[i];
    r[10] = check;
    return r;
}

// The simulated machine's monitors, listed under registry entries the test chooses.
class ScriptedRegistry final : public I2C {
public:
    ScriptedRegistry(std::shared_ptr<Platform> machine, std::vector<RegistryEntry> entries)
        : machine_(std::move(machine)), entries_(std::move(entries)) {}
    bool isAvailable() override { return true; }
    std::optional<std::vector<RegistryEntry>> matchingServices(const std::string& className) override {
        if (className != DDCService::serviceClass) return std::vector<RegistryEntry>{};
        return entries_;
    }
    std::shared_ptr<I2CChannel> createChannel(std::uint64_t entry) override {
        return machine_->i2c().createChannel(entry);
    }

private:
    std::shared_ptr<Platform> machine_;
    std::vector<RegistryEntry> entries_;
};

class ScriptedRegistryPlatform final : public Platform {
public:
    ScriptedRegistryPlatform(const std::shared_ptr<Platform>& machine, std::vector<RegistryEntry> entries)
        : Platform(Runtime{machine->clockShared(), machine->scheduler()}, machine->defaultsDirectory()) {
        i2c_ = std::make_shared<ScriptedRegistry>(machine, std::move(entries));
    }
    std::string_view name() const override { return "scripted"; }
};

}  // namespace

TEST(DDCPackets, FollowTheWireFormat) {
    using B = std::vector<std::uint8_t>;
    const auto bytes = [](const auto& a) { return B(a.begin(), a.end()); };
    EXPECT_EQ(bytes(DDCService::getRequest(0x10)), (B{0x51, 0x82, 0x01, 0x10, 0xAC}));
    EXPECT_EQ(bytes(DDCService::getRequest(0x16)), (B{0x51, 0x82, 0x01, 0x16, 0xAA}));
    EXPECT_EQ(bytes(DDCService::setCommand(0x10, 50)), (B{0x51, 0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}));
    EXPECT_EQ(bytes(DDCService::setCommand(0x16, 0x1234)), (B{0x51, 0x84, 0x03, 0x16, 0x12, 0x34, 0x88}));
}

TEST(DDCPackets, OnlyAWellFormedSuccessfulReplyAboutTheCodeAskedForCounts) {
    const Reply good = reply(0x16, 40, 100);
    EXPECT_EQ(DDCService::decodeReply(good, 0x16), (DDCService::Reading{40, 100}));
    EXPECT_EQ(DDCService::decodeReply(reply(0x10, 0x0123, 0x0456), 0x10), (DDCService::Reading{0x0123, 0x0456}));

    struct Case {
        const char* what;
        Reply bytes;
    };
    Reply otherOpcode = good, garbled = good, lostByte = good;
    otherOpcode[2] = 0x03;
    otherOpcode[10] ^= 0x02 ^ 0x03;  // checksum kept right, so only the opcode is wrong
    garbled[9] ^= 0x01;              // the value changed on the way, the checksum did not
    lostByte[10] = 0;
    const Case cases[] = {
        {"another code", reply(0x18, 40, 100)},
        {"another opcode", otherOpcode},
        {"unsupported (result code 1)", reply(0x16, 0, 0, 1)},
        {"a value garbled on the way", garbled},
        {"a missing checksum", lostByte},
        {"nothing read (zero-filled)", Reply{}},
    };
    for (const auto& c : cases) EXPECT_EQ(DDCService::decodeReply(c.bytes, 0x16), std::nullopt) << c.what;
}

TEST_F(DDCTest, ReadsAndWritesOneFeatureOverTheBus) {
    auto monitor = service();
    EXPECT_EQ(monitor->displayId(), 2u);
    EXPECT_EQ(monitor->read(DDCService::vcpBrightness), (DDCService::Reading{70, 100}));
    EXPECT_TRUE(monitor->write(DDCService::vcpBrightness, 50, false));
    EXPECT_EQ(value(2, 0x10), 50);

    const auto sent = packets();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes, (Bytes{0x51, 0x82, 0x01, 0x10, 0xAC}));
    EXPECT_EQ(sent[1].bytes, (Bytes{0x51, 0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}));
    for (const auto& p : sent) {
        EXPECT_EQ(p.chip, 0x37);
        EXPECT_EQ(p.address, 0x51);
    }
    const auto replies = calls("i2c.read");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].arguments.dictionary()->at("length"), Value(12));
}

TEST_F(DDCTest, AFeatureTheMonitorLacksOrAGarbledReplyReadsAsNothing) {
    auto monitor = service();
    // The monitor answers "unsupported" for the colour preset; that is not a value of 0.
    EXPECT_EQ(monitor->read(DDCService::vcpColorPreset), std::nullopt);
    sim->fail("i2c.checksum", 0, 1);
    EXPECT_EQ(monitor->read(DDCService::vcpRedGain), std::nullopt);
    EXPECT_EQ(monitor->read(DDCService::vcpRedGain), (DDCService::Reading{50, 100}));
    sim->fail("i2c.read", status::failure, 1);
    EXPECT_EQ(monitor->read(DDCService::vcpRedGain), std::nullopt);
    sim->fail("i2c.write", status::failure, 1);
    EXPECT_EQ(monitor->read(DDCService::vcpRedGain), std::nullopt);
    EXPECT_EQ(calls("i2c.read").size(), 4u);  // no reply is read after a failed request
}

TEST_F(DDCTest, BusWritesToOneMonitorAreSpacedAndOtherMonitorsDoNotWait) {
    const std::uint32_t second = addMonitor(40, 30, 30, 30);
    auto monitor = service();
    auto other = service(second);
    ASSERT_TRUE(monitor->read(DDCService::vcpBrightness));
    ASSERT_TRUE(monitor->read(DDCService::vcpRedGain));
    auto sent = packets();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_GE(sent[1].time - sent[0].time, 0.05 - 1e-9);
    // The reply wait counts towards the spacing: 0.04, then only 0.01 more.
    EXPECT_EQ(sleeps.size(), 3u);
    EXPECT_NEAR(sleeps[0], 0.04, 1e-9);
    EXPECT_NEAR(sleeps[1], 0.01, 1e-9);

    sleeps.clear();
    EXPECT_TRUE(monitor->write(DDCService::vcpRedGain, 20, false));
    EXPECT_TRUE(other->write(DDCService::vcpRedGain, 20, false));
    EXPECT_TRUE(monitor->write(DDCService::vcpRedGain, 21, false));
    sent = packets();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[3].display, second);
    EXPECT_DOUBLE_EQ(sent[3].time, sent[2].time);  // another monitor's bus: no wait
    EXPECT_GE(sent[4].time - sent[2].time, 0.05 - 1e-9);
}

TEST_F(DDCTest, TransactionsFromTwoThreadsOnOneMonitorDoNotInterleave) {
    // Real time and real sleeps here: the lock is what is under test.
    auto machine = std::make_shared<sim::SimPlatform>(Runtime{SystemClock::shared(), nullptr}, directory);
    auto monitor =
        std::make_shared<DDCService>(std::make_shared<DDCLibrary>(machine), machine->i2c().createChannel(2), 2);
    std::vector<std::optional<DDCService::Reading>> brightness(3), red(3);
    std::thread first([&] {
        for (auto& r : brightness) r = monitor->read(DDCService::vcpBrightness);
    });
    std::thread second([&] {
        for (auto& r : red) r = monitor->read(DDCService::vcpRedGain);
    });
    first.join();
    second.join();
    // Had a request slipped in between another's request and reply, a reply would name the
    // other code and the read would fail.
    for (const auto& r : brightness) EXPECT_EQ(r, (DDCService::Reading{70, 100}));
    for (const auto& r : red) EXPECT_EQ(r, (DDCService::Reading{50, 100}));
    std::vector<double> times;
    for (const auto& call : machine->journal().calls("i2c.write"))
        times.push_back(*call.arguments.dictionary()->at("time").number());
    ASSERT_EQ(times.size(), 6u);
    for (std::size_t i = 1; i < times.size(); ++i) EXPECT_GE(times[i] - times[i - 1], 0.05 - 1e-3);
}

TEST_F(DDCTest, AWallClockSetBackDoesNotStallTheBus) {
    auto monitor = service();
    ASSERT_TRUE(monitor->write(DDCService::vcpRedGain, 40, false));
    clock->setNow(clock->now() - 3600);
    ASSERT_TRUE(monitor->write(DDCService::vcpRedGain, 41, false));
    clock->setNow(clock->now() + 7200);
    ASSERT_TRUE(monitor->write(DDCService::vcpRedGain, 42, false));
    ASSERT_EQ(sleeps.size(), 2u);
    for (double s : sleeps) EXPECT_NEAR(s, 0.05, 1e-9);
    const auto sent = packets();
    EXPECT_GE(sent[2].time - sent[1].time, 0.05 - 1e-9);  // a jump forward does not skip the spacing
}

TEST_F(DDCTest, AVerifiedWriteHoldsOnlyWhenTheMonitorReadsTheValueBack) {
    auto monitor = service();
    EXPECT_TRUE(monitor->write(DDCService::vcpRedGain, 40, true));
    // The check waits 0.05 s after the write before it asks.
    const auto sent = packets();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].bytes, (Bytes{0x51, 0x82, 0x01, 0x16, 0xAA}));
    EXPECT_GE(sent[1].time - sent[0].time, 0.05 - 1e-9);

    // The monitor clamps 300 to its maximum: the write went through but did not hold.
    EXPECT_FALSE(monitor->write(DDCService::vcpGreenGain, 300, true));
    EXPECT_EQ(value(2, 0x18), 100);
    EXPECT_TRUE(monitor->write(DDCService::vcpGreenGain, 300, false));

    sim->fail("i2c.write", status::failure, 1);
    EXPECT_FALSE(monitor->write(DDCService::vcpBlueGain, 10, false));
    sim->fail("i2c.read", status::failure, 1);
    EXPECT_FALSE(monitor->write(DDCService::vcpBlueGain, 10, true));
    EXPECT_EQ(value(2, 0x1A), 10);
}

TEST_F(DDCTest, WithoutI2CNothingIsSentAndALibraryKeepsItsFirstAnswer) {
    sim->setPortMissing("i2c");
    auto lib = makeLibrary();
    EXPECT_FALSE(DDCService::isAvailable(*lib));
    EXPECT_TRUE(DDCService::externalServices(lib).empty());
    DDCService monitor(lib, sim->i2c().createChannel(2), 2);
    sim->journal().clear();
    EXPECT_FALSE(monitor.read(DDCService::vcpBrightness).has_value());
    EXPECT_FALSE(monitor.write(DDCService::vcpBrightness, 60, false));
    EXPECT_TRUE(packets().empty());
    // Asked once: the port coming back later does not revive this library.
    sim->setPortMissing("i2c", false);
    EXPECT_FALSE(DDCService::isAvailable(*lib));
    EXPECT_FALSE(monitor.read(DDCService::vcpBrightness).has_value());
    EXPECT_TRUE(DDCService::isAvailable(*makeLibrary()));
}

TEST_F(DDCTest, DiscoveryOffersTheExternalMonitorsThatAnswer) {
    // A built-in panel that would answer is still not offered, nor is a monitor without DDC/CI.
    sim->changeDisplay(1, [](sim::SimDisplay& d) { d.ddc = sim::DdcMonitor{{{0x10, {30, 100}}}}; });
    const std::uint32_t silent = addMonitor(40, 30, 30, 30);
    sim->changeDisplay(silent, [](sim::SimDisplay& d) { d.ddc.reset(); });
    const std::uint32_t third = addMonitor(40, 30, 30, 30);
    sim->changeDisplay(third, [](sim::SimDisplay& d) { d.uuid = "5E0F3A77-2C19-4B8D-8E6A-9D4C1B2A3F60"; });

    const auto services = DDCService::externalServices(library);
    ASSERT_EQ(services.size(), 2u);
    EXPECT_EQ(services[0]->displayId(), 2u);
    EXPECT_EQ(services[1]->displayId(), third);
    for (const auto& s : services) EXPECT_EQ(s->location(), "External");
    EXPECT_EQ(requests(1), 0u);  // the panel was never asked
}

TEST_F(DDCTest, DiscoveryTakesOnlyEntriesWhoseLocationIsExactlyExternal) {
    auto scripted = std::make_shared<ScriptedRegistryPlatform>(
        sim, std::vector<RegistryEntry>{{2, Dictionary{{"Location", "external"}}, 2u},
                                        {2, Dictionary{}, 2u},
                                        {2, Dictionary{{"Location", 1}}, 2u},
                                        {99, Dictionary{{"Location", "External"}}, 99u},  // no channel
                                        {2, Dictionary{{"Location", "External"}}, 7u}});
    auto lib = std::make_shared<DDCLibrary>(scripted, [this](TimeInterval s) { clock->advance(s); });
    const auto services = DDCService::externalServices(lib);
    ASSERT_EQ(services.size(), 1u);
    EXPECT_EQ(services[0]->displayId(), 7u);  // each service reports its entry's display
    EXPECT_EQ(requests(2), 1u);
}
