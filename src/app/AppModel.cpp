#include "app/AppModel.h"

#include <algorithm>
#include <cmath>

#include "app/SystemTimeZone.h"
#include "core/ColorMatrix.h"
#include "core/Curve.h"
#include "core/Kelvin.h"
#include "core/OverlayPlan.h"
#include "core/PresetNames.h"
#include "core/ShortTime.h"
#include "engine/PointerTint.h"
#include "platform/LocationProvider.h"

namespace orvane {

namespace {

constexpr TimeInterval rampingInterval = 1.0;
constexpr TimeInterval restingInterval = 30.0;
constexpr TimeInterval rampingTolerance = 0.1;
constexpr TimeInterval restingTolerance = 5.0;
constexpr TimeInterval afterChange = 0.05;
constexpr TimeInterval shortestTick = 0.2;
constexpr TimeInterval longestBookedGap = 600;
constexpr TimeInterval week = 7 * 86400;

double clampedDim(double dim, double low) {
    if (std::isnan(dim)) return low;
    return std::min(std::max(dim, low), 1.0);
}

platform::SharingType sharingFor(const Settings& settings) {
    return settings.hideTintFromScreenshots ? platform::SharingType::none : platform::SharingType::readOnly;
}

}  // namespace

// Opens a unit of change, or joins the one already open; the outermost scope commits it.
class AppModel::Batch {
public:
    explicit Batch(AppModel& model) : model_(model) { ++model_.unit_.depth; }
    ~Batch() {
        if (model_.unit_.depth == 1) model_.commit();
        else --model_.unit_.depth;
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    AppModel& model_;
};

// --- construction ---------------------------------------------------------------------

std::shared_ptr<AppModel> AppModel::create(std::shared_ptr<TintEngine> engine, std::shared_ptr<SettingsStore> store,
                                           Environment environment) {
    std::shared_ptr<AppModel> model(new AppModel(std::move(engine), std::move(store), std::move(environment)));
    model->start();
    return model;
}

AppModel::AppModel(std::shared_ptr<TintEngine> engine, std::shared_ptr<SettingsStore> store, Environment environment)
    : environment_(std::move(environment)), engine_(std::move(engine)), store_(std::move(store)) {
    if (!environment_.platform) environment_.platform = engine_->platform();
    if (!environment_.systemTimeZone) environment_.systemTimeZone = currentSystemTimeZone;
    if (!environment_.locationProvider) environment_.locationProvider = environment_.platform->locationProviderShared();
    if (!environment_.playSound)
        environment_.playSound = [platform = environment_.platform](const std::string& name) {
            platform->sounds().play(name);
        };
    lastTick_ = now();
    lastSystemZone_ = systemZone().identifier();
    preciseLocation_ =
        std::make_unique<PreciseLocation>(environment_.locationProvider, environment_.platform->scheduler());
    frontmost_ = std::make_unique<FrontmostAppObserver>(
        environment_.platform->workspace(), environment_.platform->displays(), environment_.platform->appCatalog());
}

void AppModel::start() {
    // Assignments up to the display list run no observers.
    settings_ = store_->loadSettings();
    // A document written by hand or by an older version may hold names the editor would
    // refuse: --preset and the tray menu need each preset named, and named apart.
    PresetNames::makeDistinct(settings_.presets);
    runtime_ = store_->loadRuntime();
    statistics_ = store_->loadStatistics();
    // Kept aside now, so that the notice can say where the copy is, and replaced by what was
    // read of them, so that the next start does not find them damaged again.
    damagedDocuments_ = store_->keepDamagedAside();
    for (const auto& damage : damagedDocuments_) {
        if (damage.key == SettingsStore::settingsKey) store_->saveSettings(settings_);
        else if (damage.key == SettingsStore::runtimeKey) store_->saveRuntime(runtime_);
        else if (damage.key == SettingsStore::statisticsKey) store_->saveStatistics(statistics_);
    }
    if (settings_.sunset.cachedPreciseLatitude && settings_.sunset.cachedPreciseLongitude)
        preciseCoordinates_ = LocationSource::Coordinates{*settings_.sunset.cachedPreciseLatitude,
                                                          *settings_.sunset.cachedPreciseLongitude};
    location_ = resolveLocation();

    // A placeholder decision until the real one at the end, made without the stored pauses.
    ResolverInput first;
    first.now = now();
    first.settings = settings_;
    first.location = location_;
    first.systemTimeZone = systemZone();
    resolution_ = Resolver::resolve(first);

    // An engine made with these values already (as the delegate makes it) attached each
    // display with its stored method; any other is brought in line here, before anything
    // has been drawn.
    engine_->configure(engineConfiguration(settings_));

    displays_ = engine_->displays();
    rememberDisplayNames();
    capabilities_ = Capabilities::read(*engine_);
    // The installed applications are read once, and again only when their folders change.
    capabilities_.applications = Capabilities::readApplications(*environment_.platform);
    applicationsWatch_ =
        environment_.platform->appCatalog().observeChanges(platform::weakly(shared_from_this(), [](AppModel& model) {
            Capabilities next = model.capabilities_;
            next.applications = Capabilities::readApplications(*model.environment_.platform);
            model.assign(model.capabilities_, std::move(next), Property::capabilities);
        }));
    // A compositing manager comes and goes without a display change; the rest changes with
    // the displays (a colour matrix, ramps) or is read again on wake.
    translucencyWatch_ = environment_.platform->overlayWindows().observeTranslucency(
        platform::weakly(shared_from_this(), [](AppModel& model) { model.refreshCapabilities(); }));
    engine_->onDisplaysChanged =
        platform::weakly(shared_from_this(), [](AppModel& model) { model.displaysDidChange(); });
    engine_->onAttachmentsChanged =
        platform::weakly(shared_from_this(), [](AppModel& model) { model.refreshAttachedMethods(); });

    auto& workspace = environment_.platform->workspace();
    for (const auto event : {platform::WorkspaceEvent::didWake, platform::WorkspaceEvent::sessionDidBecomeActive})
        observers_.push_back(workspace.observe(event, platform::weakly(shared_from_this(), [](AppModel& model) {
                                                   model.engine_->verifyAll("wake");
                                                   model.refreshCapabilities();
                                                   model.recompute(Transition::wake);
                                               })));
    scheduleDayChange();

    frontmost_->onChange = platform::weakly(
        shared_from_this(),
        [](AppModel& model, const std::optional<FrontmostAppObserver::Info>& info) { model.frontmostDidChange(info); });
    frontmostDidChange(frontmost_->current());

    recompute(Transition::wake);
}

Date AppModel::now() const { return environment_.platform->clock().now(); }

Location AppModel::resolveLocation() const {
    return Location::resolve(settings_.sunset.locationSource, systemZone(), preciseCoordinates_, now());
}

void AppModel::relocate() {
    if (inUnit()) {
        unit_.relocate = true;
        unit_.recompute = true;
        return;
    }
    setLocation(resolveLocation());
    recompute();
}

void AppModel::systemTimeZoneDidChange() {
    lastSystemZone_ = systemZone().identifier();
    relocate();
}

void AppModel::scheduleDayChange() {
    const auto scheduler = environment_.platform->scheduler();
    if (!scheduler) return;
    const Calendar calendar = systemCalendar();
    const Date current = now();
    const Date midnight = calendar.addingDays(1, calendar.startOfDay(current));
    const TimeInterval delay = std::max(1.0, midnight - current);
    dayChangeHandle_ = scheduler->schedule(delay, 1.0, platform::weakly(shared_from_this(), [](AppModel& model) {
                                               // The day's booked counters go to disk as it ends.
                                               model.store_->flush();
                                               model.scheduleDayChange();
                                               model.recompute();
                                           }));
}

void AppModel::frontmostDidChange(const std::optional<FrontmostAppObserver::Info>& info) {
    std::optional<std::string> bundleID = info ? std::optional<std::string>(info->bundleID) : std::nullopt;
    // The program's own windows are in front like any other (the tint follows the focus to
    // them) but are never excluded; the views keep offering the application before them.
    if (bundleID == std::optional<std::string>(environment_.bundleIdentifier)) {
        setFrontmostBundleID(std::nullopt);
        setFrontmostIsFullScreen(false);
        return;
    }
    setFrontmostAppInfo(info);
    setFrontmostBundleID(bundleID);
    setFrontmostIsFullScreen(info ? info->isFullScreen : false);
}

void AppModel::refreshCapabilities() {
    Capabilities next = Capabilities::read(*engine_);
    next.applications = capabilities_.applications;
    assign(capabilities_, std::move(next), Property::capabilities);
}

void AppModel::refreshAttachedMethods() {
    Capabilities next = capabilities_;
    for (auto& d : next.displays) {
        const auto it = std::find_if(displays_.begin(), displays_.end(), [&](const auto& i) { return i.id == d.id; });
        if (it == displays_.end()) continue;
        d.attachedMethod = engine_->attachedMethod(*it);
        d.attachedTitle = d.attachedMethod ? next.methodTitle(*d.attachedMethod) : "";
        d.notTintedReason = engine_->untintedReason(*it).value_or("");
    }
    assign(capabilities_, std::move(next), Property::capabilities);
}

void AppModel::displaysDidChange() {
    assign(displays_, engine_->displays(), Property::displays);
    refreshCapabilities();
    rememberDisplayNames();
    onDisplaysChanged.notify();
}

void AppModel::rememberDisplayNames() {
    for (const auto& display : std::vector<DisplayInfo>(displays_)) {
        DisplaySettings entry = settings_.displaySettings(display.key);
        if (entry.lastKnownName == display.name && entry.isBuiltIn == display.isBuiltIn) continue;
        entry.lastKnownName = display.name;
        entry.isBuiltIn = display.isBuiltIn;
        Settings s = settings_;
        s.displays[display.key] = entry;
        setSettings(std::move(s));
    }
}

// --- properties -----------------------------------------------------------------------

template <class T>
bool AppModel::assign(T& field, T value, Property property) {
    if (field == value) return false;
    field = std::move(value);
    announce(property);
    return true;
}

void AppModel::announce(Property property) {
    if (!inUnit()) {
        changes_.notify(property);
        return;
    }
    auto& announced = unit_.announced;
    if (std::find(announced.begin(), announced.end(), property) == announced.end()) announced.push_back(property);
}

void AppModel::recomputeSoon(std::optional<Transition> transition) {
    if (!inUnit()) {
        recompute(transition);
        return;
    }
    unit_.recompute = true;
    if (transition) unit_.transition = transition;
}

TintEngine::Configuration AppModel::engineConfiguration(const Settings& settings) {
    TintEngine::Configuration configuration;
    configuration.displays = settings.displays;
    configuration.calibration = settings.calibration;
    configuration.nightShiftFloor = settings.nightShiftFloorKelvin;
    configuration.deepRedStrength = settings.deepRedStrength;
    configuration.sharingType = sharingFor(settings);
    return configuration;
}

void AppModel::change(const Edit& edit) {
    Batch batch(*this);
    const Settings settingsBefore = settings_;
    const RuntimeState runtimeBefore = runtime_;
    Settings s = settingsBefore;
    RuntimeState r = runtimeBefore;
    edit(s, r);
    if (!(s == settingsBefore)) setSettings(std::move(s));
    if (!(r == runtimeBefore)) setRuntime(std::move(r));
}

void AppModel::commit() {
    const Unit& unit = unit_;
    const bool settingsChanged = unit.settingsBefore && !(*unit.settingsBefore == settings_);
    const bool runtimeChanged = unit.runtimeBefore && !(*unit.runtimeBefore == runtime_);
    if (settingsChanged) store_->saveSettings(settings_);
    if (runtimeChanged) store_->saveRuntime(runtime_);
    if (unit.relocate ||
        (settingsChanged && !(settings_.sunset.locationSource == unit.settingsBefore->sunset.locationSource)))
        setLocation(resolveLocation());
    if (settingsChanged) {
        engine_->configure(engineConfiguration(settings_));
        refreshAttachedMethods();
    }
    if (settingsChanged || runtimeChanged || unit.recompute) recompute(unit.transition);

    // Everything agrees now: close the unit, then tell. A listener may start a new one.
    const Unit done = std::exchange(unit_, Unit{});
    const auto keepAlive = weak_from_this().lock();
    for (const Property property : done.announced) {
        if ((property == Property::settings && !settingsChanged) || (property == Property::runtime && !runtimeChanged))
            continue;  // changed and changed back within the unit
        changes_.notify(property);
    }
    if (done.resolutionChanged) onResolutionChanged.notify(Resolution(resolution_));
    if (settingsChanged) {
        const Settings current = settings_;
        settingsChanges_.notify(*done.settingsBefore, current);
        onSettingsChanged.notify(*done.settingsBefore, current);
    }
    if (done.hotkeysChanged) onHotkeysChanged.notify();
}

void AppModel::setSettings(Settings settings) {
    if (settings == settings_) return;
    if (inUnit()) {
        if (!unit_.settingsBefore) unit_.settingsBefore = settings_;
        settings_ = std::move(settings);
        announce(Property::settings);
        return;
    }
    const Settings old = std::exchange(settings_, std::move(settings));
    changes_.notify(Property::settings);
    store_->saveSettings(settings_);
    if (!(settings_.sunset.locationSource == old.sunset.locationSource)) relocate();
    engine_->configure(engineConfiguration(settings_));
    refreshAttachedMethods();
    recompute();
    const Settings current = settings_;
    settingsChanges_.notify(old, current);
    onSettingsChanged.notify(old, current);
}

void AppModel::setRuntime(RuntimeState runtime) {
    if (runtime == runtime_) return;
    if (inUnit()) {
        if (!unit_.runtimeBefore) unit_.runtimeBefore = runtime_;
        runtime_ = std::move(runtime);
        announce(Property::runtime);
        return;
    }
    assign(runtime_, std::move(runtime), Property::runtime);
    store_->saveRuntime(runtime_);
    recompute();
}

void AppModel::setStatistics(Statistics statistics) {
    assign(statistics_, std::move(statistics), Property::statistics);
}

void AppModel::setRevealHeld(bool held) {
    if (assign(revealHeld_, held, Property::revealHeld)) recomputeSoon(Transition::instant);
}

void AppModel::setFrontmostBundleID(std::optional<std::string> bundleID) {
    if (assign(frontmostBundleID_, std::move(bundleID), Property::frontmostBundleID)) recomputeSoon(std::nullopt);
}

void AppModel::setFrontmostIsFullScreen(bool fullScreen) {
    if (assign(frontmostIsFullScreen_, fullScreen, Property::frontmostIsFullScreen)) recomputeSoon(std::nullopt);
}

void AppModel::setSecurityPromptVisible(bool visible) {
    if (assign(securityPromptVisible_, visible, Property::securityPromptVisible)) recomputeSoon(std::nullopt);
}

void AppModel::setRestDim(std::optional<double> dim) {
    if (!assign(restDim_, dim, Property::restDim)) return;
    // A break eases the screen down slowly and lets it back up a little faster.
    recomputeSoon(restDim_ ? Transition(3.0) : Transition(1.5));
}

void AppModel::setPreciseCoordinates(std::optional<LocationSource::Coordinates> coordinates) {
    preciseCoordinates_ = coordinates;
    announce(Property::preciseCoordinates);
    relocate();
}

void AppModel::setHotkeysSuspended(bool suspended) {
    if (!assign(hotkeysSuspended_, suspended, Property::hotkeysSuspended)) return;
    if (inUnit()) unit_.hotkeysChanged = true;
    else onHotkeysChanged.notify();
}

void AppModel::setLastMethodCheck(std::map<std::string, std::optional<TintMethod>> results) {
    assign(lastMethodCheck_, std::move(results), Property::lastMethodCheck);
}

void AppModel::setNightShiftActive(bool active) { assign(nightShiftActive_, active, Property::nightShiftActive); }
void AppModel::setAccessibilityNeeded(bool needed) {
    assign(accessibilityNeeded_, needed, Property::accessibilityNeeded);
}
void AppModel::setSteadyBacklightActive(bool active) {
    assign(steadyBacklightActive_, active, Property::steadyBacklightActive);
}
void AppModel::setRenderTonightReduction(std::optional<double> reduction) {
    assign(renderTonightReduction_, reduction, Property::renderTonightReduction);
}

void AppModel::setRefusedHotkeys(std::vector<Hotkey> refused) {
    assign(refusedHotkeys_, std::move(refused), Property::refusedHotkeys);
}
void AppModel::setResolution(Resolution resolution) {
    assign(resolution_, std::move(resolution), Property::resolution);
}
void AppModel::setLocation(Location location) { assign(location_, std::move(location), Property::location); }
void AppModel::setPreciseLocationError(std::optional<std::string> error) {
    assign(preciseLocationError_, std::move(error), Property::preciseLocationError);
}
void AppModel::dismissDamagedDocuments() {
    assign(damagedDocuments_, std::vector<SettingsStore::Damage>{}, Property::damagedDocuments);
}

void AppModel::setFrontmostAppInfo(std::optional<FrontmostAppObserver::Info> info) {
    assign(frontmostAppInfo_, std::move(info), Property::frontmostAppInfo);
}

// --- derived values -------------------------------------------------------------------

std::optional<DisplayInfo> AppModel::primaryDisplay() const {
    if (displays_.empty()) return std::nullopt;
    const auto main = std::find_if(displays_.begin(), displays_.end(),
                                   [](const DisplayInfo& d) { return d.frame.x == 0 && d.frame.y == 0; });
    return main != displays_.end() ? *main : displays_.front();
}

std::optional<TintMethod> AppModel::primaryMethod() const {
    const auto display = primaryDisplay();
    return display ? engine_->attachedMethod(*display) : std::nullopt;
}

std::optional<std::string> AppModel::notTintedReason() const {
    std::optional<std::string> reason;
    for (const auto& display : engine_->displays()) {
        auto why = engine_->untintedReason(display);
        if (!why) return std::nullopt;
        if (!reason) reason = std::move(why);
    }
    return reason;
}

std::string AppModel::nightLightReach(const DisplayCapabilities* display) const {
    return capabilities_.nightLightReach(resolution_.target.kelvin, display);
}

Multiplier AppModel::shownWhite() const {
    if (!isWarming() || !primaryMethod()) return Multiplier::identity;
    return effectiveWhite(resolution_.modeState);
}

Multiplier AppModel::effectiveWhite(const TintState& state) const {
    if (state.isNoTint()) return Multiplier::identity;
    const auto method = primaryMethod();
    if (method == TintMethod::matrix) return ColorMatrix::make(state).white();
    if (method == TintMethod::nightShift && !engine_->overlayJoinsNightLight()) {
        // The night light alone: its own temperature within the desktop's range, nothing over it.
        const OverlayPlan plan = OverlayPlan::make(state.kelvin, state.dim, true, engine_->nightLightFloor(), 0);
        return plan.nightShiftKelvin ? Kelvin::multiplier(static_cast<double>(*plan.nightShiftKelvin))
                                     : Multiplier::identity;
    }
    if (method == TintMethod::nightShift || method == TintMethod::overlay) {
        const OverlayPlan plan = OverlayPlan::make(state.kelvin, state.dim, method == TintMethod::nightShift,
                                                   settings_.nightShiftFloorKelvin, settings_.deepRedStrength);
        const Multiplier base = plan.nightShiftKelvin ? Kelvin::multiplier(static_cast<double>(*plan.nightShiftKelvin))
                                                      : Multiplier::identity;
        const auto channel = [&](double b, double layer) {
            return b * (1 - plan.redOpacity) * (1 - plan.dimOpacity) + layer * plan.redOpacity * (1 - plan.dimOpacity);
        };
        return Multiplier(channel(base.r, plan.red), channel(base.g, plan.green), channel(base.b, plan.blue));
    }
    const Multiplier gains = Kelvin::multiplier(static_cast<double>(state.kelvin));
    return Multiplier(gains.r * state.dim, gains.g * state.dim, gains.b * state.dim);
}

std::optional<double> AppModel::tonightReduction() const {
    if (renderTonightReduction_) return renderTonightReduction_;
    const auto tonight = statistics_.tonight(now(), systemCalendar());
    if (!tonight || tonight->eveningScreenSeconds < 60) return std::nullopt;
    return 1 - tonight->eveningMelanopicSeconds / tonight->eveningScreenSeconds;
}

bool AppModel::isWarming() const {
    const TintState& t = resolution_.target;
    return settings_.enabled && (t.kelvin < 6500 || t.dim < 0.999 || t.darkroom);
}

std::string AppModel::modeSubtitle() const {
    return Resolver::modeSubtitle(settings_, location_, now(), resolution_.curve, systemZone());
}

SunTimes AppModel::sunTimesToday() const {
    return Solar::times(now(), location_.latitude, location_.longitude, placeZone());
}

ResolverInput AppModel::input() const {
    ResolverInput in;
    in.now = now();
    in.settings = settings_;
    in.location = location_;
    in.runtime = runtime_;
    in.frontmostBundleID = frontmostBundleID_;
    if (frontmostAppInfo_ && frontmostAppInfo_->bundleID == frontmostBundleID_)
        in.frontmostWindowClass = frontmostAppInfo_->windowClass;
    in.frontmostIsFullScreen = frontmostIsFullScreen_;
    in.revealHeld = revealHeld_;
    in.securityPromptVisible = securityPromptVisible_;
    in.systemTimeZone = systemZone();
    return in;
}

// --- recompute and tick ---------------------------------------------------------------

void AppModel::recompute(std::optional<Transition> transition) {
    Resolution next = Resolver::resolve(input());
    if (transition) next.transition = *transition;
    const bool sameTarget = next.target == resolution_.target;
    const bool sameStatus = sameTarget && next.status == resolution_.status;
    // The dim floor goes to the engine with every apply, so a change of it alone must
    // reach the engine too.
    const bool sameFloor = appliedDimFloor_ == settings_.dimFloor;
    setResolution(next);
    if (transition || !sameTarget || !sameStatus || !sameFloor) {
        TintState state = next.target;
        if (restDim_ && *restDim_ < state.dim) state.dim = *restDim_;  // a break only darkens
        applyToEngine(state, next.transition);
    }
    resolutionDidChange();
    scheduleTick();
}

void AppModel::resolutionDidChange() {
    if (inUnit()) unit_.resolutionChanged = true;
    else onResolutionChanged.notify(Resolution(resolution_));
}

void AppModel::applyToEngine(const TintState& state, Transition transition) {
    appliedDimFloor_ = settings_.dimFloor;
    engine_->apply(state, transition, settings_.dimFloor);
}

void AppModel::scheduleTick() {
    TimeInterval interval = resolution_.isRamping ? rampingInterval : restingInterval;
    if (resolution_.nextChange) {
        const TimeInterval candidate = std::max(*resolution_.nextChange - now() + afterChange, shortestTick);
        if (candidate < interval) interval = candidate;
    }
    const TimeInterval tolerance = resolution_.isRamping ? rampingTolerance : restingTolerance;
    tickTimer_ = TickTimer{interval, tolerance};
    const auto scheduler = environment_.platform->scheduler();
    if (!scheduler) return;
    if (!tick_)
        tick_ = scheduler->makeTimer(platform::weakly(shared_from_this(), [](AppModel& model) { model.tick(); }));
    tick_->arm(interval, tolerance);
}

void AppModel::tick() {
    const Date current = now();
    const TimeInterval elapsed = current - lastTick_;
    lastTick_ = current;

    // No notification reaches us when the computer's zone changes; look at every tick (the
    // program's zone source looks the zone up only when what names it changed).
    if (const auto zone = systemZone().identifier(); zone != lastSystemZone_) {
        lastSystemZone_ = zone;
        setLocation(resolveLocation());
    }

    if (settings_.statisticsEnabled && elapsed > 0 && elapsed < longestBookedGap) {
        auto& displays = environment_.platform->displays();
        const auto main = displays.mainDisplay();
        if (main && !displays.isAsleep(*main)) {
            const double melanopic = Melanopic::fraction(effectiveWhite(resolution_.target));
            Statistics next = statistics_;
            next.record(resolution_.target, melanopic, elapsed, current, systemCalendar());
            // A span that books nothing (daytime, untinted) announces and saves nothing.
            if (!(next == statistics_)) {
                setStatistics(std::move(next));
                store_->bookStatistics(statistics_);
            }
        }
    }

    RuntimeState expired = runtime_;
    expired.clearExpired(current);
    if (!(expired == runtime_)) setRuntime(std::move(expired));
    else recompute();
}

// --- user operations ------------------------------------------------------------------

void AppModel::playPop() {
    if (settings_.sounds && environment_.playSound) environment_.playSound("Pop");
}

void AppModel::setEnabled(bool on) {
    if (on == settings_.enabled) return;
    change([on](Settings& s, RuntimeState& r) {
        s.enabled = on;
        if (on) r.disabledUntil.reset();
    });
    playPop();
}

void AppModel::setWarmth(std::int64_t kelvin, std::optional<double> dim) {
    const std::int64_t k = Kelvin::clamp(Kelvin::snap(kelvin));
    const double d = clampedDim(dim.value_or(resolution_.modeState.dim), 0.0);
    const TintState state(k, d, settings_.redStyle, false);
    const Date current = now();
    change([&](Settings& s, RuntimeState& r) {
        Resolver::applyManualChange(state, s, r, current, location_, systemZone());
        s.enabled = true;
    });
}

void AppModel::dimmer() {
    setWarmth(resolution_.modeState.kelvin,
              clampedDim(resolution_.modeState.dim - settings_.dimStep, settings_.dimFloor));
}

void AppModel::brighter() {
    setWarmth(resolution_.modeState.kelvin,
              clampedDim(resolution_.modeState.dim + settings_.dimStep, settings_.dimFloor));
}

void AppModel::nextPreset() {
    const auto& presets = settings_.presets;
    if (presets.empty()) return;
    const TintState mode = resolution_.modeState;
    std::size_t next = 0;
    for (std::size_t i = 0; i < presets.size(); ++i)
        if (presets[i].kelvin == mode.kelvin && std::abs(presets[i].dim - mode.dim) < 0.01) {
            next = (i + 1) % presets.size();
            break;
        }
    const Preset preset = presets[next];
    setWarmth(preset.kelvin, preset.dim);
    playPop();
}

void AppModel::setCozy(bool on) {
    change([on](Settings& s, RuntimeState& r) {
        Resolver::setCozy(on, s, r);
        if (on) s.enabled = true;  // switching wind-down off never changes enabled
    });
}

void AppModel::emergencyReset() {
    // A method-check probe shows a tint of its own that no apply replaces.
    engine_->endProbe();
    {
        Batch batch(*this);
        change([](Settings& s, RuntimeState& r) {
            s.enabled = false;
            s.manualKelvin = 6500;
            s.manualDim = 1.0;
            s.darkroom = false;
            r = RuntimeState();
        });
        setRevealHeld(false);
    }
    // Neutral at once, even where the smoothing setting would fade.
    applyToEngine(TintState::off, Transition::instant);
}

void AppModel::setMode(Mode mode) {
    change([mode](Settings& s, RuntimeState& r) {
        s.mode = mode;
        r.pausedUntil.reset();
        r.pausedState.reset();
    });
}

std::optional<EveningPlan> AppModel::eveningPlan() const {
    if (settings_.mode != Mode::sunset) return std::nullopt;
    return EveningPlan::matching(settings_.sunset);
}

void AppModel::setEveningPlan(const EveningPlan& plan) {
    change([&plan](Settings& s, RuntimeState& r) {
        plan.apply(s.sunset);
        s.mode = Mode::sunset;
        r.pausedUntil.reset();
        r.pausedState.reset();
        s.enabled = true;
    });
}

void AppModel::disable(std::optional<Date> until) {
    change([until](Settings&, RuntimeState& r) { r.disabledUntil = until; });
}

void AppModel::disableUntilSunrise() {
    const Date current = now();
    const TimeZone zone = placeZone();
    std::optional<Date> until = sunTimesToday().sunrise;
    if (until && *until <= current)
        until = Solar::times(current + 86400, location_.latitude, location_.longitude, zone).sunrise;
    if (!until) until = CurveBuilder::clockDate(settings_.sunset.polarMorning, current + 86400, zone);
    disable(until);
}

void AppModel::disableUntilTomorrow() {
    const Calendar calendar(placeZone());
    disable(calendar.addingDays(1, calendar.startOfDay(now())));
}

void AppModel::followEvening() {
    change([](Settings& s, RuntimeState& r) {
        if (r.cozyActive) Resolver::setCozy(false, s, r);
        r.disabledUntil.reset();
        r.pausedUntil.reset();
        r.pausedState.reset();
        s.enabled = true;
    });
}

void AppModel::applyFocus(std::optional<FocusLook> look) {
    auto& defaults = *store_->defaults();
    if (look == FocusLook::windDown) {
        setCozy(true);
        defaults.set(focusAppliedKey, platform::Value(std::string(toString(FocusLook::windDown))));
        return;
    }
    if (look == FocusLook::trueColor) {
        disable(Date::distantFuture());
        defaults.set(focusAppliedKey, platform::Value(std::string(toString(FocusLook::trueColor))));
        return;
    }
    const auto applied = defaults.string(focusAppliedKey);
    if (!applied) return;
    const auto appliedLook = fromString<FocusLook>(*applied);
    if (!appliedLook) return;  // not ours to undo; the key stays
    if (*appliedLook == FocusLook::windDown) {
        if (runtime_.cozyActive) setCozy(false);
    } else if (runtime_.disabledUntil == Date::distantFuture()) {
        disable(std::nullopt);  // a disable-until set meanwhile by something else stays
    }
    defaults.remove(focusAppliedKey);
}

std::string AppModel::trueColorUntilText(Date date) const {
    if (date - now() > week) return "While Focus is on";
    return "Until " + ShortTime::of(Calendar(placeZone()), date);
}

void AppModel::setLaunchAtLogin(bool on) {
    change([on](Settings& s, RuntimeState&) { s.launchAtLogin = on; });
    if (environment_.setLaunchAtLogin) environment_.setLaunchAtLogin(on);  // a failure is logged there
}

void AppModel::toggleExclusion(const std::string& bundleID, const std::string& name) {
    // For the front application, an entry stored under its window class is its entry too.
    std::optional<std::string> windowClass;
    if (frontmostAppInfo_ && frontmostAppInfo_->bundleID == bundleID) windowClass = frontmostAppInfo_->windowClass;
    change([&](Settings& s, RuntimeState&) {
        const auto found = std::find_if(s.excludedApps.begin(), s.excludedApps.end(),
                                        [&](const ExcludedApp& app) { return app.matches(bundleID, windowClass); });
        if (found != s.excludedApps.end()) s.excludedApps.erase(found);
        else s.excludedApps.push_back(ExcludedApp{bundleID, name, false});
    });
}

void AppModel::requestPreciseLocation() {
    if (preciseLocationError_) setPreciseLocationError(std::nullopt);
    preciseLocation_->request(
        platform::weakly(shared_from_this(), [](AppModel& model, const PreciseLocationResult& result) {
            if (const auto* fix = result.coordinate()) {
                Settings s = model.settings_;
                s.sunset.cachedPreciseLatitude = fix->latitude;
                model.setSettings(s);
                s = model.settings_;
                s.sunset.cachedPreciseLongitude = fix->longitude;
                model.setSettings(s);
                model.setPreciseCoordinates(LocationSource::Coordinates{fix->latitude, fix->longitude});
                s = model.settings_;
                s.sunset.locationSource = LocationSource::Precise{};
                model.setSettings(s);
            } else if (const auto* error = result.error()) {
                model.setPreciseLocationError(error->localizedDescription);
            }
        }));
}

void AppModel::openDisplaysSettings() {
    environment_.platform->workspace().openURL("x-apple.systempreferences:com.apple.Displays-Settings.extension");
}

void AppModel::openAccessibilitySettings() {
    environment_.platform->workspace().openURL(
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");
}

void AppModel::openPointerSettings() { PointerTint(*environment_.platform).openSystemSettings(); }

}  // namespace orvane
