#pragma once
// A panel's StatusNotifierWatcher with a host registered, served on its own connection to
// a session bus from a thread of its own: it notes the item that registers, so a test or a
// probe can find Orvane's StatusNotifierItem and call it.
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include <systemd/sd-bus.h>

namespace orvane::testing {

class FakeStatusNotifierWatcher {
public:
    explicit FakeStatusNotifierWatcher(const std::string& address) {
        if (sd_bus_new(&bus_) < 0) return;
        sd_bus_set_address(bus_, address.c_str());
        sd_bus_set_bus_client(bus_, 1);
        ready_ =
            sd_bus_start(bus_) >= 0 &&
            sd_bus_add_object(bus_, nullptr, "/StatusNotifierWatcher", &FakeStatusNotifierWatcher::handle, this) >= 0 &&
            sd_bus_request_name(bus_, "org.kde.StatusNotifierWatcher", 0) >= 0;
        if (!ready_) return;
        thread_ = std::thread([this] {
            while (!stop_)
                if (sd_bus_process(bus_, nullptr) == 0) sd_bus_wait(bus_, 20'000);
        });
    }
    ~FakeStatusNotifierWatcher() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (bus_) sd_bus_flush_close_unref(bus_);
    }
    FakeStatusNotifierWatcher(const FakeStatusNotifierWatcher&) = delete;
    FakeStatusNotifierWatcher& operator=(const FakeStatusNotifierWatcher&) = delete;

    bool ready() const { return ready_; }
    // What the item registered: a bus name, or an object path on its sender's connection.
    std::string item() const {
        std::lock_guard lock(mutex_);
        return item_;
    }
    std::string itemSender() const {
        std::lock_guard lock(mutex_);
        return sender_;
    }
    // The bus name to call the item on; empty until one registered.
    std::string service() const {
        std::lock_guard lock(mutex_);
        return item_.empty() || item_.front() == '/' ? sender_ : item_;
    }

private:
    static constexpr const char* introspection = R"(<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
 </interface>
</node>)";

    static int handle(sd_bus_message* m, void* userdata, sd_bus_error*) {
        auto& self = *static_cast<FakeStatusNotifierWatcher*>(userdata);
        constexpr const char* iface = "org.kde.StatusNotifierWatcher";
        if (sd_bus_message_is_method_call(m, iface, "RegisterStatusNotifierItem")) {
            const char* service = nullptr;
            sd_bus_message_read(m, "s", &service);
            const char* sender = sd_bus_message_get_sender(m);
            {
                std::lock_guard lock(self.mutex_);
                self.item_ = service ? service : "";
                self.sender_ = sender ? sender : "";
            }
            return sd_bus_reply_method_return(m, "");
        }
        if (sd_bus_message_is_method_call(m, iface, "RegisterStatusNotifierHost"))
            return sd_bus_reply_method_return(m, "");
        if (sd_bus_message_is_method_call(m, "org.freedesktop.DBus.Introspectable", "Introspect"))
            return sd_bus_reply_method_return(m, "s", introspection);
        if (sd_bus_message_is_method_call(m, "org.freedesktop.DBus.Properties", "Get")) {
            const char* interface = nullptr;
            const char* name = nullptr;
            sd_bus_message_read(m, "ss", &interface, &name);
            const std::string n = name ? name : "";
            if (n == "IsStatusNotifierHostRegistered") return sd_bus_reply_method_return(m, "v", "b", 1);
            if (n == "ProtocolVersion") return sd_bus_reply_method_return(m, "v", "i", 0);
            if (n == "RegisteredStatusNotifierItems") return sd_bus_reply_method_return(m, "v", "as", 0);
        }
        return 0;
    }

    sd_bus* bus_ = nullptr;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::string item_, sender_;
    std::thread thread_;
};

}  // namespace orvane::testing
