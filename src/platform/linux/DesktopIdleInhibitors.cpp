#include "platform/linux/DesktopIdleInhibitors.h"

#include <cerrno>

#include "platform/Log.h"
#include "platform/linux/DBusConnection.h"

namespace orvane::platform::linuxsys {

namespace {

constexpr std::uint64_t callTimeout = 250'000;  // µs
constexpr std::uint32_t gnomeInhibitIdle = 8;   // GsmInhibitorFlag: inhibit the session being marked idle

const Log& log() {
    static const Log l("workspace");
    return l;
}

}  // namespace

std::optional<AssertionsByProcess> withDesktopInhibitors(std::optional<AssertionsByProcess> logind,
                                                         std::optional<bool> desktopInhibits, bool screenSaverHeldOff) {
    if (!logind && !desktopInhibits && !screenSaverHeldOff) return std::nullopt;
    AssertionsByProcess out = logind.value_or(AssertionsByProcess{});
    if (desktopInhibits.value_or(false) || screenSaverHeldOff)
        out[unnamedProcess].push_back(preventUserIdleDisplaySleep);
    return out;
}

DesktopIdleInhibitors::DesktopIdleInhibitors() = default;
DesktopIdleInhibitors::DesktopIdleInhibitors(std::string address) : address_(std::move(address)) {}
DesktopIdleInhibitors::~DesktopIdleInhibitors() = default;

DBusConnection* DesktopIdleInhibitors::bus() {
    if (!bus_) {
        DBusError error;
        bus_ = address_ ? DBusConnection::connect(*address_, error)
                        : DBusConnection::open(DBusConnection::Bus::session, error);
        if (!bus_) log().debug("workspace: no session bus: %s", error.message);
    }
    return bus_.get();
}

std::optional<bool> DesktopIdleInhibitors::inhibited() {
    auto* b = bus();
    if (!b) return std::nullopt;
    std::optional<bool> answer;
    const auto ask = [&](const DBusObject& target, const char* member,
                         const std::function<int(sd_bus_message*)>& append) {
        const auto reply = b->call(target, member, append, callTimeout);
        if (!reply) {
            if (!reply.error->serviceMissing())
                log().debug("workspace: %s.%s failed: %s", target.interface, member, logExcerpt(reply.error->message));
            if (reply.error->code == -ECONNRESET || reply.error->code == -ENOTCONN) bus_.reset();
            return;
        }
        int yes = 0;
        if (reply.message.read("b", &yes)) answer = answer.value_or(false) || yes != 0;
    };
    ask({"org.freedesktop.PowerManagement", "/org/freedesktop/PowerManagement/Inhibit",
         "org.freedesktop.PowerManagement.Inhibit"},
        "HasInhibit", [](sd_bus_message*) { return 0; });
    if (answer == true || !bus_) return answer;
    ask({"org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager"}, "IsInhibited",
        [](sd_bus_message* m) { return sd_bus_message_append(m, "u", gnomeInhibitIdle); });
    return answer;
}

}  // namespace orvane::platform::linuxsys
