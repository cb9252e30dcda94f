#pragma once
// The system's Night Shift client. Each operation stands for one message of the client;
// respondsTo() tells which messages this client understands (their selector names,
// such as "getCCT:" or "setStrength:commit:"). A getter answers absent where the
// client answers NO.
#include <array>
#include <optional>
#include <string_view>

namespace orvane::platform {

struct BlueLightStatus {
    bool active = false;
    bool enabled = false;
};

class NightShiftClient {
public:
    virtual ~NightShiftClient() = default;

    virtual bool respondsTo(std::string_view selector) const = 0;

    virtual std::optional<BlueLightStatus> blueLightStatus() = 0;     // "getBlueLightStatus:"
    virtual std::optional<float> cct() = 0;                           // "getCCT:"
    virtual std::optional<float> strength() = 0;                      // "getStrength:"
    virtual std::optional<std::array<float, 3>> cctRange() = 0;       // "getCCTRange:"
    virtual bool setCCTRange(const std::array<float, 3>& range) = 0;  // "setCCTRange:"
    virtual void setCCT(float kelvin, bool commit) = 0;               // "setCCT:commit:"
    virtual void setStrength(float strength, bool commit) = 0;        // "setStrength:commit:"
    virtual void setActive(bool active) = 0;                          // "setActive:"
};

}  // namespace orvane::platform
