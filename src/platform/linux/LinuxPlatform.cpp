#include "platform/linux/LinuxPlatform.h"

#include "platform/Log.h"
#include "platform/Missing.h"
#include "platform/linux/CanberraSounds.h"
#include "platform/linux/DBusNotifications.h"
#include "platform/linux/DesktopIdleInhibitors.h"
#include "platform/linux/DesktopNightLight.h"
#include "platform/linux/GeoClueLocationProvider.h"
#include "platform/linux/LinuxBacklight.h"
#include "platform/linux/LinuxI2C.h"
#include "platform/linux/LinuxSystemInfo.h"
#include "platform/linux/LogindSession.h"
#include "platform/linux/PortalGlobalShortcuts.h"
#include "platform/linux/X11Edids.h"
#include "platform/linux/X11Keyboard.h"
#include "platform/linux/X11Session.h"
#include "platform/linux/X11Workspace.h"
#include "platform/linux/XdgAppCatalog.h"
#include "platform/linux/XdgAutostart.h"
#include "platform/wayland/WaylandFacilities.h"
#include "platform/wayland/WaylandWorkspace.h"

namespace orvane::platform::linuxsys {

namespace {

const Log& log() {
    static const Log l("platform");
    return l;
}

// What this desktop has no counterpart for reports missing: the accessibility preferences of other programs (so the
// pointer tint writes go nowhere), frame-buffer dithering.
class LinuxPlatform final : public Platform {
public:
    // In a Wayland session (`wayland` set, or a session whose compositor did not answer:
    // `waylandSession`) the displays are the compositor's and nothing tints through X:
    // XWayland keeps RandR gamma, colour matrices and X windows to itself. `x11` then is
    // XWayland, used only for what it can still do for its own windows.
    LinuxPlatform(Runtime runtime, std::shared_ptr<X11Facilities> x11,
                  std::shared_ptr<waylandsys::WaylandFacilities> wayland = nullptr, bool waylandSession = false)
        : Platform(std::move(runtime), configHome() / "orvane"), x11_(std::move(x11)), wayland_(std::move(wayland)) {
        const bool onWayland = waylandSession || wayland_;
        const auto* x11Display = onWayland ? nullptr : x11_.get();
        if (wayland_) {
            displays_ = wayland_->displays;
            gamma_ = wayland_->gamma;
        } else {
            displays_ = x11Display ? withDpmsSleep(x11Display->displays, x11Display->displayName)
                                   : std::make_shared<MissingDisplays>();
            gamma_ = x11Display ? x11Display->gamma : std::make_shared<MissingGammaTables>();
        }
        screenshots_ = x11Display ? x11Display->screenshots : std::make_shared<MissingScreenshots>();
        overlays_ = std::make_shared<MissingOverlayWindows>();  // the program installs the toolkit's
        overlaysReachScreen_ = !onWayland;
        // Monitors are told apart by the EDID their outputs report.
        LinuxI2C::OutputEdids outputEdids;
        if (wayland_) outputEdids = [session = wayland_->session] { return waylandsys::outputEdids(*session); };
        else if (x11Display) outputEdids = [name = x11Display->displayName] { return readOutputEdids(name); };
        i2c_ = std::make_shared<LinuxI2C>(std::move(outputEdids));
        dithering_ = std::make_shared<MissingDithering>();
        if (x11_) {
            // XWayland's key grabs hear keys only while one of its own windows has the focus.
            if (!onWayland) keyboard_ = openX11Keyboard(runtime_.scheduler, x11_->displayName);
            workspace_ = openX11Workspace(runtime_.scheduler, x11_->displayName, std::make_unique<LogindSession>(),
                                          std::make_unique<DesktopIdleInhibitors>());
        }
        // On Wayland only the desktop portal gives global shortcuts, where the desktop has it.
        if (onWayland) keyboard_ = openPortalGlobalShortcuts(runtime_.scheduler);
        if (!keyboard_) keyboard_ = std::make_shared<MissingKeyboard>();
        if (!workspace_) workspace_ = std::make_shared<MissingWorkspace>();
        if (onWayland) workspace_ = waylandWorkspace(std::move(workspace_));
        preferences_ = std::make_shared<MissingPreferences>();
        notifications_ = linuxsys::sessionOrInProcessNotifications(runtime_.scheduler);
        systemInfo_ = std::make_shared<LinuxSystemInfo>();
        location_ = std::make_shared<GeoClueLocationProvider>();
        loginItems_ = std::make_shared<XdgAutostart>();
        appCatalog_ =
            std::make_shared<XdgAppCatalog>(std::vector<std::filesystem::path>{}, std::string{}, runtime_.scheduler);
        // The desktop's own night light stands for Night Shift; one client for the run.
        nightShiftClients_ = [client = openDesktopNightLight(runtime_.scheduler)] { return client; };
        sounds_ = std::make_shared<CanberraSounds>();

        // The colour adjustment exists only where a driver exposes a colour matrix.
        colorAdjustments_ = x11Display ? x11Display->colorAdjustments
                                       : std::shared_ptr<ColorAdjustments>(std::make_shared<MissingColorAdjustments>());
        auto displays = displays_;
        backlight_ = std::make_shared<LinuxBacklight>([displays](std::uint32_t id) { return displays->isBuiltin(id); },
                                                      "/sys/class/backlight", logindSetBrightness);
    }

    std::string_view name() const override { return "linux"; }
    bool takesToolkitOverlays() const override { return overlaysReachScreen_; }
    Handle observeDisplayServerLoss(std::function<void(const std::string& reason)> lost) override {
        if (!wayland_) return {};
        return wayland_->session->observeLoss([lost = std::move(lost)] { lost(waylandsys::connectionLostReason); });
    }

private:
    // XWayland sees neither the other clients' windows nor their input: the front
    // application and the idle time are the compositor's (or logind's).
    std::shared_ptr<Workspace> waylandWorkspace(std::shared_ptr<Workspace> rest) {
        auto logind = std::make_shared<LogindSession>();
        return waylandsys::openWaylandWorkspace(
            runtime_.scheduler, std::move(rest), [logind] { return logind->secondsIdle(); },
            wayland_ ? std::optional(wayland_->socketName) : std::nullopt);
    }

    std::shared_ptr<X11Facilities> x11_;
    std::shared_ptr<waylandsys::WaylandFacilities> wayland_;
};

}  // namespace

std::shared_ptr<Platform> makeLinuxPlatform(Runtime runtime, bool required) {
    if (waylandsys::isWaylandSession()) {
        auto wayland = waylandsys::openWayland(runtime.scheduler);
        auto xwayland = openX11(runtime.scheduler);
        if (wayland) {
            log().notice("platform: linux (Wayland display %s%s)", wayland->socketName,
                         xwayland ? ", XWayland " + xwayland->displayName : std::string());
        } else {
            if (!required) return nullptr;
            log().error(
                "platform: linux in a Wayland session whose compositor does not answer; no displays can be "
                "tinted");
        }
        return std::make_shared<LinuxPlatform>(std::move(runtime), std::move(xwayland), std::move(wayland), true);
    }
    auto x11 = openX11(runtime.scheduler);
    if (!x11) {
        if (!required) return nullptr;
        log().error("platform: linux without an X display; no displays can be tinted");
        return std::make_shared<LinuxPlatform>(std::move(runtime), nullptr);
    }
    log().notice("platform: linux (X display %s)", x11->displayName);
    return std::make_shared<LinuxPlatform>(std::move(runtime), std::move(x11));
}

}  // namespace orvane::platform::linuxsys
