#pragma once
// Tints one display through the display pipeline's accessibility colour matrix. Needs no
// window; reads only the request's matrix.
#include <memory>
#include <optional>

#include "core/ColorMatrix.h"
#include "engine/AXColorMatrix.h"
#include "engine/Fade.h"
#include "engine/TintBackend.h"
#include "platform/Log.h"
#include "platform/Platform.h"

namespace orvane {

class MatrixBackend final : public TintBackend {
public:
    static constexpr double minimumFade = 0.03;  // seconds; shorter is applied at once
    static constexpr double framesPerSecond = 60;

    MatrixBackend(const DisplayInfo& display, std::shared_ptr<platform::Platform> platform);

    BackendKind kind() const override { return BackendKind::matrix; }
    const DisplayInfo& display() const override { return display_; }
    std::optional<BackendError> attach(const DisplayInfo& display) override;
    void apply(const RenderRequest& request, double animated) override;
    void detach() override;
    // Writes the matrix again on every call unless a fade runs or nothing is shown.
    void verifyAndRepair() override;

    const ColorMatrix& current() const { return current_; }
    bool isAnimating() const { return fade_.isRunning(); }

private:
    std::int32_t write(const ColorMatrix& matrix) const;
    void send(const ColorMatrix& matrix) const;

    std::shared_ptr<platform::Platform> platform_;
    AXColorMatrix adjustments_;
    DisplayInfo display_;
    ColorMatrix current_ = ColorMatrix::identity;
    Fade fade_{minimumFade, framesPerSecond, Fade::FirstFrame::atOnce};
    platform::Log log_{"matrix"};
};

}  // namespace orvane
