#include "platform/linux/CanberraSounds.h"

#include <canberra.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Log.h"

namespace orvane::platform::linuxsys {

namespace {

const Log& log() {
    static const Log l("sounds");
    return l;
}

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? std::optional<std::string>(value) : std::nullopt;
}

// Whether a server listens on the Unix socket at this path (a socket left by a server that
// has gone refuses the connection).
bool listening(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    const int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    // A full backlog still means a server is there.
    const bool answered = rc == 0 || errno == EAGAIN || errno == EINPROGRESS;
    ::close(fd);
    return answered;
}

// An ALSA playback device node ("pcmC0D0p") that opens for writing.
bool alsaPlaybackOpens(const std::filesystem::path& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("pcmC", 0) != 0 || name.back() != 'p') continue;
        const int fd = ::open(entry.path().c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) continue;
        ::close(fd);
        return true;
    }
    return false;
}

}  // namespace

SoundOutputs SoundOutputs::fromEnvironment() {
    SoundOutputs outputs;
    outputs.pulseServer = variable("PULSE_SERVER");
    outputs.pipewireRemote = variable("PIPEWIRE_REMOTE");
    outputs.runtimeDir = variable("XDG_RUNTIME_DIR");
    return outputs;
}

bool SoundOutputs::reachable() const {
    std::vector<std::string> sockets;
    if (pulseServer) {
        // "unix:/path" or a bare path is a socket to try; a network server cannot be
        // checked without talking to it, so it counts.
        const std::string& server = *pulseServer;
        if (server.rfind("unix:", 0) == 0) sockets.push_back(server.substr(5));
        else if (!server.empty() && server.front() == '/') sockets.push_back(server);
        else return true;
    }
    if (pipewireRemote && !pipewireRemote->empty() && pipewireRemote->front() == '/')
        sockets.push_back(*pipewireRemote);
    if (runtimeDir) {
        sockets.push_back(*runtimeDir + "/pulse/native");
        if (!pipewireRemote) sockets.push_back(*runtimeDir + "/pipewire-0");
        else if (pipewireRemote->front() != '/') sockets.push_back(*runtimeDir + "/" + *pipewireRemote);
    }
    for (const auto& socket : sockets)
        if (listening(socket)) return true;
    return alsaPlaybackOpens(alsaDevices);
}

struct CanberraSounds::Context {
    ca_context* context = nullptr;
    ~Context() {
        if (context) ca_context_destroy(context);
    }
};

CanberraSounds::CanberraSounds(std::function<SoundOutputs()> outputs) : outputs_(std::move(outputs)) {}
CanberraSounds::~CanberraSounds() = default;

std::string CanberraSounds::eventId(const std::string& name) {
    if (name == "Pop") return "audio-volume-change";
    return name;
}

bool CanberraSounds::open() {
    if (tried_) return context_ != nullptr;
    tried_ = true;
    auto context = std::make_unique<Context>();
    if (ca_context_create(&context->context) != CA_SUCCESS) return false;
    ca_context_change_props(context->context, CA_PROP_APPLICATION_NAME, "Orvane", CA_PROP_APPLICATION_ID,
                            "app.orvane.Orvane", nullptr);
    // Opening connects to a driver; without a sound server it fails, and sounds are off.
    if (const int rc = ca_context_open(context->context); rc != CA_SUCCESS) {
        log().info("sounds: no sound service (ca_context_open: %s)", std::string(ca_strerror(rc)));
        return false;
    }
    context_ = std::move(context);
    return true;
}

// Asked again each time: a sound server may start or stop after the program.
bool CanberraSounds::isAvailable() { return outputs_().reachable() && open(); }

void CanberraSounds::play(const std::string& name) {
    if (!isAvailable()) return;
    const std::string id = eventId(name);
    if (const int rc = ca_context_play(context_->context, 0, CA_PROP_EVENT_ID, id.c_str(), CA_PROP_EVENT_DESCRIPTION,
                                       name.c_str(), nullptr);
        rc != CA_SUCCESS)
        log().info("sounds: ca_context_play %s: %s", id, std::string(ca_strerror(rc)));
}

}  // namespace orvane::platform::linuxsys
