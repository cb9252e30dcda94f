#pragma once
// Overlay windows on the simulated machine: recorded in its state, so every process sees
// them and screenshots compose them; a window whose owner is gone no longer shows.
#include <algorithm>
#include <iterator>
#include <memory>
#include <type_traits>

#include "platform/OverlayWindows.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimOverlayWindow final : public OverlayWindow {
public:
    SimOverlayWindow(std::shared_ptr<SimMachine> machine, SimWindow window)
        : machine_(std::move(machine)), local_(std::move(window)) {}
    ~SimOverlayWindow() override;

    Rect frame() const override { return stored().frame; }
    void setFrame(const Rect& frame) override {
        change([&](SimWindow& w) { w.frame = frame; });
    }
    int level() const override { return stored().level; }
    void setLevel(int level) override {
        change([&](SimWindow& w) { w.level = level; });
    }
    SharingType sharingType() const override { return stored().sharing; }
    void setSharingType(SharingType type) override {
        change([&](SimWindow& w) { w.sharing = type; });
    }
    void setLayers(const std::vector<OverlayLayer>& layers) override {
        change([&](SimWindow& w) { w.layers = layers; });
    }
    std::vector<OverlayLayer> layers() const override { return stored().layers; }
    // A scripted "overlay.orderFront" failure leaves the window where it was.
    void orderFront() override {
        change(
            [&](SimWindow& w, SimState& s) {
                if (!SimMachine::takeFailure(s, "overlay.orderFront")) w.visible = true;
            },
            true);
    }
    void orderOut() override {
        change([&](SimWindow& w) { w.visible = false; });
    }
    bool isVisible() const override;

private:
    // The machine's record, or this window's own view of itself once the record was dropped.
    SimWindow stored() const;

    template <class F>
    void change(F&& f, bool toFront = false) {
        machine_->update([&](SimState& s) {
            auto it =
                std::find_if(s.windows.begin(), s.windows.end(), [&](const SimWindow& w) { return w.id == local_.id; });
            if (it == s.windows.end()) {
                // The record was dropped; a change brings the window back as this process sees it.
                local_.visible = false;
                s.windows.push_back(local_);
                it = std::prev(s.windows.end());
            }
            if constexpr (std::is_invocable_v<F, SimWindow&, SimState&>) f(*it, s);
            else f(*it);
            if (toFront) it->order = s.nextWindowOrder++;
            local_ = *it;
        });
    }

    std::shared_ptr<SimMachine> machine_;
    SimWindow local_;
};

class SimOverlayWindows final : public OverlayWindows {
public:
    explicit SimOverlayWindows(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}

    std::unique_ptr<OverlayWindow> create(const Rect& frame, const OverlayStyle& style) override;
    int maximumWindowLevel() override { return highestWindowLevel; }
    bool canShowTranslucent() override { return machine_->read().compositing; }
    // A Mac keeps windows of sharing type none out of captures; a Linux computer cannot.
    bool canHideFromCaptures() override { return !machine_->read().linuxName; }

private:
    std::shared_ptr<SimMachine> machine_;
};

}  // namespace orvane::platform::sim
