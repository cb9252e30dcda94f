#pragma once
// One connection to the Wayland compositor, shared by the display services built on it
// (WaylandDisplays, WaylandGammaTables): the outputs it announces, with what xdg-output
// adds, and the gamma controls of the wlroots gamma extension where it offers one.
// Declared without Wayland types so that nothing else sees libwayland.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Scheduler.h"
#include "platform/linux/Edid.h"

namespace orvane::platform::waylandsys {

// One wl_output once the compositor has described it.
struct WaylandOutput {
    std::uint32_t id = 0;     // the registry name of its global: valid while it is connected
    std::string name;         // the connector, "DP-1" (wl_output 4 or xdg-output); may be empty
    std::string description;  // the compositor's words for it
    std::string make, model;
    int physicalWidth = 0, physicalHeight = 0;  // millimetres
    int x = 0, y = 0;                           // logical position
    int width = 0, height = 0;                  // logical size
    int modeWidth = 0, modeHeight = 0;          // the current mode, in pixels
    int refresh = 0;                            // millihertz
    int scale = 1;
    std::optional<linuxsys::EdidIdentity> edid;  // the DRM connector's of the same name, where there is one
};

class WaylandSession {
public:
    struct Impl;

    // Null when no compositor answers. `socket` absent: $WAYLAND_DISPLAY (or wayland-0).
    // The EDIDs of the outputs come from the DRM connectors under `drmClass`.
    static std::shared_ptr<WaylandSession> open(std::shared_ptr<Scheduler> scheduler,
                                                const std::optional<std::string>& socket = std::nullopt,
                                                std::filesystem::path drmClass = "/sys/class/drm");
    explicit WaylandSession(std::unique_ptr<Impl> impl);
    ~WaylandSession();
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

    // The outputs the compositor has described, the one at the origin first, then by position.
    std::vector<WaylandOutput> outputs() const;
    std::optional<WaylandOutput> output(std::uint32_t id) const;

    // Called on the main loop after an output came, went or changed.
    Handle observeReconfiguration(std::function<void()> changed);
    // Called once on the main loop when the connection is lost for good (the compositor
    // went away); at once, from the main loop, when it already is.
    Handle observeLoss(std::function<void()> lost);
    bool lost() const;

    // Reads and handles what the compositor sent, waiting for it to answer everything asked
    // so far; the main loop does this by itself where there is a scheduler. False when the
    // connection is lost.
    bool roundtrip();

    // --- gamma (wlr-gamma-control) ---------------------------------------------------
    bool offersGammaControl() const;
    // Entries per ramp of the output, taking its control when it is not held yet; 0 when
    // the compositor has no gamma control or refused it for this output. A refusal is not
    // asked again until the output changes (its mode or scale) or the gamma manager comes back.
    std::uint32_t gammaSize(std::uint32_t id);
    // Red, green and blue ramps of gammaSize entries each, one after another. 0 on success.
    std::int32_t setGamma(std::uint32_t id, const std::vector<std::uint16_t>& ramps);
    // What was last set while the control is held; empty when it is not.
    std::vector<std::uint16_t> heldGamma(std::uint32_t id) const;
    // Gives the control back: the compositor puts the output's own ramps back.
    void releaseGamma(std::uint32_t id);
    void releaseAllGamma();
    // Why the output's colours cannot be changed, in words for the user; absent when they can
    // (or nobody has asked yet).
    std::optional<std::string> gammaRefusal(std::uint32_t id) const;

private:
    std::unique_ptr<Impl> impl_;
};

// What a Wayland session means here: WAYLAND_DISPLAY set, or XDG_SESSION_TYPE=wayland.
bool isWaylandSession();

// The words for a compositor without any way for a program to change the screen's colours.
inline constexpr const char* noColourControlReason = "this compositor lets no program change the screen's colours";
// The words for an output whose gamma control the compositor refused.
// (The display has no gamma, or another program holds it; the protocol does not say which.)
inline constexpr const char* gammaRefusedReason = "the compositor refused this display's gamma";
// The words for every output once the compositor has gone away.
inline constexpr const char* connectionLostReason = "the connection to the compositor was lost";
// The words for an output whose gamma control the compositor took back while it was in use.
inline constexpr const char* gammaWithdrawnReason =
    "the compositor withdrew this display's gamma; another program may have taken it";

}  // namespace orvane::platform::waylandsys
