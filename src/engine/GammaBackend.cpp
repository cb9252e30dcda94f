#include "engine/GammaBackend.h"

#include <cmath>
#include <string>

namespace orvane {

GammaBackend::GammaBackend(const DisplayInfo& display, std::shared_ptr<platform::Platform> platform)
    : platform_(std::move(platform)), display_(display) {}

std::optional<BackendError> GammaBackend::attach(const DisplayInfo& display) {
    display_ = display;
    lost_ = false;
    const std::uint32_t capacity = tables().capacity(display_.id);
    if (capacity == 0) return BackendError::unsupported("display has no gamma table");

    platform::GammaRamp read;
    const std::int32_t status = tables().read(display_.id, capacity, read);
    if (status != 0 || read.size() == 0 || !read.isConsistent())
        return BackendError::unsupported("reading the gamma ramp (" + std::string(tables().readCall()) +
                                         ") failed: " + std::to_string(status));

    if (!current_.isIdentity()) {
        // The tables still carry our tint: take the display's own ones as the base. Only this
        // display is restored, so the other gamma displays keep their tint.
        (void)tables().restoreDisplay(display_.id);
        platform::GammaRamp again;
        (void)tables().read(display_.id, capacity, again);
        read = again.isConsistent() ? std::move(again) : platform::GammaRamp{};
    }
    base_ = std::move(read);
    count_ = static_cast<std::uint32_t>(base_.size());
    write(current_);
    return std::nullopt;
}

void GammaBackend::apply(const RenderRequest& request, double animated) {
    // The fade dies with this back-end and takes its timer along, so `this` is safe.
    fade_.run(current_, request.multiplier, animated, *platform_, &Multiplier::lerp, [this](const Multiplier& m) {
        current_ = m;
        write(current_);
    });
}

void GammaBackend::detach() {
    fade_.stop();
    ++writes_;
    current_ = Multiplier::identity;
    if (count_ != 0) (void)tables().write(display_.id, base_);
    (void)tables().restoreDisplay(display_.id);
}

void GammaBackend::verifyAndRepair() {
    if (count_ == 0 || fade_.isRunning() || checking_) return;
    checking_ = true;
    const std::uint64_t writesBefore = writes_;
    tables().readLater(
        display_.id, count_,
        [this, alive = std::weak_ptr<int>(alive_), writesBefore](std::int32_t status, platform::GammaRamp read) {
            if (!alive.lock()) return;
            checking_ = false;
            if (writes_ != writesBefore || count_ == 0 || fade_.isRunning()) return;
            if (status != 0) {
                if (!lost_)
                    log_.error("reading the gamma ramp (%s) failed: %d; the display's tables are gone",
                               std::string(tables().readCall()), status);
                lost_ = true;
                return;
            }
            if (read.size() != count_ || !read.isConsistent()) return;
            const std::size_t i = count_ - 1;  // the brightest entry
            const bool drifted =
                std::fabs(read.green[i] - base_.green[i] * static_cast<float>(current_.g)) > driftTolerance ||
                std::fabs(read.blue[i] - base_.blue[i] * static_cast<float>(current_.b)) > driftTolerance;
            if (!drifted) return;
            log_.notice("gamma table drifted, reapplying");
            write(current_);
        });
}

void GammaBackend::write(const Multiplier& m) {
    if (count_ == 0) return;
    ++writes_;
    platform::GammaRamp table = base_;
    const float r = static_cast<float>(m.r), g = static_cast<float>(m.g), b = static_cast<float>(m.b);
    for (std::size_t i = 0; i < count_; ++i) {
        table.red[i] = base_.red[i] * r;
        table.green[i] = base_.green[i] * g;
        table.blue[i] = base_.blue[i] * b;
    }
    const std::int32_t status = tables().write(display_.id, table);
    if (status == 0) return;
    // Once per loss: a fade would repeat it every frame.
    if (!lost_) log_.error("writing the gamma ramp (%s) failed: %d", std::string(tables().writeCall()), status);
    lost_ = true;
}

}  // namespace orvane
