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

#include "../SessionBus.h"
#include "platform/linux/DBusConnection.h"
#include "platform/linux/GeoClueLocationProvider.h"

namespace orvane {
namespace {

using platform::LocationCoordinate;
using platform::linuxsys::DBusConnection;
using platform::linuxsys::DBusError;
using platform::linuxsys::DBusSlot;
using platform::linuxsys::GeoClueLocationProvider;

constexpr const char* clientPath = "/org/freedesktop/GeoClue2/Client/1";
constexpr const char* locationPath = "/org/freedesktop/GeoClue2/Location/1";
constexpr const char* clientInterface = "org.freedesktop.GeoClue2.Client";

// Answers the manager, client and location objects as GeoClue does.
class FakeGeoClue {
public:
    enum class Behaviour { locate, refuse, stayQuiet };

    FakeGeoClue(const std::string& address, Behaviour behaviour) : behaviour_(behaviour) {
        DBusError error;
        bus_ = DBusConnection::connect(address, error);
        ready_ = bus_ != nullptr;
        for (const char* path : {"/org/freedesktop/GeoClue2/Manager", clientPath, locationPath}) {
            if (!ready_) break;
            objects_.push_back(bus_->addObject(path, [this](sd_bus_message* m) { return handle(m); }));
            ready_ = static_cast<bool>(objects_.back());
        }
        ready_ = ready_ && !bus_->requestName("org.freedesktop.GeoClue2");
        if (!ready_) return;
        thread_ = std::thread([this] {
            while (!stop_) {
                bus_->processPending();
                bus_->wait(50'000);
            }
        });
    }
    ~FakeGeoClue() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

    bool ready() const { return ready_; }
    std::string desktopId() const { return std::string(desktopId_.load() ? "orvane" : ""); }
    std::uint32_t accuracy() const { return accuracy_; }
    bool stopped() const { return stopped_; }

private:
    int handle(sd_bus_message* m) {
        const std::string path = sd_bus_message_get_path(m);
        if (sd_bus_message_is_method_call(m, "org.freedesktop.GeoClue2.Manager", "GetClient"))
            return sd_bus_reply_method_return(m, "o", clientPath);
        if (sd_bus_message_is_method_call(m, "org.freedesktop.DBus.Properties", "Set") && path == clientPath) {
            const char* interface = nullptr;
            const char* name = nullptr;
            sd_bus_message_read(m, "ss", &interface, &name);
            if (std::string(name) == "DesktopId") {
                const char* id = nullptr;
                sd_bus_message_read(m, "v", "s", &id);
                desktopId_ = id && std::string(id) == "orvane";
            } else if (std::string(name) == "RequestedAccuracyLevel") {
                std::uint32_t level = 0;
                sd_bus_message_read(m, "v", "u", &level);
                accuracy_ = level;
            }
            return sd_bus_reply_method_return(m, "");
        }
        if (sd_bus_message_is_method_call(m, clientInterface, "Start")) {
            if (behaviour_ == Behaviour::refuse)
                return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_ACCESS_DENIED, "The agent refused.");
            const int r = sd_bus_reply_method_return(m, "");
            if (behaviour_ == Behaviour::locate)
                bus_->emitSignal(clientPath, clientInterface, "LocationUpdated", "oo", "/", locationPath);
            return r;
        }
        if (sd_bus_message_is_method_call(m, clientInterface, "Stop")) {
            stopped_ = true;
            return sd_bus_reply_method_return(m, "");
        }
        if (sd_bus_message_is_method_call(m, "org.freedesktop.DBus.Properties", "Get") && path == locationPath) {
            const char* interface = nullptr;
            const char* name = nullptr;
            sd_bus_message_read(m, "ss", &interface, &name);
            return sd_bus_reply_method_return(m, "v", "d", std::string(name) == "Latitude" ? 52.52 : 13.405);
        }
        return 0;
    }

    Behaviour behaviour_;
    std::unique_ptr<DBusConnection> bus_;
    std::vector<DBusSlot> objects_;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> desktopId_{false};
    std::atomic<std::uint32_t> accuracy_{0};
    std::atomic<bool> stopped_{false};
    std::thread thread_;
};

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
