#pragma once
// A small stand-in for logind on a private bus, answering from a thread of its own: the
// session's LockedHint, IdleHint, IdleSinceHint and Id, the manager's ListInhibitors, and the PrepareForSleep and
// session Active signals, sent when the test asks.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <systemd/sd-bus.h>

#include "platform/linux/DBusConnection.h"
#include "platform/linux/LogindSession.h"

namespace orvane::testing {

using platform::linuxsys::DBusConnection;
using platform::linuxsys::DBusError;
using platform::linuxsys::DBusSlot;
using platform::linuxsys::Inhibitor;

class FakeLogind {
public:
    enum class Lock { unlocked, locked, notABoolean, refused };

    FakeLogind(const std::string& address, Lock lock, std::vector<Inhibitor> inhibitors, bool listFails = false)
        : lock_(lock), inhibitors_(std::move(inhibitors)), listFails_(listFails) {
        DBusError error;
        bus_ = DBusConnection::connect(address, error);
        if (!bus_) return;
        session_ =
            bus_->addObject("/org/freedesktop/login1/session/auto", [this](sd_bus_message* m) { return session(m); });
        manager_ = bus_->addObject("/org/freedesktop/login1", [this](sd_bus_message* m) { return manager(m); });
        ready_ = session_ && manager_ && !bus_->requestName("org.freedesktop.login1");
        if (!ready_) return;
        thread_ = std::thread([this] {
            while (!stop_) {
                bus_->processPending();
                sendQueued();
                bus_->wait(20'000);
            }
        });
    }
    // Signals go out from the fake's own thread, which alone touches its connection.
    enum class Signal { sleeping, woke, sessionActive, sessionInactive, otherSessionActive };
    void send(Signal signal) {
        const std::lock_guard lock(mutex_);
        queued_.push_back(signal);
    }
    ~FakeLogind() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    bool ready() const { return ready_; }
    // The session's IdleHint, and IdleSinceHint in microseconds of the real-time clock.
    void setIdle(bool idle, std::uint64_t sinceMicroseconds) {
        idleHint_ = idle;
        idleSince_ = sinceMicroseconds;
    }

private:
    void sendQueued() {
        std::vector<Signal> signals;
        {
            const std::lock_guard lock(mutex_);
            signals.swap(queued_);
        }
        for (const Signal s : signals) {
            switch (s) {
                case Signal::sleeping:
                case Signal::woke:
                    bus_->emitSignal("/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
                                     "b", s == Signal::sleeping ? 1 : 0);
                    break;
                case Signal::sessionActive:
                case Signal::sessionInactive:
                case Signal::otherSessionActive:
                    emitActive(s == Signal::otherSessionActive ? "/org/freedesktop/login1/session/c9"
                                                               : "/org/freedesktop/login1/session/c2",
                               s != Signal::sessionInactive);
                    break;
            }
        }
        bus_->processPending();
    }
    void emitActive(const char* path, bool active) {
        sd_bus_message* m = nullptr;
        int r =
            sd_bus_message_new_signal(bus_->get(), &m, path, "org.freedesktop.DBus.Properties", "PropertiesChanged");
        if (r >= 0) r = sd_bus_message_append(m, "s", "org.freedesktop.login1.Session");
        if (r >= 0) r = sd_bus_message_append(m, "a{sv}", 2, "IdleHint", "b", 0, "Active", "b", active ? 1 : 0);
        if (r >= 0) r = sd_bus_message_append(m, "as", 0);
        if (r >= 0) sd_bus_send(bus_->get(), m, nullptr);
        sd_bus_message_unref(m);
    }

    int session(sd_bus_message* m) {
        if (sd_bus_message_is_method_call(m, "org.freedesktop.DBus.Properties", "Get") <= 0) return 0;
        const char* interface = nullptr;
        const char* property = nullptr;
        if (sd_bus_message_read(m, "ss", &interface, &property) >= 0 &&
            std::string(interface) == "org.freedesktop.login1.Session" && std::string(property) == "Id")
            return sd_bus_reply_method_return(m, "v", "s", "c2");
        if (interface && property && std::string(interface) == "org.freedesktop.login1.Session" &&
            std::string(property) == "IdleHint")
            return sd_bus_reply_method_return(m, "v", "b", idleHint_.load() ? 1 : 0);
        if (interface && property && std::string(interface) == "org.freedesktop.login1.Session" &&
            std::string(property) == "IdleSinceHint")
            return sd_bus_reply_method_return(m, "v", "t", idleSince_.load());
        if (!interface || !property || std::string(interface) != "org.freedesktop.login1.Session" ||
            std::string(property) != "LockedHint")
            return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_UNKNOWN_PROPERTY, "Unknown property");
        switch (lock_) {
            case Lock::unlocked:
                return sd_bus_reply_method_return(m, "v", "b", 0);
            case Lock::locked:
                return sd_bus_reply_method_return(m, "v", "b", 1);
            case Lock::notABoolean:
                return sd_bus_reply_method_return(m, "v", "s", "yes");
            case Lock::refused:
                break;
        }
        return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_ACCESS_DENIED, "Access denied");
    }

    int manager(sd_bus_message* m) {
        if (sd_bus_message_is_method_call(m, "org.freedesktop.login1.Manager", "ListInhibitors") <= 0) return 0;
        if (listFails_) return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_FAILED, "Failed");
        sd_bus_message* reply = nullptr;
        int r = sd_bus_message_new_method_return(m, &reply);
        if (r >= 0) r = sd_bus_message_open_container(reply, SD_BUS_TYPE_ARRAY, "(ssssuu)");
        for (const auto& i : inhibitors_)
            if (r >= 0)
                r = sd_bus_message_append(reply, "(ssssuu)", i.what.c_str(), i.who.c_str(), i.why.c_str(),
                                          i.mode.c_str(), i.uid, i.pid);
        if (r >= 0) r = sd_bus_message_close_container(reply);
        if (r >= 0) r = sd_bus_send(nullptr, reply, nullptr);
        sd_bus_message_unref(reply);
        return r < 0 ? r : 1;
    }

    Lock lock_;
    std::vector<Inhibitor> inhibitors_;
    bool listFails_;
    std::unique_ptr<DBusConnection> bus_;
    DBusSlot session_, manager_;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> idleHint_{false};
    std::atomic<std::uint64_t> idleSince_{0};
    std::mutex mutex_;
    std::vector<Signal> queued_;
    std::thread thread_;
};

}  // namespace orvane::testing
