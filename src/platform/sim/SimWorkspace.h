#pragma once
// The simulated machine's workspace: the front application, window list, pointer, idle
// time, screen lock and power assertions come from its state; notifications are whatever the tests post, delivered
// on the scheduler.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "platform/Clock.h"
#include "platform/Workspace.h"
#include "platform/sim/SimMachine.h"

namespace orvane::platform::sim {

class SimJournal;

class SimWorkspace final : public Workspace {
public:
    SimWorkspace(std::shared_ptr<SimMachine> machine, std::shared_ptr<SimJournal> journal,
                 std::shared_ptr<Scheduler> scheduler, std::shared_ptr<Clock> clock)
        : machine_(std::move(machine)),
          journal_(std::move(journal)),
          scheduler_(std::move(scheduler)),
          clock_(std::move(clock)) {}

    std::optional<RunningApplication> frontmostApplication() override;
    bool canTellFrontmostApplication() override;
    std::optional<std::vector<WindowInfo>> windowList(std::uint32_t options) override;
    std::set<std::string> authenticationPromptOwners() override;
    Point mouseLocation() override;
    TimeInterval secondsSinceLastInput() override;
    std::optional<bool> screenLocked() override;
    std::optional<AssertionsByProcess> assertionsByProcess() override;
    bool openURL(const std::string& url) override;
    Handle observe(WorkspaceEvent event, std::function<void()> callback) override;

    void post(WorkspaceEvent event);

private:
    using Table = std::map<std::uint64_t, std::pair<WorkspaceEvent, std::shared_ptr<std::function<void()>>>>;
    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimJournal> journal_;
    std::shared_ptr<Scheduler> scheduler_;
    std::shared_ptr<Clock> clock_;
    std::shared_ptr<Table> observers_ = std::make_shared<Table>();
    std::uint64_t next_ = 1;
};

}  // namespace orvane::platform::sim
