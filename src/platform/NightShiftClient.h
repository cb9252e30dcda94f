#pragma once
// The system's Night Shift client. Each operation stands for one message of the client;
// respondsTo() tells which messages this client understands (their selector names,
// such as "getCCT:" or "setStrength:commit:"). A getter answers absent where the
// client answers NO.
//
// On Linux the client is the desktop's own night light (GNOME, KDE Plasma). A desktop
// keeps more than the four values the record was made for (a schedule, a mode), so such a
// client hands its own settings to the record and takes them back from it.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Scheduler.h"
#include "platform/Value.h"

namespace orvane::platform {

struct BlueLightStatus {
    bool active = false;
    bool enabled = false;
};

class NightShiftClient {
public:
    virtual ~NightShiftClient() = default;

    virtual bool respondsTo(std::string_view selector) const = 0;

    virtual std::optional<BlueLightStatus> blueLightStatus() = 0;     // "getBlueLightStatus:"
    virtual std::optional<float> cct() = 0;                           // "getCCT:"
    virtual std::optional<float> strength() = 0;                      // "getStrength:"
    virtual std::optional<std::array<float, 3>> cctRange() = 0;       // "getCCTRange:"
    virtual bool setCCTRange(const std::array<float, 3>& range) = 0;  // "setCCTRange:"
    virtual void setCCT(float kelvin, bool commit) = 0;               // "setCCT:commit:"
    virtual void setStrength(float strength, bool commit) = 0;        // "setStrength:commit:"
    virtual void setActive(bool active) = 0;                          // "setActive:"

    // The key under which desktopSettings() files this desktop's own settings in the record
    // ("gnome", "kde"); empty for the system's own client.
    virtual std::string recordKey() const { return {}; }
    // The desktop's own settings, stored in the record beside the four values under
    // recordKey(); empty where the client has none of its own.
    virtual Dictionary desktopSettings() { return {}; }
    // Writes back what desktopSettings() stored in `record`; false when the record holds
    // none of this client's (an older record), so the four values are used instead.
    virtual bool restoreDesktopSettings(const Dictionary& record) {
        (void)record;
        return false;
    }
    // A key of desktopSettings() whose value someone other than this client set (the user,
    // in the desktop's own settings): its new value, absent where the key went back to the
    // desktop's default (GNOME) or out of the file (KDE Plasma).
    using OwnChange = std::function<void(const std::string& key, const std::optional<Value>& value)>;
    // Calls `changed` on the main thread for each such change, for as long as the handle
    // lives; a client that cannot tell gives an empty handle.
    virtual Handle observeOwnChanges(OwnChange changed) {
        (void)changed;
        return {};
    }
    // The lowest and highest temperature the desktop takes.
    virtual std::optional<std::pair<int, int>> temperatureLimits() const { return std::nullopt; }
    // The desktop whose night light this is ("GNOME", "KDE Plasma"); empty for the
    // system's own client.
    virtual std::string desktopName() const { return {}; }
    // Who else holds the night light (another program's inhibit), in words; empty when
    // nobody does.
    virtual std::string heldElsewhere() { return {}; }
};

}  // namespace orvane::platform
