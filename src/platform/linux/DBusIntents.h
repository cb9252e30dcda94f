#pragma once
// The object /app/orvane/Intents, interface app.orvane.Intents: the program's actions,
// its presets and the Focus look for other programs, answered by an IntentsPort.
#include "platform/IntentsPort.h"
#include "platform/linux/DBusConnection.h"

namespace orvane::platform::linuxsys {

inline constexpr const char* intentsObjectPath = "/app/orvane/Intents";
inline constexpr const char* intentsInterface = "app.orvane.Intents";

// Exported on `bus` while the slot lives; `port` must outlive it.
DBusSlot exportIntents(DBusConnection& bus, IntentsPort& port, DBusError* error = nullptr);

}  // namespace orvane::platform::linuxsys
