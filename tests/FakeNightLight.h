#pragma once
// Stand-ins for the desktops' night light on a private bus:
// - FakeGnomeColor: the settings daemon's org.gnome.SettingsDaemon.Color object, whose
//   NightLightActive the test sets (the daemon works it out from GSettings and the clock).
// - FakeKWin: KWin's org.kde.KWin.NightLight object. Like KWin it reads the [NightColor]
//   group of kwinrc again on the "reloadConfig" signal of /KWin, fades nowhere (the
//   temperature it shows is the one it holds), ends a preview after `previewSeconds`, and
//   keeps inhibit cookies. Every call and every temperature it shows is recorded.
// - gnomeColorSchema(): the settings daemon's night-light keys, compiled for the real
//   GSettings library (GSETTINGS_SCHEMA_DIR or a schema source made from the directory).
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include <systemd/sd-bus.h>

#include "platform/linux/DBusConnection.h"
#include "platform/linux/KConfigText.h"

namespace orvane::testing {

// A desktop's settings file as bytes, read and written whole (the tests compare them so).
inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The limits a schema gives its keys, as the schema's text writes them.
struct GnomeSchemaLimits {
    std::string temperatureMin = "1000", temperatureMax = "10000";
    std::string fromMin = "0", fromMax = "24";
    std::string toMin = "0", toMax = "24";
};

// The night-light keys of the settings daemon's colour schema, with the desktop's key
// names, types and defaults.
inline std::string gnomeColorSchemaText(const GnomeSchemaLimits& l = {}) {
    return R"xml(<?xml version="1.0" encoding="UTF-8"?>
<schemalist>
  <schema id="org.gnome.settings-daemon.plugins.color" path="/org/gnome/settings-daemon/plugins/color/">
    <key name="night-light-enabled" type="b"><default>false</default></key>
    <key name="night-light-temperature" type="u">
      <range min=")xml" +
           l.temperatureMin + R"xml(" max=")xml" + l.temperatureMax + R"xml("/>
      <default>2700</default>
    </key>
    <key name="night-light-schedule-automatic" type="b"><default>true</default></key>
    <key name="night-light-schedule-from" type="d">
      <range min=")xml" +
           l.fromMin + R"xml(" max=")xml" + l.fromMax + R"xml("/>
      <default>20.0</default>
    </key>
    <key name="night-light-schedule-to" type="d">
      <range min=")xml" +
           l.toMin + R"xml(" max=")xml" + l.toMax + R"xml("/>
      <default>6.0</default>
    </key>
    <key name="night-light-last-coordinates" type="(dd)"><default>(91,181)</default></key>
  </schema>
</schemalist>
)xml";
}

struct CompiledSchema {
    std::filesystem::path directory;
    std::string error;  // why it could not be compiled (the compiler is missing)
};

// Compiles a schema text once per process into a directory of its own, removed when the
// process ends.
inline const CompiledSchema& compiledGnomeSchema(const std::string& text = gnomeColorSchemaText()) {
    static std::map<std::string, CompiledSchema> compiled;
    static std::vector<std::filesystem::path> made;
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    if (const auto it = compiled.find(text); it != compiled.end()) return it->second;
    CompiledSchema c;
    std::string pattern = "/tmp/orvane-schema-XXXXXX";
    if (!::mkdtemp(pattern.data())) return compiled[text] = CompiledSchema{{}, "cannot make a directory"};
    c.directory = pattern;
    if (made.empty())
        std::atexit([] {
            std::error_code ignored;
            for (const auto& directory : made) std::filesystem::remove_all(directory, ignored);
        });
    made.push_back(c.directory);
    std::ofstream(c.directory / "org.gnome.settings-daemon.plugins.color.gschema.xml", std::ios::binary) << text;
    const std::string command = "glib-compile-schemas " + c.directory.string() + " 2>/dev/null";
    if (std::system(command.c_str()) != 0 || !std::filesystem::exists(c.directory / "gschemas.compiled"))
        c.error = "glib-compile-schemas (libglib2.0-bin) did not compile the schema";
    return compiled[text] = c;
}

// The colour schema GNOME's settings daemon installs (Debian's gnome-settings-daemon-common),
// compiled on its own like the test schema; its error says when it is not installed.
inline const CompiledSchema& installedGnomeSchema() {
    static const std::filesystem::path installed =
        "/usr/share/glib-2.0/schemas/org.gnome.settings-daemon.plugins.color.gschema.xml";
    static const CompiledSchema missing{{}, "no " + installed.string() + " (gnome-settings-daemon-common)"};
    if (!std::filesystem::exists(installed)) return missing;
    return compiledGnomeSchema(readText(installed));
}

// Serves `bus` on a thread of its own until destroyed.
class BusThread {
public:
    void start(platform::linuxsys::DBusConnection* bus, std::function<void()> tick = {}) {
        thread_ = std::thread([this, bus, tick = std::move(tick)] {
            while (!stop_) {
                (void)bus->processPending();
                if (tick) tick();
                bus->wait(20'000);
            }
        });
    }
    ~BusThread() { stopNow(); }
    void stopNow() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class FakeGnomeColor {
public:
    explicit FakeGnomeColor(const std::string& address) {
        platform::linuxsys::DBusError error;
        bus_ = platform::linuxsys::DBusConnection::connect(address, error);
        if (!bus_) return;
        object_ = bus_->addVtable("/org/gnome/SettingsDaemon/Color", "org.gnome.SettingsDaemon.Color", vtable, this);
        ready_ = static_cast<bool>(object_) && !bus_->requestName("org.gnome.SettingsDaemon.Color");
        if (ready_) thread_.start(bus_.get());
    }
    ~FakeGnomeColor() { thread_.stopNow(); }

    bool ready() const { return ready_; }
    void setActive(bool active) { active_ = active; }
    void setDisabledUntilTomorrow(bool disabled) { disabled_ = disabled; }

private:
    static int getFlag(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply, void* self,
                       sd_bus_error*) {
        auto* fake = static_cast<FakeGnomeColor*>(self);
        const int value =
            std::string_view(property) == "NightLightActive" ? fake->active_.load() : fake->disabled_.load();
        return sd_bus_message_append(reply, "b", value);
    }
    static constexpr sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("NightLightActive", "b", getFlag, 0, 0),
        SD_BUS_PROPERTY("DisabledUntilTomorrow", "b", getFlag, 0, 0),
        SD_BUS_VTABLE_END,
    };

    std::unique_ptr<platform::linuxsys::DBusConnection> bus_;
    platform::linuxsys::DBusSlot object_;
    std::atomic<int> active_{0};
    std::atomic<int> disabled_{0};
    bool ready_ = false;
    BusThread thread_;
};

class FakeKWin {
public:
    // `interfaceName` and `path`: Plasma 6's NightLight, or Plasma 5's ColorCorrect.
    FakeKWin(const std::string& address, std::filesystem::path kwinrc, double previewSeconds = 15,
             const char* path = "/org/kde/KWin/NightLight", const char* interfaceName = "org.kde.KWin.NightLight")
        : kwinrc_(std::move(kwinrc)), previewSeconds_(previewSeconds) {
        platform::linuxsys::DBusError error;
        bus_ = platform::linuxsys::DBusConnection::connect(address, error);
        if (!bus_) return;
        readConfig();
        object_ = bus_->addVtable(path, interfaceName, vtable, this);
        reload_ = bus_->matchSignal(nullptr, "/KWin", "org.kde.KWin", "reloadConfig", [this](sd_bus_message*) {
            std::lock_guard lock(mutex_);
            calls_.push_back("reloadConfig");
            readConfig();
        });
        ready_ = object_ && reload_ && !bus_->requestName("org.kde.KWin");
        if (ready_) thread_.start(bus_.get(), [this] { expirePreview(); });
    }
    ~FakeKWin() { thread_.stopNow(); }

    bool ready() const { return ready_; }
    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    // Every temperature the screen showed, in order (a change only when it differs).
    std::vector<std::uint32_t> shown() const {
        std::lock_guard lock(mutex_);
        return shown_;
    }
    std::uint32_t currentTemperature() const {
        std::lock_guard lock(mutex_);
        return current();
    }
    bool enabled() const {
        std::lock_guard lock(mutex_);
        return enabled_;
    }

private:
    std::uint32_t current() const {
        if (preview_) return preview_;
        return enabled_ && !inhibited() ? night_ : 6500;
    }
    bool inhibited() const { return !cookies_.empty(); }
    void show() {
        const auto now = current();
        if (shown_.empty() || shown_.back() != now) shown_.push_back(now);
    }
    void readConfig() {
        std::ifstream in(kwinrc_);
        std::stringstream text;
        text << in.rdbuf();
        const std::string s = text.str();
        enabled_ = kconfig::value(s, "NightColor", "Active") == "true";
        const auto mode = kconfig::value(s, "NightColor", "Mode").value_or("Automatic");
        mode_ = mode == "Constant" ? 3 : mode == "Timings" ? 2 : mode == "Location" ? 1 : 0;
        try {
            night_ = static_cast<std::uint32_t>(
                std::stoul(kconfig::value(s, "NightColor", "NightTemperature").value_or("4500")));
        } catch (const std::exception&) {
            night_ = 4500;
        }
        show();
    }
    void expirePreview() {
        std::lock_guard lock(mutex_);
        if (preview_ && std::chrono::steady_clock::now() >= previewEnd_) {
            preview_ = 0;
            show();
        }
    }

    static int getProperty(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply, void* self,
                           sd_bus_error*) {
        auto* fake = static_cast<FakeKWin*>(self);
        std::lock_guard lock(fake->mutex_);
        const std::string_view p = property;
        if (p == "available") return sd_bus_message_append(reply, "b", 1);
        if (p == "enabled") return sd_bus_message_append(reply, "b", fake->enabled_ ? 1 : 0);
        if (p == "running") return sd_bus_message_append(reply, "b", fake->enabled_ && !fake->inhibited() ? 1 : 0);
        if (p == "inhibited") return sd_bus_message_append(reply, "b", fake->inhibited() ? 1 : 0);
        if (p == "mode") return sd_bus_message_append(reply, "u", fake->mode_);
        if (p == "targetTemperature") return sd_bus_message_append(reply, "u", fake->night_);
        return sd_bus_message_append(reply, "u", fake->current());
    }
    static int method(sd_bus_message* m, void* self, sd_bus_error*) {
        auto* fake = static_cast<FakeKWin*>(self);
        std::lock_guard lock(fake->mutex_);
        const std::string member = sd_bus_message_get_member(m);
        fake->calls_.push_back(member);
        if (member == "inhibit") {
            const std::uint32_t cookie = ++fake->nextCookie_;
            fake->cookies_.push_back(cookie);
            fake->show();
            return sd_bus_reply_method_return(m, "u", cookie);
        }
        if (member == "uninhibit") {
            std::uint32_t cookie = 0;
            sd_bus_message_read(m, "u", &cookie);
            std::erase(fake->cookies_, cookie);
        } else if (member == "preview") {
            std::uint32_t kelvin = 0;
            sd_bus_message_read(m, "u", &kelvin);
            fake->preview_ = kelvin;
            fake->previewEnd_ =
                std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                       std::chrono::duration<double>(fake->previewSeconds_));
        } else if (member == "stopPreview") {
            fake->preview_ = 0;
        }
        fake->show();
        return sd_bus_reply_method_return(m, "");
    }
    static constexpr sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("available", "b", getProperty, 0, 0),
        SD_BUS_PROPERTY("enabled", "b", getProperty, 0, 0),
        SD_BUS_PROPERTY("running", "b", getProperty, 0, 0),
        SD_BUS_PROPERTY("inhibited", "b", getProperty, 0, 0),
        SD_BUS_PROPERTY("mode", "u", getProperty, 0, 0),
        SD_BUS_PROPERTY("currentTemperature", "u", getProperty, 0, 0),
        SD_BUS_PROPERTY("targetTemperature", "u", getProperty, 0, 0),
        SD_BUS_METHOD("inhibit", "", "u", method, 0),
        SD_BUS_METHOD("uninhibit", "u", "", method, 0),
        SD_BUS_METHOD("preview", "u", "", method, 0),
        SD_BUS_METHOD("stopPreview", "", "", method, 0),
        SD_BUS_VTABLE_END,
    };

    std::filesystem::path kwinrc_;
    double previewSeconds_;
    std::unique_ptr<platform::linuxsys::DBusConnection> bus_;
    platform::linuxsys::DBusSlot object_;
    platform::linuxsys::DBusSlot reload_;
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::vector<std::uint32_t> shown_;
    std::vector<std::uint32_t> cookies_;
    std::uint32_t nextCookie_ = 0;
    std::uint32_t preview_ = 0;
    std::chrono::steady_clock::time_point previewEnd_;
    bool enabled_ = false;
    std::uint32_t mode_ = 0;
    std::uint32_t night_ = 4500;
    bool ready_ = false;
    BusThread thread_;
};

}  // namespace orvane::testing
