#pragma once
// One Orvane per session. The first start owns the D-Bus name "app.orvane.Orvane" on the
// session bus, or, where no bus runs, an exclusive lock on "orvane.lock" in
// $XDG_RUNTIME_DIR. A later start hands its arguments (the program path left out) to the
// owner and ends: over the bus by calling HandOver on /app/orvane/Orvane, without a bus
// through the socket "orvane.sock" beside the lock.
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Log.h"
#include "platform/Scheduler.h"
#include "platform/SessionBusName.h"

namespace orvane {

class SingleInstance {
public:
    static constexpr const char* busName = "app.orvane.Orvane";
    static constexpr const char* objectPath = "/app/orvane/Orvane";
    static constexpr const char* interfaceName = "app.orvane.Orvane";

    enum class Outcome {
        primary,     // this process is the one instance
        handedOver,  // another instance runs and has the arguments
        failed,      // another instance runs but could not be reached
    };
    struct Claim {
        Outcome outcome = Outcome::failed;
        std::unique_ptr<SingleInstance> instance;  // for primary
        std::string error;                         // for failed
    };

    // `arguments` without the program path.
    static Claim claim(const std::vector<std::string>& arguments);
    // The directory of the lock and the socket: $XDG_RUNTIME_DIR, else a private
    // directory under the temporary directory.
    static std::filesystem::path runtimeDirectory();
    // The instance that runs now, named for the user ("Orvane is already running (process
    // 1234)"), asked without claiming or handing anything over; absent when none runs.
    static std::optional<std::string> running();

    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // "bus" or "lock".
    const char* mechanism() const;

    // From now on every hand-over of a later start calls `received` on the main thread.
    void listen(std::shared_ptr<platform::Scheduler> scheduler,
                std::function<void(const std::vector<std::string>&)> received);

    // Serves the actions object beside the instance's name, on its connection; false
    // without a session bus (the lock mechanism has none to offer).
    bool serveIntents(std::shared_ptr<platform::IntentsPort> port);

    struct Lock;

private:
    SingleInstance() = default;
    void deliver(std::vector<std::string> arguments);

    std::unique_ptr<platform::SessionBusName> bus_;
    std::unique_ptr<Lock> lock_;
    std::shared_ptr<platform::Scheduler> scheduler_;
    std::function<void(const std::vector<std::string>&)> received_;
    platform::Log log_{"app"};
};

}  // namespace orvane
