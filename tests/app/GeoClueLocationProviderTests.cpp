// The Linux location service over D-Bus, against a private bus daemon and a small
// stand-in for the GeoClue2 service speaking its protocol.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <thread>

#include <signal.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include "platform/linux/GeoClueLocationProvider.h"

namespace orvane {
namespace {

using platform::LocationCoordinate;
using platform::linuxsys::GeoClueLocationProvider;

constexpr const char* clientPath = "/org/freedesktop/GeoClue2/Client/1";
constexpr const char* locationPath = "/org/freedesktop/GeoClue2/Location/1";
constexpr const char* clientInterface = "org.freedesktop.GeoClue2.Client";

// A bus daemon of the test's own, standing in for the system bus.
class PrivateBus {
public:
    explicit PrivateBus(const std::filesystem::path& dir) {
        socket_ = dir / "bus";
        const auto config = dir / "bus.conf";
        std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                                 " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                 "<busconfig><type>session</type><listen>unix:path="
                              << socket_.string()
                              << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                                 "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                                 "</policy></busconfig>\n";
        pid_ = ::fork();
        if (pid_ == 0) {
            const std::string arg = "--config-file=" + config.string();
            ::execlp("dbus-daemon", "dbus-daemon", arg.c_str(), "--nofork", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 500 && !std::filesystem::exists(socket_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~PrivateBus() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool running() const { return pid_ > 0 && std::filesystem::exists(socket_); }
    std::string address() const { return "unix:path=" + socket_.string(); }

private:
    std::filesystem::path socket_;
    pid_t pid_ = -1;
};

// Answers the manager, client and location objects as GeoClue does.
class FakeGeoClue {
public:
    enum class Behaviour { locate, refuse, stayQuiet };

    FakeGeoClue(const std::string& address, Behaviour behaviour) : behaviour_(behaviour) {
        sd_bus_new(&bus_);
        sd_bus_set_address(bus_, address.c_str());
        sd_bus_set_bus_client(bus_, 1);
        ready_ = sd_bus_start(bus_) >= 0;
        for (const char* path : {"/org/freedesktop/GeoClue2/Manager", clientPath, locationPath})
            ready_ = ready_ && sd_bus_add_object(bus_, nullptr, path, &FakeGeoClue::handle, this) >= 0;
        ready_ = ready_ && sd_bus_request_name(bus_, "org.freedesktop.GeoClue2", 0) >= 0;
        thread_ = std::thread([this] {
            while (!stop_) {
                if (sd_bus_process(bus_, nullptr) == 0) sd_bus_wait(bus_, 50'000);
            }
        });
    }
    ~FakeGeoClue() {
        stop_ = true;
        thread_.join();
        sd_bus_flush_close_unref(bus_);
    }

    bool ready() const { return ready_; }
    std::string desktopId() const { return std::string(desktopId_.load() ? "orvane" : ""); }
    std::uint32_t accuracy() const { return accuracy_; }
    bool stopped() const { return stopped_; }

private:
    static int handle(sd_bus_message* m, void* userdata, sd_bus_error*) {
        auto& self = *static_cast<FakeGeoClue*>(userdata);
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
                self.desktopId_ = id && std::string(id) == "orvane";
            } else if (std::string(name) == "RequestedAccuracyLevel") {
                std::uint32_t level = 0;
                sd_bus_message_read(m, "v", "u", &level);
                self.accuracy_ = level;
            }
            return sd_bus_reply_method_return(m, "");
        }
        if (sd_bus_message_is_method_call(m, clientInterface, "Start")) {
            if (self.behaviour_ == Behaviour::refuse)
                return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_ACCESS_DENIED, "The agent refused.");
            const int r = sd_bus_reply_method_return(m, "");
            if (self.behaviour_ == Behaviour::locate)
                sd_bus_emit_signal(self.bus_, clientPath, clientInterface, "LocationUpdated", "oo", "/", locationPath);
            return r;
        }
        if (sd_bus_message_is_method_call(m, clientInterface, "Stop")) {
            self.stopped_ = true;
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
    sd_bus* bus_ = nullptr;
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
        if (answered.wait_for(std::chrono::seconds(30)) != std::future_status::ready) return {std::nullopt, "no answer"};
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
    PrivateBus bus(dir);
    ASSERT_TRUE(bus.running());
    const auto answer = ask(bus.address());
    EXPECT_FALSE(answer.fix);
    EXPECT_EQ(answer.error, GeoClueLocationProvider::notAvailable);
}

TEST_F(GeoClueLocationProviderTest, TheFirstLocationOfAStartedClientAnswers) {
    PrivateBus bus(dir);
    ASSERT_TRUE(bus.running());
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
    PrivateBus bus(dir);
    ASSERT_TRUE(bus.running());
    FakeGeoClue geoclue(bus.address(), FakeGeoClue::Behaviour::refuse);
    ASSERT_TRUE(geoclue.ready());
    EXPECT_EQ(ask(bus.address()).error, GeoClueLocationProvider::denied);
}

TEST_F(GeoClueLocationProviderTest, NoLocationInTimeFails) {
    PrivateBus bus(dir);
    ASSERT_TRUE(bus.running());
    FakeGeoClue geoclue(bus.address(), FakeGeoClue::Behaviour::stayQuiet);
    ASSERT_TRUE(geoclue.ready());
    EXPECT_EQ(ask(bus.address(), 0.5).error, GeoClueLocationProvider::timedOut);
    EXPECT_TRUE(geoclue.stopped());
}

}  // namespace
}  // namespace orvane
