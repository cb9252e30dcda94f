#include "platform/sim/SimPlatform.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>

#include <sys/inotify.h>
#include <unistd.h>

#include "platform/FrameworkAdapters.h"
#include "platform/Log.h"
#include "platform/Missing.h"
#include "platform/Status.h"
#include "platform/linux/DBusNotifications.h"
#include "platform/sim/SimLocationProvider.h"
#include "platform/sim/SimLoginItems.h"
#include "platform/sim/SimWorkspace.h"

namespace orvane::platform::sim {

namespace {

// The I/O error a bus answers when nothing acknowledges.
constexpr std::int32_t ioReturnError = static_cast<std::int32_t>(0xE00002BCu);
constexpr std::int32_t eventHotKeyExistsErr = -9878;
constexpr std::int32_t paramErr = -50;

const Log& log() {
    static const Log l("sim");
    return l;
}

}  // namespace

// --- journal ---------------------------------------------------------------------------

void SimJournal::add(std::string facility, Value arguments) {
    std::lock_guard lock(mutex_);
    calls_.push_back({std::move(facility), std::move(arguments)});
}

std::vector<SimCall> SimJournal::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<SimCall> SimJournal::calls(const std::string& facility) const {
    std::lock_guard lock(mutex_);
    std::vector<SimCall> out;
    for (const auto& c : calls_)
        if (c.facility == facility) out.push_back(c);
    return out;
}

void SimJournal::clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

// --- displays --------------------------------------------------------------------------

class SimDisplays final : public Displays {
public:
    SimDisplays(std::shared_ptr<SimMachine> machine, std::shared_ptr<Scheduler> scheduler)
        : machine_(std::move(machine)), scheduler_(std::move(scheduler)), layout_(layoutOf(machine_->read())) {}

    ~SimDisplays() override {
        watch_.cancel();
        if (inotify_ >= 0) ::close(inotify_);
    }

    std::vector<Screen> screens() override {
        std::vector<Screen> out;
        for (const auto& d : machine_->read().displays) {
            Screen s;
            if (d.hasDisplayNumber) s.displayNumber = d.id;
            s.localizedName = d.name;
            s.frame = d.frame;
            s.backingScaleFactor = d.scale;
            out.push_back(std::move(s));
        }
        return out;
    }

    std::vector<std::uint32_t> onlineDisplays(std::uint32_t maxDisplays) override {
        std::vector<std::uint32_t> out;
        for (const auto& d : machine_->read().displays) {
            if (out.size() >= maxDisplays) break;
            out.push_back(d.id);
        }
        return out;
    }

    std::optional<std::uint32_t> mainDisplay() override {
        const auto s = machine_->read();
        if (s.displays.empty()) return std::nullopt;
        return s.displays.front().id;
    }

    template <class F>
    auto field(std::uint32_t id, F get) -> decltype(get(std::declval<const SimDisplay&>())) {
        const auto s = machine_->read();
        if (const auto* d = s.display(id)) return get(*d);
        return {};
    }

    std::optional<std::string> uuid(std::uint32_t id) override {
        return field(id, [](const SimDisplay& d) { return d.uuid; });
    }
    std::uint32_t vendorNumber(std::uint32_t id) override { return field(id, [](const SimDisplay& d) { return d.vendor; }); }
    std::uint32_t modelNumber(std::uint32_t id) override { return field(id, [](const SimDisplay& d) { return d.model; }); }
    std::uint32_t serialNumber(std::uint32_t id) override { return field(id, [](const SimDisplay& d) { return d.serial; }); }
    bool isBuiltin(std::uint32_t id) override { return field(id, [](const SimDisplay& d) { return d.builtIn; }); }
    bool isAsleep(std::uint32_t id) override { return field(id, [](const SimDisplay& d) { return d.asleep; }); }

    Handle observeReconfiguration(std::function<void()> changed) override {
        if (!scheduler_) return {};
        startWatching();
        std::lock_guard lock(observers_->mutex);
        const std::uint64_t id = observers_->next++;
        observers_->list.emplace(id, std::make_shared<std::function<void()>>(std::move(changed)));
        return Handle([weak = std::weak_ptr<Observers>(observers_), id] {
            if (auto o = weak.lock()) {
                std::lock_guard l(o->mutex);
                o->list.erase(id);
            }
        });
    }

    // Compares the arrangement with the last one seen and tells the observers on a change.
    void checkLayout() {
        Json now = layoutOf(machine_->read());
        {
            std::lock_guard lock(observers_->mutex);
            if (now == layout_) return;
            layout_ = std::move(now);
        }
        if (!scheduler_) return;
        std::vector<std::weak_ptr<std::function<void()>>> targets;
        {
            std::lock_guard lock(observers_->mutex);
            for (const auto& [id, f] : observers_->list) targets.push_back(f);
        }
        for (auto& weak : targets)
            scheduler_->post([weak] {
                if (auto f = weak.lock()) (*f)();
            });
    }

private:
    struct Observers {
        std::mutex mutex;
        std::uint64_t next = 1;
        std::map<std::uint64_t, std::shared_ptr<std::function<void()>>> list;
    };

    static Json layoutOf(const SimState& s) {
        Json out = Json::array();
        for (const auto& d : s.displays)
            out.push_back({d.id, d.uuid.value_or(""), d.vendor, d.model, d.serial, d.name, d.builtIn, d.frame.x,
                           d.frame.y, d.frame.width, d.frame.height, d.scale, d.hasDisplayNumber});
        return out;
    }

    // Another process (a test, a tool) may change the arrangement: watch the state file.
    void startWatching() {
        if (inotify_ >= 0 || !scheduler_) return;
        inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotify_ < 0) return;
        if (::inotify_add_watch(inotify_, machine_->directory().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
            ::close(inotify_);
            inotify_ = -1;
            return;
        }
        watch_ = scheduler_->watchFd(inotify_, FdEvent::readable, [this] {
            alignas(inotify_event) char buffer[4096];
            while (::read(inotify_, buffer, sizeof buffer) > 0) {
            }
            checkLayout();
        });
    }

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<Scheduler> scheduler_;
    std::shared_ptr<Observers> observers_ = std::make_shared<Observers>();
    Json layout_;
    int inotify_ = -1;
    Handle watch_;
};

// --- gamma tables ----------------------------------------------------------------------

class SimGammaTables final : public GammaTables {
public:
    SimGammaTables(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    std::uint32_t capacity(std::uint32_t display) override {
        const auto s = machine_->read();
        const auto* d = s.display(display);
        return d ? d->gammaCapacity : 0;
    }

    std::int32_t read(std::uint32_t display, std::uint32_t capacity, GammaRamp& out) override {
        out = {};
        return machine_->update([&](SimState& s) -> std::int32_t {
            if (auto failure = SimMachine::takeFailure(s, "gamma.read")) return *failure;
            const auto* d = s.display(display);
            if (!d || d->gammaCapacity == 0) return status::illegalArgument;
            const GammaRamp table = d->gamma ? d->gamma->resampled(d->gammaCapacity) : GammaRamp::identity(d->gammaCapacity);
            out = capacity >= d->gammaCapacity ? table : table.resampled(capacity);
            return status::success;
        });
    }

    std::int32_t write(std::uint32_t display, const GammaRamp& ramp) override {
        journal_->add("CGSetDisplayTransferByTable", Dictionary{{"display", display}, {"samples", static_cast<std::int64_t>(ramp.size())}});
        return machine_->update([&](SimState& s) -> std::int32_t {
            if (auto failure = SimMachine::takeFailure(s, "gamma.write")) return *failure;
            auto* d = s.display(display);
            if (!d || d->gammaCapacity == 0 || !ramp.isConsistent() || ramp.size() < 2) return status::illegalArgument;
            GammaRamp stored = ramp.resampled(d->gammaCapacity);
            const auto clamp = [](std::vector<float>& v) {
                for (auto& f : v) f = std::clamp(f != f ? 0.0f : f, 0.0f, 1.0f);
            };
            clamp(stored.red);
            clamp(stored.green);
            clamp(stored.blue);
            if (stored == GammaRamp::identity(d->gammaCapacity)) d->gamma.reset();
            else d->gamma = std::move(stored);
            return status::success;
        });
    }

    void restoreColorSyncSettings() override {
        journal_->add("CGDisplayRestoreColorSyncSettings", Dictionary{});
        machine_->update([](SimState& s) {
            for (auto& d : s.displays) d.gamma.reset();
        });
    }

    std::int32_t restoreDisplay(std::uint32_t display) override {
        journal_->add("restoreDisplay", Dictionary{{"display", display}});
        return machine_->update([&](SimState& s) -> std::int32_t {
            if (auto failure = SimMachine::takeFailure(s, "gamma.write")) return *failure;
            auto* d = s.display(display);
            if (!d || d->gammaCapacity == 0) return status::illegalArgument;
            d->gamma.reset();
            return status::success;
        });
    }

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

// --- colour adjustment -----------------------------------------------------------------

class SimColorAdjustments final : public ColorAdjustments {
public:
    explicit SimColorAdjustments(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}

    std::int32_t set(std::uint32_t display, const Matrix3x3& matrix) override {
        return machine_->update([&](SimState& s) -> std::int32_t {
            if (auto failure = SimMachine::takeFailure(s, "colorAdjustment")) return *failure;
            auto* d = s.display(display);
            if (!d) return status::illegalArgument;
            d->matrix = matrix;
            return status::success;
        });
    }

    std::int32_t reset(std::uint32_t display) override {
        return machine_->update([&](SimState& s) -> std::int32_t {
            if (auto failure = SimMachine::takeFailure(s, "colorAdjustment")) return *failure;
            auto* d = s.display(display);
            if (!d) return status::illegalArgument;
            d->matrix.reset();
            return status::success;
        });
    }

    std::optional<Matrix3x3> current(std::uint32_t display) override {
        const auto s = machine_->read();
        const auto* d = s.display(display);
        return d ? d->matrix : std::nullopt;
    }

private:
    std::shared_ptr<SimMachine> machine_;
};

// --- backlight -------------------------------------------------------------------------

class SimBacklight final : public Backlight {
public:
    SimBacklight(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    std::int32_t brightness(std::uint32_t display, float& level) override { return get(display, level); }
    std::int32_t linearBrightness(std::uint32_t display, float& level) override { return get(display, level); }
    std::int32_t setBrightness(std::uint32_t display, float level) override {
        return set("DisplayServicesSetBrightness", display, level);
    }
    std::int32_t setLinearBrightness(std::uint32_t display, float level) override {
        return set("DisplayServicesSetLinearBrightness", display, level);
    }
    bool canChangeBrightness(std::uint32_t display) override {
        const auto s = machine_->read();
        const auto* d = s.display(display);
        return d && d->backlight.has_value();
    }

private:
    std::int32_t get(std::uint32_t display, float& level) {
        return machine_->update([&](SimState& s) -> std::int32_t {
            if (auto failure = SimMachine::takeFailure(s, "backlight.get")) return *failure;
            const auto* d = s.display(display);
            if (!d || !d->backlight) return status::illegalArgument;
            level = *d->backlight;
            return status::success;
        });
    }

    std::int32_t set(const char* facility, std::uint32_t display, float level) {
        journal_->add(facility, Dictionary{{"display", display}, {"level", level}});
        return machine_->update([&](SimState& s) -> std::int32_t {
            if (auto failure = SimMachine::takeFailure(s, "backlight.set")) return *failure;
            auto* d = s.display(display);
            if (!d || !d->backlight || level != level) return status::illegalArgument;
            d->backlight = std::clamp(level, 0.0f, 1.0f);
            return status::success;
        });
    }

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

// --- Night Shift client ----------------------------------------------------------------

class SimNightShiftClient final : public NightShiftClient {
public:
    SimNightShiftClient(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    bool respondsTo(std::string_view selector) const override {
        static constexpr std::string_view known[] = {"getCCT:",      "setCCT:commit:",      "getStrength:",
                                                     "setStrength:commit:", "setActive:",   "getBlueLightStatus:",
                                                     "getCCTRange:", "setCCTRange:"};
        if (std::find(std::begin(known), std::end(known), selector) == std::end(known)) return false;
        const auto missing = machine_->read().nightShift.missingSelectors;
        return std::find(missing.begin(), missing.end(), selector) == missing.end();
    }

    std::optional<BlueLightStatus> blueLightStatus() override {
        if (!respondsTo("getBlueLightStatus:")) return std::nullopt;
        const auto ns = machine_->read().nightShift;
        return BlueLightStatus{ns.active, ns.enabled};
    }
    std::optional<float> cct() override {
        if (!respondsTo("getCCT:")) return std::nullopt;
        return machine_->read().nightShift.cct;
    }
    std::optional<float> strength() override {
        if (!respondsTo("getStrength:")) return std::nullopt;
        return machine_->read().nightShift.strength;
    }
    std::optional<std::array<float, 3>> cctRange() override {
        if (!respondsTo("getCCTRange:")) return std::nullopt;
        return machine_->read().nightShift.range;
    }
    bool setCCTRange(const std::array<float, 3>& range) override {
        if (!respondsTo("setCCTRange:")) return false;
        journal_->add("setCCTRange:", Array{range[0], range[1], range[2]});
        machine_->update([&](SimState& s) { s.nightShift.range = range; });
        return true;
    }
    void setCCT(float kelvin, bool commit) override {
        journal_->add("setCCT:commit:", Array{kelvin, commit});
        machine_->update([&](SimState& s) { s.nightShift.cct = kelvin; });
    }
    void setStrength(float strength, bool commit) override {
        journal_->add("setStrength:commit:", Array{strength, commit});
        machine_->update([&](SimState& s) { s.nightShift.strength = strength; });
    }
    void setActive(bool active) override {
        journal_->add("setActive:", Array{active});
        machine_->update([&](SimState& s) {
            s.nightShift.active = active;
            if (active) s.nightShift.enabled = true;
        });
    }

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

// --- DDC/CI monitors over I2C ----------------------------------------------------------

class SimI2CChannel final : public I2CChannel {
public:
    SimI2CChannel(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal, std::shared_ptr<Clock> clock,
                  std::uint32_t display)
        : machine_(std::move(machine)), journal_(std::move(journal)), clock_(std::move(clock)), display_(display) {}

    std::int32_t write(std::uint32_t chip, std::uint32_t address, const std::uint8_t* buffer,
                       std::uint32_t length) override {
        Bytes bytes(buffer, buffer + length);
        journal_->add("IOAVServiceWriteI2C", Dictionary{{"display", display_},
                                                        {"chip", chip},
                                                        {"address", address},
                                                        {"bytes", bytes},
                                                        {"time", clock_->monotonic()}});
        return machine_->update([&](SimState& s) -> std::int32_t {
            if (auto failure = SimMachine::takeFailure(s, "i2c.write")) return *failure;
            auto* d = s.display(display_);
            if (!d || !d->ddc || chip != 0x37) return ioReturnError;
            // The full message, with the destination address folded into the checksum.
            std::uint8_t check = 0x6E;
            for (std::size_t i = 0; i + 1 < bytes.size(); ++i) check ^= bytes[i];
            if (bytes.size() < 2 || check != bytes.back()) return status::success;  // garbled: ignored
            // 0x51 (the host), 0x80 | length, opcode, ...: get is 0x82 0x01 vcp, set 0x84 0x03 vcp hi lo.
            if (address != 0x51 || bytes[0] != 0x51) return status::success;
            if (bytes.size() == 5 && bytes[1] == 0x82 && bytes[2] == 0x01) {
                pendingReply_ = reply(*d, bytes[3]);
                if (SimMachine::takeFailure(s, "i2c.checksum")) pendingReply_->back() ^= 0x5A;
            } else if (bytes.size() == 7 && bytes[1] == 0x84 && bytes[2] == 0x03) {
                const auto it = d->ddc->features.find(bytes[3]);
                if (it != d->ddc->features.end()) {
                    const auto value = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
                    it->second.current = std::min(value, it->second.maximum);  // monitors clamp
                }
            }
            return status::success;
        });
    }

    std::int32_t read(std::uint32_t chip, std::uint32_t offset, std::uint8_t* buffer, std::uint32_t length) override {
        journal_->add("IOAVServiceReadI2C", Dictionary{{"display", display_}, {"chip", chip}, {"offset", offset},
                                                       {"length", length}, {"time", clock_->monotonic()}});
        return machine_->update([&](SimState& s) -> std::int32_t {
            if (auto failure = SimMachine::takeFailure(s, "i2c.read")) return *failure;
            const auto* d = s.display(display_);
            if (!d || !d->ddc || chip != 0x37 || !pendingReply_) return ioReturnError;
            std::memset(buffer, 0, length);
            std::memcpy(buffer, pendingReply_->data(), std::min<std::size_t>(length, pendingReply_->size()));
            pendingReply_.reset();
            return status::success;
        });
    }

private:
    static Bytes reply(const SimDisplay& d, std::uint8_t vcp) {
        const auto it = d.ddc->features.find(vcp);
        const bool known = it != d.ddc->features.end();
        const DdcFeature f = known ? it->second : DdcFeature{0, 0};
        Bytes out{0x6E, 0x88, 0x02, static_cast<std::uint8_t>(known ? 0x00 : 0x01), vcp, 0x00,
                  static_cast<std::uint8_t>(f.maximum >> 8), static_cast<std::uint8_t>(f.maximum & 0xFF),
                  static_cast<std::uint8_t>(f.current >> 8), static_cast<std::uint8_t>(f.current & 0xFF)};
        std::uint8_t check = 0x50;  // the host's address in the checksum of a reply
        for (auto b : out) check ^= b;
        out.push_back(check);
        return out;
    }

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
    std::shared_ptr<Clock> clock_;
    std::uint32_t display_;
    std::optional<Bytes> pendingReply_;
};

class SimI2C final : public I2C {
public:
    SimI2C(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal, std::shared_ptr<Clock> clock)
        : machine_(std::move(machine)), journal_(std::move(journal)), clock_(std::move(clock)) {}

    std::optional<std::vector<RegistryEntry>> matchingServices(const std::string& className) override {
        if (className != "DCPAVServiceProxy") return std::vector<RegistryEntry>{};
        std::vector<RegistryEntry> out;
        for (const auto& d : machine_->read().displays)
            out.push_back({d.id, Dictionary{{"Location", d.builtIn ? "Embedded" : "External"}}, d.id});
        return out;
    }

    std::shared_ptr<I2CChannel> createChannel(std::uint64_t entry) override {
        const auto s = machine_->read();
        if (entry > 0xFFFFFFFFu || !s.display(static_cast<std::uint32_t>(entry))) return nullptr;
        return std::make_shared<SimI2CChannel>(machine_, journal_, clock_, static_cast<std::uint32_t>(entry));
    }

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
    std::shared_ptr<Clock> clock_;
};

// --- dithering -------------------------------------------------------------------------

class SimDithering final : public Dithering {
public:
    SimDithering(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    std::optional<std::vector<std::uint64_t>> services(const std::string& className) override {
        std::vector<std::uint64_t> out;
        if (className != "IOMobileFramebufferAP") return out;
        for (const auto& d : machine_->read().displays) out.push_back(d.id);
        return out;
    }
    std::optional<std::string> className(std::uint64_t service) override {
        if (!find(service)) return std::nullopt;
        return std::string("IOMobileFramebufferAP");
    }
    std::optional<Value> property(std::uint64_t service, const std::string& name) override {
        const auto d = find(service);
        if (!d) return std::nullopt;
        if (name == "external") return Value(!d->builtIn);
        if (name == "enableDither" && d->enableDither) return Value(*d->enableDither);
        return std::nullopt;
    }
    std::int32_t setProperty(std::uint64_t service, const std::string& name, const Value& value) override {
        journal_->add("IORegistryEntrySetCFProperty", Dictionary{{"service", static_cast<std::int64_t>(service)},
                                                                 {"name", name}, {"value", value}});
        return machine_->update([&](SimState& s) -> std::int32_t {
            if (auto failure = SimMachine::takeFailure(s, "dither.set")) return *failure;
            auto* d = service <= 0xFFFFFFFFu ? s.display(static_cast<std::uint32_t>(service)) : nullptr;
            if (!d || name != "enableDither" || !value.isBool()) return ioReturnError;
            d->enableDither = *value.get<bool>();
            return status::success;
        });
    }

private:
    std::optional<SimDisplay> find(std::uint64_t service) {
        const auto s = machine_->read();
        const auto* d = service <= 0xFFFFFFFFu ? s.display(static_cast<std::uint32_t>(service)) : nullptr;
        if (!d) return std::nullopt;
        return *d;
    }

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

// --- keyboard --------------------------------------------------------------------------

class SimKeyboard final : public Keyboard {
public:
    SimKeyboard(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    bool isProcessTrusted() override { return machine_->read().accessibilityTrusted; }
    bool requestTrust(bool prompt) override {
        journal_->add("AXIsProcessTrustedWithOptions", Dictionary{{"AXTrustedCheckOptionPrompt", prompt}});
        return isProcessTrusted();
    }

    struct Tap final : EventTap {
        TapCallback decide;
        bool enabled = false;
        void setEnabled(bool e) override { enabled = e; }
        bool isEnabled() const override { return enabled; }
    };

    std::unique_ptr<EventTap> createSystemDefinedTap(TapCallback decide) override {
        const bool fails = machine_->update([](SimState& s) { return SimMachine::takeFailure(s, "eventTap.create").has_value(); });
        if (fails) return nullptr;
        auto tap = std::make_unique<TapHolder>(this);
        tap->tap->decide = std::move(decide);
        taps_.push_back(tap->tap);
        return tap;
    }

    bool inject(const SystemDefinedEvent& event) {
        std::vector<std::shared_ptr<Tap>> live;
        for (auto& weak : taps_)
            if (auto t = weak.lock()) live.push_back(t);
        for (auto& t : live)
            if (t->enabled && t->decide && !t->decide(event)) return false;
        return true;
    }

    // What the system does to a tap that took too long: switches it off, then tells it.
    void disableTaps(std::uint32_t reason) {
        std::vector<std::shared_ptr<Tap>> live;
        for (auto& weak : taps_)
            if (auto t = weak.lock()) live.push_back(t);
        for (auto& t : live) {
            t->enabled = false;
            if (t->decide) t->decide(SystemDefinedEvent{reason, 0, 0});
        }
    }

    std::int32_t installHotKeyHandler(HotKeyHandler handler) override {
        if (auto failure = machine_->update([](SimState& s) { return SimMachine::takeFailure(s, "hotkey.handler"); }))
            return *failure;
        handler_ = std::move(handler);
        return status::success;
    }

    std::int32_t registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, std::uint32_t signature,
                                std::uint32_t id, std::uint64_t& ref) override {
        ref = 0;
        if (auto failure = machine_->update([](SimState& s) { return SimMachine::takeFailure(s, "hotkey.register"); }))
            return *failure;
        for (const auto& [r, h] : hotKeys_)
            if (h.keyCode == keyCode && h.modifiers == modifiers) return eventHotKeyExistsErr;
        ref = nextRef_++;
        hotKeys_[ref] = {keyCode, modifiers, signature, id};
        journal_->add("RegisterEventHotKey", Dictionary{{"keyCode", keyCode}, {"modifiers", modifiers}, {"id", id}});
        return status::success;
    }

    std::int32_t unregisterHotKey(std::uint64_t ref) override {
        return hotKeys_.erase(ref) ? status::success : paramErr;
    }

    bool press(std::uint32_t keyCode, std::uint32_t modifiers, bool released) {
        for (const auto& [r, h] : hotKeys_)
            if (h.keyCode == keyCode && h.modifiers == modifiers) {
                if (handler_) handler_(h.signature, h.id, released);
                return true;
            }
        return false;
    }

private:
    struct TapHolder final : EventTap {
        explicit TapHolder(SimKeyboard*) : tap(std::make_shared<Tap>()) {}
        std::shared_ptr<Tap> tap;
        void setEnabled(bool e) override { tap->setEnabled(e); }
        bool isEnabled() const override { return tap->isEnabled(); }
    };
    struct HotKey {
        std::uint32_t keyCode, modifiers, signature, id;
    };

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
    std::vector<std::weak_ptr<Tap>> taps_;
    HotKeyHandler handler_;
    std::map<std::uint64_t, HotKey> hotKeys_;
    std::uint64_t nextRef_ = 1;
};

// --- preferences, screenshots, system facts --------------------------------------------

namespace {

class SimPreferences final : public Preferences {
public:
    SimPreferences(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    std::optional<Value> copyAppValue(const std::string& key, const std::string& domain) override {
        const auto s = machine_->read();
        const auto d = s.preferences.find(domain);
        if (d == s.preferences.end()) return std::nullopt;
        const auto v = d->second.find(key);
        if (v == d->second.end()) return std::nullopt;
        return v->second;
    }
    void setAppValue(const std::string& key, const std::optional<Value>& value, const std::string& domain) override {
        Dictionary args{{"key", key}, {"domain", domain}};
        if (value) args["value"] = *value;
        journal_->add("CFPreferencesSetAppValue", args);
        machine_->update([&](SimState& s) {
            if (value) s.preferences[domain][key] = *value;
            else if (auto d = s.preferences.find(domain); d != s.preferences.end()) d->second.erase(key);
        });
    }
    bool synchronize(const std::string& domain) override {
        journal_->add("CFPreferencesAppSynchronize", Value(domain));
        return true;
    }

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

class SimScreenshots final : public Screenshots {
public:
    SimScreenshots(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal)
        : machine_(std::move(machine)), journal_(std::move(journal)) {}

    bool preflightAccess() override { return machine_->read().screenCaptureAllowed; }
    bool requestAccess() override {
        journal_->add("CGRequestScreenCaptureAccess", Dictionary{});
        return preflightAccess();
    }
    std::optional<Image> capture(const std::optional<Rect>& rect) override {
        const bool fails = machine_->update([](SimState& s) { return SimMachine::takeFailure(s, "screenshot").has_value(); });
        const SimState s = machine_->read();
        if (fails || !s.screenCaptureAllowed || s.displays.empty()) return std::nullopt;
        const auto& main = s.displays.front();
        const double mainTop = main.frame.maxY();
        Rect area = rect ? rect->standardized() : Rect{main.frame.x, mainTop - main.frame.maxY(), main.frame.width,
                                                       main.frame.height};
        // Pixels at the scale of the display under the middle of the area.
        double scale = 1;
        const Point middle{area.x + area.width / 2, mainTop - (area.y + area.height / 2)};
        for (const auto& d : s.displays)
            if (d.frame.contains(middle)) scale = d.scale;
        if (area.width * scale < 1 || area.height * scale < 1) return std::nullopt;
        return renderImage(s, area, scale, false);
    }

private:
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
};

class SimSystemInfo final : public SystemInfo {
public:
    explicit SimSystemInfo(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}
    std::optional<std::string> sysctlString(const std::string& name) override {
        const auto s = machine_->read();
        const auto it = s.sysctl.find(name);
        if (it == s.sysctl.end()) return std::nullopt;
        return it->second + std::string(1, '\0');  // as the system hands it over
    }
    OSVersion osVersion() override { return machine_->read().osVersion; }

private:
    std::shared_ptr<SimMachine> machine_;
};

// --- overlay windows -------------------------------------------------------------------

class SimOverlayWindow final : public OverlayWindow {
public:
    SimOverlayWindow(std::shared_ptr<SimMachine> machine, SimWindow window)
        : machine_(std::move(machine)), local_(std::move(window)) {}
    ~SimOverlayWindow() override {
        try {
            machine_->update([&](SimState& s) {
                std::erase_if(s.windows, [&](const SimWindow& w) { return w.id == local_.id; });
            });
        } catch (const std::exception& e) {
            log().error("cannot remove overlay window %s: %s", local_.id, e.what());
        }
    }

    Rect frame() const override { return stored().frame; }
    void setFrame(const Rect& frame) override { change([&](SimWindow& w) { w.frame = frame; }); }
    int level() const override { return stored().level; }
    void setLevel(int level) override { change([&](SimWindow& w) { w.level = level; }); }
    SharingType sharingType() const override { return stored().sharing; }
    void setSharingType(SharingType type) override { change([&](SimWindow& w) { w.sharing = type; }); }
    void setLayers(const std::vector<OverlayLayer>& layers) override { change([&](SimWindow& w) { w.layers = layers; }); }
    std::vector<OverlayLayer> layers() const override { return stored().layers; }
    void orderFront() override {
        change([&](SimWindow& w) { w.visible = true; }, true);
    }
    void orderOut() override { change([&](SimWindow& w) { w.visible = false; }); }
    bool isVisible() const override {
        const auto s = machine_->read();
        for (const auto& w : s.windows)
            if (w.id == local_.id) return w.visible;
        return false;  // dropped from the machine (a display reset): not on screen
    }

private:
    // The machine's record, or this window's own view of itself once the record was dropped.
    SimWindow stored() const {
        const auto s = machine_->read();
        for (const auto& w : s.windows)
            if (w.id == local_.id) return w;
        SimWindow w = local_;
        w.visible = false;
        return w;
    }

    template <class F>
    void change(F&& f, bool toFront = false) {
        machine_->update([&](SimState& s) {
            auto it = std::find_if(s.windows.begin(), s.windows.end(), [&](const SimWindow& w) { return w.id == local_.id; });
            if (it == s.windows.end()) {
                // The record was dropped; a change brings the window back as this process sees it.
                local_.visible = false;
                s.windows.push_back(local_);
                it = std::prev(s.windows.end());
            }
            f(*it);
            if (toFront) it->order = s.nextWindowOrder++;
            local_ = *it;
        });
    }

    std::shared_ptr<SimMachine> machine_;
    SimWindow local_;
};

class SimOverlayWindows final : public OverlayWindows {
public:
    explicit SimOverlayWindows(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}

    std::unique_ptr<OverlayWindow> create(const Rect& frame, const OverlayStyle& style) override {
        static std::atomic<std::uint64_t> counter{1};
        const std::int32_t pid = ::getpid();
        SimWindow w;
        w.id = std::to_string(pid) + "-" + std::to_string(counter.fetch_add(1));
        w.pid = pid;
        w.pidStart = SimMachine::processStartTime(pid);
        w.frame = frame;
        w.level = style.level;
        w.opaque = style.opaque;
        w.sharing = style.sharingType;
        const bool made = machine_->update([&](SimState& s) {
            // Windows of processes that are gone are dropped here, so the file stays small.
            std::erase_if(s.windows, [](const SimWindow& old) { return !SimMachine::ownerAlive(old); });
            if (SimMachine::takeFailure(s, "overlay.create") || !s.compositing) return false;
            s.windows.push_back(w);
            return true;
        });
        if (!made) return nullptr;
        return std::make_unique<SimOverlayWindow>(machine_, w);
    }

    int maximumWindowLevel() override { return 2147483631; }

private:
    std::shared_ptr<SimMachine> machine_;
};

}  // namespace

// --- the platform ----------------------------------------------------------------------

SimPlatform::SimPlatform(Runtime runtime, std::filesystem::path directory)
    : Platform(std::move(runtime), directory / "defaults"),
      machine_(std::make_shared<SimMachine>(directory)),
      journal_(std::make_shared<SimJournal>()) {
    machine_->read();  // lays the machine out on first use
    simDisplays_ = std::make_shared<SimDisplays>(machine_, runtime_.scheduler);
    simKeyboard_ = std::make_shared<SimKeyboard>(machine_, journal_);
    simWorkspace_ = std::make_shared<SimWorkspace>(machine_, journal_, runtime_.scheduler, runtime_.clock);
    displays_ = simDisplays_;
    keyboard_ = simKeyboard_;
    workspace_ = simWorkspace_;
    gamma_ = std::make_shared<SimGammaTables>(machine_, journal_);
    overlays_ = std::make_shared<SimOverlayWindows>(machine_);
    i2c_ = std::make_shared<SimI2C>(machine_, journal_, runtime_.clock);
    dithering_ = std::make_shared<SimDithering>(machine_, journal_);
    preferences_ = std::make_shared<SimPreferences>(machine_, journal_);
    notifications_ = linuxsys::sessionOrInProcessNotifications(runtime_.scheduler);
    screenshots_ = std::make_shared<SimScreenshots>(machine_, journal_);
    systemInfo_ = std::make_shared<SimSystemInfo>(machine_);
    location_ = std::make_shared<SimLocationProvider>(machine_, runtime_.scheduler);
    loginItems_ = std::make_shared<SimLoginItems>(machine_, journal_);

    const auto machine = machine_;
    const SymbolTable::Filter present = [machine](std::string_view name) {
        return machine->inspect([&](const SimState& s) { return s.missingSymbols.count(std::string(name)) == 0; });
    };
    const auto framework = [machine](std::string_view path, std::shared_ptr<FrameworkImage> image) {
        return FrameworkRegistry::Loader([machine, p = std::string(path), image]() -> std::shared_ptr<FrameworkImage> {
            if (machine->inspect([&](const SimState& s) { return s.missingFrameworks.count(p) > 0; })) return nullptr;
            return image;
        });
    };

    auto adjustments = std::make_shared<SimColorAdjustments>(machine_);
    auto skyLight = makeAccessibilityImage(adjustments, present);
    skyLight->add(symbolName::setAccessibilityAdjustments,
                  symbol::SetAccessibilityAdjustments([adjustments, journal = journal_](const Dictionary& d) {
                      journal->add(symbolName::setAccessibilityAdjustments, d);
                      return applyAdjustmentDictionary(*adjustments, d);
                  }));
    frameworks_.add(std::string(frameworkPath::skyLight), framework(frameworkPath::skyLight, skyLight));
    frameworks_.add(std::string(frameworkPath::displayServices),
                    framework(frameworkPath::displayServices,
                              makeBrightnessImage(std::make_shared<SimBacklight>(machine_, journal_), present)));
    frameworks_.add(std::string(frameworkPath::coreBrightness),
                    framework(frameworkPath::coreBrightness,
                              makeNightShiftImage(
                                  [machine, journal = journal_] {
                                      return std::make_shared<SimNightShiftClient>(machine, journal);
                                  },
                                  present)));
    frameworks_.add(std::string(frameworkPath::ioKit), framework(frameworkPath::ioKit, makeI2CImage(i2c_, present)));
}

SimPlatform::~SimPlatform() = default;

void SimPlatform::update(const std::function<void(SimState&)>& change) {
    machine_->update([&](SimState& s) { change(s); });
    simDisplays_->checkLayout();
}

std::uint32_t SimPlatform::addDisplay(SimDisplay display) {
    std::uint32_t id = 0;
    update([&](SimState& s) {
        if (display.id == 0 || s.display(display.id)) display.id = s.nextDisplayId;
        s.nextDisplayId = std::max(s.nextDisplayId, display.id + 1);
        id = display.id;
        s.displays.push_back(display);
    });
    return id;
}

bool SimPlatform::removeDisplay(std::uint32_t id) {
    bool removed = false;
    update([&](SimState& s) { removed = std::erase_if(s.displays, [&](const SimDisplay& d) { return d.id == id; }) > 0; });
    return removed;
}

bool SimPlatform::changeDisplay(std::uint32_t id, const std::function<void(SimDisplay&)>& change) {
    bool found = false;
    update([&](SimState& s) {
        if (auto* d = s.display(id)) {
            change(*d);
            d->id = id;
            found = true;
        }
    });
    return found;
}

void SimPlatform::setColorFilterEnabled(bool enabled) {
    update([&](SimState& s) {
        s.preferences["com.apple.mediaaccessibility"]["__Color__-MADisplayFilterCategoryEnabled"] = enabled;
    });
}

void SimPlatform::fail(const std::string& facility, std::int32_t status, std::int64_t count) {
    update([&](SimState& s) { s.failures[facility] = {status, count == 0 ? 1 : count}; });
}

void SimPlatform::clearFailure(const std::string& facility) {
    update([&](SimState& s) { s.failures.erase(facility); });
}

void SimPlatform::setFrameworkMissing(std::string_view path, bool missing) {
    update([&](SimState& s) {
        if (missing) s.missingFrameworks.insert(std::string(path));
        else s.missingFrameworks.erase(std::string(path));
    });
}

void SimPlatform::setSymbolMissing(const std::string& name, bool missing) {
    update([&](SimState& s) {
        if (missing) s.missingSymbols.insert(name);
        else s.missingSymbols.erase(name);
    });
}

void SimPlatform::resetDisplays() {
    update([](SimState& s) {
        for (auto& d : s.displays) {
            d.gamma.reset();
            d.matrix.reset();
        }
        s.windows.clear();
    });
}

std::optional<Image> SimPlatform::scanOut(std::uint32_t display, std::optional<double> scale) const {
    const SimState s = state();
    const auto* d = s.display(display);
    if (!d || s.displays.empty()) return std::nullopt;
    const double mainTop = s.displays.front().frame.maxY();
    const Rect area{d->frame.x, mainTop - d->frame.maxY(), d->frame.width, d->frame.height};
    return renderImage(s, area, scale.value_or(d->scale), true);
}

bool SimPlatform::injectSystemDefinedEvent(const SystemDefinedEvent& event) {
    const bool passed = simKeyboard_->inject(event);
    journal_->add("systemDefinedEvent", Dictionary{{"type", static_cast<std::int64_t>(event.type)},
                                                   {"subtype", event.subtype},
                                                   {"data1", event.data1},
                                                   {"passed", passed}});
    return passed;
}

void SimPlatform::disableEventTaps(std::uint32_t reason) { simKeyboard_->disableTaps(reason); }

bool SimPlatform::pressHotKey(std::uint32_t keyCode, std::uint32_t modifiers, bool released) {
    return simKeyboard_->press(keyCode, modifiers, released);
}

void SimPlatform::postWorkspaceEvent(WorkspaceEvent event) { simWorkspace_->post(event); }

}  // namespace orvane::platform::sim
