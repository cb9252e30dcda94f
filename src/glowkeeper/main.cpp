// Glowkeeper: waits for the Orvane process given on the command line to end, then takes
// every colour adjustment off the displays, so a tint can never outlive the program, and
// gives the desktop's night light back the settings the program recorded before it took
// it over. Deliberately self-contained: it must keep working when the program itself is
// broken.
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

// Before X11's headers, whose macros (None, Bool, Status) clash with them.
#include <gio/gio.h>
#include <systemd/sd-bus.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <nlohmann/json.hpp>

#include "platform/linux/KConfigText.h"

namespace {

constexpr std::size_t maxDisplays = 32;

// An optional single sign, then ASCII digits only, within the signed 32-bit range.
std::optional<std::int32_t> parsePid(std::string_view text) {
    std::size_t at = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        at = 1;
    }
    if (at == text.size()) return std::nullopt;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::optional<std::string> readFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

// A zombie still answers kill(pid, 0), but it has ended all the same.
bool hasEnded(pid_t pid) {
    if (::kill(pid, 0) == -1 && errno == ESRCH) return true;
    const auto line = readFile("/proc/" + std::to_string(pid) + "/stat");
    if (!line) return false;
    const auto close = line->rfind(')');
    if (close == std::string::npos || close + 2 >= line->size()) return false;
    const char state = (*line)[close + 2];
    return state == 'Z' || state == 'X';
}

// Used where no pidfd is to be had: slower, but never mistakes a live process for gone.
void pollUntilEnded(pid_t pid) {
    const timespec interval{0, 100'000'000};
    while (!hasEnded(pid)) ::nanosleep(&interval, nullptr);
}

void waitForEnd(pid_t pid) {
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        pollfd watch{static_cast<int>(fd), POLLIN, 0};
        int ready;
        do ready = ::poll(&watch, 1, -1);
        while (ready == 0 || (ready == -1 && errno == EINTR));
        ::close(watch.fd);
        if (ready > 0 && (watch.revents & POLLIN)) return;
    } else if (errno == ESRCH) {
        return;  // ended between the first check and now
    }
#endif
    pollUntilEnded(pid);
}

// ---- Simulated machine ---------------------------------------------------------------

std::string simDirectory() {
    if (const char* dir = std::getenv("ORVANE_SIM_DIR"); dir && *dir) return dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/orvane-sim";
    // The same fallback as the program's, so both find one machine without a runtime dir.
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/orvane-sim-" + std::to_string(::getuid());
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Temporary file beside the target, flushed to disk, then renamed over it, so a reader
// sees either the old state or the new one and never half of either.
// Named as the program names its own, so that its start removes one a killed write left.
bool replaceAtomically(const std::string& dir, const std::string& path, const std::string& text) {
    const std::string name = path.substr(path.rfind('/') + 1);
    const std::string temp = dir + "/." + name + ".tmp-" + std::to_string(::getpid()) + "-0";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    const bool written = writeAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    if (const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

// Writing the state back recurses once per level: a state nested deeper than any the
// program writes is left alone, like one that does not parse.
nlohmann::json parseBounded(const std::string& text) {
    constexpr int maxDepth = 512;
    struct TooDeep {};
    try {
        return nlohmann::json::parse(
            text,
            [](int depth, nlohmann::json::parse_event_t event, nlohmann::json&) {
                if (depth >= maxDepth && (event == nlohmann::json::parse_event_t::object_start ||
                                          event == nlohmann::json::parse_event_t::array_start))
                    throw TooDeep{};
                return true;
            },
            false);
    } catch (const TooDeep&) {
        return nlohmann::json(nlohmann::json::value_t::discarded);
    }
}

unsigned resetSimulated() {
    const std::string dir = simDirectory();
    if (dir.empty()) return 0;
    struct stat info {};
    if (::stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return 0;

    const int lock = ::open((dir + "/machine.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0) return 0;
    while (::flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(lock);
            return 0;
        }
    }

    unsigned count = 0;
    const std::string path = dir + "/machine.json";
    if (const auto text = readFile(path)) {
        // An unreadable state is left for the program to deal with, never overwritten.
        nlohmann::json state = parseBounded(*text);
        if (state.is_object() && (!state.contains("displays") || state["displays"].is_array())) {
            if (state.contains("displays")) {
                for (auto& display : state["displays"]) {
                    if (count == maxDisplays) break;
                    if (!display.is_object()) continue;
                    display["gamma"] = nullptr;
                    display["matrix"] = nullptr;
                    ++count;
                }
            }
            state["windows"] = nlohmann::json::array();
            if (!replaceAtomically(dir, path, state.dump(2) + "\n")) count = 0;
        }
    }
    ::flock(lock, LOCK_UN);
    ::close(lock);
    return count;
}

// ---- X11 ------------------------------------------------------------------------------

bool xFailed = false;

int noteXError(Display*, XErrorEvent*) {
    xFailed = true;
    return 0;
}

void setIdentityGamma(Display* display, RRCrtc crtc) {
    const int size = XRRGetCrtcGammaSize(display, crtc);
    if (size <= 0) return;
    XRRCrtcGamma* gamma = XRRAllocGamma(size);
    if (!gamma) return;
    for (int i = 0; i < size; ++i) {
        const auto level = static_cast<unsigned short>(size == 1 ? 65535 : static_cast<long>(i) * 65535 / (size - 1));
        gamma->red[i] = gamma->green[i] = gamma->blue[i] = level;
    }
    XRRSetCrtcGamma(display, crtc, gamma);
    XRRFreeGamma(gamma);
}

// The colour transform matrix: nine S31.32 fixed-point values, each as a low and a high
// 32-bit word; identity has 1.0 (high word 1) on the diagonal.
void setIdentityCtm(Display* display, RROutput output, Atom ctm) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int status = XRRGetOutputProperty(display, output, ctm, 0, 0, False, False, AnyPropertyType, &type, &format,
                                            &items, &after, &data);
    if (data) XFree(data);
    if (status != Success || type == None) return;
    long identity[18] = {};
    for (int diagonal = 0; diagonal < 3; ++diagonal) identity[diagonal * 8 + 1] = 1;
    XRRChangeOutputProperty(display, output, ctm, type, 32, PropModeReplace, reinterpret_cast<unsigned char*>(identity),
                            18);
}

unsigned resetX11(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) || major < 1 ||
        (major == 1 && minor < 2))
        return 0;
    XSetErrorHandler(noteXError);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, XDefaultRootWindow(display));
    if (!resources) return 0;
    const Atom ctm = XInternAtom(display, "CTM", True);
    std::set<RRCrtc> crtcsDone;
    unsigned count = 0;
    for (int i = 0; i < resources->noutput && count < maxDisplays; ++i) {
        XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        if (!info) continue;
        const RRCrtc crtc = info->crtc;
        XRRFreeOutputInfo(info);
        if (crtc == None) continue;
        xFailed = false;
        if (crtcsDone.insert(crtc).second) setIdentityGamma(display, crtc);
        if (ctm != None) setIdentityCtm(display, resources->outputs[i], ctm);
        XSync(display, False);
        if (!xFailed) ++count;
    }
    XRRFreeScreenResources(resources);
    return count;
}

// ---- The desktop's night light ----------------------------------------------------------

std::string configHome() {
    if (const char* dir = std::getenv("XDG_CONFIG_HOME"); dir && *dir) return dir;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "") + "/.config";
}

// The value inside one of the defaults file's tagged values ({"bool": true}, ...).
const nlohmann::json* untag(const nlohmann::json& tagged, const char* tag) {
    if (!tagged.is_object() || tagged.size() != 1 || !tagged.contains(tag)) return nullptr;
    return &tagged[tag];
}

bool restoreGnome(const nlohmann::json& own) {
    constexpr const char* schemaId = "org.gnome.settings-daemon.plugins.color";
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, schemaId, TRUE) : nullptr;
    if (!schema) return false;
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
    g_settings_delay(settings);
    const std::pair<const char*, char> keys[] = {{"night-light-enabled", 'b'},
                                                 {"night-light-temperature", 'u'},
                                                 {"night-light-schedule-automatic", 'b'},
                                                 {"night-light-schedule-from", 'd'},
                                                 {"night-light-schedule-to", 'd'}};
    for (const auto& [key, type] : keys) {
        const nlohmann::json* v = own.contains(key) ? &own[key] : nullptr;
        const nlohmann::json* b = v ? untag(*v, "bool") : nullptr;
        const nlohmann::json* i = v ? untag(*v, "int") : nullptr;
        const nlohmann::json* d = v ? untag(*v, "double") : nullptr;
        if (type == 'b' && b && b->is_boolean()) g_settings_set_boolean(settings, key, b->get<bool>());
        else if (type == 'u' && i && i->is_number_integer() && *i >= 0 && *i <= 0xffffffffLL)
            g_settings_set_uint(settings, key, i->get<std::uint32_t>());
        else if (type == 'd' && (d || i) && (d ? d : i)->is_number())
            g_settings_set_double(settings, key, (d ? d : i)->get<double>());
        else g_settings_reset(settings, key);  // the user had not set it
    }
    g_settings_apply(settings);
    g_settings_sync();
    g_object_unref(settings);
    return true;
}

bool restoreKde(const nlohmann::json& own) {
    const std::string path = configHome() + "/kwinrc";
    const auto flag = [&](const char* key) {
        const nlohmann::json* b = own.contains(key) ? untag(own[key], "bool") : nullptr;
        return !b || !b->is_boolean() || b->get<bool>();
    };
    std::string text = readFile(path).value_or("");
    for (const char* key : {"Active", "Mode", "NightTemperature"}) {
        const nlohmann::json* v = own.contains(key) ? untag(own[key], "string") : nullptr;
        std::optional<std::string> value;
        if (v && v->is_string()) value = v->get<std::string>();
        text = orvane::kconfig::set(text, "NightColor", key, value);
    }
    if (!flag("group")) text = orvane::kconfig::removeGroupIfEmpty(text, "NightColor");
    if (!flag("finalNewline") && !text.empty() && text.back() == '\n') text.pop_back();
    if (!flag("file") && text.empty()) {
        ::unlink(path.c_str());
    } else if (!replaceAtomically(configHome(), path, text)) {
        return false;
    }
    // KWin reads its configuration again on this signal.
    sd_bus* bus = nullptr;
    if (sd_bus_default_user(&bus) >= 0) {
        sd_bus_emit_signal(bus, "/KWin", "org.kde.KWin", "reloadConfig", "");
        sd_bus_flush(bus);
        sd_bus_unref(bus);
    }
    return true;
}

// Puts back the night-light settings recorded under "nightShift.dirty" in the program's
// defaults, and removes the record once they are back. The system's own Night Shift (the
// simulated machine's) is left to the next launch, which restores any record.
bool restoreNightLight() {
    const std::string dir = configHome() + "/orvane";
    const std::string path = dir + "/app.orvane.Orvane.json";
    const int lock = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0) return false;
    while (::flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(lock);
            return false;
        }
    }
    bool restored = false;
    if (const auto text = readFile(path)) {
        nlohmann::json document = parseBounded(*text);
        const nlohmann::json* values =
            document.is_object() && document.contains("values") ? &document["values"] : nullptr;
        const nlohmann::json* record = values && values->is_object() && values->contains("nightShift.dirty")
                                           ? untag((*values)["nightShift.dirty"], "dict")
                                           : nullptr;
        if (record && record->is_object()) {
            bool done = false;
            if (record->contains("gnome"))
                if (const auto* own = untag((*record)["gnome"], "dict"); own && own->is_object())
                    done = restoreGnome(*own);
            if (record->contains("kde"))
                if (const auto* own = untag((*record)["kde"], "dict"); own && own->is_object()) done = restoreKde(*own);
            if (done) {
                document["values"].erase("nightShift.dirty");
                restored = replaceAtomically(dir, path, document.dump(2) + "\n");
            }
        }
    }
    ::flock(lock, LOCK_UN);
    ::close(lock);
    return restored;
}

// A Wayland session's compositor puts an output's ramps back itself when the program that
// held them goes; the X server there is XWayland, whose ramps reach no screen.
bool waylandSession() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (display && *display) || (type && std::string_view(type) == "wayland");
}

// The same choice the program makes: ORVANE_PLATFORM names it, else X11 when a display opens.
unsigned resetAll() {
    const char* platform = std::getenv("ORVANE_PLATFORM");
    const std::string_view chosen = platform ? platform : "";
    if (chosen == "sim") return resetSimulated();
    if (waylandSession()) return 0;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return chosen == "linux" ? 0 : resetSimulated();
    const unsigned count = resetX11(display);
    XCloseDisplay(display);
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const auto pid = argc == 2 ? parsePid(argv[1]) : std::nullopt;
    if (!pid || *pid <= 1) {
        std::fputs("usage: Glowkeeper <pid>\n", stdout);
        return 2;
    }
    ::setsid();
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);

    if (!hasEnded(*pid)) waitForEnd(*pid);
    const unsigned count = resetAll();
    const bool nightLight = restoreNightLight();
    std::printf("Glowkeeper: pid %d ended, reset %u display(s)%s\n", static_cast<int>(*pid), count,
                nightLight ? ", restored the desktop's night light" : "");
    return 0;
}
