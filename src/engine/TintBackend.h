#pragma once
// The one request every back-end receives, the kinds of back-end, the error an attach
// reports, and the interface through which the engine drives each display's back-end.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/CaseNames.h"
#include "core/ColorMatrix.h"
#include "core/DisplaySettings.h"
#include "core/Kelvin.h"
#include "core/OverlayPlan.h"
#include "core/TintState.h"
#include "engine/DisplayManager.h"
#include "platform/OverlayWindows.h"

namespace orvane {

// Every form in which one tint can be shown; each back-end reads the form it can realise.
struct RenderRequest {
    Multiplier multiplier;
    bool desaturate = false;  // readable red in force
    bool invert = false;      // darkroom
    OverlayPlan plan;
    ColorMatrix matrix;

    // An absent matrix becomes the diagonal of the multiplier's gains.
    RenderRequest(const Multiplier& multiplier, bool desaturate, bool invert, const OverlayPlan& plan,
                  const std::optional<ColorMatrix>& matrix);
    // For a bare state with no display method (the method check's probe): the state's
    // gains times its dim, readable red at 1000 K and below, no overlay plan.
    explicit RenderRequest(const TintState& state);

    static const RenderRequest& identity();
    // Gains within 1e-6 of 1, no flags, no overlay to speak of (both opacities at most
    // 0.001) and an identity matrix; the plan's Night Shift kelvin and colour do not count.
    bool isIdentity() const;

    bool operator==(const RenderRequest&) const = default;
};

enum class BackendKind { matrix, overlay, gamma, ddc };
inline constexpr CaseNames<BackendKind, 4> backendKindNames{"BackendKind",
                                                            {{{BackendKind::matrix, "matrix"},
                                                              {BackendKind::overlay, "overlay"},
                                                              {BackendKind::gamma, "gamma"},
                                                              {BackendKind::ddc, "ddc"}}}};
constexpr const auto& caseNames(BackendKind) { return backendKindNames; }
std::string_view title(BackendKind kind);
TintMethod method(BackendKind kind);

// What attaching a back-end reports when its method cannot work on the display.
class BackendError {
public:
    struct NoScreen {
        std::string name;
        bool operator==(const NoScreen&) const = default;
    };
    struct Unsupported {
        std::string reason;
        bool operator==(const Unsupported&) const = default;
    };

    static BackendError noScreen(std::string displayName) { return BackendError(NoScreen{std::move(displayName)}); }
    static BackendError unsupported(std::string reason) { return BackendError(Unsupported{std::move(reason)}); }

    const std::variant<NoScreen, Unsupported>& value() const { return value_; }
    template <class Case>
    bool is() const {
        return std::holds_alternative<Case>(value_);
    }

    std::string description() const;
    // The other localized texts are absent.
    std::optional<std::string> failureReason() const { return std::nullopt; }
    std::optional<std::string> recoverySuggestion() const { return std::nullopt; }
    std::optional<std::string> helpAnchor() const { return std::nullopt; }

    bool operator==(const BackendError&) const = default;

private:
    explicit BackendError(std::variant<NoScreen, Unsupported> value) : value_(std::move(value)) {}
    std::variant<NoScreen, Unsupported> value_;
};

// One display's back-end. Construction touches no hardware; attach first records the
// display (also when it then fails), checks that the method works there, takes what it
// needs and shows its current (for a fresh back-end, neutral) state. Everything runs on
// the main thread; only attach reports failure, everything else logs.
class TintBackend {
public:
    virtual ~TintBackend() = default;

    virtual BackendKind kind() const = 0;
    virtual const DisplayInfo& display() const = 0;
    // Absent on success.
    [[nodiscard]] virtual std::optional<BackendError> attach(const DisplayInfo& display) = 0;
    // `animated` in seconds; 0 shows the request at once.
    virtual void apply(const RenderRequest& request, double animated) = 0;
    // Stops any fade and returns the display to neutral.
    virtual void detach() = 0;
    // Shows the last request again where the system has lost it.
    virtual void verifyAndRepair() = 0;
    // Whether the system took the display's method away while attached (a compositor that
    // withdrew its gamma control): the engine then attaches the display anew.
    virtual bool lost() const { return false; }

    // Settings only some methods use (the overlay's); the others ignore them.
    // Whether screenshots and screen sharing see the tint.
    virtual void setSharingType(platform::SharingType) {}
    // How the tint's colours are worked out.
    virtual void setCalibration(const Calibration&) {}
};

}  // namespace orvane

template <>
struct std::hash<orvane::RenderRequest> {
    std::size_t operator()(const orvane::RenderRequest& r) const noexcept;
};
