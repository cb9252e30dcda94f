#pragma once
// The session bus's share of the one-instance guard: the first start owns a well-known
// name and an object whose HandOver(as) method takes a later start's arguments; a later
// start calls that method instead. Where no session bus runs, the caller falls back to
// its own mechanism.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/IntentsPort.h"
#include "platform/Scheduler.h"

namespace orvane::platform {

class SessionBusName {
public:
    struct Names {
        const char* busName;
        const char* objectPath;
        const char* interfaceName;
    };
    enum class Outcome {
        owner,           // this process owns the name; see `owner`
        handedOver,      // another process owns it and took the arguments
        handOverFailed,  // another process owns it but did not answer; see `error`
        noBus,           // no session bus; see `error`
        notOwned,        // a bus, but the name could not be owned; see `error`
    };
    struct Claim {
        Outcome outcome = Outcome::noBus;
        std::unique_ptr<SessionBusName> owner;
        std::string error;
    };
    using Received = std::function<void(std::vector<std::string>)>;

    // `received` is called for every hand-over once listen() runs, from the bus's
    // processing on the scheduler's thread.
    static Claim claim(const Names& names, const std::vector<std::string>& arguments, Received received);

    // Who owns `busName` on the session bus now, asked without claiming it: absent without
    // a bus or an owner; the owner's process id, or 0 where the bus does not tell.
    static std::optional<std::uint32_t> ownerProcess(const char* busName);

    virtual ~SessionBusName() = default;
    // Serves hand-overs on `scheduler`'s loop; a lost connection is logged and ends it.
    virtual void listen(Scheduler& scheduler) = 0;
    // Exports the actions object (/app/orvane/Intents) on the same connection, answered
    // by `port` for as long as this owner lives; false when it cannot be exported.
    virtual bool serveIntents(std::shared_ptr<IntentsPort> port) = 0;
};

}  // namespace orvane::platform
