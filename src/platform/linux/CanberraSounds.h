#pragma once
// Event sounds through the desktop's sound service (libcanberra, which finds the sound in
// the freedesktop sound theme). A context opens even where nothing can sound (its ALSA
// driver connects to no device until it plays), so sound counts as available only where a
// sound server answers on its socket or an ALSA playback device opens; elsewhere playing
// does nothing.
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Sounds.h"

namespace orvane::platform::linuxsys {

// Where a sound could go: the environment's server addresses and the ALSA device folder.
struct SoundOutputs {
    std::optional<std::string> pulseServer;     // $PULSE_SERVER
    std::optional<std::string> pipewireRemote;  // $PIPEWIRE_REMOTE
    std::optional<std::string> runtimeDir;      // $XDG_RUNTIME_DIR
    std::filesystem::path alsaDevices = "/dev/snd";

    static SoundOutputs fromEnvironment();
    // A PulseAudio (or PipeWire's) server accepts a connection on its socket, or an ALSA
    // playback device opens.
    bool reachable() const;
};

class CanberraSounds final : public Sounds {
public:
    explicit CanberraSounds(std::function<SoundOutputs()> outputs = SoundOutputs::fromEnvironment);
    ~CanberraSounds() override;

    bool isAvailable() override;
    void play(const std::string& name) override;

    // The theme's event id for one of the program's sound names ("Pop" → "audio-volume-change").
    static std::string eventId(const std::string& name);

private:
    struct Context;
    std::function<SoundOutputs()> outputs_;
    std::unique_ptr<Context> context_;
    bool tried_ = false;
    bool open();
};

}  // namespace orvane::platform::linuxsys
