#pragma once
// The simulated machine's displays. The arrangement may also change in another process
// (a test, a tool), so observers are told about changes seen in the state file too.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/Displays.h"
#include "platform/Scheduler.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimDisplays final : public Displays {
public:
    SimDisplays(std::shared_ptr<SimMachine> machine, std::shared_ptr<Scheduler> scheduler);
    ~SimDisplays() override;

    std::vector<Screen> screens() override;
    std::vector<std::uint32_t> onlineDisplays(std::uint32_t maxDisplays) override;
    std::optional<std::uint32_t> mainDisplay() override;
    std::optional<std::string> uuid(std::uint32_t id) override;
    std::uint32_t vendorNumber(std::uint32_t id) override;
    std::uint32_t modelNumber(std::uint32_t id) override;
    std::uint32_t serialNumber(std::uint32_t id) override;
    bool isBuiltin(std::uint32_t id) override;
    bool isAsleep(std::uint32_t id) override;

    Handle observeReconfiguration(std::function<void()> changed) override;

    // Compares the arrangement with the last one seen and tells the observers on a change.
    void checkLayout();

private:
    struct Observers {
        std::mutex mutex;
        std::uint64_t next = 1;
        std::map<std::uint64_t, std::shared_ptr<std::function<void()>>> list;
    };

    template <class F>
    auto field(std::uint32_t id, F get) -> decltype(get(std::declval<const SimDisplay&>())) {
        const auto s = machine_->read();
        if (const auto* d = s.display(id)) return get(*d);
        return {};
    }

    static Json layoutOf(const SimState& s);
    void startWatching();

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<Scheduler> scheduler_;
    std::shared_ptr<Observers> observers_ = std::make_shared<Observers>();
    Json layout_;
    int inotify_ = -1;
    Handle watch_;
};

}  // namespace orvane::platform::sim
