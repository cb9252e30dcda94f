#include "platform/linux/DBusConnection.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace orvane::platform::linuxsys {

// --- errors ----------------------------------------------------------------------------

DBusError DBusError::fromCode(int code) {
    DBusError e;
    e.code = code;
    e.message = std::strerror(code < 0 ? -code : code);
    return e;
}

bool DBusError::serviceMissing() const {
    return named(SD_BUS_ERROR_SERVICE_UNKNOWN) || named(SD_BUS_ERROR_NAME_HAS_NO_OWNER) ||
           named("org.freedesktop.DBus.Error.Spawn.ServiceNotFound");
}

// --- messages --------------------------------------------------------------------------

DBusMessage DBusMessage::adopt(sd_bus_message* message) {
    DBusMessage m;
    m.message_ = message;
    return m;
}

DBusMessage::~DBusMessage() { sd_bus_message_unref(message_); }

DBusMessage::DBusMessage(DBusMessage&& other) noexcept : message_(std::exchange(other.message_, nullptr)) {}

DBusMessage& DBusMessage::operator=(DBusMessage&& other) noexcept {
    if (this != &other) {
        sd_bus_message_unref(message_);
        message_ = std::exchange(other.message_, nullptr);
    }
    return *this;
}

std::optional<std::vector<std::string>> DBusMessage::readStrings(sd_bus_message* message) {
    char** list = nullptr;
    if (sd_bus_message_read_strv(message, &list) < 0) return std::nullopt;
    std::vector<std::string> strings;
    for (char** item = list; item && *item; ++item) {
        strings.emplace_back(*item);
        std::free(*item);
    }
    std::free(list);
    return strings;
}

// --- slots -----------------------------------------------------------------------------

DBusSlot::~DBusSlot() { reset(); }

DBusSlot::DBusSlot(DBusSlot&& other) noexcept
    : slot_(std::exchange(other.slot_, nullptr)), handler_(std::move(other.handler_)) {}

DBusSlot& DBusSlot::operator=(DBusSlot&& other) noexcept {
    if (this != &other) {
        reset();
        slot_ = std::exchange(other.slot_, nullptr);
        handler_ = std::move(other.handler_);
    }
    return *this;
}

void DBusSlot::reset() {
    // The registration goes before the callback it points at.
    slot_ = sd_bus_slot_unref(slot_);
    handler_.reset();
}

// --- the connection --------------------------------------------------------------------

std::unique_ptr<DBusConnection> DBusConnection::open(Bus bus, DBusError& error) {
    sd_bus* raw = nullptr;
    const int r = bus == Bus::session ? sd_bus_open_user(&raw) : sd_bus_open_system(&raw);
    if (r < 0) {
        error = DBusError::fromCode(r);
        return nullptr;
    }
    return std::unique_ptr<DBusConnection>(new DBusConnection(raw));
}

std::unique_ptr<DBusConnection> DBusConnection::connect(const std::string& address, DBusError& error) {
    sd_bus* raw = nullptr;
    int r = sd_bus_new(&raw);
    if (r >= 0) r = sd_bus_set_address(raw, address.c_str());
    if (r >= 0) r = sd_bus_set_bus_client(raw, 1);
    if (r >= 0) r = sd_bus_start(raw);
    if (r < 0) {
        sd_bus_flush_close_unref(raw);
        error = DBusError::fromCode(r);
        return nullptr;
    }
    return std::unique_ptr<DBusConnection>(new DBusConnection(raw));
}

DBusConnection::~DBusConnection() { sd_bus_flush_close_unref(bus_); }

int DBusConnection::fd() const { return sd_bus_get_fd(bus_); }

DBusReply DBusConnection::finish(int r, sd_bus_error& error, sd_bus_message* reply) {
    DBusReply answer;
    answer.message = DBusMessage::adopt(reply);
    if (r < 0) {
        DBusError e = DBusError::fromCode(r);
        if (error.name) e.name = error.name;
        if (error.message) e.message = error.message;
        else if (error.name) e.message = error.name;
        answer.error = std::move(e);
    }
    sd_bus_error_free(&error);
    return answer;
}

DBusReply DBusConnection::call(const DBusObject& target, const char* member,
                               const std::function<int(sd_bus_message*)>& append, std::uint64_t timeoutMicroseconds) {
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_call(bus_, &raw, serviceOrNull(target), target.path.c_str(),
                                           target.interface.c_str(), member);
    const DBusMessage request = DBusMessage::adopt(raw);
    if (r >= 0 && append) r = append(raw);
    sd_bus_error error{};
    sd_bus_message* reply = nullptr;
    if (r >= 0) r = sd_bus_call(bus_, raw, timeoutMicroseconds, &error, &reply);
    return finish(r, error, reply);
}

std::optional<DBusError> DBusConnection::getProperty(const DBusObject& target, const char* property, char type,
                                                     void* out) {
    sd_bus_error error{};
    const int r = sd_bus_get_property_trivial(bus_, serviceOrNull(target), target.path.c_str(),
                                              target.interface.c_str(), property, &error, type, out);
    return finish(r, error, nullptr).error;
}

int DBusConnection::dispatch(sd_bus_message* message, void* userdata, sd_bus_error*) {
    return (*static_cast<std::function<int(sd_bus_message*)>*>(userdata))(message);
}

DBusSlot DBusConnection::matchSignal(const char* sender, const char* path, const char* interface, const char* member,
                                     std::function<void(sd_bus_message*)> onSignal, DBusError* error) {
    DBusSlot slot;
    slot.handler_ =
        std::make_unique<std::function<int(sd_bus_message*)>>([onSignal = std::move(onSignal)](sd_bus_message* m) {
            onSignal(m);
            return 0;  // other matches see it too
        });
    const int r =
        sd_bus_match_signal(bus_, &slot.slot_, sender, path, interface, member, &dispatch, slot.handler_.get());
    if (r < 0) {
        if (error) *error = DBusError::fromCode(r);
        return {};
    }
    return slot;
}

DBusSlot DBusConnection::addObject(const char* path, std::function<int(sd_bus_message*)> onMessage, DBusError* error) {
    DBusSlot slot;
    slot.handler_ = std::make_unique<std::function<int(sd_bus_message*)>>(std::move(onMessage));
    const int r = sd_bus_add_object(bus_, &slot.slot_, path, &dispatch, slot.handler_.get());
    if (r < 0) {
        if (error) *error = DBusError::fromCode(r);
        return {};
    }
    return slot;
}

DBusSlot DBusConnection::addVtable(const char* path, const char* interface, const sd_bus_vtable* vtable, void* userdata,
                                   DBusError* error) {
    DBusSlot slot;
    const int r = sd_bus_add_object_vtable(bus_, &slot.slot_, path, interface, vtable, userdata);
    if (r < 0) {
        if (error) *error = DBusError::fromCode(r);
        return {};
    }
    return slot;
}

std::optional<DBusError> DBusConnection::requestName(const char* name, std::uint64_t flags) {
    const int r = sd_bus_request_name(bus_, name, flags);
    if (r < 0) return DBusError::fromCode(r);
    return std::nullopt;
}

std::optional<DBusError> DBusConnection::releaseName(const char* name) {
    const int r = sd_bus_release_name(bus_, name);
    if (r < 0) return DBusError::fromCode(r);
    return std::nullopt;
}

std::optional<DBusError> DBusConnection::processPending() {
    for (;;) {
        const int r = sd_bus_process(bus_, nullptr);
        if (r < 0) return DBusError::fromCode(r);
        if (r == 0) break;
    }
    const int r = sd_bus_flush(bus_);
    if (r < 0) return DBusError::fromCode(r);
    return std::nullopt;
}

void DBusConnection::wait(std::uint64_t timeoutMicroseconds) { sd_bus_wait(bus_, timeoutMicroseconds); }

Handle DBusConnection::watch(Scheduler& scheduler, std::function<void(const DBusError&)> lost) {
    struct Watch {
        Handle fd;
        std::function<void(const DBusError&)> lost;
    };
    auto state = std::make_shared<Watch>();
    state->lost = std::move(lost);
    // The fd watch lives in the state, so its callback may point at the state plainly.
    Watch* raw = state.get();
    auto serve = [this, raw] {
        if (auto failure = processPending()) {
            auto lostCall = raw->lost;
            raw->fd.cancel();
            if (lostCall) lostCall(*failure);
        }
    };
    state->fd = scheduler.watchFd(fd(), FdEvent::readable, serve);
    serve();  // what sd-bus read before the watch began
    return Handle([state] { state->fd.cancel(); });
}

}  // namespace orvane::platform::linuxsys
