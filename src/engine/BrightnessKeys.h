#pragma once
// Watches the brightness-up and brightness-down keys system-wide and, while `intercept`
// is on, takes them over: presses and repeats go to `onKey` and the events are removed,
// so the system does not change the backlight itself.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Keyboard.h"
#include "platform/Log.h"

namespace orvane {

class BrightnessKeys {
public:
    enum class Key { up, down };

    // The system-defined event of the auxiliary control buttons and its packed fields.
    static constexpr std::uint32_t systemDefinedType = 14;
    static constexpr std::int16_t auxControlButtons = 8;
    static constexpr std::uint32_t tapDisabledByTimeout = 0xFFFFFFFE;
    static constexpr std::uint32_t tapDisabledByUserInput = 0xFFFFFFFF;
    static constexpr std::int64_t keyCodeUp = 2;
    static constexpr std::int64_t keyCodeDown = 3;
    static constexpr std::int64_t stateDown = 0x0A;

    explicit BrightnessKeys(platform::Keyboard& keyboard);
    ~BrightnessKeys();
    BrightnessKeys(const BrightnessKeys&) = delete;
    BrightnessKeys& operator=(const BrightnessKeys&) = delete;

    std::function<void(Key key, bool isRepeat)> onKey;
    bool intercept = false;

    bool isTrusted() const;
    // May show the system's permission prompt; the trust state at the time of the call.
    bool requestTrust() const;

    bool isRunning() const { return tap_ != nullptr; }
    bool start();
    void stop();

    // The decision for one event: true passes it on, false swallows it.
    bool handle(const platform::SystemDefinedEvent& event);

private:
    platform::Keyboard& keyboard_;
    std::unique_ptr<platform::EventTap> tap_;
    platform::Log log_{"keys"};
};

}  // namespace orvane
