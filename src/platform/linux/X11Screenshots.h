#pragma once
// The Screenshots port on X: the root window's pixels.
#include <memory>

#include "platform/Screenshots.h"
#include "platform/linux/X11Session.h"

namespace orvane::platform::linuxsys {

class X11Screenshots final : public Screenshots {
public:
    explicit X11Screenshots(std::shared_ptr<X11Session> session) : session_(std::move(session)) {}

    bool preflightAccess() override { return true; }
    bool requestAccess() override { return true; }
    std::optional<Image> capture(const std::optional<Rect>& rect) override;

private:
    std::shared_ptr<X11Session> session_;
};

}  // namespace orvane::platform::linuxsys
