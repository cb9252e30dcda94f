#pragma once
// One connection to a D-Bus bus through sd-bus, with the few operations the Linux ports
// need: method calls, property access, signal matches, exported objects, well-known
// names, and a descriptor the scheduler watches. Everything sd-bus hands out is owned by
// a small RAII type, so no caller frees anything by hand. A connection belongs to the
// thread that uses it (sd-bus is not thread-safe); a worker opens its own.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <systemd/sd-bus.h>

#include "platform/Scheduler.h"

namespace orvane::platform::linuxsys {

// A failure of a call or of the connection.
struct DBusError {
    int code = 0;         // negative errno, as sd-bus returns it
    std::string name;     // the D-Bus error name where the peer sent one
    std::string message;  // readable text: the peer's message, else its name, else strerror

    bool named(const char* errorName) const { return name == errorName; }
    // Nobody owns or can start the service that was called.
    bool serviceMissing() const;

    static DBusError fromCode(int code);
};

// One reference to a message.
class DBusMessage {
public:
    DBusMessage() = default;
    // Takes over the caller's reference.
    static DBusMessage adopt(sd_bus_message* message);
    ~DBusMessage();
    DBusMessage(DBusMessage&& other) noexcept;
    DBusMessage& operator=(DBusMessage&& other) noexcept;
    DBusMessage(const DBusMessage&) = delete;
    DBusMessage& operator=(const DBusMessage&) = delete;

    sd_bus_message* get() const { return message_; }
    explicit operator bool() const { return message_ != nullptr; }

    // sd_bus_message_read with the same type string; false on a mismatch.
    template <class... A>
    bool read(const char* types, A... out) const {
        return message_ && sd_bus_message_read(message_, types, out...) >= 0;
    }
    // An "as" argument.
    static std::optional<std::vector<std::string>> readStrings(sd_bus_message* message);

private:
    sd_bus_message* message_ = nullptr;
};

// The answer to a method call: the reply, or the error.
struct DBusReply {
    DBusMessage message;
    std::optional<DBusError> error;
    explicit operator bool() const { return !error; }
};

// A registration on the bus (a signal match, an object, a vtable); cancelled when the
// slot goes. Holds the callback it registered.
class DBusSlot {
public:
    DBusSlot() = default;
    ~DBusSlot();
    DBusSlot(DBusSlot&& other) noexcept;
    DBusSlot& operator=(DBusSlot&& other) noexcept;
    DBusSlot(const DBusSlot&) = delete;
    DBusSlot& operator=(const DBusSlot&) = delete;

    explicit operator bool() const { return slot_ != nullptr; }
    void reset();

private:
    friend class DBusConnection;
    sd_bus_slot* slot_ = nullptr;
    std::unique_ptr<std::function<int(sd_bus_message*)>> handler_;
};

// Where a call goes.
struct DBusObject {
    std::string service;  // empty for a direct peer
    std::string path;
    std::string interface;
};

class DBusConnection {
public:
    enum class Bus { session, system };

    // The user's session bus or the system bus (DBUS_*_BUS_ADDRESS are honoured).
    static std::unique_ptr<DBusConnection> open(Bus bus, DBusError& error);
    // A bus at an explicit address ("unix:path=..."), such as a private daemon.
    static std::unique_ptr<DBusConnection> connect(const std::string& address, DBusError& error);
    ~DBusConnection();
    DBusConnection(const DBusConnection&) = delete;
    DBusConnection& operator=(const DBusConnection&) = delete;

    sd_bus* get() const { return bus_; }
    // What the scheduler watches for readability; see watch().
    int fd() const;

    // A call with arguments appended by sd-bus's type string ("" for none); blocks for up
    // to the bus's default timeout.
    template <class... A>
    DBusReply call(const DBusObject& target, const char* member, const char* types, A... args) {
        sd_bus_error error{};
        sd_bus_message* reply = nullptr;
        const int r = sd_bus_call_method(bus_, serviceOrNull(target), target.path.c_str(), target.interface.c_str(),
                                         member, &error, &reply, types, args...);
        return finish(r, error, reply);
    }
    // A call whose arguments `append` writes, waiting at most `timeoutMicroseconds`
    // (0: the bus's default).
    DBusReply call(const DBusObject& target, const char* member, const std::function<int(sd_bus_message*)>& append,
                   std::uint64_t timeoutMicroseconds = 0);

    template <class... A>
    std::optional<DBusError> setProperty(const DBusObject& target, const char* property, const char* type, A... value) {
        sd_bus_error error{};
        const int r = sd_bus_set_property(bus_, serviceOrNull(target), target.path.c_str(), target.interface.c_str(),
                                          property, &error, type, value...);
        return finish(r, error, nullptr).error;
    }
    // A property of a basic type ('d', 'u', 'b', ...) into `out`.
    std::optional<DBusError> getProperty(const DBusObject& target, const char* property, char type, void* out);

    template <class... A>
    std::optional<DBusError> emitSignal(const char* path, const char* interface, const char* member, const char* types,
                                        A... args) {
        const int r = sd_bus_emit_signal(bus_, path, interface, member, types, args...);
        if (r < 0) return DBusError::fromCode(r);
        return std::nullopt;
    }

    // Calls `onSignal` for every matching signal (null strings match anything).
    DBusSlot matchSignal(const char* sender, const char* path, const char* interface, const char* member,
                         std::function<void(sd_bus_message*)> onSignal, DBusError* error = nullptr);
    // Every message to `path`: `onMessage` answers with > 0 when it handled it, 0 to pass
    // it on, < 0 (an errno) to have sd-bus answer with that error.
    DBusSlot addObject(const char* path, std::function<int(sd_bus_message*)> onMessage, DBusError* error = nullptr);
    // An interface described by an sd-bus vtable; `userdata` reaches its handlers.
    DBusSlot addVtable(const char* path, const char* interface, const sd_bus_vtable* vtable, void* userdata,
                       DBusError* error = nullptr);

    // Owns `name`; a name someone else owns fails with code -EEXIST.
    std::optional<DBusError> requestName(const char* name, std::uint64_t flags = 0);
    std::optional<DBusError> releaseName(const char* name);

    // Runs everything that has arrived and sends what is queued; the error when the
    // connection is lost.
    std::optional<DBusError> processPending();
    // Waits until something arrives or `timeoutMicroseconds` pass.
    void wait(std::uint64_t timeoutMicroseconds);
    // Processes whenever the descriptor is readable on `scheduler`'s loop; `lost` is
    // called once when the connection fails, after which the watch ends.
    Handle watch(Scheduler& scheduler, std::function<void(const DBusError&)> lost);

private:
    explicit DBusConnection(sd_bus* bus) : bus_(bus) {}
    static const char* serviceOrNull(const DBusObject& target) {
        return target.service.empty() ? nullptr : target.service.c_str();
    }
    static DBusReply finish(int r, sd_bus_error& error, sd_bus_message* reply);
    static int dispatch(sd_bus_message* message, void* userdata, sd_bus_error* error);

    sd_bus* bus_ = nullptr;
};

}  // namespace orvane::platform::linuxsys
