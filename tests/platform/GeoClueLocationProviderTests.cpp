// The Linux location service over D-Bus, against a private bus daemon and a small
// stand-in for the GeoClue2 service speaking its protocol.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <thread>

#include <unistd.h>

#include "../FakeGeoClue.h"
#include "../SessionBus.h"
#include "platform/linux/DBusConnection.h"
#include "platform/linux/GeoClueLocationProvider.h"

namespace orvane {
namespace {

using platform::LocationCoordinate;
using platform::linuxsys::GeoClueLocationProvider;
using testing::FakeGeoClue;

struct Answer {
    std::optional<LocationCoordinate> fix;
    std::string error;
};

class GeoClueLocationProviderTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Socket paths are limited to 107 bytes, so not under the test's long directory name.
        std::string pattern = "/tmp/orvane-bus-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    static Answer ask(const std::string& systemBus, double timeout = 10) {
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", systemBus.c_str(), 1);
        GeoClueLocationProvider provider(timeout);
        std::promise<Answer> promise;
        auto answered = promise.get_future();
        platform::LocationProvider::Delegate delegate;
        delegate.didUpdateLocations = [&](const std::vector<LocationCoordinate>& fixes) {
            promise.set_value({fixes.back(), {}});
        };
        delegate.didFail = [&](const std::string& text) { promise.set_value({std::nullopt, text}); };
        provider.setDelegate(delegate);
        provider.requestLocation();
        provider.requestLocation();  // joins the request under way, answered once
        if (answered.wait_for(std::chrono::seconds(30)) != std::future_status::ready)
            return {std::nullopt, "no answer"};
        return answered.get();
    }

    std::filesystem::path dir;
};

TEST_F(GeoClueLocationProviderTest, WithoutASystemBusLocationServicesAreNotAvailable) {
    const auto answer = ask("unix:path=" + (dir / "nothing-listens-here").string());
    EXPECT_FALSE(answer.fix);
    EXPECT_EQ(answer.error, GeoClueLocationProvider::notAvailable);
}

TEST_F(GeoClueLocationProviderTest, WithoutGeoClueOnTheBusLocationServicesAreNotAvailable) {
    testing::SessionBus bus(dir);
    ORVANE_REQUIRE_TOOL(bus.error());
    const auto answer = ask(bus.address());
    EXPECT_FALSE(answer.fix);
    EXPECT_EQ(answer.error, GeoClueLocationProvider::notAvailable);
}

TEST_F(GeoClueLocationProviderTest, TheFirstLocationOfAStartedClientAnswers) {
    testing::SessionBus bus(dir);
    ORVANE_REQUIRE_TOOL(bus.error());
    FakeGeoClue geoclue(bus.address(), FakeGeoClue::Behaviour::locate);
    ASSERT_TRUE(geoclue.ready());
    const auto answer = ask(bus.address());
    ASSERT_TRUE(answer.fix) << answer.error;
    EXPECT_EQ(*answer.fix, (LocationCoordinate{52.52, 13.405}));
    EXPECT_EQ(geoclue.desktopId(), "orvane");
    EXPECT_EQ(geoclue.accuracy(), 5u);
    EXPECT_TRUE(geoclue.stopped()) << "the client is stopped after its one fix";
}

TEST_F(GeoClueLocationProviderTest, ARefusalByTheAgentIsADenial) {
    testing::SessionBus bus(dir);
    ORVANE_REQUIRE_TOOL(bus.error());
    FakeGeoClue geoclue(bus.address(), FakeGeoClue::Behaviour::refuse);
    ASSERT_TRUE(geoclue.ready());
    EXPECT_EQ(ask(bus.address()).error, GeoClueLocationProvider::denied);
}

TEST_F(GeoClueLocationProviderTest, NoLocationInTimeFails) {
    testing::SessionBus bus(dir);
    ORVANE_REQUIRE_TOOL(bus.error());
    FakeGeoClue geoclue(bus.address(), FakeGeoClue::Behaviour::stayQuiet);
    ASSERT_TRUE(geoclue.ready());
    EXPECT_EQ(ask(bus.address(), 0.5).error, GeoClueLocationProvider::timedOut);
    EXPECT_TRUE(geoclue.stopped());
}

}  // namespace
}  // namespace orvane
