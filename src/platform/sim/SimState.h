#pragma once
// The simulated machine's state as one value; SimMachine keeps it in the state file
// (format documented there).
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ColorAdjustments.h"
#include "platform/GammaTables.h"
#include "platform/Geometry.h"
#include "platform/OverlayWindows.h"
#include "platform/SystemInfo.h"
#include "platform/Value.h"
#include "platform/Workspace.h"
#include "support/Json.h"

namespace orvane::platform::sim {

struct DdcFeature {
    std::uint16_t current = 0;
    std::uint16_t maximum = 100;
    bool operator==(const DdcFeature&) const = default;
};

// A monitor that answers DDC/CI; the features it knows by VCP code.
struct DdcMonitor {
    std::map<std::uint8_t, DdcFeature> features;
    bool operator==(const DdcMonitor&) const = default;
};

struct SimDisplay {
    std::uint32_t id = 0;
    std::optional<std::string> uuid;
    std::uint32_t vendor = 0;
    std::uint32_t model = 0;
    std::uint32_t serial = 0;
    std::string name;
    bool builtIn = false;
    Rect frame;  // global points, bottom-left origin; the first display is the main one
    double scale = 1;
    bool asleep = false;
    bool hasDisplayNumber = true;       // false: its screen's description lacks the number
    std::uint32_t gammaCapacity = 256;  // 0: no gamma table
    bool ctm = true;                    // false: this output takes no colour adjustment
    std::optional<GammaRamp> gamma;     // absent: the identity ramp
    std::optional<Matrix3x3> matrix;    // absent: no colour adjustment
    std::optional<float> backlight;     // built-in displays with a backlight
    std::optional<bool> enableDither;   // absent: the pipeline has no such property
    std::optional<DdcMonitor> ddc;      // absent: does not answer DDC/CI
    bool operator==(const SimDisplay&) const = default;
};

struct SimWindow {
    std::string id;
    std::int32_t pid = 0;
    std::int64_t pidStart = 0;  // the owner's start time, to tell a reused pid apart
    Rect frame;
    int level = 0;
    bool opaque = false;
    SharingType sharing = SharingType::readOnly;
    bool visible = false;
    std::uint64_t order = 0;  // higher is nearer the front within a level
    std::vector<OverlayLayer> layers;
    bool operator==(const SimWindow&) const = default;
};

struct SimNightShift {
    std::vector<std::string> missingSelectors;
    bool active = false;
    bool enabled = false;
    float cct = 2700;
    float strength = 0.5f;
    std::array<float, 3> range{2700, 6000, 4100};
    bool operator==(const SimNightShift&) const = default;
};

struct SimFailure {
    std::int32_t status = 1000;
    std::int64_t remaining = -1;  // calls left to fail; -1 for every call
    bool operator==(const SimFailure&) const = default;
};

// An installed application: what the catalogue knows of it.
struct SimApp {
    std::string id;  // the bundle identifier
    std::string name;
    std::optional<std::string> icon;
    std::optional<std::string> windowClass;  // the class its windows report, when not the id
    std::optional<std::string> path;         // where it lies, for a chooser's answer
    bool operator==(const SimApp&) const = default;
};

struct SimState {
    std::vector<SimDisplay> displays;
    std::vector<SimWindow> windows;
    std::map<std::string, Dictionary> preferences;  // by domain
    SimNightShift nightShift;
    std::map<std::string, std::string> sysctl;
    OSVersion osVersion{26, 1, 0};
    // Set, the machine presents itself as a Linux computer of that name (the screenshot
    // mode's images show the Linux program); absent, it stands for a Mac.
    std::optional<std::string> linuxName;
    // Ports this machine lacks: "colorAdjustments", "backlight", "nightShift", "i2c", "dithering", "preferences".
    std::set<std::string> missingPorts;
    std::map<std::string, SimFailure> failures;  // by facility name
    bool compositing = true;
    // False stands for a Wayland session: no window of the program lies over the screen.
    bool overlaysReachScreen = true;
    bool screenCaptureAllowed = true;
    bool accessibilityTrusted = true;
    std::optional<RunningApplication> frontApplication;
    std::vector<WindowInfo> windowList;  // other programs' windows, front first
    std::vector<SimApp> applications;    // installed
    Point mouse;
    double idleSeconds = 0;
    std::optional<Date> lastInputAt;           // when present, the idle time runs from it
    std::optional<bool> screenLocked = false;  // absent: unreadable
    std::optional<AssertionsByProcess> powerAssertions = AssertionsByProcess{};  // absent: unreadable
    std::uint64_t nextWindowOrder = 1;
    std::uint32_t nextDisplayId = 1;
    Json location;  // the scripted location fix or failure, kept as written; null: none
    std::string bundlePath = "/Applications/Orvane.app";  // where the program runs from
    bool loginItem = false;

    // One built-in display and one external monitor that answers DDC/CI.
    static SimState defaultLayout();

    SimDisplay* display(std::uint32_t id);
    const SimDisplay* display(std::uint32_t id) const;
    bool hasPort(const std::string& name) const { return missingPorts.count(name) == 0; }

    Json toJson() const;
    static SimState fromJson(const Json& json);  // throws JsonError
    bool operator==(const SimState&) const = default;
};

}  // namespace orvane::platform::sim
