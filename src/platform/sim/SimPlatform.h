#pragma once
// The simulated machine as a Platform, and the handles tests use to script it.
//
// Scripted failures (SimState::failures) are looked up by these facility names:
//   "colorAdjustment"   setting or resetting a display's colour adjustment
//   "gamma.read", "gamma.write"   (a write includes restoring one display)
//   "backlight.get", "backlight.set"   (reads and sets, linear ones included)
//   "backlight.getLinear", "backlight.setLinear"   the linear ones alone; status::missing
//                       makes them stand for a backlight without linear levels
//   "i2c.read", "i2c.write"
//   "i2c.checksum"      a DDC/CI reply whose checksum is wrong (the status is not used)
//   "dither.set"        writing a frame-buffer property
//   "overlay.create"    making an overlay window (answers null)
//   "screenshot"        a capture (answers absent)
//   "eventTap.create"   making the key tap (answers null)
//   "hotkey.handler", "hotkey.register"
//   "windowList"        asking for the window list (answers absent)
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/SimImages.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimDisplays;
class SimKeyboard;
class SimWorkspace;

class SimPlatform final : public Platform {
public:
    // `thisProcess` when no other process runs on the machine (see SimMachine).
    SimPlatform(Runtime runtime, std::filesystem::path directory, SimSharing sharing = SimSharing::processes);
    ~SimPlatform() override;

    std::string_view name() const override { return "sim"; }
    bool hasHaptics() override { return systemInfo_->describesMac(); }
    bool overlaysReachScreen() const override { return machine_->read().overlaysReachScreen; }

    SimMachine& machine() { return *machine_; }
    SimJournal& journal() { return *journal_; }
    SimState state() const { return machine_->read(); }

    // Changes the state and reports a changed display arrangement to the observers.
    void update(const std::function<void(SimState&)>& change);
    std::uint32_t addDisplay(SimDisplay display);  // id 0 takes the next free id
    bool removeDisplay(std::uint32_t id);
    bool changeDisplay(std::uint32_t id, const std::function<void(SimDisplay&)>& change);
    void setColorFilterEnabled(bool enabled);
    void fail(const std::string& facility, std::int32_t status, std::int64_t count = -1);
    void clearFailure(const std::string& facility);
    // "colorAdjustments", "backlight", "nightShift" or "i2c": the machine lacks that port.
    void setPortMissing(const std::string& port, bool missing = true);
    // Another Night Shift client in place of the simulated one, such as a desktop's night
    // light talking to stand-in services; null goes back to the simulated client.
    void setNightShiftClient(std::shared_ptr<NightShiftClient> client);
    // What the watchdog does: identity gamma and matrix everywhere, no overlays.
    void resetDisplays();

    Rgb screenColorAt(Point global) const { return screenColor(state(), global); }
    Rgb scanOutColorAt(Point global) const { return scanOutColor(state(), global); }
    // The whole display as the user sees it; absent for an unknown display.
    std::optional<Image> scanOut(std::uint32_t display, std::optional<double> scale = std::nullopt) const;

    // Input the tests play: true when every tap let the event through.
    bool injectSystemDefinedEvent(const SystemDefinedEvent& event);
    // The system switching every tap off (0xFFFFFFFE time-out, 0xFFFFFFFF user input).
    void disableEventTaps(std::uint32_t reason);
    // true when a registration took the key.
    bool pressHotKey(const KeyChord& chord, bool released = false);
    void postWorkspaceEvent(WorkspaceEvent event);

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
    std::shared_ptr<SimDisplays> simDisplays_;
    std::shared_ptr<SimKeyboard> simKeyboard_;
    std::shared_ptr<SimWorkspace> simWorkspace_;
};

}  // namespace orvane::platform::sim
