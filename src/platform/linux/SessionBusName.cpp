#include "platform/SessionBusName.h"

#include <cerrno>

#include "platform/Log.h"
#include "platform/linux/DBusConnection.h"
#include "platform/linux/DBusIntents.h"

namespace orvane::platform {

namespace {

using linuxsys::DBusConnection;
using linuxsys::DBusError;

constexpr std::uint64_t handOverTimeout = 10'000'000;  // microseconds
const char* const handOverMember = "HandOver";

class BusNameOwner final : public SessionBusName {
public:
    BusNameOwner(std::unique_ptr<DBusConnection> bus, const Names& names, Received received)
        : bus_(std::move(bus)), names_(names), received_(std::move(received)) {}

    // The object first, so that a start racing this one is answered once we own the name.
    std::optional<DBusError> publish() {
        DBusError error;
        object_ = bus_->addObject(
            names_.objectPath, [this](sd_bus_message* m) { return onMessage(m); }, &error);
        if (!object_) return error;
        return bus_->requestName(names_.busName);
    }

    void listen(Scheduler& scheduler) override {
        watch_ = bus_->watch(scheduler, [this](const DBusError& e) {
            log_.error("session bus connection lost: %{public}s; later starts cannot hand over", e.message);
        });
    }

    bool serveIntents(std::shared_ptr<IntentsPort> port) override {
        DBusError error;
        auto slot = linuxsys::exportIntents(*bus_, *port, &error);
        if (!slot) {
            log_.error("cannot export the actions: %{public}s", error.message);
            return false;
        }
        intents_ = std::move(slot);
        intentsPort_ = std::move(port);
        return true;
    }

private:
    int onMessage(sd_bus_message* message) {
        if (!sd_bus_message_is_method_call(message, names_.interfaceName, handOverMember)) return 0;
        auto arguments = linuxsys::DBusMessage::readStrings(message);
        if (!arguments) return -EINVAL;  // answered with an error by the bus library
        const int replied = sd_bus_reply_method_return(message, nullptr);
        if (received_) received_(std::move(*arguments));
        return replied < 0 ? replied : 1;
    }

    std::unique_ptr<DBusConnection> bus_;
    Names names_;
    Received received_;
    linuxsys::DBusSlot object_;
    std::shared_ptr<IntentsPort> intentsPort_;
    linuxsys::DBusSlot intents_;  // before the port it calls into goes
    Handle watch_;
    Log log_{"app"};
};

std::optional<std::string> handOver(DBusConnection& bus, const SessionBusName::Names& names,
                                    const std::vector<std::string>& arguments) {
    const auto reply = bus.call(
        {names.busName, names.objectPath, names.interfaceName}, handOverMember,
        [&arguments](sd_bus_message* call) {
            std::vector<std::string> copies(arguments);
            std::vector<char*> list;
            for (auto& a : copies) list.push_back(a.data());
            list.push_back(nullptr);
            return sd_bus_message_append_strv(call, list.data());
        },
        handOverTimeout);
    if (reply.error) return reply.error->message;
    return std::nullopt;
}

}  // namespace

SessionBusName::Claim SessionBusName::claim(const Names& names, const std::vector<std::string>& arguments,
                                            Received received) {
    DBusError error;
    auto bus = DBusConnection::open(DBusConnection::Bus::session, error);
    if (!bus) return {Outcome::noBus, nullptr, error.message};
    DBusConnection& connection = *bus;
    auto owner = std::make_unique<BusNameOwner>(std::move(bus), names, std::move(received));
    const auto failure = owner->publish();
    if (!failure) return {Outcome::owner, std::move(owner), {}};
    if (failure->code == -EEXIST) {
        if (auto handOverFailure = handOver(connection, names, arguments))
            return {Outcome::handOverFailed, nullptr, *handOverFailure};
        return {Outcome::handedOver, nullptr, {}};
    }
    return {Outcome::notOwned, nullptr, failure->message};
}

std::optional<std::uint32_t> SessionBusName::ownerProcess(const char* busName) {
    DBusError error;
    const auto bus = DBusConnection::open(DBusConnection::Bus::session, error);
    if (!bus) return std::nullopt;
    const linuxsys::DBusObject daemon{"org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus"};
    const auto owned = bus->call(daemon, "NameHasOwner", "s", busName);
    int has = 0;
    if (!owned || !owned.message.read("b", &has) || !has) return std::nullopt;
    const auto process = bus->call(daemon, "GetConnectionUnixProcessID", "s", busName);
    std::uint32_t pid = 0;
    if (!process || !process.message.read("u", &pid)) return 0;
    return pid;
}

}  // namespace orvane::platform
