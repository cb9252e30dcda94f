#pragma once
// The tick a slider plays when it snaps onto a detent. Linux desktops have no haptic
// trackpad feedback, so the program's performer does nothing; tests count the ticks.
namespace orvane::kit {

class HapticPerformer {
public:
    virtual ~HapticPerformer() = default;
    virtual void performAlignment() = 0;
};

class SilentHaptics final : public HapticPerformer {
public:
    void performAlignment() override {}
};

}  // namespace orvane::kit
