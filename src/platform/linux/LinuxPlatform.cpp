#include "platform/linux/LinuxPlatform.h"

#include "platform/Log.h"
#include "platform/Missing.h"
#include "platform/linux/DBusNotifications.h"
#include "platform/linux/DesktopNightLight.h"
#include "platform/linux/GeoClueLocationProvider.h"
#include "platform/linux/LinuxBacklight.h"
#include "platform/linux/LinuxI2C.h"
#include "platform/linux/LinuxSystemInfo.h"
#include "platform/linux/LogindSession.h"
#include "platform/linux/X11Edids.h"
#include "platform/linux/X11Keyboard.h"
#include "platform/linux/X11Session.h"
#include "platform/linux/X11Workspace.h"
#include "platform/linux/XdgAppCatalog.h"
#include "platform/linux/XdgAutostart.h"

namespace orvane::platform::linuxsys {

namespace {

const Log& log() {
    static const Log l("platform");
    return l;
}

// What this desktop has no counterpart for reports missing: the accessibility preferences of other programs (so the pointer tint writes go nowhere),
// frame-buffer dithering.
class LinuxPlatform final : public Platform {
public:
    LinuxPlatform(Runtime runtime, std::shared_ptr<X11Facilities> x11)
        : Platform(std::move(runtime), configHome() / "orvane"), x11_(std::move(x11)) {
        displays_ = x11_ ? withDpmsSleep(x11_->displays, x11_->displayName) : std::make_shared<MissingDisplays>();
        gamma_ = x11_ ? x11_->gamma : std::make_shared<MissingGammaTables>();
        screenshots_ = x11_ ? x11_->screenshots : std::make_shared<MissingScreenshots>();
        overlays_ = std::make_shared<MissingOverlayWindows>();  // the program installs the toolkit's
        // Monitors are told apart by the EDID their X outputs report.
        LinuxI2C::OutputEdids outputEdids;
        if (x11_) outputEdids = [name = x11_->displayName] { return readOutputEdids(name); };
        i2c_ = std::make_shared<LinuxI2C>(std::move(outputEdids));
        dithering_ = std::make_shared<MissingDithering>();
        if (x11_) {
            keyboard_ = openX11Keyboard(runtime_.scheduler, x11_->displayName);
            workspace_ = openX11Workspace(runtime_.scheduler, x11_->displayName, std::make_unique<LogindSession>());
        }
        if (!keyboard_) keyboard_ = std::make_shared<MissingKeyboard>();
        if (!workspace_) workspace_ = std::make_shared<MissingWorkspace>();
        preferences_ = std::make_shared<MissingPreferences>();
        notifications_ = linuxsys::sessionOrInProcessNotifications(runtime_.scheduler);
        systemInfo_ = std::make_shared<LinuxSystemInfo>();
        location_ = std::make_shared<GeoClueLocationProvider>();
        loginItems_ = std::make_shared<XdgAutostart>();
        appCatalog_ = std::make_shared<XdgAppCatalog>();
        // The desktop's own night light stands for Night Shift; one client for the run.
        nightShiftClients_ = [client = openDesktopNightLight()] { return client; };

        // The colour adjustment exists only where a driver exposes a colour matrix.
        colorAdjustments_ = x11_ ? x11_->colorAdjustments
                                 : std::shared_ptr<ColorAdjustments>(std::make_shared<MissingColorAdjustments>());
        auto displays = displays_;
        backlight_ = std::make_shared<LinuxBacklight>([displays](std::uint32_t id) { return displays->isBuiltin(id); },
                                                      "/sys/class/backlight", logindSetBrightness);
    }

    std::string_view name() const override { return "linux"; }

private:
    std::shared_ptr<X11Facilities> x11_;
};

}  // namespace

std::shared_ptr<Platform> makeLinuxPlatform(Runtime runtime, bool required) {
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
