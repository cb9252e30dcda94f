// The desktop's colour-scheme preference through the settings portal, against a private
// bus daemon and a small stand-in for the portal.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "../SessionBus.h"
#include "../SimFixture.h"
#include "platform/FakeScheduler.h"
#include "platform/linux/DBusConnection.h"
#include "platform/linux/PortalAppearance.h"

namespace orvane {
namespace {

using platform::linuxsys::DBusConnection;
using platform::linuxsys::DBusError;
using platform::linuxsys::DBusSlot;
using platform::linuxsys::PortalAppearance;

constexpr const char* portalPath = "/org/freedesktop/portal/desktop";
constexpr const char* settingsInterface = "org.freedesktop.portal.Settings";

// Answers Settings.ReadOne (or only the older Read, with its extra variant) and sends
// SettingChanged on request, from a thread of its own.
class FakePortal {
public:
    enum class Kind { readOne, readOnly, withoutTheKey };

    FakePortal(const std::string& address, Kind kind, std::uint32_t scheme) : kind_(kind), scheme_(scheme) {
        DBusError error;
        bus_ = DBusConnection::connect(address, error);
        if (!bus_) return;
        object_ = bus_->addObject(portalPath, [this](sd_bus_message* m) { return handle(m); });
        ready_ = object_ && !bus_->requestName("org.freedesktop.portal.Desktop");
        if (!ready_) return;
        thread_ = std::thread([this] {
            while (!stop_) {
                sendQueued();
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
    int reads() const { return reads_; }

    void change(const char* space, const char* key, std::uint32_t value) {
        std::lock_guard lock(mutex_);
        queued_.push_back({space, key, value});
    }

private:
    struct Change {
        const char* space;
        const char* key;
        std::uint32_t value;
    };

    void sendQueued() {
        std::vector<Change> changes;
        {
            std::lock_guard lock(mutex_);
            changes.swap(queued_);
        }
        for (const auto& c : changes)
            bus_->emitSignal(portalPath, settingsInterface, "SettingChanged", "ssv", c.space, c.key, "u", c.value);
    }

    int handle(sd_bus_message* m) {
        const bool readOne = sd_bus_message_is_method_call(m, settingsInterface, "ReadOne") > 0;
        const bool read = sd_bus_message_is_method_call(m, settingsInterface, "Read") > 0;
        if (!readOne && !read) return 0;
        ++reads_;
        if (readOne && kind_ == Kind::readOnly)
            return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_UNKNOWN_METHOD, "No such method");
        if (kind_ == Kind::withoutTheKey)
            return sd_bus_reply_method_errorf(m, "org.freedesktop.portal.Error.NotFound",
                                              "Requested setting not found");
        const char* space = nullptr;
        const char* key = nullptr;
        if (sd_bus_message_read(m, "ss", &space, &key) < 0 || std::string(space) != "org.freedesktop.appearance" ||
            std::string(key) != "color-scheme")
            return sd_bus_reply_method_errorf(m, "org.freedesktop.portal.Error.NotFound",
                                              "Requested setting not found");
        if (readOne) return sd_bus_reply_method_return(m, "v", "u", scheme_);
        return sd_bus_reply_method_return(m, "v", "v", "u", scheme_);
    }

    Kind kind_;
    std::uint32_t scheme_;
    std::unique_ptr<DBusConnection> bus_;
    DBusSlot object_;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int> reads_{0};
    std::mutex mutex_;
    std::vector<Change> queued_;
    std::thread thread_;
};

class PortalAppearanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = std::make_unique<testing::SessionBus>(testing::freshDirectory("portal"));
        ORVANE_REQUIRE_TOOL(bus->error());
        scheduler = std::make_shared<platform::FakeScheduler>();
    }

    std::unique_ptr<PortalAppearance> follow() {
        return PortalAppearance::connect(bus->address(), scheduler,
                                         [this](std::optional<std::uint32_t> value) { reported.push_back(value); });
    }

    // Runs the loop until `count` values were reported or the time is up.
    void waitFor(std::size_t count, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (reported.size() < count && std::chrono::steady_clock::now() < deadline) {
            scheduler->runPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    std::unique_ptr<testing::SessionBus> bus;
    std::shared_ptr<platform::FakeScheduler> scheduler;
    std::vector<std::optional<std::uint32_t>> reported;
};

TEST_F(PortalAppearanceTest, TheSchemeIsReadFromEitherKindOfPortal) {
    struct Case {
        FakePortal::Kind kind;
        std::uint32_t scheme;
        std::optional<std::uint32_t> expected;
    };
    const Case cases[] = {
        {FakePortal::Kind::readOne, 1, 1},
        {FakePortal::Kind::readOne, 2, 2},
        {FakePortal::Kind::readOne, 0, 0},
        {FakePortal::Kind::readOnly, 1, 1},  // the older Read, value in two variants
        {FakePortal::Kind::readOnly, 2, 2},
        {FakePortal::Kind::withoutTheKey, 1, std::nullopt},
    };
    for (const auto& c : cases) {
        FakePortal portal(bus->address(), c.kind, c.scheme);
        ASSERT_TRUE(portal.ready());
        const auto appearance = follow();
        EXPECT_EQ(appearance->colorScheme(), c.expected)
            << "kind " << static_cast<int>(c.kind) << ", scheme " << c.scheme;
        EXPECT_GE(portal.reads(), 1);
    }
    scheduler->runPending();
    EXPECT_TRUE(reported.empty()) << "the first read is not reported as a change";
}

TEST_F(PortalAppearanceTest, AChangedSchemeIsReportedAndOtherSettingsAreNot) {
    FakePortal portal(bus->address(), FakePortal::Kind::readOne, 2);
    ASSERT_TRUE(portal.ready());
    const auto appearance = follow();
    ASSERT_EQ(appearance->colorScheme(), 2u);

    portal.change("org.freedesktop.appearance", "accent-color", 7);
    portal.change("org.gnome.desktop.interface", "color-scheme", 7);
    portal.change("org.freedesktop.appearance", "color-scheme", 1);
    waitFor(1);
    ASSERT_EQ(reported, (std::vector<std::optional<std::uint32_t>>{1u}));
    EXPECT_EQ(appearance->colorScheme(), 1u);

    portal.change("org.freedesktop.appearance", "color-scheme", 0);
    waitFor(2);
    EXPECT_EQ(reported, (std::vector<std::optional<std::uint32_t>>{1u, 0u}));
    EXPECT_EQ(appearance->colorScheme(), 0u);
}

TEST_F(PortalAppearanceTest, ADestroyedFollowerReportsNothingMore) {
    FakePortal portal(bus->address(), FakePortal::Kind::readOne, 2);
    ASSERT_TRUE(portal.ready());
    auto appearance = follow();
    portal.change("org.freedesktop.appearance", "color-scheme", 1);
    waitFor(1);
    ASSERT_EQ(reported.size(), 1u);

    portal.change("org.freedesktop.appearance", "color-scheme", 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    appearance.reset();
    for (int i = 0; i < 20; ++i) {
        scheduler->runPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(reported.size(), 1u);
    EXPECT_EQ(scheduler->fdWatchCount(), 0u);
}

TEST_F(PortalAppearanceTest, WithoutAPortalOrABusThereIsNoPreference) {
    const auto withoutPortal = follow();
    EXPECT_EQ(withoutPortal->colorScheme(), std::nullopt);

    const auto withoutBus =
        PortalAppearance::connect("unix:path=/nonexistent/orvane-bus", scheduler,
                                  [this](std::optional<std::uint32_t> v) { reported.push_back(v); });
    EXPECT_EQ(withoutBus->colorScheme(), std::nullopt);
    EXPECT_EQ(scheduler->fdWatchCount(), 1u) << "only the bus that exists is watched";
    scheduler->runPending();
    EXPECT_TRUE(reported.empty());
}

}  // namespace
}  // namespace orvane
