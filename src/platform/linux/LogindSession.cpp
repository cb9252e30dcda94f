#include "platform/linux/LogindSession.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "platform/Log.h"
#include "platform/linux/DBusConnection.h"

namespace orvane::platform::linuxsys {

namespace {

constexpr const char* service = "org.freedesktop.login1";
constexpr std::uint64_t callTimeout = 1'000'000;  // µs

const Log& log() {
    static const Log l("workspace");
    return l;
}

bool lists(std::string_view what, std::string_view item) {
    while (!what.empty()) {
        const auto colon = what.find(':');
        if (what.substr(0, colon) == item) return true;
        if (colon == std::string_view::npos) break;
        what.remove_prefix(colon + 1);
    }
    return false;
}

// a(ssssuu); absent when the reply has another shape.
std::optional<std::vector<Inhibitor>> readInhibitors(sd_bus_message* m) {
    std::vector<Inhibitor> out;
    if (sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "(ssssuu)") < 0) return std::nullopt;
    for (;;) {
        const char *what = nullptr, *who = nullptr, *why = nullptr, *mode = nullptr;
        std::uint32_t uid = 0, pid = 0;
        const int r = sd_bus_message_read(m, "(ssssuu)", &what, &who, &why, &mode, &uid, &pid);
        if (r < 0) return std::nullopt;
        if (r == 0) break;
        out.push_back({what, who, why, mode, uid, pid});
    }
    if (sd_bus_message_exit_container(m) < 0) return std::nullopt;
    return out;
}

}  // namespace

AssertionsByProcess assertionsFromInhibitors(const std::vector<Inhibitor>& inhibitors) {
    AssertionsByProcess out;
    for (const auto& i : inhibitors)
        if (i.mode == "block" && lists(i.what, "idle"))
            out[static_cast<std::int32_t>(i.pid)].push_back(preventUserIdleDisplaySleep);
    return out;
}

LogindSession::LogindSession() = default;
LogindSession::LogindSession(std::string address) : address_(std::move(address)) {}
LogindSession::~LogindSession() = default;

DBusConnection* LogindSession::bus() {
    if (!bus_) {
        DBusError error;
        bus_ = address_ ? DBusConnection::connect(*address_, error)
                        : DBusConnection::open(DBusConnection::Bus::system, error);
        if (!bus_) log().debug("workspace: no system bus: %s", error.message);
    }
    return bus_.get();
}

std::optional<bool> LogindSession::screenLocked() {
    auto* b = bus();
    if (!b) return std::nullopt;
    // "auto" is the caller's own session, or the user's display session.
    const DBusObject target{service, "/org/freedesktop/login1/session/auto", "org.freedesktop.DBus.Properties"};
    const auto reply = b->call(
        target, "Get",
        [](sd_bus_message* m) {
            return sd_bus_message_append(m, "ss", "org.freedesktop.login1.Session", "LockedHint");
        },
        callTimeout);
    if (!reply) {
        log().debug("workspace: LockedHint unreadable: %s", logExcerpt(reply.error->message));
        if (reply.error->code == -ECONNRESET || reply.error->code == -ENOTCONN) bus_.reset();
        return std::nullopt;
    }
    int locked = 0;
    if (!reply.message.read("v", "b", &locked)) return std::nullopt;
    return locked != 0;
}

bool LogindSession::sessionProperty(const char* name, char type, void* out) {
    auto* b = bus();
    if (!b) return false;
    const DBusObject target{service, "/org/freedesktop/login1/session/auto", "org.freedesktop.DBus.Properties"};
    const auto reply = b->call(
        target, "Get",
        [name](sd_bus_message* m) { return sd_bus_message_append(m, "ss", "org.freedesktop.login1.Session", name); },
        callTimeout);
    if (!reply) {
        log().debug("workspace: %s unreadable: %s", name, logExcerpt(reply.error->message));
        if (reply.error->code == -ECONNRESET || reply.error->code == -ENOTCONN) bus_.reset();
        return false;
    }
    const char types[] = {type, '\0'};
    return sd_bus_message_enter_container(reply.message.get(), SD_BUS_TYPE_VARIANT, types) > 0 &&
           sd_bus_message_read_basic(reply.message.get(), type, out) > 0;
}

std::optional<double> LogindSession::secondsIdle() {
    int idle = 0;
    if (!sessionProperty("IdleHint", 'b', &idle)) return std::nullopt;
    if (!idle) return 0.0;
    std::uint64_t since = 0;  // microseconds of the real-time clock
    if (!sessionProperty("IdleSinceHint", 't', &since) || since == 0) return std::nullopt;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const double nowMicro = static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
    return std::max(0.0, (nowMicro - static_cast<double>(since)) / 1e6);
}

std::optional<std::string> LogindSession::sessionPath() {
    auto* b = bus();
    if (!b) return std::nullopt;
    const DBusObject target{service, "/org/freedesktop/login1/session/auto", "org.freedesktop.DBus.Properties"};
    const auto reply = b->call(
        target, "Get",
        [](sd_bus_message* m) { return sd_bus_message_append(m, "ss", "org.freedesktop.login1.Session", "Id"); },
        callTimeout);
    const char* id = nullptr;
    if (!reply || !reply.message.read("v", "s", &id) || !id) return std::nullopt;
    char* path = nullptr;
    if (sd_bus_path_encode("/org/freedesktop/login1/session", id, &path) < 0 || !path) return std::nullopt;
    std::string out(path);
    free(path);
    return out;
}

namespace {

// PropertiesChanged(s interface, a{sv} changed, as invalidated): whether "Active" became true.
bool activeBecameTrue(sd_bus_message* m) {
    const char* interface = nullptr;
    if (sd_bus_message_read(m, "s", &interface) < 0 || !interface ||
        std::string_view(interface) != "org.freedesktop.login1.Session")
        return false;
    if (sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "{sv}") < 0) return false;
    bool active = false;
    while (sd_bus_message_enter_container(m, SD_BUS_TYPE_DICT_ENTRY, "sv") > 0) {
        const char* name = nullptr;
        if (sd_bus_message_read(m, "s", &name) < 0) return false;
        if (name && std::string_view(name) == "Active") {
            int value = 0;
            if (sd_bus_message_read(m, "v", "b", &value) < 0) return false;
            active = value != 0;
        } else if (sd_bus_message_skip(m, "v") < 0) {
            return false;
        }
        if (sd_bus_message_exit_container(m) < 0) return false;
    }
    return active;
}

}  // namespace

Handle LogindSession::watch(Scheduler& scheduler, std::function<void(LogindEvent)> onEvent) {
    DBusError error;
    std::shared_ptr<DBusConnection> connection =
        address_ ? DBusConnection::connect(*address_, error) : DBusConnection::open(DBusConnection::Bus::system, error);
    if (!connection) {
        log().debug("workspace: no system bus for sleep and session signals: %s", error.message);
        return {};
    }
    auto callback = std::make_shared<std::function<void(LogindEvent)>>(std::move(onEvent));
    auto slots = std::make_shared<std::vector<DBusSlot>>();
    slots->push_back(connection->matchSignal(service, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                             "PrepareForSleep", [callback](sd_bus_message* m) {
                                                 int sleeping = 1;
                                                 if (sd_bus_message_read(m, "b", &sleeping) >= 0 && !sleeping)
                                                     (*callback)(LogindEvent::woke);
                                             }));
    if (const auto path = sessionPath())
        slots->push_back(connection->matchSignal(service, path->c_str(), "org.freedesktop.DBus.Properties",
                                                 "PropertiesChanged", [callback](sd_bus_message* m) {
                                                     if (activeBecameTrue(m))
                                                         (*callback)(LogindEvent::sessionActivated);
                                                 }));
    else log().debug("workspace: this session's path is unknown; user switches are not heard");
    auto watch = std::make_shared<Handle>(connection->watch(
        scheduler, [](const DBusError& lost) { log().debug("workspace: system bus lost: %s", lost.message); }));
    return Handle([connection, slots, watch]() mutable {
        watch->cancel();
        slots->clear();
        connection.reset();
    });
}

std::optional<AssertionsByProcess> LogindSession::assertionsByProcess() {
    auto* b = bus();
    if (!b) return std::nullopt;
    const DBusObject target{service, "/org/freedesktop/login1", "org.freedesktop.login1.Manager"};
    const auto reply = b->call(
        target, "ListInhibitors", [](sd_bus_message*) { return 0; }, callTimeout);
    if (!reply) {
        log().debug("workspace: ListInhibitors failed: %s", logExcerpt(reply.error->message));
        if (reply.error->code == -ECONNRESET || reply.error->code == -ENOTCONN) bus_.reset();
        return std::nullopt;
    }
    const auto inhibitors = readInhibitors(reply.message.get());
    if (!inhibitors) return std::nullopt;
    return assertionsFromInhibitors(*inhibitors);
}

}  // namespace orvane::platform::linuxsys
