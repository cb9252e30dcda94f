#include "app/ComfortController.h"

#include <algorithm>
#include <cmath>

#include "engine/AntiDither.h"
#include "engine/DDCBackend.h"
#include "engine/DDCRecovery.h"
#include "engine/NightShift.h"

namespace orvane {

namespace {

std::optional<bool> storedBool(const platform::Dictionary& record, const char* key) {
    const auto it = record.find(key);
    if (it == record.end() || !it->second.isBool()) return std::nullopt;
    return *it->second.get<bool>();
}

}  // namespace

std::shared_ptr<ComfortController> ComfortController::create(std::shared_ptr<AppModel> model, app::Panels& panels,
                                                             Environment environment) {
    std::shared_ptr<ComfortController> controller(
        new ComfortController(std::move(model), panels, std::move(environment)));
    controller->start();
    return controller;
}

ComfortController::ComfortController(std::shared_ptr<AppModel> model, app::Panels& panels, Environment environment)
    : model_(std::move(model)),
      platform_(model_->platform()),
      defaults_(environment.defaults ? std::move(environment.defaults) : platform_->standardUserDefaults()),
      ddcLibrary_(environment.ddcLibrary ? std::move(environment.ddcLibrary) : std::make_shared<DDCLibrary>(platform_)),
      backlight_(std::make_unique<SteadyBacklight>(*platform_, defaults_)),
      keys_(std::make_unique<BrightnessKeys>(platform_->keyboard())),
      security_(std::make_unique<SecurityPromptDetector>(*platform_)),
      pointer_(std::make_unique<PointerTint>(*platform_)),
      hud_(std::make_unique<BrightnessHUD>(panels, platform_->scheduler())) {}

void ComfortController::start() {
    // What a crashed run left changed goes back first.
    backlight_->restoreIfDirty();
    DDCRecovery::restoreLeftovers(*defaults_, ddcLibrary_);
    restoreAntiDitherIfDirty();

    refreshDDC();
    installEngineHooks();

    const std::weak_ptr<ComfortController> weak = weak_from_this();
    keys_->onKey = [weak](BrightnessKeys::Key key, bool) {
        if (auto self = weak.lock()) self->handleBrightnessKey(key);
    };
    security_->onChange = [weak](bool visible) {
        if (auto self = weak.lock()) self->model_->setSecurityPromptVisible(visible);
    };
    hooks_.push_back(model_->onDisplaysChanged.subscribe([weak] {
        if (auto self = weak.lock()) {
            self->refreshDDC();
            self->rebuildStaleSlots();
            self->applyAntiDither();
        }
    }));
    // A wake can bring the pipelines back with dithering on.
    observers_.push_back(platform_->workspace().observe(platform::WorkspaceEvent::didWake, [weak] {
        if (auto self = weak.lock()) self->applyAntiDither();
    }));

    apply(std::nullopt, model_->settings());

    hooks_.push_back(model_->onResolutionChanged.subscribe([weak](const Resolution&) {
        if (auto self = weak.lock()) self->updatePointerTint();
    }));
    hooks_.push_back(model_->onSettingsChanged.subscribe([weak](const Settings& old, const Settings& now) {
        if (auto self = weak.lock()) self->apply(old, now);
    }));
    pollNightShift();
}

// --- DDC -------------------------------------------------------------------------------

void ComfortController::refreshDDC() {
    ddcServices_ = DDCService::isAvailable(*ddcLibrary_) ? DDCService::externalServices(ddcLibrary_)
                                                         : std::vector<std::shared_ptr<DDCService>>{};
    if (!ddcServices_.empty())
        log_.notice("DDC: %ld external service(s) respond", static_cast<long>(ddcServices_.size()));
}

std::shared_ptr<DDCService> ComfortController::ddcService(const DisplayInfo& display) const {
    if (display.isBuiltIn) return nullptr;
    // Only the monitor that shows this display: another one's gains would tint the wrong
    // screen and be recorded as this monitor's own.
    for (const auto& service : ddcServices_)
        if (service->displayId() == display.id) return service;
    return nullptr;
}

void ComfortController::installEngineHooks() {
    auto& engine = model_->engine();
    const std::weak_ptr<ComfortController> weak = weak_from_this();
    engine.ddcAvailability = [weak](const DisplayInfo& display) {
        const auto self = weak.lock();
        return self && self->ddcService(display) != nullptr;
    };
    engine.backendFactory = [weak, platform = platform_](
                                TintMethod method, const DisplayInfo& display,
                                const Calibration& calibration) -> std::shared_ptr<TintBackend> {
        if (method == TintMethod::ddc)
            if (const auto self = weak.lock())
                if (auto service = self->ddcService(display))
                    return std::make_shared<DDCBackend>(display, std::move(service), self->defaults_, platform);
        // Matrix and gamma get their own back-ends, everything else the overlay.
        return TintEngine::defaultBackend(platform, method, display, calibration);
    };
    rebuildStaleSlots();
}

void ComfortController::rebuildStaleSlots() {
    auto& engine = model_->engine();
    for (const auto& display : model_->displays()) {
        const auto it = engine.slots().find(display.id);
        if (it == engine.slots().end()) continue;
        const TintMethod wanted = engine.method(display);
        const bool stale = wanted != it->second.requested ||
                           (wanted == TintMethod::ddc && it->second.backend->kind() != BackendKind::ddc &&
                            ddcService(display) != nullptr);
        if (stale) engine.reattach(display.id);
    }
}

// --- settings --------------------------------------------------------------------------

void ComfortController::apply(const std::optional<Settings>& old, const Settings& now) {
    // 1. The backlight hold runs only while the tint is on, for everyone or because the
    // built-in display's own entry asks for it.
    std::optional<DisplaySettings> builtIn;
    for (const auto& display : model_->displays())
        if (display.isBuiltIn) {
            builtIn = now.displaySettings(display.key);
            break;
        }
    const bool own = builtIn && builtIn->steadyBacklight;
    const bool wanted = now.enabled && (now.steadyBacklight.enabled || own);
    const double level = own ? builtIn->backlightLevel : now.steadyBacklight.level;
    if (wanted) {
        backlight_->setLevel(static_cast<float>(level));
        if (!backlight_->isActive()) backlight_->enable();
    } else if (backlight_->isActive()) {
        backlight_->disable();
    }
    model_->setSteadyBacklightActive(backlight_->isActive());

    // 2. Automatic takes the keys exactly while the backlight is held.
    const bool intercepting = now.brightnessKeys == BrightnessKeysMode::orvaneDim ||
                              (now.brightnessKeys == BrightnessKeysMode::automatic && backlight_->isActive());
    if (intercepting) {
        if (!keys_->isRunning()) {
            if (keys_->isTrusted()) {
                keys_->start();
            } else if (!old || old->brightnessKeys != now.brightnessKeys ||
                       old->steadyBacklight.enabled != now.steadyBacklight.enabled) {
                // Asked at launch and when the user changes these, not on every change.
                keys_->requestTrust();
            }
        }
        keys_->intercept = true;
        model_->setAccessibilityNeeded(!keys_->isTrusted());
    } else {
        keys_->intercept = false;
        model_->setAccessibilityNeeded(false);
    }

    // 3, 4.
    if (!old || old->antiDithering != now.antiDithering || old->displays != now.displays) applyAntiDither();
    if (!old || old->pointerTint != now.pointerTint || old->pointerTintThreshold != now.pointerTintThreshold)
        updatePointerTint();

    // 5.
    if (now.enabled && now.securityPromptAutoReveal) security_->start();
    else security_->stop();
}

// --- dithering -------------------------------------------------------------------------

void ComfortController::applyAntiDither() {
    if (platform::environmentSwitch("ORVANE_NO_HARDWARE")) return;
    auto& dithering = platform_->dithering();
    if (!AntiDither::isAvailable(dithering)) return;

    const Settings& settings = model_->settings();
    bool wantBuiltIn = settings.antiDithering == AntiDitheringScope::allDisplays;
    bool wantExternal = settings.antiDithering != AntiDitheringScope::off;
    bool hasBuiltIn = false, hasExternal = false;
    for (const auto& display : model_->displays()) {
        (display.isBuiltIn ? hasBuiltIn : hasExternal) = true;
        // With several displays of a group, the last one with an entry decides.
        if (const auto own = settings.displaySettings(display.key).antiDithering)
            (display.isBuiltIn ? wantBuiltIn : wantExternal) = *own;
    }
    const bool disableBuiltIn = wantBuiltIn && hasBuiltIn;
    const bool disableExternal = wantExternal && hasExternal;

    if (disableBuiltIn || disableExternal) {
        // Recorded before the change, so a crash cannot leave it unknown.
        recordDithering(disableBuiltIn || ditherDisabledBuiltIn_, disableExternal || ditherDisabledExternal_);
        AntiDither::setDitheringDisabled(dithering, true, disableBuiltIn, disableExternal);
    }
    // Only groups this controller switched off are switched back on.
    const bool restoreBuiltIn = ditherDisabledBuiltIn_ && !disableBuiltIn;
    const bool restoreExternal = ditherDisabledExternal_ && !disableExternal;
    const bool hadAny = ditherDisabledBuiltIn_ || ditherDisabledExternal_;
    bool restored = true;
    if (restoreBuiltIn || restoreExternal) restored = switchDitheringOn(restoreBuiltIn, restoreExternal);

    ditherDisabledBuiltIn_ = disableBuiltIn;
    ditherDisabledExternal_ = disableExternal;
    // A group that would not come back on stays in the record for the next launch.
    const bool keepBuiltIn = disableBuiltIn || (restoreBuiltIn && !restored);
    const bool keepExternal = disableExternal || (restoreExternal && !restored);
    if (keepBuiltIn || keepExternal) recordDithering(keepBuiltIn, keepExternal);
    else if (hadAny) defaults_->remove(antiDitherDirtyKey);
}

void ComfortController::restoreAntiDither() {
    if (!ditherDisabledBuiltIn_ && !ditherDisabledExternal_) return;
    const bool builtIn = ditherDisabledBuiltIn_, external = ditherDisabledExternal_;
    ditherDisabledBuiltIn_ = ditherDisabledExternal_ = false;
    if (switchDitheringOn(builtIn, external)) defaults_->remove(antiDitherDirtyKey);
    else log_.error("could not switch dithering back on; keeping %{public}s", antiDitherDirtyKey);
}

void ComfortController::restoreAntiDitherIfDirty() {
    const auto record = defaults_->object(antiDitherDirtyKey);
    if (!record) return;
    const auto* fields = record->dictionary();
    const auto builtIn = fields ? storedBool(*fields, "builtIn") : std::nullopt;
    const auto external = fields ? storedBool(*fields, "external") : std::nullopt;
    if (!builtIn || !external) {
        // Not ours to guess at: nothing is switched and the record stays for a person to see.
        log_.error("%{public}s is malformed; left in place", antiDitherDirtyKey);
        return;
    }
    if ((*builtIn || *external) && !switchDitheringOn(*builtIn, *external)) {
        log_.error("could not switch dithering back on after unclean exit; keeping the record");
        return;
    }
    log_.notice("restored dithering after unclean exit (built-in %{bool}d, external %{bool}d)", *builtIn ? 1 : 0,
                *external ? 1 : 0);
    defaults_->remove(antiDitherDirtyKey);
}

bool ComfortController::switchDitheringOn(bool builtIn, bool external) {
    auto& dithering = platform_->dithering();
    const auto pipes = AntiDither::pipes(dithering);
    if (pipes.empty()) return false;
    const auto expected = std::count_if(pipes.begin(), pipes.end(),
                                        [&](const AntiDither::Pipe& p) { return p.isExternal ? external : builtIn; });
    return AntiDither::setDitheringDisabled(dithering, false, builtIn, external) == expected;
}

void ComfortController::recordDithering(bool builtIn, bool external) {
    defaults_->set(antiDitherDirtyKey, platform::Dictionary{{"builtIn", builtIn}, {"external", external}});
}

// --- pointer, keys, Night Shift --------------------------------------------------------

void ComfortController::updatePointerTint() {
    const Settings& settings = model_->settings();
    const bool on = settings.pointerTint && model_->isWarming() &&
                    model_->resolution().target.kelvin <= settings.pointerTintThreshold;
    if (on && !pointer_->isApplied()) pointer_->apply();
    else if (!on && pointer_->isApplied()) pointer_->restore();
}

std::optional<DisplayInfo> ComfortController::externalDisplayUnderPointer() const {
    const platform::Point p = platform_->workspace().mouseLocation();
    for (const auto& display : model_->displays())
        if (!display.isBuiltIn && display.frame.contains(p)) return display;
    return std::nullopt;
}

void ComfortController::handleBrightnessKey(BrightnessKeys::Key key) {
    const Settings& settings = model_->settings();
    const double step = settings.dimStep;
    if (const auto display = externalDisplayUnderPointer()) {
        const auto& slots = model_->engine().slots();
        const auto it = slots.find(display->id);
        auto* ddc = it != slots.end() ? dynamic_cast<DDCBackend*>(it->second.backend.get()) : nullptr;
        if (ddc && settings.displaySettings(display->key).ddcBrightness != false) {
            if (const auto fraction = ddc->brightnessFraction()) {
                double next = *fraction + (key == BrightnessKeys::Key::up ? step : -step);
                next = std::isnan(next) ? 0.0 : std::clamp(next, 0.0, 1.0);
                ddc->setBrightness(next);
                if (settings.showBrightnessHUD) hud_->show(next, "Brightness");
                return;
            }
        }
    }
    // No monitor of our own under the pointer, or its read failed: dim with the tint.
    if (key == BrightnessKeys::Key::down) model_->dimmer();
    else model_->brighter();
    if (model_->settings().showBrightnessHUD) hud_->show(model_->resolution().modeState.dim, "Dim");
}

void ComfortController::pollNightShift() {
    if (const auto& scheduler = platform_->scheduler())
        nightShiftTimer_ =
            scheduler->scheduleRepeating(nightShiftInterval, nightShiftTolerance, [weak = weak_from_this()] {
                if (auto self = weak.lock()) self->checkNightShift();
            });
    checkNightShift();
}

void ComfortController::checkNightShift() {
    const auto status = NightShift(*platform_).status();
    model_->setNightShiftActive(status && status->active);
}

}  // namespace orvane
