#pragma once
// The simulated machine's one state file, shared by every process that runs on it (the
// program, the watchdog, a test): <dir>/machine.json, guarded by flock(2) on
// <dir>/machine.lock and always replaced whole (temporary file, rename), so a reader sees
// either the old or the new state. It is written only when the state changed, and not
// flushed to disk: there is no power loss to survive. <dir> is ORVANE_SIM_DIR, by default
// $XDG_RUNTIME_DIR/orvane-sim. A missing file is created with the built-in layout; an
// unreadable one is kept as machine.json.unreadable and replaced by the built-in layout.
//
// Every SimMachine of one process on one directory works on the same state. A machine that
// no other process uses (SimSharing::thisProcess, say a unit test's) reads the file once
// and then keeps the state in memory: a fade then costs no file write per frame.
//
// State file format (JSON, keys sorted, version 1):
//   "version": 1
//   "displays": [ {                     the first display is the main one
//       "id": 1, "uuid": "2B5E...",     uuid absent: the display has none
//       "vendor", "model", "serial": integers, "name": text, "builtIn": bool,
//       "frame": [x, y, width, height]  global points, origin at the main display's
//                                       bottom-left corner, y upward
//       "scale": 2, "asleep": bool, "hasDisplayNumber": bool,
//       "gammaCapacity": 256            samples per channel, 0 for no gamma table
//       "gamma": null | {"red": [...], "green": [...], "blue": [...]}   null = identity
//       "matrix": null | [9 numbers]    row-major colour adjustment, null = none
//       "backlight": 0.6                built-in displays only
//       "enableDither": bool            frame-buffer dithering flag, absent = no property
//       "ddc": {"16": {"current": 70, "maximum": 100}, ...}   VCP features by decimal code;
//                                       absent = the monitor does not answer DDC/CI } ]
//   "windows": [ {"id", "pid", "pidStart", "frame", "level", "opaque", "sharing":
//       "none"|"readOnly"|"readWrite", "visible", "order", "layers": [{"color": [r, g, b],
//       "opacity", "frame"?}]} ]        overlay windows; ignored once their pid is gone
//   "preferences": {"<domain>": <tagged dictionary>}   other programs' preferences
//   "nightShift": {"active", "enabled", "cct", "strength", "range": [3], "missingSelectors"}
//   "sysctl": {"machdep.cpu.brand_string": "Apple M5", "hw.model": ...}, "osVersion": [26, 1, 0]
//   "missingPorts": ["colorAdjustments", "backlight", "nightShift", "i2c", "dithering",
//                    "globalShortcuts", "frontmostApplication"]   ports it lacks
//   "failures": {"<facility>": {"status": n, "remaining": k}}   scripted failures, k = -1: always
//   "compositing", "screenCaptureAllowed", "accessibilityTrusted": bool
//   "frontApplication": {"bundleIdentifier", "name", "pid"},
//   "windowList": [{"owner": text, "pid"?: n, "layer": n, "bounds": [x, y, w, h]}]
//                                       front first, bounds with a top-left origin
//   "mouse": [x, y], "idleSeconds", "nextWindowOrder", "nextDisplayId"
//   "lastInputAt": seconds since 1970   when present, the idle time runs from it on the
//                                       reading process's clock instead of "idleSeconds"
//   "screenLocked": bool                absent: the session cannot be read
//   "powerAssertions": {"<pid>": ["PreventUserIdleDisplaySleep", ...]}   absent: unreadable
//   "location": {"latitude", "longitude"} | {"error": text}   the scripted location fix
//   "bundlePath": "/Applications/Orvane.app"   where the program runs from
//   "loginItem": bool                   the program's login item is in place
//
// Resetting the displays, as the watchdog does, means: "gamma": null and "matrix": null on
// every display and "windows": [], leaving everything else as it is.
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/sim/SimState.h"

namespace orvane::platform::sim {

// The log category of the simulated machine.
const Log& simLog();

// Whether other processes see the machine: through the state file, or not at all.
enum class SimSharing { processes, thisProcess };

class SimMachine {
public:
    // A machine of this process on the same directory is joined; asking for `processes`
    // makes it write its state file again from then on.
    explicit SimMachine(std::filesystem::path directory, SimSharing sharing = SimSharing::processes);

    const std::filesystem::path& directory() const { return core_->directory; }
    std::filesystem::path stateFile() const { return directory() / "machine.json"; }
    std::filesystem::path lockFile() const { return directory() / "machine.lock"; }
    SimSharing sharing() const {
        std::lock_guard guard(core_->mutex);
        return core_->sharing;
    }

    SimState read() const;
    // What `look` makes of the current state, without copying the state.
    template <class F>
    auto inspect(F&& look) const {
        std::lock_guard guard(core_->mutex);
        refreshLocked();
        return look(static_cast<const SimState&>(core_->cached));
    }

    // Runs `change` on the current state (under the exclusive lock when shared) and keeps
    // the result; a change that throws leaves the state as it was.
    template <class F>
    auto update(F&& change) {
        std::lock_guard guard(core_->mutex);
        if (core_->sharing == SimSharing::thisProcess) {
            refreshLocked();
            SimState state = core_->cached;
            if constexpr (std::is_void_v<decltype(change(state))>) {
                change(state);
                core_->cached = std::move(state);
            } else {
                auto result = change(state);
                core_->cached = std::move(state);
                return result;
            }
        } else {
            FileLock lock(lockFile(), FileLock::Mode::exclusive);
            SimState state = loadLocked();
            if constexpr (std::is_void_v<decltype(change(state))>) {
                change(state);
                storeLocked(state);
            } else {
                auto result = change(state);
                storeLocked(state);
                return result;
            }
        }
    }

    // Replaces the whole state.
    void write(const SimState& state);

    // Takes one scripted failure of a facility, if any (within an update).
    static std::optional<std::int32_t> takeFailure(SimState& state, const std::string& facility);
    // Whether a window's owner still runs.
    static bool ownerAlive(const SimWindow& window);
    // The start time of a process, 0 when unknown.
    static std::int64_t processStartTime(std::int32_t pid);

private:
    // What every SimMachine of this process on one directory shares.
    struct Core {
        std::filesystem::path directory;
        SimSharing sharing = SimSharing::processes;
        int owner = 0;  // the process; a forked child makes its own
        bool loaded = false;
        std::recursive_mutex mutex;
        std::optional<FileStamp> cachedStamp;
        SimState cached;
    };
    static std::shared_ptr<Core> coreFor(const std::filesystem::path& directory, SimSharing sharing);
    // Under the state lock: the file and the cache hold `state`.
    static void writeStateFile(Core& core, const SimState& state);

    SimState loadLocked() const;
    // Brings the cached state up to the file's (under the core's mutex).
    void refreshLocked() const;
    void storeLocked(const SimState& state) const;

    std::shared_ptr<Core> core_;
};

}  // namespace orvane::platform::sim
