#include "platform/sim/SimOverlayWindows.h"

#include <atomic>
#include <string>

#include <unistd.h>

#include "platform/Log.h"

namespace orvane::platform::sim {

SimOverlayWindow::~SimOverlayWindow() {
    try {
        machine_->update(
            [&](SimState& s) { std::erase_if(s.windows, [&](const SimWindow& w) { return w.id == local_.id; }); });
    } catch (const std::exception& e) {
        simLog().error("cannot remove overlay window %s: %s", local_.id, e.what());
    }
}

bool SimOverlayWindow::isVisible() const {
    const auto s = machine_->read();
    for (const auto& w : s.windows)
        if (w.id == local_.id) return w.visible;
    return false;  // dropped from the machine (a display reset): not on screen
}

SimWindow SimOverlayWindow::stored() const {
    const auto s = machine_->read();
    for (const auto& w : s.windows)
        if (w.id == local_.id) return w;
    SimWindow w = local_;
    w.visible = false;
    return w;
}

std::unique_ptr<OverlayWindow> SimOverlayWindows::create(const Rect& frame, const OverlayStyle& style) {
    static std::atomic<std::uint64_t> counter{1};
    const std::int32_t pid = ::getpid();
    SimWindow w;
    w.id = std::to_string(pid) + "-" + std::to_string(counter.fetch_add(1));
    w.pid = pid;
    w.pidStart = SimMachine::processStartTime(pid);
    w.frame = frame;
    w.level = style.level;
    w.opaque = style.opaque;
    w.sharing = style.sharingType;
    const bool made = machine_->update([&](SimState& s) {
        // Windows of processes that are gone are dropped here, so the file stays small.
        std::erase_if(s.windows, [](const SimWindow& old) { return !SimMachine::ownerAlive(old); });
        // As on the desktop, only a translucent window needs the compositing manager.
        if (SimMachine::takeFailure(s, "overlay.create") || (!w.opaque && !s.compositing)) return false;
        s.windows.push_back(w);
        return true;
    });
    if (!made) return nullptr;
    return std::make_unique<SimOverlayWindow>(machine_, w);
}

}  // namespace orvane::platform::sim
