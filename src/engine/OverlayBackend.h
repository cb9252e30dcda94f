#pragma once
// Tints a display without touching its colour pipeline: a borderless, click-through panel
// over the whole screen at the highest window level, showing a coloured "red" layer and a
// black dimming layer above it. Reads only the request's overlay plan.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/DisplaySettings.h"
#include "core/OverlayPlan.h"
#include "engine/Fade.h"
#include "engine/TintBackend.h"
#include "platform/Log.h"
#include "platform/OverlayWindows.h"
#include "platform/Platform.h"

namespace orvane {

// The window of one overlay with the layers it hosts, bottom to top.
class OverlayPanel {
public:
    explicit OverlayPanel(std::unique_ptr<platform::OverlayWindow> window);

    // A tint panel never takes the keyboard or becomes the main window.
    bool canBecomeKey() const { return false; }
    bool canBecomeMain() const { return false; }

    const std::vector<platform::OverlayLayer>& hostedLayers() const { return hostedLayers_; }
    // Replaces the hosted layers (later ones above earlier ones) and sizes them to the window.
    void install(std::vector<platform::OverlayLayer> layers);
    // Every hosted layer to the window's bounds.
    void resizeLayers();
    // New colours and opacities for the hosted layers, in the same order; frames are kept.
    void updateLayers(const std::vector<platform::OverlayLayer>& layers);

    platform::OverlayWindow& window() { return *window_; }
    const platform::OverlayWindow& window() const { return *window_; }

private:
    void push();

    std::unique_ptr<platform::OverlayWindow> window_;
    std::vector<platform::OverlayLayer> hostedLayers_;
};

class OverlayBackend final : public TintBackend {
public:
    static constexpr double minimumFade = 0.02;  // seconds; this long or shorter is drawn at once
    static constexpr double framesPerSecond = 60;
    static constexpr double orderOutDelay = 0.05;  // after a fade to clear

    OverlayBackend(const DisplayInfo& display, LayerColorMode layerColorMode, ReadableRedStrategy readableRedStrategy,
                   std::shared_ptr<platform::Platform> platform);

    BackendKind kind() const override { return BackendKind::overlay; }
    const DisplayInfo& display() const override { return display_; }
    // Fails without a screen for the display, and where the desktop cannot show an overlay
    // window (no compositing manager: a translucent window would black the screen out).
    std::optional<BackendError> attach(const DisplayInfo& display) override;
    void apply(const RenderRequest& request, double animated) override;
    void detach() override;
    // Rebuilds a missing panel, restores its frame and level and brings it back on screen;
    // runs the same way during a fade.
    void verifyAndRepair() override;

    // The window level of the tint panels: the highest there is.
    static int baseLevel(platform::Platform& platform);

    // Held for the engine, which sets them when the calibration changes; drawing does not use them.
    LayerColorMode layerColorMode = LayerColorMode::encodedSRGB;
    ReadableRedStrategy readableRedStrategy = ReadableRedStrategy::layers;

    platform::SharingType sharingType() const { return sharingType_; }
    // Applies to the panel at once, when there is one, and to every panel built later.
    void setSharingType(platform::SharingType type) override;
    void setCalibration(const Calibration& calibration) override;

    OverlayPanel* panel() { return panel_.get(); }
    const OverlayPanel* panel() const { return panel_.get(); }
    const platform::OverlayLayer& redLayer() const { return redLayer_; }
    const platform::OverlayLayer& dimLayer() const { return dimLayer_; }
    const RenderRequest& current() const { return current_; }
    const OverlayPlan& shown() const { return shown_; }
    bool isFading() const { return fade_.isRunning(); }
    std::optional<std::uint64_t> orderOutGeneration() const { return orderOutGeneration_; }

private:
    std::optional<platform::Screen> screen() const;
    int level() const;
    bool rebuildPanel(const platform::Screen& screen);
    void show(const OverlayPlan& plan);
    void render(const OverlayPlan& plan, double duration);
    void scheduleOrderOut(double duration);

    std::shared_ptr<platform::Platform> platform_;
    DisplayInfo display_;
    std::unique_ptr<OverlayPanel> panel_;
    platform::OverlayLayer redLayer_;
    platform::OverlayLayer dimLayer_;
    platform::SharingType sharingType_ = platform::SharingType::readOnly;
    RenderRequest current_ = RenderRequest::identity();
    OverlayPlan shown_ = OverlayPlan::none;
    Fade fade_{minimumFade, framesPerSecond};
    // Identifies the pending order-out; a later request voids or replaces it.
    std::optional<std::uint64_t> orderOutGeneration_;
    std::uint64_t nextGeneration_ = 1;
    platform::Handle orderOutTask_;
    platform::Log log_{"overlay"};
};

}  // namespace orvane
