#include "core/RuntimeState.h"

namespace orvane {

void RuntimeState::clearExpired(Date now) {
    if (pausedUntil && *pausedUntil <= now) {
        pausedUntil.reset();
        pausedState.reset();
    }
    if (disabledUntil && *disabledUntil <= now) disabledUntil.reset();
}

Json RuntimeState::toJson() const {
    Json object = Json::object();
    const auto state = [](const TintState& s) { return s.toJson(); };
    json::putOptional(object, "pausedUntil", pausedUntil, json::encodeDate);
    json::putOptional(object, "pausedState", pausedState, state);
    json::putOptional(object, "disabledUntil", disabledUntil, json::encodeDate);
    object["cozyActive"] = cozyActive;
    json::putOptional(object, "cozyPreviousManual", cozyPreviousManual, state);
    json::putOptional(object, "cozyPreviousPause", cozyPreviousPause, state);
    json::putOptional(object, "cozyPreviousPausedUntil", cozyPreviousPausedUntil, json::encodeDate);
    return object;
}

RuntimeState RuntimeState::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader reader(json, path);
    RuntimeState state;
    state.pausedUntil = reader.optDate("pausedUntil");
    state.pausedState = reader.opt("pausedState", TintState::fromJson);
    state.disabledUntil = reader.optDate("disabledUntil");
    state.cozyActive = reader.boolean("cozyActive");
    state.cozyPreviousManual = reader.opt("cozyPreviousManual", TintState::fromJson);
    state.cozyPreviousPause = reader.opt("cozyPreviousPause", TintState::fromJson);
    state.cozyPreviousPausedUntil = reader.optDate("cozyPreviousPausedUntil");
    return state;
}

}  // namespace orvane
