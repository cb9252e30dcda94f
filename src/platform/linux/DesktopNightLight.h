#pragma once
// The desktop's own night light as the Night Shift client: GNOME's (GSettings
// "org.gnome.settings-daemon.plugins.color", the settings daemon's Color object on the
// session bus for whether it is on) and KDE Plasma's (KWin's NightLight object for its
// state, the "[NightColor]" group of kwinrc for its settings).
//
// What each takes:
// - GNOME: a temperature within the schema's range (1000–10000 K on current GNOME); the
//   settings daemon fades to a new temperature by itself. Warming at every hour is a
//   manual schedule from 0 to 24 h; the user's schedule comes back with the record.
// - KDE Plasma: 1000–6500 K. The steady way is the "Constant" mode of kwinrc with the
//   temperature, which KWin reloads when told (the "reloadConfig" signal of /KWin) and
//   fades to; a preview lasts only about 15 s and then falls back to the schedule, so it
//   would flicker at every renewal.
//
// Both tell of a change someone else makes to the keys they keep (the user, in the
// desktop's own settings): GNOME through GSettings' "changed" signal, run from the
// scheduler in a main context of the client's own; KDE Plasma through an inotify watch on
// kwinrc's folder. What the client wrote itself is told apart by the value it last wrote.
#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/NightShiftClient.h"
#include "platform/Scheduler.h"

typedef struct _GSettingsSchemaSource GSettingsSchemaSource;
typedef struct _GSettingsBackend GSettingsBackend;

namespace orvane::platform::linuxsys {

class DBusConnection;

inline constexpr const char* gnomeColorSchema = "org.gnome.settings-daemon.plugins.color";

// GNOME's night light; null when the schema is not installed. `bus` (may be null) is the
// session bus on which the settings daemon is asked whether night light is active. The
// schema source and the settings backend are GSettings' defaults unless given. Without a
// `scheduler` a change from elsewhere is still noticed, but only when the client next reads
// or writes (or, for a change made in this process, at once).
std::shared_ptr<NightShiftClient> openGnomeNightLight(std::shared_ptr<DBusConnection> bus,
                                                      GSettingsSchemaSource* source = nullptr,
                                                      GSettingsBackend* backend = nullptr,
                                                      std::shared_ptr<Scheduler> scheduler = nullptr);

// KWin's night light; null without KWin's NightLight (or older ColorCorrect) object on
// `bus`. `kwinrc` is the configuration file KWin reads, watched through `scheduler`.
std::shared_ptr<NightShiftClient> openKWinNightLight(std::shared_ptr<DBusConnection> bus,
                                                     const std::filesystem::path& kwinrc,
                                                     std::shared_ptr<Scheduler> scheduler = nullptr);

// The client for the session: KWin's where KWin answers on `bus`, else GNOME's where the
// schema is installed and the session runs GNOME's settings daemon (its Color object
// answers, or `currentDesktops`, XDG_CURRENT_DESKTOP's value, names GNOME); null elsewhere.
// Logged.
std::shared_ptr<NightShiftClient> openDesktopNightLight(std::shared_ptr<DBusConnection> bus,
                                                        const std::filesystem::path& kwinrc,
                                                        std::string_view currentDesktops,
                                                        GSettingsSchemaSource* source = nullptr,
                                                        GSettingsBackend* backend = nullptr,
                                                        std::shared_ptr<Scheduler> scheduler = nullptr);
// The same for this session: its bus, its kwinrc, its desktop. Chosen once per run.
std::shared_ptr<NightShiftClient> openDesktopNightLight(std::shared_ptr<Scheduler> scheduler);

}  // namespace orvane::platform::linuxsys
