#include "platform/linux/DesktopNightLight.h"

#include <algorithm>
#include <cmath>
#include <string>

#include <gio/gio.h>

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

// ---- GNOME ----------------------------------------------------------------------------

constexpr const char* keyEnabled = "night-light-enabled";
constexpr const char* keyTemperature = "night-light-temperature";
constexpr const char* keyAutomatic = "night-light-schedule-automatic";
constexpr const char* keyFrom = "night-light-schedule-from";
constexpr const char* keyTo = "night-light-schedule-to";
constexpr const char* gnomeKeys[] = {keyEnabled, keyTemperature, keyAutomatic, keyFrom, keyTo};

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
    GnomeNightLight(GSettingsSchema* schema, std::shared_ptr<DBusConnection> bus, GSettingsBackend* backend)
        : bus_(std::move(bus)) {
        settings_ = g_settings_new_full(schema, backend, nullptr);
        // One change of several keys reaches the settings daemon as one.
        g_settings_delay(settings_);
        const auto temperature = keyRange(schema, keyTemperature).value_or(std::pair<double, double>(1000, 10000));
        limits_ = {static_cast<int>(temperature.first), static_cast<int>(temperature.second)};
        const auto from = keyRange(schema, keyFrom).value_or(std::pair<double, double>(0, 24));
        const auto to = keyRange(schema, keyTo).value_or(std::pair<double, double>(0, 24));
        dayStart_ = std::max(0.0, from.first);
        dayEnd_ = std::min(24.0, to.second);
        g_settings_schema_unref(schema);
    }
    ~GnomeNightLight() override {
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
        const auto k = static_cast<guint32>(
            std::clamp(std::lround(kelvin), static_cast<long>(limits_.first), static_cast<long>(limits_.second)));
        if (g_settings_get_uint(settings_, keyTemperature) != k) g_settings_set_uint(settings_, keyTemperature, k);
        wholeDay();
        commit();
    }
    void setStrength(float, bool) override {}
    void setActive(bool active) override {
        if (static_cast<bool>(g_settings_get_boolean(settings_, keyEnabled)) != active)
            g_settings_set_boolean(settings_, keyEnabled, active);
        if (active) wholeDay();
        commit();
    }

    // Only the keys the user has set are kept; the others go back to their defaults by
    // being reset, so the user's store holds exactly what it held.
    Dictionary desktopSettings() override {
        Dictionary own;
        for (const char* key : gnomeKeys) {
            GVariant* v = g_settings_get_user_value(settings_, key);
            if (!v) continue;
            if (g_variant_is_of_type(v, G_VARIANT_TYPE_BOOLEAN)) own[key] = static_cast<bool>(g_variant_get_boolean(v));
            else if (g_variant_is_of_type(v, G_VARIANT_TYPE_UINT32))
                own[key] = static_cast<std::int64_t>(g_variant_get_uint32(v));
            else if (g_variant_is_of_type(v, G_VARIANT_TYPE_DOUBLE)) own[key] = g_variant_get_double(v);
            g_variant_unref(v);
        }
        return Dictionary{{recordKey(), own}};
    }

    bool restoreDesktopSettings(const Dictionary& record) override {
        const auto it = record.find(recordKey());
        if (it == record.end() || !it->second.dictionary()) return false;
        const Dictionary& own = *it->second.dictionary();
        for (const char* key : gnomeKeys) {
            const auto found = own.find(key);
            if (found == own.end()) {
                g_settings_reset(settings_, key);
                continue;
            }
            const Value& v = found->second;
            if (key == keyTemperature && v.integer())
                g_settings_set_uint(settings_, key,
                                    static_cast<guint32>(std::clamp<std::int64_t>(*v.integer(), 0, 0xffffffff)));
            else if ((key == keyFrom || key == keyTo) && v.number()) g_settings_set_double(settings_, key, *v.number());
            else if (v.isBool()) g_settings_set_boolean(settings_, key, *v.get<bool>());
            else g_settings_reset(settings_, key);
        }
        commit();
        return true;
    }

    std::optional<std::pair<int, int>> temperatureLimits() const override { return limits_; }
    std::string desktopName() const override { return "GNOME"; }
    std::string recordKey() const override { return "gnome"; }
    std::string heldElsewhere() override {
        return daemonFlag("DisabledUntilTomorrow").value_or(false) ? "paused until tomorrow from the desktop's menu"
                                                                   : std::string();
    }

private:
    void wholeDay() {
        if (g_settings_get_boolean(settings_, keyAutomatic)) g_settings_set_boolean(settings_, keyAutomatic, false);
        if (g_settings_get_double(settings_, keyFrom) != dayStart_)
            g_settings_set_double(settings_, keyFrom, dayStart_);
        if (g_settings_get_double(settings_, keyTo) != dayEnd_) g_settings_set_double(settings_, keyTo, dayEnd_);
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

    GSettings* settings_ = nullptr;
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
    KWinNightLight(std::shared_ptr<DBusConnection> bus, DBusObject object, std::filesystem::path kwinrc)
        : bus_(std::move(bus)), object_(std::move(object)), kwinrc_(std::move(kwinrc)) {}

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
        for (const char* key : kdeKeys) {
            const auto found = own.find(key);
            std::optional<std::string> v;
            if (found != own.end() && found->second.string()) v = *found->second.string();
            text = kconfig::set(text, nightColorGroup, key, v);
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
        const std::string before = text;
        for (const auto& [key, v] : values)
            if (kconfig::value(text, nightColorGroup, key) != v) text = kconfig::set(text, nightColorGroup, key, v);
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

    std::shared_ptr<DBusConnection> bus_;
    DBusObject object_;
    std::filesystem::path kwinrc_;
};

}  // namespace

std::shared_ptr<NightShiftClient> openGnomeNightLight(std::shared_ptr<DBusConnection> bus,
                                                      GSettingsSchemaSource* source, GSettingsBackend* backend) {
    GSettingsSchema* schema = findGnomeSchema(source);
    if (!schema) return nullptr;
    return std::make_shared<GnomeNightLight>(schema, std::move(bus), backend);
}

std::shared_ptr<NightShiftClient> openKWinNightLight(std::shared_ptr<DBusConnection> bus,
                                                     const std::filesystem::path& kwinrc) {
    if (!bus) return nullptr;
    for (const auto& object : {kwinNightLight, kwinColorCorrect}) {
        int available = 0;
        if (bus->getProperty(object, "available", 'b', &available)) continue;
        if (!available) return nullptr;  // KWin without colour management on this output
        return std::make_shared<KWinNightLight>(std::move(bus), object, kwinrc);
    }
    return nullptr;
}

std::shared_ptr<NightShiftClient> openDesktopNightLight(std::shared_ptr<DBusConnection> bus,
                                                        const std::filesystem::path& kwinrc,
                                                        std::string_view currentDesktops, GSettingsSchemaSource* source,
                                                        GSettingsBackend* backend) {
    if (auto kwin = openKWinNightLight(bus, kwinrc)) {
        log().notice("night light: KDE Plasma (D-Bus org.kde.KWin, kwinrc [NightColor])");
        return kwin;
    }
    int flag = 0;
    const bool daemon = bus && !bus->getProperty(gnomeColor, "NightLightActive", 'b', &flag);
    if (daemon || currentDesktops.find("GNOME") != std::string_view::npos) {
        if (auto gnome = openGnomeNightLight(daemon ? bus : nullptr, source, backend)) {
            log().notice("night light: GNOME (GSettings %s)", gnomeColorSchema);
            return gnome;
        }
    }
    log().notice("night light: none (neither KWin nor GNOME's settings daemon answers)");
    return nullptr;
}

std::shared_ptr<NightShiftClient> openDesktopNightLight() {
    DBusError error;
    return openDesktopNightLight(DBusConnection::open(DBusConnection::Bus::session, error), configHome() / "kwinrc",
                                 environmentValue("XDG_CURRENT_DESKTOP").value_or(""));
}

}  // namespace orvane::platform::linuxsys
