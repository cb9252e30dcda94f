// Speaks Xlib; includes no Qt header.
#include "platform/linux/X11Keyboard.h"

#include <array>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include <X11/XF86keysym.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/KeyTable.h"
#include "platform/Log.h"

namespace orvane::platform::linuxsys {

namespace {

constexpr std::int32_t paramErr = -50;
constexpr std::int32_t eventHotKeyExistsErr = -9878;
constexpr std::int32_t eventHotKeyInvalidErr = -9879;

const Log& log() {
    static const Log l("keys");
    return l;
}

// A chord's modifiers as X modifiers: command is Super (Mod4), option Alt (Mod1).
unsigned xModifiers(const KeyModifiers& modifiers) {
    unsigned out = 0;
    if (modifiers.command) out |= Mod4Mask;
    if (modifiers.shift) out |= ShiftMask;
    if (modifiers.option) out |= Mod1Mask;
    if (modifiers.control) out |= ControlMask;
    return out;
}

// Xlib reports protocol errors through one process-wide handler; a trap takes those of
// its own connection for the length of one round trip and hands the others on.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* dpy) : dpy_(dpy) {
        XSync(dpy_, False);
        active() = this;
        previous_ = XSetErrorHandler(handle);
    }
    ~ErrorTrap() {
        XSetErrorHandler(previous_);
        active() = nullptr;
    }
    // Waits for the server's answers; the first error code since the trap was set, or 0.
    int sync() {
        XSync(dpy_, False);
        return error_;
    }

private:
    static ErrorTrap*& active() {
        static ErrorTrap* trap = nullptr;
        return trap;
    }
    static int handle(Display* dpy, XErrorEvent* event) {
        auto* trap = active();
        if (trap && dpy == trap->dpy_) {
            if (!trap->error_) trap->error_ = event->error_code;
            return 0;
        }
        return trap && trap->previous_ ? trap->previous_(dpy, event) : 0;
    }

    Display* dpy_;
    int error_ = 0;
    XErrorHandler previous_ = nullptr;
};

class X11Keyboard;

class X11Tap final : public EventTap {
public:
    X11Tap(std::shared_ptr<X11Keyboard> keyboard) : keyboard_(std::move(keyboard)) {}
    ~X11Tap() override;
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool isEnabled() const override { return enabled_; }

private:
    std::shared_ptr<X11Keyboard> keyboard_;
    bool enabled_ = false;
};

class X11Keyboard final : public Keyboard, public std::enable_shared_from_this<X11Keyboard> {
public:
    X11Keyboard(Display* dpy, std::shared_ptr<Scheduler> scheduler) : dpy_(dpy), scheduler_(std::move(scheduler)) {
        root_ = XDefaultRootWindow(dpy_);
        Bool supported = False;
        // A held key then repeats its press without releases in between.
        XkbSetDetectableAutoRepeat(dpy_, True, &supported);
        numLockMask_ = findNumLockMask();
        if (scheduler_) watch_ = scheduler_->watchFd(XConnectionNumber(dpy_), FdEvent::readable, [this] { drain(); });
    }
    ~X11Keyboard() override {
        watch_.cancel();
        XCloseDisplay(dpy_);
    }

    // X asks no permission for grabs.
    bool isProcessTrusted() override { return true; }
    bool requestTrust(bool) override { return true; }

    std::unique_ptr<EventTap> createSystemDefinedTap(TapCallback decide) override {
        if (tap_) return nullptr;  // one tap per process is all the grabs allow
        std::vector<std::pair<unsigned, std::int64_t>> keys;
        for (const auto& [sym, code] : {std::pair{XF86XK_MonBrightnessUp, std::int64_t{2}},
                                        std::pair{XF86XK_MonBrightnessDown, std::int64_t{3}}}) {
            const KeyCode keycode = XKeysymToKeycode(dpy_, sym);
            if (keycode) keys.emplace_back(keycode, code);
        }
        if (keys.empty()) return nullptr;
        std::vector<unsigned> grabbed;
        for (const auto& [keycode, code] : keys) grabbed.push_back(keycode);
        if (!grab(grabbed, 0, GrabModeSync)) return nullptr;
        auto tap = std::make_unique<X11Tap>(shared_from_this());
        tap_ = std::make_shared<TapState>(TapState{std::move(decide), {}, {}, tap.get()});
        for (const auto& [keycode, code] : keys) tap_->codes[keycode] = code;
        return tap;
    }

    void dropTap() {
        if (!tap_) return;
        for (const auto& [keycode, code] : tap_->codes) ungrab(keycode, 0);
        XFlush(dpy_);
        tap_.reset();
    }

    std::int32_t installHotKeyHandler(HotKeyHandler handler) override {
        handler_ = std::make_shared<HotKeyHandler>(std::move(handler));
        return 0;
    }

    std::int32_t registerHotKey(const KeyChord& chord, std::uint32_t signature, std::uint32_t id,
                                std::uint64_t& ref) override {
        ref = 0;
        const auto sym = keysymForKeyCode(chord.keyCode);
        const KeyCode keycode = sym ? XKeysymToKeycode(dpy_, *sym) : 0;
        if (!keycode) return paramErr;
        const unsigned mods = xModifiers(chord.modifiers);
        for (const auto& [r, h] : hotKeys_)
            if (h.keycode == keycode && h.mods == mods) return eventHotKeyExistsErr;
        if (!grab({keycode}, mods, GrabModeAsync)) return eventHotKeyExistsErr;
        ref = nextRef_++;
        hotKeys_[ref] = {keycode, mods, signature, id};
        return 0;
    }

    std::int32_t unregisterHotKey(std::uint64_t ref) override {
        const auto it = hotKeys_.find(ref);
        if (it == hotKeys_.end()) return eventHotKeyInvalidErr;
        ungrab(it->second.keycode, it->second.mods);
        XFlush(dpy_);
        down_.erase(it->second.keycode);
        hotKeys_.erase(it);
        return 0;
    }

    std::optional<std::uint32_t> unshiftedKeysym(std::uint32_t keycode) override {
        if (keycode < 8 || keycode > 255) return std::nullopt;  // X keycodes are 8 to 255
        const KeyCode code = static_cast<KeyCode>(keycode);
        const KeySym base = XkbKeycodeToKeysym(dpy_, code, 0, 0);
        if (base == NoSymbol) return std::nullopt;
        // Keypad keys bear their movement (KP_Home, KP_Delete) first and their digit or
        // point at the Num Lock level; the digit is what the key is known by.
        if (base >= XK_KP_Home && base <= XK_KP_Delete) {
            const KeySym numeric = XkbKeycodeToKeysym(dpy_, code, 0, 1);
            if (isKeypadKeysym(static_cast<std::uint32_t>(numeric))) return static_cast<std::uint32_t>(numeric);
        }
        return static_cast<std::uint32_t>(base);
    }

private:
    struct HotKey {
        unsigned keycode;
        unsigned mods;
        std::uint32_t signature;
        std::uint32_t id;
    };
    struct TapState {
        TapCallback decide;
        std::map<unsigned, std::int64_t> codes;  // X keycode -> 2 up, 3 down
        std::set<unsigned> held;
        X11Tap* tap;
    };

    unsigned findNumLockMask() const {
        unsigned mask = 0;
        const KeyCode numLock = XKeysymToKeycode(dpy_, XK_Num_Lock);
        XModifierKeymap* map = XGetModifierMapping(dpy_);
        if (!map) return 0;
        for (int m = 0; m < 8 && numLock; ++m)
            for (int k = 0; k < map->max_keypermod; ++k)
                if (map->modifiermap[m * map->max_keypermod + k] == numLock) mask = 1u << m;
        XFreeModifiermap(map);
        return mask;
    }

    std::array<unsigned, 4> lockVariants() const {
        return {0u, static_cast<unsigned>(LockMask), numLockMask_, LockMask | numLockMask_};
    }

    // Grabs every key with and without CapsLock and NumLock; when the server refuses any
    // variant (another client holds it), releases the rest and answers false.
    bool grab(const std::vector<unsigned>& keycodes, unsigned mods, int keyboardMode) {
        int error = 0;
        {
            ErrorTrap trap(dpy_);
            for (const unsigned keycode : keycodes)
                for (const unsigned lock : lockVariants())
                    XGrabKey(dpy_, static_cast<int>(keycode), mods | lock, root_, False, GrabModeAsync, keyboardMode);
            error = trap.sync();
        }
        repostDrain();
        if (error == 0) return true;
        for (const unsigned keycode : keycodes) ungrab(keycode, mods);
        XFlush(dpy_);
        return false;
    }

    void ungrab(unsigned keycode, unsigned mods) {
        ErrorTrap trap(dpy_);
        for (const unsigned lock : lockVariants()) XUngrabKey(dpy_, static_cast<int>(keycode), mods | lock, root_);
        trap.sync();
    }

    // A round trip may have read events into Xlib's queue, where no descriptor shows them.
    void repostDrain() {
        if (scheduler_)
            scheduler_->post([weak = weak_from_this()] {
                if (auto self = weak.lock()) self->drain();
            });
    }

    void drain() {
        while (XPending(dpy_) > 0) {
            XEvent event;
            XNextEvent(dpy_, &event);
            if (event.type == KeyPress || event.type == KeyRelease) key(event.xkey);
            else if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
        }
    }

    void key(const XKeyEvent& event) {
        const bool press = event.type == KeyPress;
        if (tap_ && tap_->codes.count(event.keycode)) {
            tapKey(event, press);
            return;
        }
        const unsigned mods =
            event.state & ~(LockMask | numLockMask_) & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
        std::optional<HotKey> hit;
        if (press) {
            // With detectable repeat a held key presses again and again: one press is reported.
            if (down_.count(event.keycode)) return;
            for (const auto& [r, h] : hotKeys_)
                if (h.keycode == event.keycode && h.mods == mods) hit = h;
            if (!hit) return;
            down_[event.keycode] = *hit;
        } else {
            // The modifiers may be let go first; the release belongs to the key that was pressed.
            const auto it = down_.find(event.keycode);
            if (it == down_.end()) return;
            hit = it->second;
            down_.erase(it);
        }
        if (auto handler = handler_) (*handler)(hit->signature, hit->id, !press);
    }

    void tapKey(const XKeyEvent& event, bool press) {
        auto state = tap_;
        const bool repeat = press && state->held.count(event.keycode);
        if (press) state->held.insert(event.keycode);
        else state->held.erase(event.keycode);
        bool pass = true;
        if (state->tap->isEnabled() && state->decide) {
            const std::int64_t data1 =
                (state->codes[event.keycode] << 16) | (std::int64_t{press ? 0x0A : 0x0B} << 8) | (repeat ? 1 : 0);
            pass = state->decide(SystemDefinedEvent{14, 8, data1});
        }
        // A key handed on releases elsewhere, unseen here.
        if (pass) state->held.erase(event.keycode);
        // The grab froze the keyboard at the press: hand the key on, or drop it.
        XAllowEvents(dpy_, pass ? ReplayKeyboard : AsyncKeyboard, event.time);
        XFlush(dpy_);
    }

    Display* dpy_;
    std::shared_ptr<Scheduler> scheduler_;
    Window root_ = 0;
    unsigned numLockMask_ = 0;
    Handle watch_;
    std::shared_ptr<HotKeyHandler> handler_;
    std::map<std::uint64_t, HotKey> hotKeys_;
    std::map<unsigned, HotKey> down_;
    std::uint64_t nextRef_ = 1;
    std::shared_ptr<TapState> tap_;

    friend class X11Tap;
};

X11Tap::~X11Tap() { keyboard_->dropTap(); }

}  // namespace

std::shared_ptr<Keyboard> openX11Keyboard(std::shared_ptr<Scheduler> scheduler,
                                          const std::optional<std::string>& displayName) {
    if (!displayName && !std::getenv("DISPLAY")) return nullptr;
    Display* dpy = XOpenDisplay(displayName ? displayName->c_str() : nullptr);
    if (!dpy) {
        log().error("keyboard: cannot open the X display");
        return nullptr;
    }
    return std::make_shared<X11Keyboard>(dpy, std::move(scheduler));
}

}  // namespace orvane::platform::linuxsys
