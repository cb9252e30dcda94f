#include "ui/menubar/StatusItemController.h"

#include <algorithm>

#include "ui/kit/Tokens.h"
#include "ui/menubar/UntintedDisplays.h"

namespace orvane {

namespace {

MenuBarIcon::Glyph glyphFor(const MenuBarIcon::State& state) {
    if (const auto* p = std::get_if<MenuBarIcon::State::Phase>(&state.value))
        return MenuBarIcon::Glyph::moon(std::clamp(p->phase, 0, 8) / 8.0, p->held ? 1.0 : 0.0);
    if (std::holds_alternative<MenuBarIcon::State::Off>(state.value)) return MenuBarIcon::Glyph::off();
    return MenuBarIcon::Glyph::paused();
}

// The glyph shown part way through a morph: moons blend, anything else switches halfway.
MenuBarIcon::Glyph between(const MenuBarIcon::Glyph& a, const MenuBarIcon::Glyph& b, double e) {
    const auto* ma = std::get_if<MenuBarIcon::Glyph::Moon>(&a.value);
    const auto* mb = std::get_if<MenuBarIcon::Glyph::Moon>(&b.value);
    if (!ma || !mb) return e < 0.5 ? a : b;
    return MenuBarIcon::Glyph::moon(ma->progress + (mb->progress - ma->progress) * e,
                                    ma->held + (mb->held - ma->held) * e);
}

}  // namespace

std::shared_ptr<StatusItemController> StatusItemController::create(std::shared_ptr<AppModel> model,
                                                                   Environment environment) {
    std::shared_ptr<StatusItemController> controller(
        new StatusItemController(std::move(model), std::move(environment)));
    if (controller->env_.popover) {
        controller->env_.popover->didClose = platform::weakly(
            controller, [](StatusItemController& c) { c.notifications().post(kit::Notifications::popoverDidClose); });
    }
    controller->rebuildStatusItem();
    return controller;
}

StatusItemController::StatusItemController(std::shared_ptr<AppModel> model, Environment environment)
    : model_(std::move(model)), env_(std::move(environment)) {}

StatusItemController::~StatusItemController() {
    if (env_.popover) env_.popover->didClose = nullptr;
    if (closeNotice_) closeNotice_();
}

kit::NotificationCenter& StatusItemController::notifications() const {
    return env_.notifications ? *env_.notifications : kit::NotificationCenter::defaultCenter();
}

void StatusItemController::rebuildStatusItem() {
    if (!model_->settings().showMenuBarIcon) {
        iconAnimation_.cancel();
        item_.reset();
        return;
    }
    if (!item_) {
        item_ = env_.tray->makeItem();
        if (!item_) return;
        item_->onClick = [weak = weak_from_this()](TrayClick click, bool control) {
            if (auto c = weak.lock()) c->clicked(click, control);
        };
        iconAnimation_.cancel();
        lastIconState_.reset();
        shownGlyph_.reset();
        noticeChecks_.push_back(env_.scheduler->schedule(
            noticeDelay, 0.1,
            platform::weakly(shared_from_this(), [](StatusItemController& c) { c.warnIfHiddenBySystem(); })));
    }
    refresh();
}

MenuBarIcon::State StatusItemController::iconState() const {
    const Settings& s = model_->settings();
    const Resolution& r = model_->resolution();
    if (!s.enabled) return MenuBarIcon::State::off();
    if (model_->notTintedReason()) return MenuBarIcon::State::paused();
    if (r.status.is<TintStatus::DisabledUntil>() || r.status.is<TintStatus::ExcludedApp>() ||
        r.status.is<TintStatus::SecurityPrompt>())
        return MenuBarIcon::State::paused();
    const int phase = MenuBarIcon::phase(static_cast<int>(r.modeState.kelvin));
    if (r.status.is<TintStatus::PausedUntil>()) return MenuBarIcon::State::phase(phase, true);
    if (model_->isWarming()) return MenuBarIcon::State::phase(phase, false);
    return MenuBarIcon::State::phase(0, false);
}

void StatusItemController::refresh() {
    if (!item_) return;
    const Settings& s = model_->settings();
    const auto state = iconState();
    if (!lastIconState_ || *lastIconState_ != state) {
        showIcon(state);
        if (item_->appearsDisabled() != !s.enabled) item_->setAppearsDisabled(!s.enabled);
        lastIconState_ = state;
    }
    if (item_->imageLeading() != s.showKelvinInMenuBar) item_->setImageLeading(s.showKelvinInMenuBar);
    const std::string kelvin = std::to_string(model_->resolution().modeState.kelvin) + "K";
    const std::string title = s.showKelvinInMenuBar && model_->isWarming() ? " " + kelvin : std::string();
    if (item_->title() != title) item_->setTitle(title);
    const std::string tip =
        UntintedDisplays::trayToolTip(s.enabled, kelvin, model_->notTintedReason(), model_->capabilities());
    if (item_->toolTip() != tip) item_->setToolTip(tip);
}

void StatusItemController::showIcon(const MenuBarIcon::State& state) {
    iconAnimation_.cancel();
    const auto target = glyphFor(state);
    const bool reduce = env_.reduceMotion && env_.reduceMotion();
    if (shownGlyph_ && *shownGlyph_ != target && !reduce) {
        morph(*shownGlyph_, target);
        return;
    }
    item_->setImage(MenuBarIcon::layers(state));
    shownGlyph_ = target;
}

void StatusItemController::morph(MenuBarIcon::Glyph from, MenuBarIcon::Glyph to) {
    auto frame = std::make_shared<int>(0);
    iconAnimation_ = env_.scheduler->scheduleRepeating(
        frameInterval, 0, platform::weakly(shared_from_this(), [frame, from, to](StatusItemController& c) {
            const int i = ++*frame;
            const double t = static_cast<double>(i) / morphFrames;
            const double e = i >= morphFrames ? 1.0 : t * t * (3 - 2 * t);
            if (c.item_) c.item_->setImage(MenuBarIcon::layers(from, to, e));
            c.shownGlyph_ = between(from, to, e);
            if (i >= morphFrames) c.iconAnimation_.cancel();
        }));
}

void StatusItemController::showPopover() {
    if (!item_ || !env_.popover || isHiddenBySystem()) {
        if (openSettings) openSettings();
        return;
    }
    notifications().post(kit::Notifications::popoverWillShow);
    env_.popover->show();
}

void StatusItemController::closePopover() {
    if (env_.popover && env_.popover->isShown()) env_.popover->close();
}

void StatusItemController::clicked(TrayClick click, bool control) {
    if (click == TrayClick::context || control) {
        if (item_) item_->showMenu(menu());
        return;
    }
    if (env_.popover && env_.popover->isShown()) closePopover();
    else showPopover();
}

std::vector<TrayMenuEntry> StatusItemController::menu() const {
    using Kind = TrayMenuEntry::Kind;
    const Settings& s = model_->settings();
    const std::weak_ptr<StatusItemController> weak = std::const_pointer_cast<StatusItemController>(shared_from_this());
    auto with = [weak](auto f) {
        return [weak, f] {
            if (auto c = weak.lock()) f(*c);
        };
    };
    std::vector<TrayMenuEntry> items;
    items.push_back({Kind::action,
                     s.enabled ? "Turn Off" : "Turn On",
                     "",
                     with([](StatusItemController& c) { c.model_->setEnabled(!c.model_->settings().enabled); }),
                     {}});
    items.push_back(TrayMenuEntry::separator());
    for (const Preset& p : s.presets) {
        items.push_back({Kind::action,
                         p.name + " \u00B7 " + std::to_string(p.kelvin) + "K",
                         "",
                         with([id = p.id](StatusItemController& c) { c.applyPreset(id); }),
                         {}});
    }
    items.push_back(TrayMenuEntry::separator());
    TrayMenuEntry disableFor{Kind::submenu, "Disable for", "", {}, {}};
    disableFor.submenu.push_back({Kind::action,
                                  "1 hour",
                                  "",
                                  with([](StatusItemController& c) { c.model_->disable(c.env_.clock->now() + 3600); }),
                                  {}});
    disableFor.submenu.push_back({Kind::action,
                                  "Until sunrise",
                                  "",
                                  with([](StatusItemController& c) { c.model_->disableUntilSunrise(); }),
                                  {}});
    disableFor.submenu.push_back({Kind::action,
                                  "Until tomorrow",
                                  "",
                                  with([](StatusItemController& c) { c.model_->disableUntilTomorrow(); }),
                                  {}});
    items.push_back(std::move(disableFor));
    if (model_->resolution().status.is<TintStatus::DisabledUntil>())
        items.push_back({Kind::action,
                         "Resume now",
                         "",
                         with([](StatusItemController& c) { c.model_->disable(std::nullopt); }),
                         {}});
    items.push_back(TrayMenuEntry::separator());
    items.push_back({Kind::action,
                     "Settings\u2026",
                     ",",
                     with([](StatusItemController& c) {
                         if (c.openSettings) c.openSettings();
                     }),
                     {}});
    // Where the package manager updates programs there is nothing for the item to do.
    if (model_->capabilities().checkForUpdates)
        items.push_back({Kind::action,
                         "Check for Updates\u2026",
                         "",
                         with([](StatusItemController& c) {
                             if (c.env_.openURL) c.env_.openURL(kit::Brand::updatesURL());
                         }),
                         {}});
    items.push_back({Kind::action,
                     "Quit Orvane",
                     "q",
                     with([](StatusItemController& c) {
                         if (c.env_.quit) c.env_.quit();
                     }),
                     {}});
    return items;
}

void StatusItemController::applyPreset(const std::string& id) {
    const auto preset = model_->settings().preset(id);
    if (!preset) return;
    model_->setWarmth(preset->kelvin, preset->dim);
    if (model_->settings().sounds && env_.playSound) env_.playSound("Pop");
}

bool StatusItemController::isHiddenBySystem() const { return !item_ || item_->hiddenBySystem(); }

void StatusItemController::warnIfHiddenBySystem() {
    if (!item_ || !isHiddenBySystem()) return;
    if (env_.defaults && env_.defaults->boolean(noticeDismissedKey)) return;
    if (!env_.openNotice || closeNotice_) return;
    if (noticeHeld_) {
        noticeDue_ = true;
        return;
    }
    const auto weak = weak_from_this();
    NoticeActions actions;
    actions.quit = [weak] {
        if (auto c = weak.lock(); c && c->env_.quit) c->env_.quit();
    };
    actions.openSettings = [weak] {
        if (auto c = weak.lock(); c && c->openSettings) c->openSettings();
    };
    actions.close = [weak](bool dontRemind) {
        auto c = weak.lock();
        if (!c) return;
        if (dontRemind && c->env_.defaults) c->env_.defaults->set(noticeDismissedKey, platform::Value(true));
        if (auto close = std::exchange(c->closeNotice_, nullptr)) close();
    };
    actions.toggle = model_->settings().shortcuts.toggle;
    if (const Availability keys = model_->capabilities().globalShortcuts; !keys) actions.keysUnavailable = keys.reason;
    closeNotice_ = env_.openNotice(std::move(actions));
}

void StatusItemController::holdNotice(bool hold) {
    noticeHeld_ = hold;
    if (hold || !std::exchange(noticeDue_, false)) return;
    warnIfHiddenBySystem();
}

}  // namespace orvane
