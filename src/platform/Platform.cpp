#include "platform/Platform.h"

#include <cstdlib>

#include <unistd.h>

#include "platform/Log.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/sim/SimPlatform.h"

namespace orvane::platform {

namespace {

const Log& log() {
    static const Log l("platform");
    return l;
}

std::shared_ptr<Platform> makeSim(Runtime runtime) {
    const auto dir = simDirectory();
    log().notice("platform: sim (machine state in %s)", dir.string());
    return std::make_shared<sim::SimPlatform>(std::move(runtime), dir);
}

}  // namespace

Platform::Platform(Runtime runtime, std::filesystem::path defaultsDirectory)
    : runtime_(std::move(runtime)), defaultsDirectory_(std::move(defaultsDirectory)) {
    if (!runtime_.clock) runtime_.clock = SystemClock::shared();
}

Platform::~Platform() = default;

std::shared_ptr<UserDefaults> Platform::userDefaults(const std::string& domain) {
    // A domain name becomes a file name: keep it to one path component.
    std::string file;
    for (char c : domain) file += (c == '/' || c == '\0') ? '_' : c;
    if (file.empty() || file == "." || file == "..") file = "_" + file;
    return UserDefaults::open(defaultsDirectory_ / (file + ".json"));
}

std::shared_ptr<Platform> Platform::create(Runtime runtime) {
    const auto requested = environmentValue("ORVANE_PLATFORM");
    if (requested && *requested == "sim") return makeSim(std::move(runtime));
    if (requested && *requested == "linux") {
        if (auto p = linuxsys::makeLinuxPlatform(runtime, true)) return p;
    }
    if (requested && *requested != "linux")
        log().error("platform: unknown ORVANE_PLATFORM value %s, choosing by the desktop", *requested);
    if (!requested || *requested != "linux") {
        if (auto p = linuxsys::makeLinuxPlatform(runtime, false)) return p;
    }
    return makeSim(std::move(runtime));
}

bool environmentSwitch(const char* name) {
    const auto v = environmentValue(name);
    return v && *v == "1";
}

std::optional<std::string> environmentValue(const char* name) {
    const char* v = std::getenv(name);
    if (!v) return std::nullopt;
    return std::string(v);
}

std::filesystem::path configHome() {
    if (auto v = environmentValue("XDG_CONFIG_HOME"); v && !v->empty() && (*v)[0] == '/') return *v;
    if (auto home = environmentValue("HOME"); home && !home->empty()) return std::filesystem::path(*home) / ".config";
    return std::filesystem::temp_directory_path() / ("orvane-config-" + std::to_string(::getuid()));
}

std::filesystem::path simDirectory() {
    if (auto v = environmentValue("ORVANE_SIM_DIR"); v && !v->empty()) return *v;
    if (auto v = environmentValue("XDG_RUNTIME_DIR"); v && !v->empty()) return std::filesystem::path(*v) / "orvane-sim";
    return std::filesystem::temp_directory_path() / ("orvane-sim-" + std::to_string(::getuid()));
}

}  // namespace orvane::platform
