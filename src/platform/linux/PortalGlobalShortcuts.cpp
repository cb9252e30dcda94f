#include "platform/linux/PortalGlobalShortcuts.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include "platform/KeyTable.h"
#include "platform/Log.h"
#include "platform/Status.h"
#include "platform/linux/DBusConnection.h"

namespace orvane::platform::linuxsys {

namespace {

const Log& log() {
    static const Log l("hotkeys");
    return l;
}

constexpr const char* portalService = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";
constexpr const char* shortcutsInterface = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char* requestInterface = "org.freedesktop.portal.Request";
constexpr std::uint64_t askTimeout = 2'000'000;  // µs; the portal may have to start first

// The key names of the portal's preferred-trigger format ("CTRL+ALT+t") for the keys a stored shortcut can name.
std::optional<std::string> keysymName(std::uint32_t keysym) {
    if ((keysym >= '0' && keysym <= '9') || (keysym >= 'a' && keysym <= 'z'))
        return std::string(1, static_cast<char>(keysym));
    if (keysym >= 0xffbe && keysym <= 0xffd5) return "F" + std::to_string(keysym - 0xffbe + 1);
    static const std::map<std::uint32_t, const char*> names = {
        {0x20, "space"},        {0x27, "apostrophe"}, {0x2c, "comma"},       {0x2d, "minus"},       {0x2e, "period"},
        {0x2f, "slash"},        {0x3b, "semicolon"},  {0x3d, "equal"},       {0x5b, "bracketleft"}, {0x5c, "backslash"},
        {0x5d, "bracketright"}, {0x60, "grave"},      {0xff08, "BackSpace"}, {0xff09, "Tab"},       {0xff0d, "Return"},
        {0xff1b, "Escape"},     {0xff50, "Home"},     {0xff51, "Left"},      {0xff52, "Up"},        {0xff53, "Right"},
        {0xff54, "Down"},       {0xff55, "Page_Up"},  {0xff56, "Page_Down"}, {0xff57, "End"},       {0xffff, "Delete"},
    };
    const auto it = names.find(keysym);
    if (it == names.end()) return std::nullopt;
    return std::string(it->second);
}

struct Binding {
    KeyChord chord;
    std::uint32_t signature = 0;
    std::uint32_t id = 0;
};

class PortalGlobalShortcuts final : public Keyboard, public std::enable_shared_from_this<PortalGlobalShortcuts> {
public:
    PortalGlobalShortcuts(std::shared_ptr<Scheduler> scheduler, std::unique_ptr<DBusConnection> bus)
        : scheduler_(std::move(scheduler)), bus_(std::move(bus)) {}

    void start() {
        if (scheduler_)
            watch_ = bus_->watch(
                *scheduler_, [](const DBusError& e) { log().error("hotkeys: lost the session bus: %s", e.message); });
        const std::weak_ptr<PortalGlobalShortcuts> weak = weak_from_this();
        const auto heard = [weak](bool down) {
            return [weak, down](sd_bus_message* m) {
                if (auto self = weak.lock()) self->heard(m, down);
            };
        };
        activated_ = bus_->matchSignal(nullptr, portalPath, shortcutsInterface, "Activated", heard(true));
        deactivated_ = bus_->matchSignal(nullptr, portalPath, shortcutsInterface, "Deactivated", heard(false));
        createSession();
    }

    bool isProcessTrusted() override { return true; }
    bool requestTrust(bool) override { return true; }
    // The portal hears only bound shortcuts, not the brightness and media keys.
    std::unique_ptr<EventTap> createSystemDefinedTap(TapCallback) override { return nullptr; }

    std::int32_t installHotKeyHandler(HotKeyHandler handler) override {
        handler_ = std::move(handler);
        return status::success;
    }
    std::int32_t registerHotKey(const KeyChord& chord, std::uint32_t signature, std::uint32_t id,
                                std::uint64_t& ref) override {
        for (const auto& [r, b] : bindings_)
            if (b.chord == chord) {
                ref = 0;
                return status::illegalArgument;  // registered already
            }
        ref = nextRef_++;
        bindings_[ref] = {chord, signature, id};
        bindSoon();
        return status::success;
    }
    std::int32_t unregisterHotKey(std::uint64_t ref) override {
        if (bindings_.erase(ref) == 0) return status::illegalArgument;
        bindSoon();
        return status::success;
    }
    bool canRegisterGlobalShortcuts() override { return true; }
    std::optional<std::uint32_t> unshiftedKeysym(std::uint32_t) override { return std::nullopt; }

private:
    std::string requestPath(const std::string& token) const {
        const char* unique = nullptr;
        sd_bus_get_unique_name(bus_->get(), &unique);
        std::string sender = unique ? unique + 1 : "";
        std::replace(sender.begin(), sender.end(), '.', '_');
        return std::string(portalPath) + "/request/" + sender + "/" + token;
    }

    // Listens for the request's answer before asking, so that it cannot be missed.
    void expectResponse(const std::string& token, std::function<void(std::uint32_t, sd_bus_message*)> answered) {
        const std::weak_ptr<PortalGlobalShortcuts> weak = weak_from_this();
        auto path = requestPath(token);
        responses_[path] = bus_->matchSignal(nullptr, path.c_str(), requestInterface, "Response",
                                             [weak, path, answered](sd_bus_message* m) {
                                                 auto self = weak.lock();
                                                 if (!self) return;
                                                 std::uint32_t code = 2;
                                                 if (sd_bus_message_read(m, "u", &code) < 0) code = 2;
                                                 answered(code, m);
                                                 // Later: the slot runs this very callback.
                                                 self->scheduler_->post([weak, path] {
                                                     if (auto s = weak.lock()) s->responses_.erase(path);
                                                 });
                                             });
    }

    void createSession() {
        const std::string token = "orvane_session" + std::to_string(++tokens_);
        expectResponse(token, [this](std::uint32_t code, sd_bus_message* m) {
            if (code != 0) {
                log().error("hotkeys: the desktop refused a global-shortcuts session (%u)", code);
                return;
            }
            session_ = readSessionHandle(m);
            if (session_.empty()) return;
            log().notice("hotkeys: global shortcuts through the desktop portal");
            bindSoon();
        });
        const auto reply = bus_->call(
            {portalService, portalPath, shortcutsInterface}, "CreateSession",
            [&](sd_bus_message* m) {
                return sd_bus_message_append(m, "a{sv}", 2, "handle_token", "s", token.c_str(), "session_handle_token",
                                             "s", ("orvane" + std::to_string(tokens_)).c_str());
            },
            askTimeout);
        if (!reply) log().error("hotkeys: CreateSession failed: %s", logExcerpt(reply.error->message));
    }

    // results: a{sv} holding "session_handle" (a string, or an object path in some portals).
    static std::string readSessionHandle(sd_bus_message* m) {
        if (sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "{sv}") < 0) return {};
        std::string handle;
        while (sd_bus_message_enter_container(m, SD_BUS_TYPE_DICT_ENTRY, "sv") > 0) {
            const char* key = nullptr;
            if (sd_bus_message_read(m, "s", &key) < 0) return {};
            const char* contents = nullptr;
            char type = 0;
            if (sd_bus_message_peek_type(m, &type, &contents) < 0) return {};
            if (key && std::string_view(key) == "session_handle" && contents &&
                (std::string_view(contents) == "s" || std::string_view(contents) == "o")) {
                const char* value = nullptr;
                if (sd_bus_message_read(m, "v", contents, &value) < 0) return {};
                handle = value ? value : "";
            } else if (sd_bus_message_skip(m, "v") < 0) {
                return {};
            }
            sd_bus_message_exit_container(m);
        }
        return handle;
    }

    void bindSoon() {
        if (bindPosted_ || !scheduler_) return;
        bindPosted_ = true;
        scheduler_->post([weak = std::weak_ptr<PortalGlobalShortcuts>(weak_from_this())] {
            if (auto self = weak.lock()) {
                self->bindPosted_ = false;
                self->bind();
            }
        });
    }

    // Binds the shortcuts not yet bound. Nothing registered (a shortcut is being recorded)
    // unbinds nothing: presses of shortcuts no longer registered are ignored.
    void bind() {
        if (session_.empty()) return;
        std::vector<Binding> fresh;
        for (const auto& [ref, b] : bindings_)
            if (!bound_.count(portalShortcutId(b.chord))) fresh.push_back(b);
        if (fresh.empty()) return;
        // The portal binds a session's shortcuts once: a new set needs a new session, with
        // everything registered now.
        if (!bound_.empty()) {
            const std::string old = session_;
            bus_->call({portalService, old, "org.freedesktop.portal.Session"}, "Close", "");
            session_.clear();
            bound_.clear();
            createSession();
            return;
        }
        const std::string token = "orvane_bind" + std::to_string(++tokens_);
        std::set<std::string> ids;
        for (const auto& [ref, b] : bindings_) ids.insert(portalShortcutId(b.chord));
        expectResponse(token, [ids](std::uint32_t code, sd_bus_message*) {
            if (code != 0) {
                log().error("hotkeys: the desktop did not bind the global shortcuts (%u)", code);
                return;
            }
            log().notice("hotkeys: %zu global shortcuts bound", ids.size());
        });
        bound_ = ids;
        const auto reply = bus_->call(
            {portalService, portalPath, shortcutsInterface}, "BindShortcuts",
            [&](sd_bus_message* m) {
                int r = sd_bus_message_append(m, "o", session_.c_str());
                if (r >= 0) r = sd_bus_message_open_container(m, SD_BUS_TYPE_ARRAY, "(sa{sv})");
                for (const auto& [ref, b] : bindings_) {
                    const auto trigger = portalTrigger(b.chord);
                    const std::string description = "Orvane shortcut " + trigger.value_or(portalShortcutId(b.chord));
                    if (r >= 0) r = sd_bus_message_open_container(m, SD_BUS_TYPE_STRUCT, "sa{sv}");
                    if (r >= 0) r = sd_bus_message_append(m, "s", portalShortcutId(b.chord).c_str());
                    if (r >= 0) {
                        if (trigger)
                            r = sd_bus_message_append(m, "a{sv}", 2, "description", "s", description.c_str(),
                                                      "preferred_trigger", "s", trigger->c_str());
                        else r = sd_bus_message_append(m, "a{sv}", 1, "description", "s", description.c_str());
                    }
                    if (r >= 0) r = sd_bus_message_close_container(m);
                }
                if (r >= 0) r = sd_bus_message_close_container(m);
                if (r >= 0) r = sd_bus_message_append(m, "s", "");
                if (r >= 0) r = sd_bus_message_append(m, "a{sv}", 1, "handle_token", "s", token.c_str());
                return r;
            },
            askTimeout);
        if (!reply) log().error("hotkeys: BindShortcuts failed: %s", logExcerpt(reply.error->message));
    }

    // Activated / Deactivated (o session, s id, t timestamp, a{sv} options).
    void heard(sd_bus_message* m, bool down) {
        const char* session = nullptr;
        const char* id = nullptr;
        if (sd_bus_message_read(m, "os", &session, &id) < 0 || !session || !id || session_ != session) return;
        for (const auto& [ref, b] : bindings_)
            if (portalShortcutId(b.chord) == id && handler_) {
                const Binding hit = b;
                handler_(hit.signature, hit.id, !down);
                return;
            }
    }

    std::shared_ptr<Scheduler> scheduler_;
    std::unique_ptr<DBusConnection> bus_;
    Handle watch_;
    DBusSlot activated_, deactivated_;
    std::map<std::string, DBusSlot> responses_;
    HotKeyHandler handler_;
    std::map<std::uint64_t, Binding> bindings_;
    std::uint64_t nextRef_ = 1;
    std::string session_;
    std::set<std::string> bound_;
    int tokens_ = 0;
    bool bindPosted_ = false;
};

}  // namespace

std::optional<std::string> portalTrigger(const KeyChord& chord) {
    const auto keysym = keysymForKeyCode(chord.keyCode);
    if (!keysym) return std::nullopt;
    const auto name = keysymName(*keysym);
    if (!name) return std::nullopt;
    std::string out;
    if (chord.modifiers.control) out += "CTRL+";
    if (chord.modifiers.option) out += "ALT+";
    if (chord.modifiers.shift) out += "SHIFT+";
    if (chord.modifiers.command) out += "LOGO+";
    return out + *name;
}

std::string portalShortcutId(const KeyChord& chord) {
    char id[40];
    std::snprintf(id, sizeof id, "key-%u-%04x", chord.keyCode, chord.modifiers.classicMask());
    return id;
}

std::shared_ptr<Keyboard> openPortalGlobalShortcuts(std::shared_ptr<Scheduler> scheduler,
                                                    const std::optional<std::string>& address) {
    if (!scheduler) return nullptr;  // its answers arrive on the loop
    DBusError error;
    auto bus =
        address ? DBusConnection::connect(*address, error) : DBusConnection::open(DBusConnection::Bus::session, error);
    if (!bus) return nullptr;
    // The interface's version says the portal offers it on this desktop.
    // Waited for at most askTimeout: start-up does not hang on a portal that never answers.
    const auto reply = bus->call(
        {portalService, portalPath, "org.freedesktop.DBus.Properties"}, "Get",
        [](sd_bus_message* m) { return sd_bus_message_append(m, "ss", shortcutsInterface, "version"); }, askTimeout);
    std::uint32_t version = 0;
    if (!reply || !reply.message.read("v", "u", &version)) {
        log().notice("hotkeys: no global shortcuts portal on this desktop (%s)",
                     reply ? std::string("unreadable version") : reply.error->message);
        return nullptr;
    }
    auto keyboard = std::make_shared<PortalGlobalShortcuts>(std::move(scheduler), std::move(bus));
    keyboard->start();
    return keyboard;
}

}  // namespace orvane::platform::linuxsys
