#include "platform/linux/DesktopOpener.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/Log.h"
#include "platform/linux/DBusConnection.h"

extern char** environ;

namespace orvane::platform::linuxsys {

namespace {

const Log& log() {
    static const Log l("workspace");
    return l;
}

const DBusObject portal{"org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                        "org.freedesktop.portal.OpenURI"};
constexpr std::uint64_t callTimeout = 2'000'000;  // µs

bool xdgOpenOnPath() {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string_view rest(path);
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::filesystem::path dir(std::string(rest.substr(0, colon)));
        if (!dir.empty() && ::access((dir / "xdg-open").c_str(), X_OK) == 0) return true;
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return false;
}

bool portalAnswers(DBusConnection& bus) {
    std::uint32_t version = 0;
    return !bus.getProperty(portal, "version", 'u', &version);
}

}  // namespace

bool desktopOpensURLs() {
    // Asked once: neither the portal nor xdg-open comes or goes while the program runs.
    static const bool opens = [] {
        DBusError error;
        if (auto bus = DBusConnection::open(DBusConnection::Bus::session, error); bus && portalAnswers(*bus))
            return true;
        return xdgOpenOnPath();
    }();
    return opens;
}

bool openURLOnDesktop(const std::string& url) {
    DBusError error;
    if (auto bus = DBusConnection::open(DBusConnection::Bus::session, error)) {
        const auto reply = bus->call(
            portal, "OpenURI",
            [&](sd_bus_message* m) {
                int r = sd_bus_message_append(m, "ss", "", url.c_str());
                if (r >= 0) r = sd_bus_message_open_container(m, SD_BUS_TYPE_ARRAY, "{sv}");
                if (r >= 0) r = sd_bus_message_close_container(m);
                return r;
            },
            callTimeout);
        if (reply) return true;
        log().info("workspace: OpenURI portal: %s; trying xdg-open", logExcerpt(reply.error->message));
    }
    std::vector<char*> argv{const_cast<char*>("xdg-open"), const_cast<char*>(url.c_str()), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv.data(), environ) != 0) {
        log().error("workspace: cannot open %s: neither the OpenURI portal nor xdg-open is available", logExcerpt(url));
        return false;
    }
    // xdg-open hands the address on and exits; its status is collected so it leaves no zombie.
    std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    return true;
}

}  // namespace orvane::platform::linuxsys
