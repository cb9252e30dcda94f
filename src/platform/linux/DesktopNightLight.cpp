#include "platform/linux/DesktopNightLight.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gio/gio.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/linux/DBusConnection.h"
#include "platform/linux/KConfigText.h"

namespace orvane::platform::linuxsys {

namespace {

const Log& log() {
    static const Log l("nightshift");
    return l;
}

constexpr std::string_view selectors[] = {"getCCT:",    "setCCT:commit:",      "getStrength:", "setStrength:commit:",
                                          "setActive:", "getBlueLightStatus:", "getCCTRange:"};

bool knownSelector(std::string_view selector) {
    return std::find(std::begin(selectors), std::end(selectors), selector) != std::end(selectors);
}

// A desktop has no strength of its own: the strength a temperature stands for, between
// 6000 K (none) and 2700 K (full), is what the record keeps.
float strengthOf(double kelvin) {
    const double s = (6000.0 - kelvin) / (6000.0 - 2700.0);
    return static_cast<float>(std::clamp(std::isnan(s) ? 0.0 : s, 0.0, 1.0));
}

// Those who asked to hear of changes made elsewhere; one may cancel itself while told.
class OwnChangeListeners {
public:
    Handle add(NightShiftClient::OwnChange changed) {
        const std::uint64_t id = table_->next++;
        table_->listeners.emplace(id, std::move(changed));
        return Handle([weak = std::weak_ptr<Table>(table_), id] {
            if (const auto table = weak.lock()) table->listeners.erase(id);
        });
    }
    void tell(const std::string& key, const std::optional<Value>& value) {
        const auto listeners = table_->listeners;
        for (const auto& [id, changed] : listeners)
            if (table_->listeners.count(id)) changed(key, value);
    }

private:
    struct Table {
        std::map<std::uint64_t, NightShiftClient::OwnChange> listeners;
        std::uint64_t next = 1;
    };
    std::shared_ptr<Table> table_ = std::make_shared<Table>();
};

// ---- GNOME ----------------------------------------------------------------------------

constexpr const char* keyEnabled = "night-light-enabled";
constexpr const char* keyTemperature = "night-light-temperature";
constexpr const char* keyAutomatic = "night-light-schedule-automatic";
constexpr const char* keyFrom = "night-light-schedule-from";
constexpr const char* keyTo = "night-light-schedule-to";
constexpr const char* gnomeKeys[] = {keyEnabled, keyTemperature, keyAutomatic, keyFrom, keyTo};

// A key's value as the record keeps it; absent for a type the record does not keep.
std::optional<Value> recordValue(GVariant* v) {
    if (g_variant_is_of_type(v, G_VARIANT_TYPE_BOOLEAN)) return Value(static_cast<bool>(g_variant_get_boolean(v)));
    if (g_variant_is_of_type(v, G_VARIANT_TYPE_UINT32))
        return Value(static_cast<std::int64_t>(g_variant_get_uint32(v)));
    if (g_variant_is_of_type(v, G_VARIANT_TYPE_DOUBLE)) return Value(g_variant_get_double(v));
    return std::nullopt;
}

// GSettings tells of a change in the main context that was the thread's default when the
// settings were made. This one is the client's own, held by the main thread for good (so
// news from GSettings' own threads wakes it) and run from the scheduler, whatever loop the
// toolkit runs.
class ContextPump {
public:
    explicit ContextPump(std::shared_ptr<Scheduler> scheduler)
        : scheduler_(std::move(scheduler)), context_(g_main_context_new()) {
        g_main_context_acquire(context_);
    }
    ~ContextPump() {
        watches_.clear();
        timer_.cancel();
        g_main_context_release(context_);
        g_main_context_unref(context_);
    }
    ContextPump(const ContextPump&) = delete;
    ContextPump& operator=(const ContextPump&) = delete;

    GMainContext* context() const { return context_; }

    // Runs what is ready, then waits through the scheduler for what the context waits for.
    void pump() {
        while (g_main_context_iteration(context_, FALSE)) {}
        if (!scheduler_) return;
        gint priority = 0;
        (void)g_main_context_prepare(context_, &priority);
        std::vector<GPollFD> fds(8);
        gint timeout = -1;
        gint count = g_main_context_query(context_, priority, &timeout, fds.data(), static_cast<gint>(fds.size()));
        if (count > static_cast<gint>(fds.size())) {
            fds.resize(static_cast<std::size_t>(count));
            count = g_main_context_query(context_, priority, &timeout, fds.data(), count);
        }
        fds.resize(static_cast<std::size_t>(count));
        // Ends the round without dispatching; the next pump dispatches what is ready.
        (void)g_main_context_check(context_, priority, fds.data(), count);
        std::vector<std::pair<int, bool>> wanted;
        for (const GPollFD& fd : fds) wanted.emplace_back(fd.fd, (fd.events & G_IO_OUT) != 0);
        if (wanted != watched_) {
            watches_.clear();
            for (const auto& [fd, writable] : wanted)
                watches_.push_back(
                    scheduler_->watchFd(fd, writable ? FdEvent::writable : FdEvent::readable, [this] { pump(); }));
            watched_ = wanted;
        }
        if (timeout >= 0) timer_ = scheduler_->schedule(timeout / 1000.0, 0.05, [this] { pump(); });
        else timer_.cancel();
    }

private:
    std::shared_ptr<Scheduler> scheduler_;
    GMainContext* context_;
    std::vector<std::pair<int, bool>> watched_;
    std::vector<Handle> watches_;
    Handle timer_;
};

const DBusObject gnomeColor{"org.gnome.SettingsDaemon.Color", "/org/gnome/SettingsDaemon/Color",
                            "org.gnome.SettingsDaemon.Color"};

// The range a key's schema allows, or absent when it sets none.
std::optional<std::pair<double, double>> keyRange(GSettingsSchema* schema, const char* key) {
    GSettingsSchemaKey* k = g_settings_schema_get_key(schema, key);
    if (!k) return std::nullopt;
    GVariant* range = g_settings_schema_key_get_range(k);
    g_settings_schema_key_unref(k);
    std::optional<std::pair<double, double>> out;
    const gchar* kind = nullptr;
    GVariant* bounds = nullptr;
    g_variant_get(range, "(&sv)", &kind, &bounds);
    if (std::string_view(kind) == "range") {
        if (g_variant_is_of_type(bounds, G_VARIANT_TYPE("(uu)"))) {
            guint32 low = 0, high = 0;
            g_variant_get(bounds, "(uu)", &low, &high);
            out = std::pair<double, double>(low, high);
        } else if (g_variant_is_of_type(bounds, G_VARIANT_TYPE("(dd)"))) {
            double low = 0, high = 0;
            g_variant_get(bounds, "(dd)", &low, &high);
            out = std::pair<double, double>(low, high);
        }
    }
    g_variant_unref(bounds);
    g_variant_unref(range);
    return out;
}

class GnomeNightLight final : public NightShiftClient {
public:
    GnomeNightLight(GSettingsSchema* schema, std::shared_ptr<DBusConnection> bus, GSettingsBackend* backend,
                    std::shared_ptr<Scheduler> scheduler)
        : pump_(std::move(scheduler)), bus_(std::move(bus)) {
        g_main_context_push_thread_default(pump_.context());
        settings_ = g_settings_new_full(schema, backend, nullptr);
        // One change of several keys reaches the settings daemon as one.
        g_settings_delay(settings_);
        changed_ = g_signal_connect(settings_, "changed", G_CALLBACK(+[](GSettings*, const char* key, gpointer self) {
                                        static_cast<GnomeNightLight*>(self)->noticeOwnChange(key);
                                    }),
                                    this);
        g_main_context_pop_thread_default(pump_.context());
        for (const char* key : gnomeKeys) known_[key] = ownValue(key);
        pump_.pump();
        const auto temperature = keyRange(schema, keyTemperature).value_or(std::pair<double, double>(1000, 10000));
        limits_ = {static_cast<int>(temperature.first), static_cast<int>(temperature.second)};
        const auto from = keyRange(schema, keyFrom).value_or(std::pair<double, double>(0, 24));
        const auto to = keyRange(schema, keyTo).value_or(std::pair<double, double>(0, 24));
        dayStart_ = std::max(0.0, from.first);
        dayEnd_ = std::min(24.0, to.second);
        g_settings_schema_unref(schema);
    }
    ~GnomeNightLight() override {
        g_signal_handler_disconnect(settings_, changed_);
        g_settings_apply(settings_);
        g_settings_sync();
        g_object_unref(settings_);
    }
    GnomeNightLight(const GnomeNightLight&) = delete;
    GnomeNightLight& operator=(const GnomeNightLight&) = delete;

    bool respondsTo(std::string_view selector) const override { return knownSelector(selector); }

    std::optional<BlueLightStatus> blueLightStatus() override {
        const bool enabled = g_settings_get_boolean(settings_, keyEnabled);
        // The daemon knows whether its schedule has night light on now; without it the
        // switch is all there is to go by.
        const auto active = daemonFlag("NightLightActive");
        return BlueLightStatus{enabled && active.value_or(true), enabled};
    }
    std::optional<float> cct() override { return static_cast<float>(g_settings_get_uint(settings_, keyTemperature)); }
    std::optional<float> strength() override { return strengthOf(g_settings_get_uint(settings_, keyTemperature)); }
    std::optional<std::array<float, 3>> cctRange() override {
        return std::array<float, 3>{static_cast<float>(limits_.first), static_cast<float>(limits_.second),
                                    static_cast<float>((limits_.first + limits_.second) / 2)};
    }
    bool setCCTRange(const std::array<float, 3>&) override { return false; }

    void setCCT(float kelvin, bool) override {
        noticeOwnChanges();
        const auto k = static_cast<guint32>(
            std::clamp(std::lround(kelvin), static_cast<long>(limits_.first), static_cast<long>(limits_.second)));
        if (g_settings_get_uint(settings_, keyTemperature) != k) write(keyTemperature, g_variant_new_uint32(k));
        wholeDay();
        commit();
    }
    void setStrength(float, bool) override {}
    void setActive(bool active) override {
        noticeOwnChanges();
        if (static_cast<bool>(g_settings_get_boolean(settings_, keyEnabled)) != active)
            write(keyEnabled, g_variant_new_boolean(active));
        if (active) wholeDay();
        commit();
    }

    // Only the keys the user has set are kept; the others go back to their defaults by
    // being reset, so the user's store holds exactly what it held.
    Dictionary desktopSettings() override {
        noticeOwnChanges();
        Dictionary own;
        for (const char* key : gnomeKeys)
            if (auto v = ownValue(key)) own[key] = *v;
        return Dictionary{{recordKey(), own}};
    }

    bool restoreDesktopSettings(const Dictionary& record) override {
        const auto it = record.find(recordKey());
        if (it == record.end() || !it->second.dictionary()) return false;
        const Dictionary& own = *it->second.dictionary();
        // A key the user changed just now, not yet told, already holds the user's latest value.
        const auto changedNow = noticeOwnChanges();
        for (const char* key : gnomeKeys) {
            if (changedNow.count(key)) continue;
            const auto found = own.find(key);
            if (found == own.end()) {
                reset(key);
                continue;
            }
            const Value& v = found->second;
            if (key == keyTemperature && v.integer())
                write(key, g_variant_new_uint32(
                               static_cast<guint32>(std::clamp<std::int64_t>(*v.integer(), 0, 0xffffffff))));
            else if ((key == keyFrom || key == keyTo) && v.number()) write(key, g_variant_new_double(*v.number()));
            else if (v.isBool()) write(key, g_variant_new_boolean(*v.get<bool>()));
            else reset(key);
        }
        commit();
        return true;
    }

    std::optional<std::pair<int, int>> temperatureLimits() const override { return limits_; }
    std::string desktopName() const override { return "GNOME"; }
    std::string recordKey() const override { return "gnome"; }
    Handle observeOwnChanges(OwnChange changed) override { return listeners_.add(std::move(changed)); }
    std::string heldElsewhere() override {
        return daemonFlag("DisabledUntilTomorrow").value_or(false) ? "paused until tomorrow from the desktop's menu"
                                                                   : std::string();
    }

private:
    void wholeDay() {
        if (g_settings_get_boolean(settings_, keyAutomatic)) write(keyAutomatic, g_variant_new_boolean(false));
        if (g_settings_get_double(settings_, keyFrom) != dayStart_) write(keyFrom, g_variant_new_double(dayStart_));
        if (g_settings_get_double(settings_, keyTo) != dayEnd_) write(keyTo, g_variant_new_double(dayEnd_));
    }
    // What the user's store holds for `key`; absent where it holds nothing (the default).
    std::optional<Value> ownValue(const char* key) {
        GVariant* v = g_settings_get_user_value(settings_, key);
        if (!v) return std::nullopt;
        auto out = recordValue(v);
        g_variant_unref(v);
        return out;
    }
    // Orvane's own writes: known before GSettings tells of them, so their echo is no news.
    void write(const char* key, GVariant* value) {
        g_variant_ref_sink(value);
        known_[key] = recordValue(value);
        g_settings_set_value(settings_, key, value);
        g_variant_unref(value);
    }
    void reset(const char* key) {
        known_[key] = std::nullopt;
        g_settings_reset(settings_, key);
    }
    // A value of one of the keys Orvane keeps that Orvane did not write is the user's.
    bool noticeOwnChange(std::string_view key) {
        const auto it = known_.find(std::string(key));
        if (it == known_.end()) return false;
        auto now = ownValue(it->first.c_str());
        if (now == it->second) return false;
        it->second = now;
        log().notice("night light: %s changed in GNOME's settings", it->first);
        listeners_.tell(it->first, now);
        return true;
    }
    std::set<std::string> noticeOwnChanges() {
        std::set<std::string> changed;
        for (const char* key : gnomeKeys)
            if (noticeOwnChange(key)) changed.insert(key);
        return changed;
    }
    void commit() {
        if (!g_settings_get_has_unapplied(settings_)) return;
        g_settings_apply(settings_);
        g_settings_sync();
    }
    std::optional<bool> daemonFlag(const char* property) {
        if (!bus_) return std::nullopt;
        int flag = 0;
        if (bus_->getProperty(gnomeColor, property, 'b', &flag)) return std::nullopt;
        return flag != 0;
    }

    ContextPump pump_;  // outlives the settings, whose news it runs
    GSettings* settings_ = nullptr;
    gulong changed_ = 0;
    std::map<std::string, std::optional<Value>> known_;  // each key's value when last seen
    OwnChangeListeners listeners_;
    std::shared_ptr<DBusConnection> bus_;
    std::pair<int, int> limits_;
    double dayStart_ = 0;
    double dayEnd_ = 24;
};

GSettingsSchema* findGnomeSchema(GSettingsSchemaSource* source) {
    if (!source) source = g_settings_schema_source_get_default();
    if (!source) return nullptr;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, gnomeColorSchema, TRUE);
    if (!schema) return nullptr;
    for (const char* key : gnomeKeys) {
        if (!g_settings_schema_has_key(schema, key)) {
            g_settings_schema_unref(schema);
            return nullptr;
        }
    }
    return schema;
}

// ---- KDE Plasma -----------------------------------------------------------------------

constexpr const char* nightColorGroup = "NightColor";
constexpr const char* kdeKeys[] = {"Active", "Mode", "NightTemperature"};

const DBusObject kwinNightLight{"org.kde.KWin", "/org/kde/KWin/NightLight", "org.kde.KWin.NightLight"};
const DBusObject kwinColorCorrect{"org.kde.KWin", "/ColorCorrect", "org.kde.kwin.ColorCorrect"};

class KWinNightLight final : public NightShiftClient {
public:
    KWinNightLight(std::shared_ptr<DBusConnection> bus, DBusObject object, std::filesystem::path kwinrc,
                   const std::shared_ptr<Scheduler>& scheduler)
        : bus_(std::move(bus)), object_(std::move(object)), kwinrc_(std::move(kwinrc)) {
        const auto text = currentText();
        for (const char* key : kdeKeys) known_[key] = text ? kconfig::value(*text, nightColorGroup, key) : std::nullopt;
        watch(scheduler);
    }
    ~KWinNightLight() override {
        watch_.cancel();
        if (inotify_ >= 0) ::close(inotify_);
    }
    KWinNightLight(const KWinNightLight&) = delete;
    KWinNightLight& operator=(const KWinNightLight&) = delete;

    bool respondsTo(std::string_view selector) const override { return knownSelector(selector); }

    std::optional<BlueLightStatus> blueLightStatus() override {
        const auto enabled = flag("enabled");
        const bool on = enabled.value_or(configValue("Active") == "true");
        return BlueLightStatus{on && flag("running").value_or(on), on};
    }
    std::optional<float> cct() override { return static_cast<float>(configuredTemperature()); }
    std::optional<float> strength() override { return strengthOf(configuredTemperature()); }
    std::optional<std::array<float, 3>> cctRange() override {
        return std::array<float, 3>{static_cast<float>(minimum), static_cast<float>(maximum),
                                    static_cast<float>((minimum + maximum) / 2)};
    }
    bool setCCTRange(const std::array<float, 3>&) override { return false; }

    void setCCT(float kelvin, bool) override {
        const long k = std::clamp(std::lround(kelvin), static_cast<long>(minimum), static_cast<long>(maximum));
        change({{"NightTemperature", std::to_string(k)}, {"Mode", "Constant"}});
    }
    void setStrength(float, bool) override {}
    void setActive(bool active) override {
        if (active) change({{"Active", "true"}, {"Mode", "Constant"}});
        else change({{"Active", "false"}});
    }

    // The raw text of each key and whether the group and the file were there, so that
    // putting them back leaves kwinrc as it was.
    Dictionary desktopSettings() override {
        const auto text = readWholeFile(kwinrc_).value_or(std::string());
        Dictionary own{{"file", std::filesystem::exists(kwinrc_)},
                       {"group", kconfig::hasGroup(text, nightColorGroup)},
                       {"finalNewline", text.empty() || text.back() == '\n'}};
        for (const char* key : kdeKeys)
            if (auto v = kconfig::value(text, nightColorGroup, key)) own[key] = *v;
        return Dictionary{{recordKey(), own}};
    }

    bool restoreDesktopSettings(const Dictionary& record) override {
        const auto it = record.find(recordKey());
        if (it == record.end() || !it->second.dictionary()) return false;
        const Dictionary& own = *it->second.dictionary();
        std::string text = readWholeFile(kwinrc_).value_or(std::string());
        // A key the user changed just now, not yet told, already holds the user's latest value.
        const auto changedNow = noticeOwnChanges(text);
        for (const char* key : kdeKeys) {
            if (changedNow.count(key)) continue;
            const auto found = own.find(key);
            std::optional<std::string> v;
            if (found != own.end() && found->second.string()) v = *found->second.string();
            text = kconfig::set(text, nightColorGroup, key, v);
            known_[key] = v;
        }
        const auto flagOf = [&](const char* key) {
            const auto f = own.find(key);
            return f == own.end() || !f->second.isBool() || *f->second.get<bool>();
        };
        if (!flagOf("group")) text = kconfig::removeGroupIfEmpty(text, nightColorGroup);
        if (!flagOf("finalNewline") && !text.empty() && text.back() == '\n') text.pop_back();
        write(text, !flagOf("file") && text.empty());
        reload();
        return true;
    }

    std::optional<std::pair<int, int>> temperatureLimits() const override { return std::pair(minimum, maximum); }
    std::string desktopName() const override { return "KDE Plasma"; }
    std::string recordKey() const override { return "kde"; }
    Handle observeOwnChanges(OwnChange changed) override { return listeners_.add(std::move(changed)); }
    // Orvane never inhibits KWin's night light, so an inhibit is another program's.
    std::string heldElsewhere() override {
        return flag("inhibited").value_or(false) ? "another program has inhibited KWin's night light" : std::string();
    }

private:
    static constexpr int minimum = 1000;
    static constexpr int maximum = 6500;

    std::optional<bool> flag(const char* property) {
        int value = 0;
        if (bus_->getProperty(object_, property, 'b', &value)) return std::nullopt;
        return value != 0;
    }
    std::optional<std::string> configValue(const char* key) const {
        const auto text = readWholeFile(kwinrc_);
        return text ? kconfig::value(*text, nightColorGroup, key) : std::nullopt;
    }
    long configuredTemperature() const {
        const auto v = configValue("NightTemperature");
        try {
            return v ? std::stol(*v) : 4500;  // KWin's default night temperature
        } catch (const std::exception&) {
            return 4500;
        }
    }
    void change(std::initializer_list<std::pair<const char*, std::string>> values) {
        std::string text;
        try {
            text = readWholeFile(kwinrc_).value_or(std::string());
        } catch (const std::exception& e) {
            log().error("cannot read %s: %s", kwinrc_.string(), e.what());
            return;
        }
        noticeOwnChanges(text);
        const std::string before = text;
        for (const auto& [key, v] : values) {
            if (kconfig::value(text, nightColorGroup, key) == v) continue;
            text = kconfig::set(text, nightColorGroup, key, v);
            known_[key] = v;
        }
        if (text == before) return;
        write(text, false);
        reload();
    }
    void write(const std::string& text, bool removeFile) {
        try {
            if (removeFile) {
                std::filesystem::remove(kwinrc_);
                return;
            }
            std::filesystem::create_directories(kwinrc_.parent_path());
            writeFileAtomically(kwinrc_, text);
        } catch (const std::exception& e) {
            log().error("cannot write %s: %s", kwinrc_.string(), e.what());
        }
    }
    // KWin reads its configuration again on this signal, as its settings module asks.
    void reload() {
        if (const auto error = bus_->emitSignal("/KWin", "org.kde.KWin", "reloadConfig", ""))
            log().error("D-Bus org.kde.KWin.reloadConfig: %s", logExcerpt(error->message));
        (void)bus_->processPending();
    }

    std::optional<std::string> currentText() const {
        try {
            return readWholeFile(kwinrc_);
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    // A value of one of the keys Orvane keeps that Orvane did not write is the user's. A
    // file that cannot be read tells nothing.
    std::set<std::string> noticeOwnChanges(const std::string& text) {
        std::set<std::string> changed;
        // A file there but empty is one a writer has just truncated: its finished write
        // comes next. A file that is gone reads as empty too, and has none of the keys.
        std::error_code error;
        if (text.empty() && (std::filesystem::exists(kwinrc_, error) || error)) return changed;
        for (const char* key : kdeKeys) {
            auto now = kconfig::value(text, nightColorGroup, key);
            auto& known = known_[key];
            if (now == known) continue;
            known = now;
            changed.insert(key);
            log().notice("night light: %s changed in kwinrc", key);
            listeners_.tell(key, now ? std::optional<Value>(*now) : std::nullopt);
        }
        return changed;
    }
    // The folder, not the file: KDE's settings and Orvane both replace kwinrc by renaming a
    // new one over it. A finished write, a file renamed into place and a removal are read;
    // a file just made is still empty.
    void watch(const std::shared_ptr<Scheduler>& scheduler) {
        if (!scheduler) return;
        inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotify_ < 0) {
            log().error("inotify_init1: %s", std::strerror(errno));
            return;
        }
        if (::inotify_add_watch(inotify_, kwinrc_.parent_path().c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE) <
            0) {
            log().notice("cannot watch %s (%s): changes in KDE's settings are noticed at Orvane's next write",
                         kwinrc_.parent_path().string(), std::strerror(errno));
            ::close(inotify_);
            inotify_ = -1;
            return;
        }
        watch_ = scheduler->watchFd(inotify_, FdEvent::readable, [this] { readEvents(); });
    }
    void readEvents() {
        alignas(inotify_event) char buffer[4096];
        bool ours = false;
        for (;;) {
            const ssize_t n = ::read(inotify_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len && kwinrc_.filename() == event->name) ours = true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        if (!ours) return;
        noticeOwnChanges(currentText().value_or(std::string()));
    }

    std::shared_ptr<DBusConnection> bus_;
    DBusObject object_;
    std::filesystem::path kwinrc_;
    std::map<std::string, std::optional<std::string>> known_;  // each key's value when last seen
    OwnChangeListeners listeners_;
    int inotify_ = -1;
    Handle watch_;
};

}  // namespace

std::shared_ptr<NightShiftClient> openGnomeNightLight(std::shared_ptr<DBusConnection> bus,
                                                      GSettingsSchemaSource* source, GSettingsBackend* backend,
                                                      std::shared_ptr<Scheduler> scheduler) {
    GSettingsSchema* schema = findGnomeSchema(source);
    if (!schema) return nullptr;
    return std::make_shared<GnomeNightLight>(schema, std::move(bus), backend, std::move(scheduler));
}

std::shared_ptr<NightShiftClient> openKWinNightLight(std::shared_ptr<DBusConnection> bus,
                                                     const std::filesystem::path& kwinrc,
                                                     std::shared_ptr<Scheduler> scheduler) {
    if (!bus) return nullptr;
    for (const auto& object : {kwinNightLight, kwinColorCorrect}) {
        int available = 0;
        if (bus->getProperty(object, "available", 'b', &available)) continue;
        if (!available) return nullptr;  // KWin without colour management on this output
        return std::make_shared<KWinNightLight>(std::move(bus), object, kwinrc, scheduler);
    }
    return nullptr;
}

std::shared_ptr<NightShiftClient> openDesktopNightLight(std::shared_ptr<DBusConnection> bus,
                                                        const std::filesystem::path& kwinrc,
                                                        std::string_view currentDesktops, GSettingsSchemaSource* source,
                                                        GSettingsBackend* backend,
                                                        std::shared_ptr<Scheduler> scheduler) {
    if (auto kwin = openKWinNightLight(bus, kwinrc, scheduler)) {
        log().notice("night light: KDE Plasma (D-Bus org.kde.KWin, kwinrc [NightColor])");
        return kwin;
    }
    int flag = 0;
    const bool daemon = bus && !bus->getProperty(gnomeColor, "NightLightActive", 'b', &flag);
    if (daemon || currentDesktops.find("GNOME") != std::string_view::npos) {
        if (auto gnome = openGnomeNightLight(daemon ? bus : nullptr, source, backend, scheduler)) {
            log().notice("night light: GNOME (GSettings %s)", gnomeColorSchema);
            return gnome;
        }
    }
    log().notice("night light: none (neither KWin nor GNOME's settings daemon answers)");
    return nullptr;
}

std::shared_ptr<NightShiftClient> openDesktopNightLight(std::shared_ptr<Scheduler> scheduler) {
    DBusError error;
    return openDesktopNightLight(DBusConnection::open(DBusConnection::Bus::session, error), configHome() / "kwinrc",
                                 environmentValue("XDG_CURRENT_DESKTOP").value_or(""), nullptr, nullptr,
                                 std::move(scheduler));
}

}  // namespace orvane::platform::linuxsys
