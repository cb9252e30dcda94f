#include "engine/BrightnessKeys.h"

namespace orvane {

BrightnessKeys::BrightnessKeys(platform::Keyboard& keyboard) : keyboard_(keyboard) {}

BrightnessKeys::~BrightnessKeys() { stop(); }

bool BrightnessKeys::isTrusted() const { return keyboard_.isProcessTrusted(); }

bool BrightnessKeys::requestTrust() const { return keyboard_.requestTrust(true); }

bool BrightnessKeys::start() {
    if (tap_) return true;
    if (!keyboard_.isProcessTrusted()) return false;
    // The tap lives no longer than this object, so the decision may use it directly.
    auto tap = keyboard_.createSystemDefinedTap([this](const platform::SystemDefinedEvent& e) { return handle(e); });
    if (!tap) {
        log_.error("event tap creation failed");
        return false;
    }
    tap_ = std::move(tap);
    tap_->setEnabled(true);
    return true;
}

void BrightnessKeys::stop() {
    if (tap_) tap_->setEnabled(false);
    tap_.reset();
}

bool BrightnessKeys::handle(const platform::SystemDefinedEvent& event) {
    if (event.type == tapDisabledByTimeout || event.type == tapDisabledByUserInput) {
        if (tap_) tap_->setEnabled(true);
        return true;
    }
    if (event.type != systemDefinedType || event.subtype != auxControlButtons) return true;
    if ((event.data1 & 0xFFFE0000) != 0x20000) return true;
    const std::int64_t code = (event.data1 >> 16) & 0x3;
    const bool down = ((event.data1 >> 8) & 0xFF) == stateDown;
    const bool repeat = (event.data1 & 1) != 0;
    if (!intercept) return true;
    // Key-up events are swallowed too, so the system never sees half a press.
    if (down && onKey) {
        auto callback = onKey;  // the owner may replace onKey from inside it
        callback(code == keyCodeUp ? Key::up : Key::down, repeat);
    }
    return false;
}

}  // namespace orvane
