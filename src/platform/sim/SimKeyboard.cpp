#include "platform/sim/SimKeyboard.h"

#include "platform/Status.h"

namespace orvane::platform::sim {

namespace {

constexpr std::int32_t eventHotKeyExistsErr = -9878;
constexpr std::int32_t paramErr = -50;

}  // namespace

bool SimKeyboard::isProcessTrusted() { return machine_->read().accessibilityTrusted; }

bool SimKeyboard::requestTrust(bool prompt) {
    journal_->add("keyboard.requestTrust", Dictionary{{"prompt", prompt}});
    return isProcessTrusted();
}

std::unique_ptr<EventTap> SimKeyboard::createSystemDefinedTap(TapCallback decide) {
    const bool fails =
        machine_->update([](SimState& s) { return SimMachine::takeFailure(s, "eventTap.create").has_value(); });
    if (fails) return nullptr;
    auto tap = std::make_unique<TapHolder>();
    tap->tap->decide = std::move(decide);
    taps_.push_back(tap->tap);
    return tap;
}

std::vector<std::shared_ptr<SimKeyboard::Tap>> SimKeyboard::liveTaps() {
    std::vector<std::shared_ptr<Tap>> live;
    for (auto& weak : taps_)
        if (auto t = weak.lock()) live.push_back(t);
    return live;
}

bool SimKeyboard::inject(const SystemDefinedEvent& event) {
    for (auto& t : liveTaps())
        if (t->enabled && t->decide && !t->decide(event)) return false;
    return true;
}

void SimKeyboard::disableTaps(std::uint32_t reason) {
    for (auto& t : liveTaps()) {
        t->enabled = false;
        if (t->decide) t->decide(SystemDefinedEvent{reason, 0, 0});
    }
}

std::int32_t SimKeyboard::installHotKeyHandler(HotKeyHandler handler) {
    if (auto failure = machine_->update([](SimState& s) { return SimMachine::takeFailure(s, "hotkey.handler"); }))
        return *failure;
    handler_ = std::move(handler);
    return status::success;
}

std::int32_t SimKeyboard::registerHotKey(const KeyChord& chord, std::uint32_t signature, std::uint32_t id,
                                         std::uint64_t& ref) {
    ref = 0;
    if (auto failure = machine_->update([](SimState& s) { return SimMachine::takeFailure(s, "hotkey.register"); }))
        return *failure;
    for (const auto& [r, h] : hotKeys_)
        if (h.chord == chord) return eventHotKeyExistsErr;
    ref = nextRef_++;
    hotKeys_[ref] = {chord, signature, id};
    // Journaled as the system call takes it.
    journal_->add("keyboard.registerHotKey",
                  Dictionary{{"keyCode", chord.keyCode}, {"modifiers", chord.modifiers.classicMask()}, {"id", id}});
    return status::success;
}

bool SimKeyboard::canRegisterGlobalShortcuts() {
    return machine_->inspect([](const SimState& s) { return s.hasPort("globalShortcuts"); });
}

std::int32_t SimKeyboard::unregisterHotKey(std::uint64_t ref) {
    return hotKeys_.erase(ref) ? status::success : paramErr;
}

bool SimKeyboard::press(const KeyChord& chord, bool released) {
    for (const auto& [r, h] : hotKeys_)
        if (h.chord == chord) {
            if (handler_) handler_(h.signature, h.id, released);
            return true;
        }
    return false;
}

}  // namespace orvane::platform::sim
