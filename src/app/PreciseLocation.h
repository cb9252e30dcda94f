#pragma once
// One precise location fix on request, for the sun times at the user's real position.
// At most one request waits; a new one replaces it and the replaced completion is never
// called. Answers from the location service arrive on any thread and are handed to the
// completion on the main thread.
#include <functional>
#include <memory>
#include <string>
#include <variant>

#include "platform/LocationProvider.h"
#include "platform/Scheduler.h"

namespace orvane {

struct PreciseLocationError {
    static constexpr const char* errorDomain = "app.orvane";
    std::string domain = errorDomain;
    int code = 1;
    std::string localizedDescription;  // the location service's own text
    bool operator==(const PreciseLocationError&) const = default;
};

struct PreciseLocationResult {
    std::variant<platform::LocationCoordinate, PreciseLocationError> value;

    bool succeeded() const { return std::holds_alternative<platform::LocationCoordinate>(value); }
    const platform::LocationCoordinate* coordinate() const { return std::get_if<platform::LocationCoordinate>(&value); }
    const PreciseLocationError* error() const { return std::get_if<PreciseLocationError>(&value); }
};

class PreciseLocation {
public:
    using Completion = std::function<void(const PreciseLocationResult&)>;

    // Without a scheduler the completion runs on the thread the answer arrives on.
    PreciseLocation(std::shared_ptr<platform::LocationProvider> provider,
                    std::shared_ptr<platform::Scheduler> scheduler);
    PreciseLocation(const PreciseLocation&) = delete;
    PreciseLocation& operator=(const PreciseLocation&) = delete;

    void request(Completion completion);
    bool isWaiting() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace orvane
