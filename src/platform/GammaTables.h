#pragma once
// The per-display transfer (gamma) tables: three ramps of samples in 0...1.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::platform {

struct GammaRamp {
    std::vector<float> red;
    std::vector<float> green;
    std::vector<float> blue;

    std::size_t size() const { return red.size(); }
    bool isConsistent() const { return red.size() == green.size() && red.size() == blue.size(); }
    bool operator==(const GammaRamp&) const = default;

    // i / (n - 1) on every channel.
    static GammaRamp identity(std::size_t samples);
    // Linear interpolation onto `samples` entries (a table of one entry is held flat).
    GammaRamp resampled(std::size_t samples) const;
    // The value a channel ramp maps `x` (0...1) to, interpolating between samples.
    static float lookup(const std::vector<float>& ramp, float x);
};

class GammaTables {
public:
    virtual ~GammaTables() = default;

    // Samples per channel the display's tables take; 0 when it has none.
    virtual std::uint32_t capacity(std::uint32_t display) = 0;
    // Reads at most `capacity` samples per channel into `out`; `out.size()` is the count.
    // 0 on success, else a status (see Status.h).
    virtual std::int32_t read(std::uint32_t display, std::uint32_t capacity, GammaRamp& out) = 0;
    // The same read without waiting for the answer where the tables sit behind a server:
    // `done` gets the status and the ramp later, on the main loop. By default read() at once.
    virtual void readLater(std::uint32_t display, std::uint32_t capacity,
                           std::function<void(std::int32_t status, GammaRamp ramp)> done);
    virtual std::int32_t write(std::uint32_t display, const GammaRamp& ramp) = 0;
    // Every display back to its own (profile) tables.
    virtual void restoreColorSyncSettings() = 0;
    // One display back to its own tables, the others left as they are. By default the
    // identity ramp is written, which is what restoring means on the platforms here.
    virtual std::int32_t restoreDisplay(std::uint32_t display);
    // Why the display's tables cannot be changed, in words for the user, where the
    // platform knows more than "no tables"; absent otherwise.
    virtual std::optional<std::string> unavailableReason(std::uint32_t) { return std::nullopt; }
    // The calls behind read() and write(), for the log: RandR's unless a port says otherwise
    // (the simulated machine stands for an X display too).
    virtual std::string_view readCall() const { return "XRRGetCrtcGamma"; }
    virtual std::string_view writeCall() const { return "XRRSetCrtcGamma"; }
};

}  // namespace orvane::platform
