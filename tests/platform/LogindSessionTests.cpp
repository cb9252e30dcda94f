// The session lock and the idle inhibitors as logind reports them, against a private bus
// daemon and a small stand-in for logind that answers from a thread of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "../SessionBus.h"
#include "../SimFixture.h"
#include "platform/linux/DBusConnection.h"
#include "platform/linux/LogindSession.h"

namespace orvane {
namespace {

using platform::AssertionsByProcess;
using platform::linuxsys::DBusConnection;
using platform::linuxsys::DBusError;
using platform::linuxsys::DBusSlot;
using platform::linuxsys::Inhibitor;
using platform::linuxsys::LogindSession;

class FakeLogind {
public:
    enum class Lock { unlocked, locked, notABoolean, refused };

    FakeLogind(const std::string& address, Lock lock, std::vector<Inhibitor> inhibitors, bool listFails = false)
        : lock_(lock), inhibitors_(std::move(inhibitors)), listFails_(listFails) {
        DBusError error;
        bus_ = DBusConnection::connect(address, error);
        if (!bus_) return;
        session_ =
            bus_->addObject("/org/freedesktop/login1/session/auto", [this](sd_bus_message* m) { return session(m); });
        manager_ = bus_->addObject("/org/freedesktop/login1", [this](sd_bus_message* m) { return manager(m); });
        ready_ = session_ && manager_ && !bus_->requestName("org.freedesktop.login1");
        if (!ready_) return;
        thread_ = std::thread([this] {
            while (!stop_) {
                bus_->processPending();
                bus_->wait(20'000);
            }
        });
    }
    ~FakeLogind() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    bool ready() const { return ready_; }

private:
    int session(sd_bus_message* m) {
        if (sd_bus_message_is_method_call(m, "org.freedesktop.DBus.Properties", "Get") <= 0) return 0;
        const char* interface = nullptr;
        const char* property = nullptr;
        if (sd_bus_message_read(m, "ss", &interface, &property) < 0 ||
            std::string(interface) != "org.freedesktop.login1.Session" || std::string(property) != "LockedHint")
            return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_UNKNOWN_PROPERTY, "Unknown property");
        switch (lock_) {
            case Lock::unlocked:
                return sd_bus_reply_method_return(m, "v", "b", 0);
            case Lock::locked:
                return sd_bus_reply_method_return(m, "v", "b", 1);
            case Lock::notABoolean:
                return sd_bus_reply_method_return(m, "v", "s", "yes");
            case Lock::refused:
                break;
        }
        return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_ACCESS_DENIED, "Access denied");
    }

    int manager(sd_bus_message* m) {
        if (sd_bus_message_is_method_call(m, "org.freedesktop.login1.Manager", "ListInhibitors") <= 0) return 0;
        if (listFails_) return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_FAILED, "Failed");
        sd_bus_message* reply = nullptr;
        int r = sd_bus_message_new_method_return(m, &reply);
        if (r >= 0) r = sd_bus_message_open_container(reply, SD_BUS_TYPE_ARRAY, "(ssssuu)");
        for (const auto& i : inhibitors_)
            if (r >= 0)
                r = sd_bus_message_append(reply, "(ssssuu)", i.what.c_str(), i.who.c_str(), i.why.c_str(),
                                          i.mode.c_str(), i.uid, i.pid);
        if (r >= 0) r = sd_bus_message_close_container(reply);
        if (r >= 0) r = sd_bus_send(nullptr, reply, nullptr);
        sd_bus_message_unref(reply);
        return r < 0 ? r : 1;
    }

    Lock lock_;
    std::vector<Inhibitor> inhibitors_;
    bool listFails_;
    std::unique_ptr<DBusConnection> bus_;
    DBusSlot session_, manager_;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class LogindSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = std::make_unique<testing::SessionBus>(testing::freshDirectory("logind"));
        ORVANE_REQUIRE_TOOL(bus->error());
    }
    std::unique_ptr<testing::SessionBus> bus;
};

TEST_F(LogindSessionTest, TheLockedHintIsTheLockAndAnythingElseIsUnreadable) {
    const struct {
        FakeLogind::Lock lock;
        std::optional<bool> expected;
    } cases[] = {
        {FakeLogind::Lock::unlocked, false},
        {FakeLogind::Lock::locked, true},
        {FakeLogind::Lock::notABoolean, std::nullopt},
        {FakeLogind::Lock::refused, std::nullopt},
    };
    for (const auto& c : cases) {
        FakeLogind logind(bus->address(), c.lock, {});
        ASSERT_TRUE(logind.ready());
        LogindSession session(bus->address());
        EXPECT_EQ(session.screenLocked(), c.expected) << static_cast<int>(c.lock);
    }
    LogindSession nobody(bus->address());
    EXPECT_EQ(nobody.screenLocked(), std::nullopt) << "no logind on the bus";
    EXPECT_EQ(nobody.assertionsByProcess(), std::nullopt);
    LogindSession noBus("unix:path=/nonexistent/bus");
    EXPECT_EQ(noBus.screenLocked(), std::nullopt);
}

TEST_F(LogindSessionTest, OnlyBlockingIdleInhibitorsKeepTheDisplayAwake) {
    const std::vector<Inhibitor> inhibitors{
        {"sleep:idle", "Videos", "Playing", "block", 1000, 4242},
        {"idle", "Presenter", "Slides", "delay", 1000, 77},          // delay mode only postpones
        {"handle-lid-switch", "Desktop", "Docked", "block", 0, 88},  // not about idleness
        {"idle-hint", "Odd", "Not the idle lock", "block", 0, 66},
        {"shutdown:idle", "Backup", "Running", "block", 0, 99},
        {"idle", "Videos", "Second player", "block", 1000, 4242},
    };
    FakeLogind logind(bus->address(), FakeLogind::Lock::unlocked, inhibitors);
    ASSERT_TRUE(logind.ready());
    LogindSession session(bus->address());
    const AssertionsByProcess expected{
        {4242, {"PreventUserIdleDisplaySleep", "PreventUserIdleDisplaySleep"}},
        {99, {"PreventUserIdleDisplaySleep"}},
    };
    EXPECT_EQ(session.assertionsByProcess(), expected);
    EXPECT_EQ(platform::linuxsys::assertionsFromInhibitors(inhibitors), expected);
}

TEST_F(LogindSessionTest, AFailedListIsUnreadable) {
    FakeLogind logind(bus->address(), FakeLogind::Lock::locked, {}, true);
    ASSERT_TRUE(logind.ready());
    LogindSession session(bus->address());
    EXPECT_EQ(session.assertionsByProcess(), std::nullopt);
    EXPECT_EQ(session.screenLocked(), true) << "the connection stays usable";
}

}  // namespace
}  // namespace orvane
