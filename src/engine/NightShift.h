#pragma once
// Drives the system's Night Shift through its private client, so that it does the warm
// part of the Night Shift method. The user's own Night Shift is recorded under
// "nightShift.dirty" before the first change and put back when the program stops using
// it, or at the next launch after an unclean exit. A desktop's night light files its own
// settings in the record under a key of its own; a record holding only another desktop's
// is left for that desktop, never written onto this one.
//
// While the record is kept, a value the user sets in the desktop's own settings replaces
// that key in it, so whatever gives the settings back gives the user's latest; Orvane's
// warmth is written again at once.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Log.h"
#include "platform/NightShiftClient.h"
#include "platform/UserDefaults.h"

namespace orvane::platform {
class Platform;
}

namespace orvane {

class NightShiftWarmth {
public:
    static constexpr const char* dirtyKey = "nightShift.dirty";

    // Makes the client of `platform`; without a usable one every operation does nothing.
    NightShiftWarmth(platform::Platform& platform, std::shared_ptr<platform::UserDefaults> defaults);
    ~NightShiftWarmth();
    NightShiftWarmth(const NightShiftWarmth&) = delete;
    NightShiftWarmth& operator=(const NightShiftWarmth&) = delete;

    bool isAvailable() const { return client_ != nullptr; }
    bool isActive() const;
    // The client is a desktop's night light rather than the system's Night Shift.
    bool isDesktopNightLight() const { return client_ && !client_->desktopName().empty(); }
    // `floor` within the temperatures the client takes: a desktop's night light cannot
    // be asked for less than its lowest.
    std::int64_t floorWithinLimits(std::int64_t floor) const;
    // The lowest temperature the client takes; absent where it names no range.
    std::optional<std::int64_t> lowestKelvin() const;

    // Asks Night Shift for `kelvin` (absent: off), never asking below `floor`.
    void apply(std::optional<std::int64_t> kelvin, std::int64_t floor);
    // Sends the last request again when the system's Night Shift contradicts it.
    void reassert();
    // Puts the recorded user settings back, if there is a record.
    void restore();
    void restoreIfDirty();

    // What was last asked for: absent = nothing recorded; an inner absent = off.
    const std::optional<std::optional<std::int64_t>>& lastKelvin() const { return lastKelvin_; }
    const std::optional<std::int64_t>& lastFloor() const { return lastFloor_; }
    const std::shared_ptr<platform::NightShiftClient>& client() const { return client_; }
    // The desktop's keys the user changed in its own settings while Orvane drove it, in the
    // order first changed; the record keeps their values for when it is given back.
    const std::vector<std::string>& keptUserChanges() const { return keptUserChanges_; }

private:
    std::optional<platform::BlueLightStatus> status() const;
    void snapshotIfNeeded();
    // Files this desktop's own settings into a record another desktop left.
    void addDesktopSettings();
    bool setRange(const std::array<float, 3>& range);
    // The user set `key` of the desktop's own settings (absent: back to the desktop's default).
    void userChanged(const std::string& key, const std::optional<platform::Value>& value);
    // The feature as the log names it: the desktop's "night light", else "Night Shift" on a Mac.
    const char* featureName() const { return macWords_ && !isDesktopNightLight() ? "Night Shift" : "night light"; }

    std::shared_ptr<platform::UserDefaults> defaults_;
    std::shared_ptr<platform::NightShiftClient> client_;
    std::shared_ptr<platform::Scheduler> scheduler_;
    platform::Handle ownChanges_;
    // Raised by a user's change, lowered by the next request or restore: the last request
    // is written again once the change has been taken in.
    std::shared_ptr<bool> holdAgain_ = std::make_shared<bool>(false);
    std::vector<std::string> keptUserChanges_;
    bool stale_ = false;  // the desktop no longer holds what was last asked for
    std::optional<std::optional<std::int64_t>> lastKelvin_;
    std::optional<std::int64_t> lastFloor_;
    bool macWords_ = true;
    bool foreignRecordNoted_ = false;
    platform::Log log_{"nightshift"};
};

// A read-only look at Night Shift, for the comfort controller and the diagnostics.
class NightShift {
public:
    explicit NightShift(platform::Platform& platform) : platform_(&platform) {}

    struct Status {
        bool active = false;
        bool enabled = false;
        bool operator==(const Status&) const = default;
    };

    // The platform has a Night Shift client.
    bool isAvailable() const;
    // The desktop whose night light stands for Night Shift ("GNOME", "KDE Plasma"); empty
    // for the system's own client or none.
    std::string desktopName() const;
    // Who else holds the desktop's night light, in words; empty when nobody does.
    std::string heldElsewhere() const;
    // Absent when no client can be made or its status cannot be read.
    std::optional<Status> status() const;

private:
    platform::Platform* platform_;
};

}  // namespace orvane
