// Global shortcuts through the desktop portal, against a fake portal on a private bus: the
// registrations are bound in one request with their preferred triggers, presses and
// releases reach the hot-key handler, a new set of shortcuts is bound in a new session,
// and a desktop without the portal gives no keyboard at all.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <systemd/sd-bus.h>

#include "RequiredTool.h"
#include "SessionBus.h"
#include "SimFixture.h"
#include "platform/FakeScheduler.h"
#include "platform/linux/PortalGlobalShortcuts.h"

namespace orvane::platform::linuxsys {
namespace {

// The portal's global shortcuts on a private bus, answering from a thread of its own: a
// session per CreateSession, the shortcuts of each BindShortcuts, the sessions closed, and
// Activated / Deactivated sent when the test presses a shortcut.
class FakeShortcutsPortal {
public:
    struct Shortcut {
        std::string id, trigger;
        bool operator==(const Shortcut&) const = default;
    };

    explicit FakeShortcutsPortal(const std::string& address) {
        if (sd_bus_new(&bus_) < 0) return;
        sd_bus_set_address(bus_, address.c_str());
        sd_bus_set_bus_client(bus_, 1);
        ready_ = sd_bus_start(bus_) >= 0 &&
                 sd_bus_add_fallback(bus_, nullptr, "/org/freedesktop/portal/desktop", &FakeShortcutsPortal::handle,
                                     this) >= 0 &&
                 sd_bus_request_name(bus_, "org.freedesktop.portal.Desktop", 0) >= 0;
        if (!ready_) return;
        thread_ = std::thread([this] {
            while (!stop_) {
                sendQueued();
                if (sd_bus_process(bus_, nullptr) == 0) sd_bus_wait(bus_, 20'000);
            }
        });
    }
    ~FakeShortcutsPortal() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (bus_) sd_bus_flush_close_unref(bus_);
    }
    bool ready() const { return ready_; }

    // Each BindShortcuts call's shortcuts, in order.
    std::vector<std::vector<Shortcut>> bindings() const {
        std::lock_guard lock(mutex_);
        return bindings_;
    }
    std::vector<std::string> closed() const {
        std::lock_guard lock(mutex_);
        return closed_;
    }
    // Presses and releases the shortcut `id` of the newest session.
    void press(const std::string& id) {
        std::lock_guard lock(mutex_);
        queued_.push_back(id);
    }

private:
    void sendQueued() {
        std::vector<std::string> ids;
        std::string session;
        {
            std::lock_guard lock(mutex_);
            ids.swap(queued_);
            session = session_;
        }
        for (const auto& id : ids)
            for (const char* member : {"Activated", "Deactivated"})
                sd_bus_emit_signal(bus_, "/org/freedesktop/portal/desktop", "org.freedesktop.portal.GlobalShortcuts",
                                   member, "osta{sv}", session.c_str(), id.c_str(), std::uint64_t{1}, 0);
    }

    // The token of a{sv} options under `key`; the rest skipped.
    static std::map<std::string, std::string> readOptions(sd_bus_message* m) {
        std::map<std::string, std::string> out;
        if (sd_bus_message_enter_container(m, 'a', "{sv}") < 0) return out;
        while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
            const char* key = nullptr;
            sd_bus_message_read(m, "s", &key);
            const char* contents = nullptr;
            sd_bus_message_peek_type(m, nullptr, &contents);
            if (contents && std::string_view(contents) == "s") {
                const char* value = nullptr;
                sd_bus_message_read(m, "v", "s", &value);
                out[key] = value ? value : "";
            } else {
                sd_bus_message_skip(m, "v");
            }
            sd_bus_message_exit_container(m);
        }
        sd_bus_message_exit_container(m);
        return out;
    }

    static std::string requestPath(sd_bus_message* m, const std::string& token) {
        std::string sender = sd_bus_message_get_sender(m) + 1;
        for (char& c : sender)
            if (c == '.') c = '_';
        return "/org/freedesktop/portal/desktop/request/" + sender + "/" + token;
    }

    int respond(sd_bus_message* call, const std::string& token, const std::string& session) {
        const std::string path = requestPath(call, token);
        const int r = sd_bus_reply_method_return(call, "o", path.c_str());
        sd_bus_message* signal = nullptr;
        sd_bus_message_new_signal(bus_, &signal, path.c_str(), "org.freedesktop.portal.Request", "Response");
        sd_bus_message_append(signal, "u", 0u);
        if (session.empty()) sd_bus_message_append(signal, "a{sv}", 0);
        else sd_bus_message_append(signal, "a{sv}", 1, "session_handle", "s", session.c_str());
        sd_bus_send(bus_, signal, nullptr);
        sd_bus_message_unref(signal);
        return r;
    }

    static int handle(sd_bus_message* m, void* userdata, sd_bus_error*) {
        auto* self = static_cast<FakeShortcutsPortal*>(userdata);
        const std::string path = sd_bus_message_get_path(m);
        if (sd_bus_message_is_method_call(m, "org.freedesktop.DBus.Properties", "Get") > 0)
            return sd_bus_reply_method_return(m, "v", "u", 1u);
        if (sd_bus_message_is_method_call(m, "org.freedesktop.portal.Session", "Close") > 0) {
            std::lock_guard lock(self->mutex_);
            self->closed_.push_back(path);
            return sd_bus_reply_method_return(m, "");
        }
        if (sd_bus_message_is_method_call(m, "org.freedesktop.portal.GlobalShortcuts", "CreateSession") > 0) {
            auto options = readOptions(m);
            std::string sender = sd_bus_message_get_sender(m) + 1;
            for (char& c : sender)
                if (c == '.') c = '_';
            const std::string session =
                "/org/freedesktop/portal/desktop/session/" + sender + "/" + options["session_handle_token"];
            {
                std::lock_guard lock(self->mutex_);
                self->session_ = session;
            }
            return self->respond(m, options["handle_token"], session);
        }
        if (sd_bus_message_is_method_call(m, "org.freedesktop.portal.GlobalShortcuts", "BindShortcuts") > 0) {
            const char* session = nullptr;
            sd_bus_message_read(m, "o", &session);
            std::vector<Shortcut> shortcuts;
            sd_bus_message_enter_container(m, 'a', "(sa{sv})");
            while (sd_bus_message_enter_container(m, 'r', "sa{sv}") > 0) {
                const char* id = nullptr;
                sd_bus_message_read(m, "s", &id);
                auto options = readOptions(m);
                shortcuts.push_back({id ? id : "", options["preferred_trigger"]});
                sd_bus_message_exit_container(m);
            }
            sd_bus_message_exit_container(m);
            const char* parent = nullptr;
            sd_bus_message_read(m, "s", &parent);
            auto options = readOptions(m);
            {
                std::lock_guard lock(self->mutex_);
                self->bindings_.push_back(std::move(shortcuts));
            }
            return self->respond(m, options["handle_token"], {});
        }
        return 0;
    }

    sd_bus* bus_ = nullptr;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::string session_;
    std::vector<std::vector<Shortcut>> bindings_;
    std::vector<std::string> closed_;
    std::vector<std::string> queued_;
};

constexpr KeyChord reveal{17, {true, false, true, false}};   // Alt+Super+T
constexpr KeyChord warmer{124, {true, false, true, true}};   // Ctrl+Alt+Super+Right
constexpr KeyChord preset{96, {false, true, false, false}};  // Shift+F5
constexpr KeyChord keypad{82, {false, false, false, true}};  // Ctrl+KP_0

TEST(PortalTriggerTest, ChordsAreWrittenInThePortalsWordsOrNotAtAll) {
    EXPECT_EQ(portalTrigger(reveal), "ALT+LOGO+t");
    EXPECT_EQ(portalTrigger(warmer), "CTRL+ALT+LOGO+Right");
    EXPECT_EQ(portalTrigger(preset), "SHIFT+F5");
    EXPECT_EQ(portalTrigger(keypad), std::nullopt);
    EXPECT_EQ(portalTrigger(KeyChord{49, {}}), "space");
    // Ids tell chords apart and stay the same for the same chord.
    EXPECT_NE(portalShortcutId(reveal), portalShortcutId(KeyChord{17, {true, true, true, false}}));
    EXPECT_EQ(portalShortcutId(warmer), portalShortcutId(KeyChord{124, {true, false, true, true}}));
}

class PortalGlobalShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = std::make_unique<testing::SessionBus>(testing::freshDirectory("shortcuts-portal"));
        ORVANE_REQUIRE_TOOL(bus->error());
    }
    bool settle(const std::function<bool()>& done) {
        for (int i = 0; i < 300 && !done(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            scheduler->runPending();
        }
        return done();
    }
    std::unique_ptr<testing::SessionBus> bus;
    std::shared_ptr<FakeScheduler> scheduler = std::make_shared<FakeScheduler>();
};

TEST_F(PortalGlobalShortcutsTest, RegistrationsAreBoundTogetherAndPressesReachTheHandler) {
    FakeShortcutsPortal portal(bus->address());
    ASSERT_TRUE(portal.ready());
    auto keyboard = openPortalGlobalShortcuts(scheduler, bus->address());
    ASSERT_TRUE(keyboard);
    EXPECT_TRUE(keyboard->canRegisterGlobalShortcuts());
    std::vector<std::tuple<std::uint32_t, std::uint32_t, bool>> heard;
    keyboard->installHotKeyHandler(
        [&](std::uint32_t sig, std::uint32_t id, bool up) { heard.emplace_back(sig, id, up); });
    std::uint64_t refReveal = 0, refWarmer = 0, refPreset = 0, again = 0;
    EXPECT_EQ(keyboard->registerHotKey(reveal, 7, 1, refReveal), 0);
    EXPECT_EQ(keyboard->registerHotKey(warmer, 7, 2, refWarmer), 0);
    EXPECT_EQ(keyboard->registerHotKey(preset, 7, 3, refPreset), 0);
    EXPECT_NE(keyboard->registerHotKey(reveal, 7, 4, again), 0) << "a chord registered already is refused";
    EXPECT_NE(refReveal, 0u);

    ASSERT_TRUE(settle([&] { return portal.bindings().size() == 1; }));
    using S = FakeShortcutsPortal::Shortcut;
    const std::vector<S> expected{{portalShortcutId(reveal), "ALT+LOGO+t"},
                                  {portalShortcutId(warmer), "CTRL+ALT+LOGO+Right"},
                                  {portalShortcutId(preset), "SHIFT+F5"}};
    EXPECT_EQ(portal.bindings()[0], expected);

    portal.press(portalShortcutId(warmer));
    ASSERT_TRUE(settle([&] { return heard.size() == 2; }));
    EXPECT_EQ(heard[0], std::make_tuple(7u, 2u, false));
    EXPECT_EQ(heard[1], std::make_tuple(7u, 2u, true));

    // Unregistered (a shortcut is being recorded): its presses are ignored, nothing is rebound.
    for (auto ref : {refReveal, refWarmer, refPreset}) EXPECT_EQ(keyboard->unregisterHotKey(ref), 0);
    portal.press(portalShortcutId(warmer));
    settle([] { return false; });
    EXPECT_EQ(heard.size(), 2u);
    EXPECT_EQ(portal.bindings().size(), 1u);

    // A new chord binds everything registered in a new session; the old one is closed.
    EXPECT_EQ(keyboard->registerHotKey(reveal, 7, 1, refReveal), 0);
    EXPECT_EQ(keyboard->registerHotKey(keypad, 7, 5, refPreset), 0);
    ASSERT_TRUE(settle([&] { return portal.bindings().size() == 2; }));
    EXPECT_EQ(portal.closed().size(), 1u);
    const std::vector<S> second{{portalShortcutId(reveal), "ALT+LOGO+t"}, {portalShortcutId(keypad), ""}};
    EXPECT_EQ(portal.bindings()[1], second);
    portal.press(portalShortcutId(keypad));
    ASSERT_TRUE(settle([&] { return heard.size() == 4; }));
    EXPECT_EQ(heard[2], std::make_tuple(7u, 5u, false));
}

TEST_F(PortalGlobalShortcutsTest, WithoutThePortalThereIsNoKeyboard) {
    EXPECT_EQ(openPortalGlobalShortcuts(scheduler, bus->address()), nullptr);
}

}  // namespace
}  // namespace orvane::platform::linuxsys
