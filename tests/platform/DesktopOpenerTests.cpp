// Opening an address goes to the desktop's OpenURI portal on the session bus: a stand-in
// portal on a private bus daemon records what it was asked.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../SessionBus.h"
#include "../SimFixture.h"
#include "platform/linux/DBusConnection.h"
#include "platform/linux/DesktopOpener.h"

namespace orvane {
namespace {

using platform::linuxsys::DBusConnection;
using platform::linuxsys::DBusError;
using platform::linuxsys::DBusSlot;

class FakePortal {
public:
    explicit FakePortal(const std::string& address) {
        DBusError error;
        bus_ = DBusConnection::connect(address, error);
        if (!bus_) return;
        object_ = bus_->addObject("/org/freedesktop/portal/desktop", [this](sd_bus_message* m) { return handle(m); });
        ready_ = object_ && !bus_->requestName("org.freedesktop.portal.Desktop");
        if (!ready_) return;
        thread_ = std::thread([this] {
            while (!stop_) {
                bus_->processPending();
                bus_->wait(20'000);
            }
        });
    }
    ~FakePortal() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    bool ready() const { return ready_; }
    std::vector<std::string> opened() {
        const std::lock_guard lock(mutex_);
        return opened_;
    }

private:
    int handle(sd_bus_message* m) {
        if (sd_bus_message_is_method_call(m, "org.freedesktop.portal.OpenURI", "OpenURI") <= 0) return 0;
        const char* parent = nullptr;
        const char* uri = nullptr;
        if (sd_bus_message_read(m, "ss", &parent, &uri) < 0) return -EINVAL;
        {
            const std::lock_guard lock(mutex_);
            opened_.emplace_back(uri);
        }
        return sd_bus_reply_method_return(m, "o", "/org/freedesktop/portal/desktop/request/1_1/t");
    }

    std::unique_ptr<DBusConnection> bus_;
    DBusSlot object_;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> opened_;
    std::thread thread_;
};

TEST(DesktopOpener, AnAddressGoesToTheOpenURIPortal) {
    testing::SessionBus bus(testing::freshDirectory("opener"));
    ORVANE_REQUIRE_TOOL(bus.error());
    FakePortal portal(bus.address());
    ASSERT_TRUE(portal.ready());
    ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
    EXPECT_TRUE(platform::linuxsys::openURLOnDesktop("https://example.org/changes"));
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_EQ(portal.opened(), std::vector<std::string>{"https://example.org/changes"});
}

}  // namespace
}  // namespace orvane
