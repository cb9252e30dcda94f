#pragma once
// The simulated keyboard: tests play system-defined events through the taps and press hot
// keys; the trust state comes from the machine.
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/Keyboard.h"
#include "platform/sim/SimJournal.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimKeyboard final : public Keyboard {
public:
    SimKeyboard(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    bool isProcessTrusted() override;
    bool requestTrust(bool prompt) override;
    std::unique_ptr<EventTap> createSystemDefinedTap(TapCallback decide) override;
    std::int32_t installHotKeyHandler(HotKeyHandler handler) override;
    std::int32_t registerHotKey(const KeyChord& chord, std::uint32_t signature, std::uint32_t id,
                                std::uint64_t& ref) override;
    std::int32_t unregisterHotKey(std::uint64_t ref) override;
    bool canRegisterGlobalShortcuts() override;
    // The simulated machine has no hardware keys: presses are recorded by their key name.
    std::optional<std::uint32_t> unshiftedKeysym(std::uint32_t) override { return std::nullopt; }

    // true when every enabled tap let the event through.
    bool inject(const SystemDefinedEvent& event);
    // What the system does to a tap that took too long: switches it off, then tells it.
    void disableTaps(std::uint32_t reason);
    // true when a registration took the key.
    bool press(const KeyChord& chord, bool released);

private:
    struct Tap final : EventTap {
        TapCallback decide;
        bool enabled = false;
        void setEnabled(bool e) override { enabled = e; }
        bool isEnabled() const override { return enabled; }
    };
    // What the caller holds; the keyboard keeps only a weak view of the tap.
    struct TapHolder final : EventTap {
        TapHolder() : tap(std::make_shared<Tap>()) {}
        std::shared_ptr<Tap> tap;
        void setEnabled(bool e) override { tap->setEnabled(e); }
        bool isEnabled() const override { return tap->isEnabled(); }
    };
    struct HotKey {
        KeyChord chord;
        std::uint32_t signature, id;
    };

    std::vector<std::shared_ptr<Tap>> liveTaps();

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
    std::vector<std::weak_ptr<Tap>> taps_;
    HotKeyHandler handler_;
    std::map<std::uint64_t, HotKey> hotKeys_;
    std::uint64_t nextRef_ = 1;
};

}  // namespace orvane::platform::sim
