#pragma once
// The ColorAdjustments port on X: the "CTM" output property that some drivers expose.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ColorAdjustments.h"
#include "platform/linux/X11Session.h"

namespace orvane::platform::linuxsys {

class X11ColorAdjustments final : public ColorAdjustments {
public:
    explicit X11ColorAdjustments(std::shared_ptr<X11Session> session) : session_(std::move(session)) {}

    // Whether any online output has the property now.
    bool isAvailable() override;
    bool isAvailableFor(std::uint32_t display) override;
    // Clearing writes the identity matrix.
    std::int32_t set(const ColorAdjustment& adjustment) override;
    std::optional<Matrix3x3> current(std::uint32_t display) override;

private:
    std::shared_ptr<X11Session> session_;
};

// The S31.32 sign-magnitude encoding of the "CTM" property: 18 words, low word first.
std::vector<std::uint32_t> encodeCtm(const Matrix3x3& matrix);
Matrix3x3 decodeCtm(const std::vector<std::uint32_t>& words);

}  // namespace orvane::platform::linuxsys
