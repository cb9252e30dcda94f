#include "engine/MatrixBackend.h"

#include <vector>

namespace orvane {

MatrixBackend::MatrixBackend(const DisplayInfo& display, std::shared_ptr<platform::Platform> platform)
    : platform_(std::move(platform)), adjustments_(*platform_), display_(display) {}

std::optional<BackendError> MatrixBackend::attach(const DisplayInfo& display) {
    display_ = display;
    if (!adjustments_.isAvailable()) return BackendError::unsupported("the output has no color matrix (CTM property)");
    if (adjustments_.userColorFilterEnabled()) return BackendError::unsupported("an Accessibility color filter is on");
    // A fresh back-end clears whatever adjustment the display carries.
    const std::int32_t status = current_.isIdentity() ? adjustments_.reset(display_.id) : write(current_);
    if (status != 0)
        return BackendError::unsupported("setting the output's color matrix (CTM property) failed: " +
                                         std::to_string(status));
    return std::nullopt;
}

void MatrixBackend::apply(const RenderRequest& request, double animated) {
    // The fade dies with this back-end and takes its timer along, so `this` is safe. An
    // unchanged matrix is sent again, without a fade.
    fade_.run(current_, request.matrix, animated, *platform_, &ColorMatrix::lerp, [this](const ColorMatrix& m) {
        current_ = m;
        send(current_);
    });
}

void MatrixBackend::detach() {
    fade_.stop();
    current_ = ColorMatrix::identity;
    (void)adjustments_.reset(display_.id);
}

void MatrixBackend::verifyAndRepair() {
    if (fade_.isRunning() || current_.isIdentity()) return;
    (void)write(current_);
}

std::int32_t MatrixBackend::write(const ColorMatrix& matrix) const {
    std::vector<float> elements;
    elements.reserve(9);
    for (double v : matrix.m) elements.push_back(static_cast<float>(v));
    return adjustments_.set(display_.id, elements);
}

void MatrixBackend::send(const ColorMatrix& matrix) const {
    // The identity is sent as a reset, so the display carries no adjustment at all.
    const std::int32_t status = matrix.isIdentity() ? adjustments_.reset(display_.id) : write(matrix);
    if (status != 0) log_.error("color matrix failed: %d", status);
}

}  // namespace orvane
