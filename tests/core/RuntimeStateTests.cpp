#include <gtest/gtest.h>

#include "core/RuntimeState.h"

namespace orvane {
namespace {

Date at(const char* iso) { return *parseIso8601(iso); }

TEST(RuntimeState, ClearExpiredDropsAHoldAtItsMoment) {
    RuntimeState s;
    s.pausedUntil = at("2026-03-01T06:30:00Z");
    s.pausedState = TintState(3400, 0.8, RedStyle::readable, false);
    RuntimeState later = s;
    later.clearExpired(at("2026-03-01T06:29:59Z"));
    EXPECT_EQ(later, s);
    s.clearExpired(at("2026-03-01T06:30:00Z"));
    EXPECT_EQ(s, RuntimeState());
}

TEST(RuntimeState, ClearExpiredLeavesWindDownAndItsSavedValues) {
    RuntimeState s;
    s.cozyActive = true;
    s.cozyPreviousManual = TintState(3400, 1.0, RedStyle::readable, false);
    s.cozyPreviousPausedUntil = at("2026-03-01T00:00:00Z");
    s.disabledUntil = at("2026-03-01T06:00:00Z");
    RuntimeState expected = s;
    expected.disabledUntil.reset();
    s.clearExpired(at("2026-03-01T06:00:00Z"));
    EXPECT_EQ(s, expected);
}

TEST(RuntimeState, AHeldStateWithoutAnEndIsLeftAlone) {
    RuntimeState s;
    s.pausedState = TintState(2000, 1.0, RedStyle::pure, false);
    const RuntimeState before = s;
    s.clearExpired(at("2030-01-01T00:00:00Z"));
    EXPECT_EQ(s, before);
}

TEST(RuntimeState, DefaultEncodesToWindDownOffAlone) {
    EXPECT_EQ(json::encodeCompact(RuntimeState().toJson()), R"({"cozyActive":false})");
}

TEST(RuntimeState, AHoldEncodesToThreeKeys) {
    RuntimeState s;
    s.pausedUntil = at("2026-03-01T06:30:00Z");
    s.pausedState = TintState(3400, 0.8, RedStyle::readable, false);
    EXPECT_EQ(s.toJson(), Json::parse(R"({"cozyActive":false,
        "pausedState":{"kelvin":3400,"dim":0.8,"redStyle":"readable","darkroom":false},
        "pausedUntil":"2026-03-01T06:30:00Z"})"));
}

TEST(RuntimeState, Decoding) {
    RuntimeState windDown;
    windDown.cozyActive = true;
    EXPECT_EQ(RuntimeState::fromJson(Json::parse(R"({"cozyActive":true})")), windDown);
    // Unknown keys are ignored; null reads as absent.
    EXPECT_EQ(RuntimeState::fromJson(Json::parse(R"({"cozyActive":true,"pausedUntil":null,"later":1})")), windDown);
    for (const char* bad : {
             R"({})",
             R"({"cozyActive":0})",
             R"({"cozyActive":false,"pausedUntil":"tomorrow"})",
             R"({"cozyActive":false,"pausedUntil":1772346600})",
             R"({"cozyActive":false,"pausedState":{"kelvin":3400.5,"dim":1,"redStyle":"pure","darkroom":false}})",
             R"({"cozyActive":false,"cozyPreviousPause":{"kelvin":3400,"dim":1,"redStyle":"red","darkroom":false}})",
             R"([])",
         })
        EXPECT_THROW(RuntimeState::fromJson(Json::parse(bad)), JsonError) << bad;
}

TEST(RuntimeState, RoundTripsEveryField) {
    RuntimeState s;
    s.pausedUntil = at("2026-03-01T06:30:00Z");
    s.pausedState = TintState(3400, 0.8, RedStyle::pure, true);
    s.disabledUntil = at("4001-01-01T00:00:00Z");
    s.cozyActive = true;
    s.cozyPreviousManual = TintState(6500, 1.0, RedStyle::readable, false);
    s.cozyPreviousPause = TintState(1900, 0.9, RedStyle::readable, false);
    s.cozyPreviousPausedUntil = at("2026-02-28T22:00:00Z");
    EXPECT_EQ(RuntimeState::fromJson(json::parse(json::encodePretty(s.toJson()))), s);
}

}  // namespace
}  // namespace orvane
