#include "platform/sim/SimDisplays.h"

#include <sys/inotify.h>
#include <unistd.h>

namespace orvane::platform::sim {

SimDisplays::SimDisplays(std::shared_ptr<SimMachine> machine, std::shared_ptr<Scheduler> scheduler)
    : machine_(std::move(machine)), scheduler_(std::move(scheduler)), layout_(layoutOf(machine_->read())) {}

SimDisplays::~SimDisplays() {
    watch_.cancel();
    if (inotify_ >= 0) ::close(inotify_);
}

std::vector<Screen> SimDisplays::screens() {
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

std::vector<std::uint32_t> SimDisplays::onlineDisplays(std::uint32_t maxDisplays) {
    std::vector<std::uint32_t> out;
    for (const auto& d : machine_->read().displays) {
        if (out.size() >= maxDisplays) break;
        out.push_back(d.id);
    }
    return out;
}

std::optional<std::uint32_t> SimDisplays::mainDisplay() {
    const auto s = machine_->read();
    if (s.displays.empty()) return std::nullopt;
    return s.displays.front().id;
}

std::optional<std::string> SimDisplays::uuid(std::uint32_t id) {
    return field(id, [](const SimDisplay& d) { return d.uuid; });
}
std::uint32_t SimDisplays::vendorNumber(std::uint32_t id) {
    return field(id, [](const SimDisplay& d) { return d.vendor; });
}
std::uint32_t SimDisplays::modelNumber(std::uint32_t id) {
    return field(id, [](const SimDisplay& d) { return d.model; });
}
std::uint32_t SimDisplays::serialNumber(std::uint32_t id) {
    return field(id, [](const SimDisplay& d) { return d.serial; });
}
bool SimDisplays::isBuiltin(std::uint32_t id) {
    return field(id, [](const SimDisplay& d) { return d.builtIn; });
}
bool SimDisplays::isAsleep(std::uint32_t id) {
    return field(id, [](const SimDisplay& d) { return d.asleep; });
}

Handle SimDisplays::observeReconfiguration(std::function<void()> changed) {
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

void SimDisplays::checkLayout() {
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

Json SimDisplays::layoutOf(const SimState& s) {
    Json out = Json::array();
    for (const auto& d : s.displays)
        out.push_back({d.id, d.uuid.value_or(""), d.vendor, d.model, d.serial, d.name, d.builtIn, d.frame.x, d.frame.y,
                       d.frame.width, d.frame.height, d.scale, d.hasDisplayNumber});
    return out;
}

// Another process (a test, a tool) may change the arrangement: watch the state file. A
// machine of this process alone changes only through checkLayout's callers.
void SimDisplays::startWatching() {
    if (inotify_ >= 0 || !scheduler_ || machine_->sharing() == SimSharing::thisProcess) return;
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ < 0) return;
    if (::inotify_add_watch(inotify_, machine_->directory().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
        ::close(inotify_);
        inotify_ = -1;
        return;
    }
    watch_ = scheduler_->watchFd(inotify_, FdEvent::readable, [this] {
        alignas(inotify_event) char buffer[4096];
        while (::read(inotify_, buffer, sizeof buffer) > 0) {}
        checkLayout();
    });
}

}  // namespace orvane::platform::sim
