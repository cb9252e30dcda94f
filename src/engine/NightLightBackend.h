#pragma once
// The desktop's night light as a display's whole method, where no window of this program
// can lie over the screen (a Wayland session): the engine drives the night light for the
// displays on this method, so the back-end has nothing of its own to show. Without a
// night light it does not attach.
#include "engine/TintBackend.h"

namespace orvane {

class NightLightBackend final : public TintBackend {
public:
    NightLightBackend(const DisplayInfo& display, bool nightLightAvailable)
        : display_(display), available_(nightLightAvailable) {}

    // Not an overlay (no panel to inspect) nor DDC; the kind that asks nothing further.
    BackendKind kind() const override { return BackendKind::matrix; }
    const DisplayInfo& display() const override { return display_; }
    [[nodiscard]] std::optional<BackendError> attach(const DisplayInfo& display) override {
        display_ = display;
        if (!available_) return BackendError::unsupported("the desktop has no night light");
        return std::nullopt;
    }
    void apply(const RenderRequest&, double) override {}
    void detach() override {}
    void verifyAndRepair() override {}

private:
    DisplayInfo display_;
    bool available_;
};

}  // namespace orvane
