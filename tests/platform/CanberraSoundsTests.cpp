// Whether a sound can be played: a sound server answering on its socket, or an ALSA
// playback device that opens. A context of the sound library opens without either, so it
// cannot be the test.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "SimFixture.h"
#include "platform/linux/CanberraSounds.h"

namespace orvane::platform::linuxsys {
namespace {

// A Unix socket bound at `path`; listening, or closed again so that only its file is left.
class UnixSocket {
public:
    UnixSocket(const std::filesystem::path& path, bool listens) {
        std::filesystem::create_directories(path.parent_path());
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string text = path.string();
        EXPECT_LT(text.size(), sizeof address.sun_path) << text;
        text.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << text;
        if (listens) {
            EXPECT_EQ(::listen(fd_, 4), 0);
        } else {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~UnixSocket() {
        if (fd_ >= 0) ::close(fd_);
    }
    UnixSocket(const UnixSocket&) = delete;
    UnixSocket& operator=(const UnixSocket&) = delete;

private:
    int fd_ = -1;
};

TEST(CanberraSounds, SoundCountsAsAvailableOnlyWhereSomethingCanPlayIt) {
    enum class Socket { none, listening, stale };
    const struct {
        const char* situation;
        const char* socketAt;  // under the runtime folder; null: none
        Socket socket;
        std::optional<std::string> pulseServer;  // "%s" stands for the socket's path
        std::optional<std::string> pipewireRemote;
        const char* alsaNode;  // a node in the ALSA folder; null: none
        bool reachable;
    } cases[] = {
        {"nothing at all (a bare X server)", nullptr, Socket::none, std::nullopt, std::nullopt, nullptr, false},
        {"PulseAudio's socket in the runtime folder", "pulse/native", Socket::listening, std::nullopt, std::nullopt,
         nullptr, true},
        {"a socket left by a server that has gone", "pulse/native", Socket::stale, std::nullopt, std::nullopt, nullptr,
         false},
        {"PipeWire's own socket", "pipewire-0", Socket::listening, std::nullopt, std::nullopt, nullptr, true},
        {"PipeWire's socket under another name", "pw-other", Socket::listening, std::nullopt, std::string("pw-other"),
         nullptr, true},
        {"a server named by its socket", "elsewhere/sock", Socket::listening, std::string("unix:%s"), std::nullopt,
         nullptr, true},
        {"a named server that is gone", "elsewhere/sock", Socket::stale, std::string("unix:%s"), std::nullopt, nullptr,
         false},
        {"a server across the network", nullptr, Socket::none, std::string("tcp:sound.example:4713"), std::nullopt,
         nullptr, true},
        {"an ALSA playback device", nullptr, Socket::none, std::nullopt, std::nullopt, "pcmC0D0p", true},
        {"an ALSA capture device only", nullptr, Socket::none, std::nullopt, std::nullopt, "pcmC0D0c", false},
        {"ALSA's control device only", nullptr, Socket::none, std::nullopt, std::nullopt, "controlC0", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        const auto root = orvane::testing::freshDirectory("snd");
        SoundOutputs outputs;
        outputs.runtimeDir = (root / "run").string();
        outputs.alsaDevices = root / "dev-snd";
        std::filesystem::create_directories(*outputs.runtimeDir);
        std::filesystem::create_directories(outputs.alsaDevices);
        const std::filesystem::path socketPath = c.socketAt ? root / "run" / c.socketAt : std::filesystem::path();
        std::optional<UnixSocket> socket;
        if (c.socket != Socket::none) socket.emplace(socketPath, c.socket == Socket::listening);
        if (c.pulseServer) {
            std::string server = *c.pulseServer;
            if (const auto at = server.find("%s"); at != std::string::npos) server.replace(at, 2, socketPath.string());
            outputs.pulseServer = server;
        }
        outputs.pipewireRemote = c.pipewireRemote;
        if (c.alsaNode) std::ofstream(outputs.alsaDevices / c.alsaNode) << "";
        EXPECT_EQ(outputs.reachable(), c.reachable);
        // The port says the same: the library's context is never the judge.
        CanberraSounds sounds([&] { return outputs; });
        if (!c.reachable) {
            EXPECT_FALSE(sounds.isAvailable());
        }
        socket.reset();
        std::filesystem::remove_all(root);
    }
}

}  // namespace
}  // namespace orvane::platform::linuxsys
