#include "engine/OverlayBackend.h"

#include <cmath>

namespace orvane {

// --- the panel -------------------------------------------------------------------------

OverlayPanel::OverlayPanel(std::unique_ptr<platform::OverlayWindow> window) : window_(std::move(window)) {}

void OverlayPanel::install(std::vector<platform::OverlayLayer> layers) {
    hostedLayers_ = std::move(layers);
    resizeLayers();
}

void OverlayPanel::resizeLayers() {
    const platform::Rect frame = window_->frame();
    for (auto& layer : hostedLayers_) layer.frame = platform::Rect{0, 0, frame.width, frame.height};
    push();
}

void OverlayPanel::updateLayers(const std::vector<platform::OverlayLayer>& layers) {
    for (std::size_t i = 0; i < hostedLayers_.size() && i < layers.size(); ++i) {
        const auto frame = hostedLayers_[i].frame;
        hostedLayers_[i] = layers[i];
        hostedLayers_[i].frame = frame;
    }
    push();
}

// One call changes every layer at once, so no intermediate state is ever drawn.
void OverlayPanel::push() { window_->setLayers(hostedLayers_); }

// --- the back-end ----------------------------------------------------------------------

namespace {

platform::OverlayLayer layer(double r, double g, double b) {
    platform::OverlayLayer l;
    l.red = r;
    l.green = g;
    l.blue = b;
    l.opacity = 0;
    return l;
}

}  // namespace

OverlayBackend::OverlayBackend(const DisplayInfo& display, LayerColorMode mode, ReadableRedStrategy strategy,
                               std::shared_ptr<platform::Platform> platform)
    : layerColorMode(mode),
      readableRedStrategy(strategy),
      platform_(std::move(platform)),
      display_(display),
      redLayer_(layer(1.0, 0.3, 0.0)),
      dimLayer_(layer(0, 0, 0)) {}

// Asked each time rather than cached: the program installs its own overlay windows after
// start-up, and a level cached from the earlier ones would read as a panel out of place.
int OverlayBackend::baseLevel(platform::Platform& platform) { return platform.overlayWindows().maximumWindowLevel(); }

int OverlayBackend::level() const { return baseLevel(*platform_); }

void OverlayBackend::setCalibration(const Calibration& calibration) {
    layerColorMode = calibration.layerColorMode;
    readableRedStrategy = calibration.readableRedStrategy;
}

void OverlayBackend::setSharingType(platform::SharingType type) {
    sharingType_ = type;
    if (panel_) panel_->window().setSharingType(type);
}

std::optional<platform::Screen> OverlayBackend::screen() const {
    for (const auto& s : platform_->displays().screens())
        if (s.displayNumber && *s.displayNumber == display_.id) return s;
    return std::nullopt;
}

std::optional<BackendError> OverlayBackend::attach(const DisplayInfo& display) {
    display_ = display;
    const auto s = screen();
    if (!s) return BackendError::noScreen(display_.name);
    if (!platform_->overlaysReachScreen())
        return BackendError::unsupported("no window of a program can lie over a Wayland screen");
    if (!rebuildPanel(*s))
        return BackendError::unsupported(
            "this desktop cannot show overlay windows (no compositing manager is running)");
    return std::nullopt;
}

bool OverlayBackend::rebuildPanel(const platform::Screen& s) {
    const platform::Rect frame = s.frame;
    platform::OverlayStyle style;
    style.level = level();
    style.opaque = false;
    style.sharingType = sharingType_;
    auto window = platform_->overlayWindows().create(frame, style);
    // Without a new window the old one, if any, stays as it is.
    if (!window) return false;
    if (panel_) panel_->window().orderOut();

    auto panel = std::make_unique<OverlayPanel>(std::move(window));
    panel->window().setLevel(level());
    panel->window().setFrame(frame);
    panel->window().setSharingType(sharingType_);
    panel->install({redLayer_, dimLayer_});  // the red layer below, the dim layer above
    panel_ = std::move(panel);
    show(shown_);
    if (!current_.isIdentity()) panel_->window().orderFront();
    return true;
}

void OverlayBackend::show(const OverlayPlan& plan) {
    redLayer_.red = plan.red;
    redLayer_.green = plan.green;
    redLayer_.blue = plan.blue;
    redLayer_.opacity = static_cast<float>(plan.redOpacity);
    dimLayer_.opacity = static_cast<float>(plan.dimOpacity);
    if (panel_) panel_->updateLayers({redLayer_, dimLayer_});
}

void OverlayBackend::render(const OverlayPlan& plan, double duration) {
    // The fade dies with this back-end, so `this` is safe in the step.
    fade_.run(shown_, plan, duration, *platform_, &OverlayPlan::lerp, [this](const OverlayPlan& p) {
        show(p);
        shown_ = p;
    });
}

void OverlayBackend::scheduleOrderOut(double duration) {
    const std::uint64_t generation = nextGeneration_++;
    orderOutGeneration_ = generation;
    const auto hide = [this, generation] {
        if (orderOutGeneration_ == generation && current_.isIdentity() && panel_) panel_->window().orderOut();
    };
    const auto& scheduler = platform_->scheduler();
    if (!scheduler) {
        orderOutTask_.cancel();
        hide();
        return;
    }
    const double safe = std::isfinite(duration) && duration > 0 ? duration : 0;
    const double milliseconds = std::trunc((safe + orderOutDelay) * 1000);
    // Replacing the handle drops the earlier task, which the new generation has voided anyway.
    orderOutTask_ = scheduler->schedule(milliseconds / 1000, 0, hide);
}

void OverlayBackend::apply(const RenderRequest& request, double animated) {
    const bool wasIdentity = current_.isIdentity();
    current_ = request;
    if (request.isIdentity()) {
        render(OverlayPlan::none, animated);
        scheduleOrderOut(animated);
        return;
    }
    orderOutGeneration_.reset();
    orderOutTask_.cancel();
    if (wasIdentity && panel_ && !panel_->window().isVisible()) {
        // A fade in always starts from clear.
        fade_.stop();
        show(OverlayPlan::none);
        shown_ = OverlayPlan::none;
        panel_->window().orderFront();
    }
    render(request.plan, animated);
}

void OverlayBackend::detach() {
    fade_.stop();
    current_ = RenderRequest::identity();
    if (panel_) panel_->window().orderOut();
    panel_.reset();
}

void OverlayBackend::verifyAndRepair() {
    const auto s = screen();
    if (!s) return;
    if (!panel_) {
        log_.notice("watchdog: panel missing for %s, rebuilding", display_.name);
        if (!rebuildPanel(*s)) log_.error("cannot show an overlay window on %s", display_.name);
        return;
    }
    bool repaired = false;
    auto& window = panel_->window();
    if (window.frame() != s->frame) {
        window.setFrame(s->frame);
        panel_->resizeLayers();
        repaired = true;
    }
    if (window.level() != level()) {
        window.setLevel(level());
        repaired = true;
    }
    if (current_.isIdentity()) {
        if (!repaired) return;
    } else if (!window.isVisible()) {
        window.orderFront();
        repaired = true;
    } else if (!repaired) {
        return;
    }
    log_.notice("watchdog repaired overlay on %s", display_.name);
}

}  // namespace orvane
