#pragma once
// The answers of a facility this system does not have: empty lists, absent values, false
// and failure statuses, exactly what the callers' fallback paths expect.
#include <memory>

#include "platform/Backlight.h"
#include "platform/ColorAdjustments.h"
#include "platform/Displays.h"
#include "platform/DistributedNotifications.h"
#include "platform/Dithering.h"
#include "platform/GammaTables.h"
#include "platform/I2C.h"
#include "platform/Keyboard.h"
#include "platform/OverlayWindows.h"
#include "platform/Preferences.h"
#include "platform/Screenshots.h"
#include "platform/Workspace.h"

namespace orvane::platform {

class MissingDisplays final : public Displays {
public:
    std::vector<Screen> screens() override { return {}; }
    std::vector<std::uint32_t> onlineDisplays(std::uint32_t) override { return {}; }
    std::optional<std::uint32_t> mainDisplay() override { return std::nullopt; }
    std::optional<std::string> uuid(std::uint32_t) override { return std::nullopt; }
    std::uint32_t vendorNumber(std::uint32_t) override { return 0; }
    std::uint32_t modelNumber(std::uint32_t) override { return 0; }
    std::uint32_t serialNumber(std::uint32_t) override { return 0; }
    bool isBuiltin(std::uint32_t) override { return false; }
    bool isAsleep(std::uint32_t) override { return false; }
    Handle observeReconfiguration(std::function<void()>) override { return {}; }
};

class MissingGammaTables final : public GammaTables {
public:
    std::uint32_t capacity(std::uint32_t) override { return 0; }
    std::int32_t read(std::uint32_t, std::uint32_t, GammaRamp& out) override;
    std::int32_t write(std::uint32_t, const GammaRamp&) override;
    void restoreColorSyncSettings() override {}
};

class MissingOverlayWindows final : public OverlayWindows {
public:
    std::unique_ptr<OverlayWindow> create(const Rect&, const OverlayStyle&) override { return nullptr; }
    int maximumWindowLevel() override { return highestWindowLevel; }
    bool canShowTranslucent() override { return false; }
    bool canHideFromCaptures() override { return false; }
};

class MissingColorAdjustments final : public ColorAdjustments {
public:
    bool isAvailable() override { return false; }
    std::int32_t set(const ColorAdjustment&) override;
    std::optional<Matrix3x3> current(std::uint32_t) override { return std::nullopt; }
};

class MissingBacklight final : public Backlight {
public:
    bool isAvailable() override { return false; }
    std::int32_t brightness(std::uint32_t, float&) override;
    std::int32_t linearBrightness(std::uint32_t, float&) override;
    std::int32_t setBrightness(std::uint32_t, float) override;
    std::int32_t setLinearBrightness(std::uint32_t, float) override;
    bool canChangeBrightness(std::uint32_t) override { return false; }
};

class MissingI2C final : public I2C {
public:
    bool isAvailable() override { return false; }
    std::optional<std::vector<RegistryEntry>> matchingServices(const std::string&) override { return std::nullopt; }
    std::shared_ptr<I2CChannel> createChannel(std::uint64_t) override { return nullptr; }
};

class MissingDithering final : public Dithering {
public:
    std::optional<std::vector<std::uint64_t>> services(const std::string&) override { return std::nullopt; }
    std::optional<std::string> className(std::uint64_t) override { return std::nullopt; }
    std::optional<Value> property(std::uint64_t, const std::string&) override { return std::nullopt; }
    std::int32_t setProperty(std::uint64_t, const std::string&, const Value&) override;
};

class MissingKeyboard final : public Keyboard {
public:
    bool isProcessTrusted() override { return false; }
    bool requestTrust(bool) override { return false; }
    std::unique_ptr<EventTap> createSystemDefinedTap(TapCallback) override { return nullptr; }
    std::int32_t installHotKeyHandler(HotKeyHandler) override;
    std::int32_t registerHotKey(const KeyChord&, std::uint32_t, std::uint32_t, std::uint64_t& ref) override;
    std::int32_t unregisterHotKey(std::uint64_t) override;
    bool canRegisterGlobalShortcuts() override { return false; }
    std::optional<std::uint32_t> unshiftedKeysym(std::uint32_t) override { return std::nullopt; }
};

class MissingWorkspace final : public Workspace {
public:
    std::optional<RunningApplication> frontmostApplication() override { return std::nullopt; }
    bool canTellFrontmostApplication() override { return false; }
    std::optional<std::vector<WindowInfo>> windowList(std::uint32_t) override { return std::nullopt; }
    Point mouseLocation() override { return {}; }
    TimeInterval secondsSinceLastInput() override { return 0; }
    std::optional<bool> screenLocked() override { return std::nullopt; }
    std::optional<AssertionsByProcess> assertionsByProcess() override { return std::nullopt; }
    Handle observe(WorkspaceEvent, std::function<void()>) override { return {}; }
    bool openURL(const std::string&) override { return false; }
    bool canOpenURLs() override { return false; }
};

class MissingPreferences final : public Preferences {
public:
    bool isAvailable() override { return false; }
    std::optional<Value> copyAppValue(const std::string&, const std::string&) override { return std::nullopt; }
    void setAppValue(const std::string&, const std::optional<Value>&, const std::string&) override {}
    bool synchronize(const std::string&) override { return false; }
};

class MissingScreenshots final : public Screenshots {
public:
    bool preflightAccess() override { return false; }
    bool requestAccess() override { return false; }
    std::optional<Image> capture(const std::optional<Rect>&) override { return std::nullopt; }
};

// Delivers within this process only (what a session without a message bus allows).
class InProcessNotifications final : public DistributedNotifications {
public:
    explicit InProcessNotifications(std::shared_ptr<Scheduler> scheduler);
    bool post(const std::string& name, const std::optional<Dictionary>& userInfo) override;
    Handle observe(const std::string& name, Observer observer) override;

private:
    struct Observers;
    std::shared_ptr<Scheduler> scheduler_;
    std::shared_ptr<Observers> observers_;
};

}  // namespace orvane::platform
