// The session lock and the idle inhibitors as logind and the desktop report them, against
// a private bus daemon and small stand-ins that answer from a thread of their own.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../FakeLogind.h"
#include "../SessionBus.h"
#include "../SimFixture.h"
#include "platform/FakeScheduler.h"
#include "platform/linux/DBusConnection.h"
#include "platform/linux/DesktopIdleInhibitors.h"
#include "platform/linux/LogindSession.h"

namespace orvane {
namespace {

using platform::AssertionsByProcess;
using platform::linuxsys::DBusConnection;
using platform::linuxsys::DBusError;
using platform::linuxsys::DBusSlot;
using platform::linuxsys::Inhibitor;
using platform::linuxsys::LogindSession;
using testing::FakeLogind;

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

// Waking from sleep and this session becoming active again are heard; going to sleep, this
// session going inactive and another session's activity are not.
TEST_F(LogindSessionTest, WakeAndThisSessionsActivationAreHeard) {
    using Signal = FakeLogind::Signal;
    using platform::linuxsys::LogindEvent;
    FakeLogind logind(bus->address(), FakeLogind::Lock::unlocked, {});
    ASSERT_TRUE(logind.ready());
    LogindSession session(bus->address());
    platform::FakeScheduler scheduler;
    std::vector<LogindEvent> heard;
    platform::Handle watch = session.watch(scheduler, [&](LogindEvent e) { heard.push_back(e); });
    ASSERT_TRUE(watch.active());
    const auto pumpUntil = [&](std::size_t count) {
        for (int i = 0; i < 200 && heard.size() < count; ++i) {
            scheduler.runPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    // One sender's signals come in order: anything heard of the first three would come
    // before the activation.
    for (const Signal s :
         {Signal::sleeping, Signal::sessionInactive, Signal::otherSessionActive, Signal::sessionActive})
        logind.send(s);
    pumpUntil(1);
    ASSERT_EQ(heard, std::vector<LogindEvent>{LogindEvent::sessionActivated});
    logind.send(Signal::woke);
    pumpUntil(2);
    EXPECT_EQ(heard, (std::vector<LogindEvent>{LogindEvent::sessionActivated, LogindEvent::woke}));
    watch.cancel();
    logind.send(Signal::woke);
    for (int i = 0; i < 20; ++i) {
        scheduler.runPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(heard.size(), 2u) << "nothing is heard once the handle is gone";
}

// GNOME's session manager, a power manager's inhibit interface, or both, as a desktop
// runs them: each answers from its state, or with an error where it refuses.
class FakeDesktopInhibitors {
public:
    struct State {
        std::optional<std::uint32_t> gnomeInhibitedFlags;  // absent: no GNOME session manager
        std::optional<bool> powerManagerInhibits;          // absent: no power manager
        bool powerManagerRefuses = false;
    };
    FakeDesktopInhibitors(const std::string& address, State state) : state_(state) {
        DBusError error;
        bus_ = DBusConnection::connect(address, error);
        if (!bus_) return;
        ready_ = true;
        if (state_.gnomeInhibitedFlags) {
            gnome_ = bus_->addObject("/org/gnome/SessionManager", [this](sd_bus_message* m) {
                if (sd_bus_message_is_method_call(m, "org.gnome.SessionManager", "IsInhibited") <= 0) return 0;
                std::uint32_t flags = 0;
                if (sd_bus_message_read(m, "u", &flags) < 0) return -EINVAL;
                return sd_bus_reply_method_return(m, "b", (*state_.gnomeInhibitedFlags & flags) != 0 ? 1 : 0);
            });
            ready_ = ready_ && gnome_ && !bus_->requestName("org.gnome.SessionManager");
        }
        if (state_.powerManagerInhibits || state_.powerManagerRefuses) {
            power_ = bus_->addObject("/org/freedesktop/PowerManagement/Inhibit", [this](sd_bus_message* m) {
                if (sd_bus_message_is_method_call(m, "org.freedesktop.PowerManagement.Inhibit", "HasInhibit") <= 0)
                    return 0;
                if (state_.powerManagerRefuses)
                    return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_ACCESS_DENIED, "Access denied");
                return sd_bus_reply_method_return(m, "b", *state_.powerManagerInhibits ? 1 : 0);
            });
            ready_ = ready_ && power_ && !bus_->requestName("org.freedesktop.PowerManagement");
        }
        thread_ = std::thread([this] {
            while (!stop_) {
                bus_->processPending();
                bus_->wait(20'000);
            }
        });
    }
    ~FakeDesktopInhibitors() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    bool ready() const { return ready_; }

private:
    State state_;
    std::unique_ptr<DBusConnection> bus_;
    DBusSlot gnome_, power_;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST_F(LogindSessionTest, TheDesktopsOwnInhibitorsAreAskedOfItsSessionServices) {
    using State = FakeDesktopInhibitors::State;
    constexpr std::uint32_t logout = 1, idle = 8;
    const struct {
        const char* name;
        State state;
        std::optional<bool> expected;
    } cases[] = {
        {"no desktop service", {}, std::nullopt},
        {"GNOME, a player inhibits idling", {idle | logout, std::nullopt}, true},
        {"GNOME, only logging out is inhibited", {logout, std::nullopt}, false},
        {"GNOME, nothing inhibited", {0, std::nullopt}, false},
        {"a power manager holding a screen-saver inhibit", {std::nullopt, true}, true},
        {"a power manager holding none", {std::nullopt, false}, false},
        {"a power manager holding none, GNOME inhibited", {idle, false}, true},
        {"a power manager that refuses, GNOME inhibited", {idle, std::nullopt, true}, true},
        {"a power manager that refuses alone", {std::nullopt, std::nullopt, true}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDesktopInhibitors desktop(bus->address(), c.state);
        ASSERT_TRUE(desktop.ready());
        platform::linuxsys::DesktopIdleInhibitors inhibitors(bus->address());
        EXPECT_EQ(inhibitors.inhibited(), c.expected);
    }
    platform::linuxsys::DesktopIdleInhibitors noBus("unix:path=/nonexistent/bus");
    EXPECT_EQ(noBus.inhibited(), std::nullopt);
}

// The desktop's keep-awake and a held-off X saver join logind's as one unnamed process.
TEST(DesktopInhibitorsTest, JoinLogindsAsAnUnnamedProcess) {
    using platform::linuxsys::unnamedProcess;
    using platform::linuxsys::withDesktopInhibitors;
    const AssertionsByProcess logind{{4242, {"PreventUserIdleDisplaySleep"}}};
    const AssertionsByProcess logindAndDesktop{{4242, {"PreventUserIdleDisplaySleep"}},
                                               {unnamedProcess, {"PreventUserIdleDisplaySleep"}}};
    const AssertionsByProcess desktopOnly{{unnamedProcess, {"PreventUserIdleDisplaySleep"}}};
    EXPECT_EQ(withDesktopInhibitors(std::nullopt, std::nullopt, false), std::nullopt);
    EXPECT_EQ(withDesktopInhibitors(logind, std::nullopt, false), logind);
    EXPECT_EQ(withDesktopInhibitors(logind, false, false), logind);
    EXPECT_EQ(withDesktopInhibitors(logind, true, false), logindAndDesktop);
    EXPECT_EQ(withDesktopInhibitors(logind, true, true), logindAndDesktop) << "one entry, however many sources";
    EXPECT_EQ(withDesktopInhibitors(std::nullopt, std::nullopt, true), desktopOnly);
    EXPECT_EQ(withDesktopInhibitors(std::nullopt, false, false), AssertionsByProcess{});
}

// The idle time of a Wayland session without the compositor's idle notifications: the
// session's IdleHint with the time it was set; unreadable where the desktop sets no time.
TEST_F(LogindSessionTest, TheIdleHintGivesTheIdleTime) {
    FakeLogind logind(bus->address(), FakeLogind::Lock::unlocked, {});
    ASSERT_TRUE(logind.ready());
    LogindSession session(bus->address());
    EXPECT_EQ(session.secondsIdle(), 0.0);
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto micro = static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
    logind.setIdle(true, micro - 90'000'000);
    const auto idle = session.secondsIdle();
    ASSERT_TRUE(idle);
    EXPECT_GE(*idle, 90.0);
    EXPECT_LT(*idle, 3600.0);
    logind.setIdle(true, 0);
    EXPECT_EQ(session.secondsIdle(), std::nullopt);
}

}  // namespace
}  // namespace orvane
