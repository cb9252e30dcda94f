#include "platform/linux/DBusNotifications.h"

#include <cstring>
#include <map>
#include <string>

#include "platform/Log.h"
#include "platform/Missing.h"
#include "platform/linux/DBusConnection.h"

namespace orvane::platform::linuxsys {

namespace {

struct SignalAddress {
    std::string path;
    std::string interface;
    std::string member;
};

// "app.orvane.command" -> /app/orvane, app.orvane, command. Absent for a name without
// an interface part.
std::optional<SignalAddress> addressOf(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return std::nullopt;
    SignalAddress a{"/" + name.substr(0, dot), name.substr(0, dot), name.substr(dot + 1)};
    for (char& c : a.path)
        if (c == '.') c = '/';
    return a;
}

int appendValue(sd_bus_message* m, const Value& value) {
    if (const auto* s = value.string()) return sd_bus_message_append(m, "v", "s", s->c_str());
    if (const auto* b = value.get<bool>()) return sd_bus_message_append(m, "v", "b", static_cast<int>(*b));
    if (const auto* i = value.get<std::int64_t>()) return sd_bus_message_append(m, "v", "x", *i);
    if (const auto* d = value.get<double>()) return sd_bus_message_append(m, "v", "d", *d);
    if (const auto* f = value.get<float>()) return sd_bus_message_append(m, "v", "d", static_cast<double>(*f));
    return 0;  // data and containers do not travel
}

// The one a{sv} argument as a dictionary: "s" variants become strings, other basic kinds
// numbers or Booleans, anything else an empty array. A body of another signature, or a
// key given twice, is no dictionary.
std::optional<Dictionary> readUserInfo(sd_bus_message* m) {
    const char* signature = sd_bus_message_get_signature(m, 1);
    if (!signature || std::strcmp(signature, "a{sv}") != 0) return std::nullopt;
    if (sd_bus_message_enter_container(m, 'a', "{sv}") <= 0) return std::nullopt;
    Dictionary info;
    for (;;) {
        const int entered = sd_bus_message_enter_container(m, 'e', "sv");
        if (entered < 0) return std::nullopt;
        if (entered == 0) break;
        const char* key = nullptr;
        if (sd_bus_message_read_basic(m, 's', &key) <= 0 || !key) return std::nullopt;
        char type = 0;
        const char* contents = nullptr;
        if (sd_bus_message_peek_type(m, &type, &contents) <= 0 || type != 'v' || !contents) return std::nullopt;
        Value value(Array{});
        const std::string inner = contents;
        if (inner.size() == 1 && std::strchr("sbxtiunqyd", inner[0])) {
            if (sd_bus_message_enter_container(m, 'v', contents) <= 0) return std::nullopt;
            union {
                const char* s;
                int b;
                std::int64_t x;
                std::uint64_t t;
                std::int32_t i;
                std::uint32_t u;
                std::int16_t n;
                std::uint16_t q;
                std::uint8_t y;
                double d;
            } raw{};
            if (sd_bus_message_read_basic(m, inner[0], &raw) <= 0) return std::nullopt;
            switch (inner[0]) {
                case 's':
                    value = Value(std::string(raw.s ? raw.s : ""));
                    break;
                case 'b':
                    value = Value(raw.b != 0);
                    break;
                case 'x':
                    value = Value(raw.x);
                    break;
                case 't':
                    value = Value(static_cast<std::int64_t>(raw.t));
                    break;
                case 'i':
                    value = Value(std::int64_t{raw.i});
                    break;
                case 'u':
                    value = Value(std::int64_t{raw.u});
                    break;
                case 'n':
                    value = Value(std::int64_t{raw.n});
                    break;
                case 'q':
                    value = Value(std::int64_t{raw.q});
                    break;
                case 'y':
                    value = Value(std::int64_t{raw.y});
                    break;
                case 'd':
                    value = Value(raw.d);
                    break;
            }
            if (sd_bus_message_exit_container(m) < 0) return std::nullopt;
        } else if (sd_bus_message_skip(m, "v") < 0) {
            return std::nullopt;
        }
        if (!info.emplace(key, std::move(value)).second) return std::nullopt;  // a repeated key
        if (sd_bus_message_exit_container(m) < 0) return std::nullopt;
    }
    if (sd_bus_message_exit_container(m) < 0) return std::nullopt;
    return info;
}

class BusNotifications final : public DistributedNotifications {
public:
    BusNotifications(std::unique_ptr<DBusConnection> connection, std::shared_ptr<Scheduler> scheduler)
        : connection_(std::move(connection)), scheduler_(std::move(scheduler)) {
        if (scheduler_)
            watch_ = connection_->watch(*scheduler_, [this](const DBusError& e) {
                log_.error("session bus connection lost: %{public}s; notifications end", e.message);
            });
    }
    ~BusNotifications() override { watch_.cancel(); }

    bool post(const std::string& name, const std::optional<Dictionary>& userInfo) override {
        const auto address = addressOf(name);
        if (!address) {
            log_.error("cannot send %{public}s: not a signal name", name);
            return false;
        }
        sd_bus_message* raw = nullptr;
        int r = sd_bus_message_new_signal(connection_->get(), &raw, address->path.c_str(), address->interface.c_str(),
                                          address->member.c_str());
        const DBusMessage message = DBusMessage::adopt(raw);
        if (r >= 0) r = sd_bus_message_open_container(raw, 'a', "{sv}");
        if (r >= 0 && userInfo) {
            for (const auto& [key, value] : *userInfo) {
                if (r >= 0) r = sd_bus_message_open_container(raw, 'e', "sv");
                if (r >= 0) r = sd_bus_message_append_basic(raw, 's', key.c_str());
                if (r >= 0) r = appendValue(raw, value);
                if (r >= 0) r = sd_bus_message_close_container(raw);
            }
        }
        if (r >= 0) r = sd_bus_message_close_container(raw);
        if (r >= 0) r = sd_bus_send(connection_->get(), raw, nullptr);
        // On the wire now: a one-shot poster ends right after this.
        if (r >= 0) r = sd_bus_flush(connection_->get());
        if (r < 0) log_.error("cannot send %{public}s: %{public}s", name, DBusError::fromCode(r).message);
        return r >= 0;
    }

    Handle observe(const std::string& name, Observer observer) override {
        const auto address = addressOf(name);
        if (!address) return {};
        // Delivered from the loop rather than inside the bus's dispatch, so an observer may
        // end its own observation.
        auto shared = std::make_shared<Observer>(std::move(observer));
        DBusError error;
        auto slot = std::make_shared<DBusSlot>(connection_->matchSignal(
            nullptr, address->path.c_str(), address->interface.c_str(), address->member.c_str(),
            [weak = std::weak_ptr<Observer>(shared), scheduler = scheduler_](sd_bus_message* m) {
                if (scheduler)
                    scheduler->post([weak, info = readUserInfo(m)] {
                        if (auto o = weak.lock()) (*o)(info);
                    });
            },
            &error));
        if (!*slot) {
            log_.error("cannot observe %{public}s: %{public}s", name, error.message);
            return {};
        }
        return Handle([slot, shared]() mutable {
            slot->reset();
            shared.reset();
        });
    }

    std::optional<bool> nameHasOwner(const std::string& busName) override {
        sd_bus_error error{};
        sd_bus_message* raw = nullptr;
        const int r = sd_bus_call_method(connection_->get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                         "org.freedesktop.DBus", "NameHasOwner", &error, &raw, "s", busName.c_str());
        const DBusMessage reply = DBusMessage::adopt(raw);
        if (r < 0) {
            log_.error("cannot ask who owns %{public}s: %{public}s", busName,
                       error.message ? std::string(error.message) : DBusError::fromCode(r).message);
            sd_bus_error_free(&error);
            return std::nullopt;
        }
        sd_bus_error_free(&error);
        int owned = 0;
        if (!reply.read("b", &owned)) return std::nullopt;
        return owned != 0;
    }

private:
    std::unique_ptr<DBusConnection> connection_;
    std::shared_ptr<Scheduler> scheduler_;
    Handle watch_;
    Log log_{"notifications"};
};

}  // namespace

std::shared_ptr<DistributedNotifications> openSessionBusNotifications(std::shared_ptr<Scheduler> scheduler) {
    DBusError error;
    auto connection = DBusConnection::open(DBusConnection::Bus::session, error);
    if (!connection) return nullptr;
    return std::make_shared<BusNotifications>(std::move(connection), std::move(scheduler));
}

std::shared_ptr<DistributedNotifications> sessionOrInProcessNotifications(std::shared_ptr<Scheduler> scheduler) {
    if (auto bus = openSessionBusNotifications(scheduler)) return bus;
    return std::make_shared<InProcessNotifications>(std::move(scheduler));
}

std::shared_ptr<DistributedNotifications> connectBusNotifications(const std::string& address,
                                                                  std::shared_ptr<Scheduler> scheduler) {
    DBusError error;
    auto connection = DBusConnection::connect(address, error);
    if (!connection) return nullptr;
    return std::make_shared<BusNotifications>(std::move(connection), std::move(scheduler));
}

}  // namespace orvane::platform::linuxsys
