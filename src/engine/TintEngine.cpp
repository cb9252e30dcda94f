#include "engine/TintEngine.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/ColorMatrix.h"
#include "core/DisplayOffsets.h"
#include "core/Kelvin.h"
#include "core/MethodHeuristic.h"
#include "engine/AXColorMatrix.h"
#include "engine/GammaBackend.h"
#include "engine/MatrixBackend.h"
#include "engine/NightLightBackend.h"
#include "engine/OverlayBackend.h"

namespace orvane {

namespace {

double gain(double g, double dim) {
    const double v = g * dim;
    return std::isnan(v) || v < 0 ? 0 : std::min(v, 1.0);
}

}  // namespace

// --- construction ----------------------------------------------------------------------

TintEngine::TintEngine(std::shared_ptr<platform::Platform> platform, Configuration configuration,
                       BackendFactory factory)
    : platform_(std::move(platform)),
      displayManager_(std::make_unique<DisplayManager>(platform_)),
      displaySettings_(std::move(configuration.displays)),
      calibration_(configuration.calibration),
      sharingType_(configuration.sharingType),
      nightShift_(std::make_unique<NightShiftWarmth>(*platform_, platform_->standardUserDefaults())),
      nightShiftFloor_(configuration.nightShiftFloor),
      deepRedStrength_(configuration.deepRedStrength) {
    if (factory) backendFactory = std::move(factory);
    // A snapshot left by an unclean exit goes back before anything else touches Night Shift.
    nightShift_->restoreIfDirty();

    // The manager and the observations end with the engine, so `this` never dangles.
    displayManager_->onChange = [this](const std::vector<DisplayInfo>& added, const std::vector<DisplayInfo>& removed,
                                       const std::vector<DisplayInfo>& changed) {
        displaysChanged(added, removed, changed);
    };
    // Each reason names the source the event came from: on Linux logind, the screen saver
    // or DPMS and the window manager; on the simulated Mac its workspace notifications.
    const struct {
        platform::WorkspaceEvent event;
        const char* onLinux;
        const char* onMac;
    } events[] = {
        {platform::WorkspaceEvent::didWake, "logind PrepareForSleep(false)", "NSWorkspaceDidWakeNotification"},
        {platform::WorkspaceEvent::screensDidWake, "screen saver off or DPMS on",
         "NSWorkspaceScreensDidWakeNotification"},
        {platform::WorkspaceEvent::sessionDidBecomeActive, "logind session Active",
         "NSWorkspaceSessionDidBecomeActiveNotification"},
        {platform::WorkspaceEvent::activeSpaceDidChange, "_NET_CURRENT_DESKTOP changed",
         "NSWorkspaceActiveSpaceDidChangeNotification"},
    };
    const bool macNames = platform_->systemInfo().describesMac();
    for (const auto& e : events)
        observers_.push_back(platform_->workspace().observe(
            e.event, [this, reason = std::string(macNames ? e.onMac : e.onLinux)] { verifyAll(reason); }));

    for (const auto& display : std::vector<DisplayInfo>(displayManager_->displays())) attach(display);
}

TintEngine::~TintEngine() = default;

std::shared_ptr<TintBackend> TintEngine::defaultBackend(const std::shared_ptr<platform::Platform>& platform,
                                                        TintMethod method, const DisplayInfo& display,
                                                        const Calibration&) {
    switch (method) {
        case TintMethod::matrix:
            return std::make_shared<MatrixBackend>(display, platform);
        case TintMethod::gamma:
            return std::make_shared<GammaBackend>(display, platform);
        case TintMethod::automatic:
        case TintMethod::nightShift:
        case TintMethod::overlay:
        case TintMethod::ddc:
            break;
    }
    return std::make_shared<OverlayBackend>(display, LayerColorMode::encodedSRGB, ReadableRedStrategy::layers,
                                            platform);
}

std::shared_ptr<TintBackend> TintEngine::makeBackend(TintMethod method, const DisplayInfo& display) const {
    // Where no window lies over the screen the night light carries the warmth alone, whatever
    // the factory would build (its overlay could never show).
    if (method == TintMethod::nightShift && !platform_->overlaysReachScreen())
        return std::make_shared<NightLightBackend>(display, nightShift_->isAvailable());
    std::shared_ptr<TintBackend> backend = backendFactory ? backendFactory(method, display, calibration_) : nullptr;
    if (!backend) backend = defaultBackend(platform_, method, display, calibration_);
    backend->setSharingType(sharingType_);
    return backend;
}

// --- method choice and attaching -------------------------------------------------------

bool TintEngine::matrixAvailable() const {
    const AXColorMatrix adjustments(*platform_);
    return adjustments.isAvailable() && !adjustments.userColorFilterEnabled();
}

DisplaySettings TintEngine::displaySettings(const DisplayInfo& display) const {
    const auto it = displaySettings_.find(display.key);
    return it != displaySettings_.end() ? it->second : DisplaySettings();
}

void TintEngine::setDisplaySettings(std::map<std::string, DisplaySettings> displays) {
    displaySettings_ = std::move(displays);
}

void TintEngine::configure(const Configuration& configuration) {
    setSharingType(configuration.sharingType);
    setNightShiftFloor(configuration.nightShiftFloor);
    setDeepRedStrength(configuration.deepRedStrength);
    if (configuration.displays == displaySettings_ && configuration.calibration == calibration_) return;
    displaySettings_ = configuration.displays;
    setCalibration(configuration.calibration);
    reconfigure();
}

MethodRules TintEngine::methodRules() const {
    return platform_->systemInfo().describesMac() ? MethodRules::macHardware : MethodRules::displayFacts;
}

MethodFacts TintEngine::methodFacts(const DisplayInfo& display) {
    MethodFacts facts;
    const AXColorMatrix adjustments(*platform_);
    facts.colorMatrix =
        platform_->colorAdjustments().isAvailableFor(display.id) && !adjustments.userColorFilterEnabled();
    facts.gammaRamps = platform_->gammaTables().capacity(display.id) > 0;
    facts.compositor = platform_->overlayWindows().canShowTranslucent();
    facts.nightShift = nightShift_->isAvailable();
    facts.nightLightAlone = !platform_->overlaysReachScreen();
    facts.ddc = ddcAvailability(display);
    return facts;
}

TintMethod TintEngine::method(const DisplayInfo& display) {
    const SystemFacts system(*platform_);
    const MethodRules rules = methodRules();
    MethodFacts facts = methodFacts(display);
    // The Mac rules read the machine-wide colour adjustment, as a Mac has one for every display.
    if (rules == MethodRules::macHardware) facts.colorMatrix = matrixAvailable();
    return MethodHeuristic::resolve(displaySettings(display), rules, system.chipBrand(), system.osVersion().major,
                                    !display.isBuiltIn, facts);
}

std::optional<TintMethod> TintEngine::attachedMethod(const DisplayInfo& display) const {
    if (const auto it = slots_.find(display.id); it != slots_.end()) return it->second.method;
    return std::nullopt;
}

TintMethod TintEngine::activeMethod(const DisplayInfo& display) {
    if (const auto it = slots_.find(display.id); it != slots_.end()) return it->second.method;
    return method(display);
}

void TintEngine::attach(const DisplayInfo& display, const std::optional<Withheld>& withheld) {
    const TintMethod requested = withheld ? withheld->requested : method(display);
    const MethodFacts facts = methodFacts(display);
    const MethodRules rules = methodRules();
    // A display tried again with the same request on the same facts (a reconfigure after a
    // settings change elsewhere) fails the same way: that is said once, not at every try.
    const auto before = untinted_.find(display.id);
    const bool retold =
        before != untinted_.end() && before->second.facts == facts && before->second.requested == requested;
    const std::optional<std::string> toldReason = retold ? std::optional(before->second.reason) : std::nullopt;
    const auto failed = [&](std::string_view format, const auto&... args) {
        if (retold) log_.debug(format, args...);
        else log_.error(format, args...);
    };
    untinted_.erase(display.id);
    std::vector<TintMethod> order = MethodHeuristic::attachOrder(requested, rules, facts);
    // Where even overlays cannot be shown, the desktop's night light is the last resort.
    if (nightShift_->isAvailable() && !platform_->overlaysReachScreen() &&
        std::find(order.begin(), order.end(), TintMethod::nightShift) == order.end())
        order.push_back(TintMethod::nightShift);
    if (withheld) std::erase(order, withheld->method);
    std::string lastError;
    std::string requestedError;
    for (const TintMethod m : order) {
        std::shared_ptr<TintBackend> backend = makeBackend(m, display);
        if (const auto error = backend->attach(display)) {
            lastError = error->description();
            if (m == requested) requestedError = lastError;
            failed("attach %s failed for %s: %s", std::string(toString(m)), display.name, lastError);
            continue;
        }
        if (withheld) log_.notice("%s: %s; %s tints it", display.name, withheld->why, methodTitle(m));
        else if (m != requested)
            log_.notice("%s: %s could not attach; %s tints it", display.name, methodTitle(requested), methodTitle(m));
        Slot slot{display, std::move(backend), m, requested, m != requested ? requestedError : ""};
        slots_[display.id] = slot;
        render(slot, 0);
        return;
    }
    // Nothing attached: said plainly, never shown as a method. A withheld method says why it
    // is withheld; else the platform's own words come first; with the display-facts rules the
    // facts say why the request cannot run; the Mac rules tried their whole chain, so the last
    // back-end's error says what stopped it.
    std::string reason = withheld ? withheld->untintedReason : "";
    if (reason.empty()) reason = platform_->gammaTables().unavailableReason(display.id).value_or("");
    if (reason.empty() && rules == MethodRules::displayFacts) reason = MethodHeuristic::whyNot(requested, facts);
    if (reason.empty()) reason = lastError;
    if (reason.empty()) reason = "no method can change this display's colours";
    if (reason == toldReason) log_.debug("%s is not tinted: %s", display.name, reason);
    else log_.error("%s is not tinted: %s", display.name, reason);
    untinted_[display.id] = Untinted{display, std::move(reason), facts, requested};
}

std::optional<std::string> TintEngine::untintedReason(const DisplayInfo& display) const {
    if (slots_.count(display.id)) return std::nullopt;
    const auto it = untinted_.find(display.id);
    return it != untinted_.end() ? std::optional<std::string>(it->second.reason) : std::nullopt;
}

// --- requests --------------------------------------------------------------------------

TintState TintEngine::displayState(const DisplayInfo& display) {
    const DisplaySettings settings = displaySettings(display);
    return settings.enabled ? applyingDisplayOffsets(currentState_, settings, dimFloor_) : TintState::off;
}

OverlayPlan TintEngine::plan(const TintState& s, TintMethod m) {
    if (s.isNoTint()) return OverlayPlan::none;
    return OverlayPlan::make(s.kelvin, s.dim, m == TintMethod::nightShift && nightShift_->isAvailable(),
                             nightLightFloor(), deepRedStrength_);
}

RenderRequest TintEngine::request(const TintState& s, TintMethod m) {
    const Multiplier g = Kelvin::multiplier(static_cast<double>(s.kelvin));
    // Multiplier's constructor clamps, and gain() turns a NaN product into 0 first.
    const Multiplier gains(gain(g.r, s.dim), gain(g.g, s.dim), gain(g.b, s.dim));
    return RenderRequest(gains, false, false, plan(s, m), ColorMatrix::make(s));
}

RenderRequest TintEngine::request(const DisplayInfo& display, TintMethod m) {
    return request(displayState(display), m);
}

RenderRequest TintEngine::request(const DisplayInfo& display) { return request(display, activeMethod(display)); }

// --- rendering -------------------------------------------------------------------------

void TintEngine::render(const Slot& slot, double duration) {
    // A probed display's own slot stays at identity: its write would cover the probe.
    if (isProbed(slot)) return;
    if (suppressed_) {
        slot.backend->apply(RenderRequest::identity(), 0);
        return;
    }
    slot.backend->apply(request(slot.display, slot.method), duration);
}

void TintEngine::renderAll(double duration) {
    for (const auto& [id, slot] : slots_) render(slot, duration);
}

void TintEngine::apply(const TintState& state, const Transition& transition, double dimFloor) {
    currentState_ = state;
    dimFloor_ = dimFloor;
    renderAll(transition.duration);
    updateNightShift();
    updateWatchdog();
}

std::string TintEngine::methodTitle(TintMethod method) const {
    // Without overlay windows the night light works alone.
    return orvane::methodTitle(method, platform_->systemInfo().describesMac(), !platform_->overlaysReachScreen());
}

std::vector<std::string> TintEngine::describeBackends() const {
    std::vector<std::string> lines;
    const auto where = [](const DisplayInfo& d) {
        return d.name + " [" + (d.isBuiltIn ? "built-in" : "external") + "] → ";
    };
    for (const auto& [id, slot] : slots_) lines.push_back(where(slot.display) + methodTitle(slot.method));
    for (const auto& display : displayManager_->displays())
        if (const auto reason = untintedReason(display)) lines.push_back(where(display) + "Not tinted: " + *reason);
    return lines;
}

void TintEngine::detachAll() {
    endProbe();
    for (auto& [id, slot] : slots_) slot.backend->detach();
    slots_.clear();
    untinted_.clear();
    nightShift_->restore();
    watchdog_.cancel();
}

void TintEngine::displayServerLost(const std::string& reason) {
    endProbe();
    for (const auto& display : displayManager_->displays()) {
        TintMethod requested = method(display);
        if (const auto it = slots_.find(display.id); it != slots_.end()) {
            requested = it->second.requested;
            it->second.backend->detach();
            slots_.erase(it);
        }
        log_.error("%s is not tinted: %s", display.name, reason);
        untinted_[display.id] = Untinted{display, reason, methodFacts(display), requested};
    }
    watchdog_.cancel();
}

// --- upkeep ----------------------------------------------------------------------------

void TintEngine::reconfigure() {
    for (const auto& d : std::vector<DisplayInfo>(displayManager_->displays())) {
        const TintMethod m = method(d);
        const auto it = slots_.find(d.id);
        if (it != slots_.end() && it->second.requested == m) {
            render(it->second, 0);
            continue;
        }
        if (it != slots_.end()) {
            it->second.backend->detach();
            slots_.erase(it);
        }
        attach(d);
    }
    updateWatchdog();
    updateNightShift();
}

void TintEngine::reattach(std::uint32_t displayId) {
    const auto it = slots_.find(displayId);
    if (it == slots_.end()) return;
    const DisplayInfo display = it->second.display;
    it->second.backend->detach();
    slots_.erase(it);
    attach(display);
    updateWatchdog();
    updateNightShift();
}

std::map<std::uint32_t, std::pair<std::optional<TintMethod>, std::string>> TintEngine::attachments() const {
    std::map<std::uint32_t, std::pair<std::optional<TintMethod>, std::string>> result;
    for (const auto& [id, slot] : slots_) result[id] = {slot.method, ""};
    for (const auto& [id, untinted] : untinted_)
        if (!slots_.count(id)) result[id] = {std::nullopt, untinted.reason};
    return result;
}

void TintEngine::verifyAll(const std::string& reason) {
    log_.debug("checking every display (%s)", reason);
    const auto before = attachments();
    displayManager_->refresh();
    // A display nothing could tint is tried again once what it can run changed (a
    // compositing manager started, a driver gained a colour matrix).
    std::vector<DisplayInfo> retry;
    for (const auto& [id, untinted] : untinted_)
        if (methodFacts(untinted.display) != untinted.facts) retry.push_back(untinted.display);
    for (const auto& d : retry) attach(d);
    for (const auto& [id, slot] : slots_) {
        if (method(slot.display) != slot.requested) {
            log_.notice("method changed (%s), reconfiguring", reason);
            reconfigure();
            break;
        }
    }
    // A back-end may not outlive its slot during the loop: keep them alive for the pass.
    // The probed display's slot is left out: repairing it would rewrite its tint over the probe.
    std::vector<std::shared_ptr<TintBackend>> backends;
    for (const auto& [id, slot] : slots_)
        if (!isProbed(slot)) backends.push_back(slot.backend);
    for (const auto& backend : backends) backend->verifyAndRepair();
    // A display whose method was taken away (a compositor withdrew the gamma control) goes
    // through the fallback chain again, or says why nothing tints it now.
    std::vector<std::uint32_t> lost;
    for (const auto& [id, slot] : slots_)
        if (!isProbed(slot) && slot.backend->lost()) lost.push_back(id);
    for (const auto id : lost) {
        log_.notice("%s lost its %s, attaching it again", slots_.at(id).display.name,
                    methodTitle(slots_.at(id).method));
        reattach(id);
    }
    if (!suppressed_) nightShift_->reassert();
    if (onAttachmentsChanged && attachments() != before) onAttachmentsChanged();
}

void TintEngine::displaysChanged(const std::vector<DisplayInfo>& added, const std::vector<DisplayInfo>& removed,
                                 const std::vector<DisplayInfo>& changed) {
    for (const auto& d : removed) {
        untinted_.erase(d.id);
        if (const auto it = slots_.find(d.id); it != slots_.end()) {
            it->second.backend->detach();
            slots_.erase(it);
        }
    }
    for (const auto& c : changed) {
        const auto it = slots_.find(c.id);
        if (it == slots_.end()) {
            attach(c);
            continue;
        }
        Slot& slot = it->second;
        if (const auto error = slot.backend->attach(c)) log_.error("re-attach failed: %s", error->description());
        slot.display = c;
        render(slot, 0);
    }
    for (const auto& d : added) attach(d);
    updateWatchdog();
    if (onDisplaysChanged) onDisplaysChanged();
}

void TintEngine::updateWatchdog() {
    if (currentState_.isNoTint()) {
        watchdog_.cancel();
        return;
    }
    if (watchdog_.active()) return;
    const auto& scheduler = platform_->scheduler();
    if (!scheduler) return;
    // The handle ends the timer with the engine, so `this` never dangles.
    watchdog_ = scheduler->scheduleRepeating(repairInterval, repairTolerance, [this] { verifyAll("timer"); });
}

void TintEngine::updateNightShift() {
    if (suppressed_ || !nightShift_->isAvailable()) return;
    if (nightShift_->isDesktopNightLight()) {
        // The desktop's night light warms every screen at once, the one Orvane tints by gamma
        // or colour matrix too, where the two would fight over the same colours. It is used
        // only while no display is tinted so; the displays that asked for it run their next
        // method meanwhile and get it back once none is.
        const auto waiting = [this](std::uint32_t id) {
            return std::find(waitingForNightLight_.begin(), waitingForNightLight_.end(), id) !=
                   waitingForNightLight_.end();
        };
        const Slot* byRamps = nullptr;
        for (const auto& [id, slot] : slots_)
            if ((slot.method == TintMethod::gamma || slot.method == TintMethod::matrix) && !waiting(id) &&
                displaySettings(slot.display).enabled)
                byRamps = &slot;
        if (byRamps) {
            const std::string tintedName = byRamps->display.name;
            std::vector<Slot> asking;
            for (const auto& [id, slot] : slots_)
                if (slot.method == TintMethod::nightShift) asking.push_back(slot);
            const std::string why = "the desktop's night light would warm " + tintedName +
                                    " too, which Orvane tints by gamma or colour matrix";
            const std::string untintedReason =
                "the desktop's night light is off while " + tintedName + " is tinted by gamma or colour matrix";
            for (const Slot& slot : asking) {
                const DisplayInfo display = slot.display;
                slot.backend->detach();
                slots_.erase(display.id);
                if (!waiting(display.id)) waitingForNightLight_.push_back(display.id);
                attach(display, Withheld{TintMethod::nightShift, slot.requested, why, untintedReason});
            }
        } else if (!waitingForNightLight_.empty()) {
            for (const std::uint32_t id : std::exchange(waitingForNightLight_, {})) {
                std::optional<DisplayInfo> display;
                if (const auto it = slots_.find(id); it != slots_.end()) {
                    display = it->second.display;
                    it->second.backend->detach();
                    slots_.erase(it);
                } else if (const auto un = untinted_.find(id); un != untinted_.end()) {
                    display = un->second.display;
                }
                if (display) attach(*display);
            }
        }
    }
    const Slot* chosen = nullptr;
    for (const auto& [id, slot] : slots_) {
        if (slot.method != TintMethod::nightShift) continue;
        if (!chosen) chosen = &slot;
        if (slot.display.isBuiltIn) {
            chosen = &slot;
            break;
        }
    }
    const std::int64_t floor = nightLightFloor();
    if (!chosen) {
        // The desktop's night light and Orvane's gamma or matrix would both change the same
        // colours and the screen would flicker between them: the night light stays off
        // (recorded and given back like any change of it) for as long as Orvane tints so.
        bool ramps = false;
        for (const auto& [id, slot] : slots_)
            ramps = ramps || ((slot.method == TintMethod::gamma || slot.method == TintMethod::matrix) &&
                              !displayState(slot.display).isNoTint());
        if (ramps && nightShift_->isDesktopNightLight()) {
            if (!nightLightYielded_ && nightShift_->isActive())
                log_.notice("switched the desktop's night light off while Orvane tints by gamma or colour matrix");
            nightLightYielded_ = true;
            nightShift_->apply(std::nullopt, floor);
            return;
        }
        nightLightYielded_ = false;
        nightShift_->restore();
        return;
    }
    nightLightYielded_ = false;
    const TintState state = displayState(chosen->display);
    const OverlayPlan p = plan(state, TintMethod::nightShift);
    // Said once for each warmth the night light alone falls short of.
    const auto lowest = nightShift_->lowestKelvin();
    const bool falls = p.nightShiftKelvin && !overlayJoinsNightLight() && lowest && state.kelvin < *lowest;
    const auto shortOf = falls ? std::optional(state.kelvin) : std::nullopt;
    if (shortOf != nightLightShortOf_ && shortOf)
        log_.notice("the desktop's night light reaches %ld K at the warmest; asked for %ld K",
                    static_cast<long>(*lowest), static_cast<long>(*shortOf));
    nightLightShortOf_ = shortOf;
    nightShift_->apply(p.nightShiftKelvin, floor);
}

void TintEngine::applyCalibrationToBackends() {
    for (auto& [id, slot] : slots_) slot.backend->setCalibration(calibration_);
    renderAll(0);
}

// --- setters ---------------------------------------------------------------------------

void TintEngine::setCalibration(const Calibration& calibration) {
    calibration_ = calibration;
    applyCalibrationToBackends();
}

void TintEngine::setSharingType(platform::SharingType type) {
    sharingType_ = type;
    for (auto& [id, slot] : slots_) slot.backend->setSharingType(sharingType_);
}

void TintEngine::setNightShiftFloor(std::int64_t kelvin) {
    if (kelvin == nightShiftFloor_) return;
    nightShiftFloor_ = kelvin;
    renderAll(0);
    updateNightShift();
}

bool TintEngine::overlayJoinsNightLight() const {
    return platform_->overlaysReachScreen() && platform_->overlayWindows().canShowTranslucent();
}

std::int64_t TintEngine::nightLightFloor() const {
    return nightShift_->floorWithinLimits(overlayJoinsNightLight() ? nightShiftFloor_ : Kelvin::minimum);
}

void TintEngine::setDeepRedStrength(double strength) {
    if (strength == deepRedStrength_) return;
    deepRedStrength_ = strength;
    renderAll(0);
    updateNightShift();
}

void TintEngine::setSuppressed(bool suppressed) {
    suppressed_ = suppressed;
    if (suppressed) nightShift_->restore();
}

// --- the method check's probe ----------------------------------------------------------

void TintEngine::beginProbe(const DisplayInfo& display, TintMethod m, const TintState& state) {
    endProbe();
    if (suppressed_) return;
    if (const auto it = slots_.find(display.id); it != slots_.end())
        it->second.backend->apply(RenderRequest::identity(), 0);
    std::shared_ptr<TintBackend> backend = makeBackend(m, display);
    if (const auto error = backend->attach(display)) {
        log_.error("probe %s failed: %s", std::string(toString(m)), error->description());
        return;
    }
    // The request a display of that method would get for the test state, so an overlay
    // candidate shows its layers instead of an empty plan.
    backend->apply(request(state, m), 0.3);
    probe_ = Slot{display, std::move(backend), m, m, {}};
}

bool TintEngine::isProbed(const Slot& slot) const { return probe_ && probe_->display.id == slot.display.id; }

void TintEngine::endProbe() {
    if (!probe_) return;
    const Slot probe = std::move(*probe_);
    probe_.reset();
    probe.backend->detach();
    if (const auto it = slots_.find(probe.display.id); it != slots_.end()) {
        Slot& slot = it->second;
        // The probe may have rewritten the gamma tables this back-end took as its base.
        if (slot.method == TintMethod::gamma) (void)slot.backend->attach(slot.display);
        render(slot, 0);
    }
}

}  // namespace orvane
