// The one-shot precise location request over a scripted location service, and the
// simulated machine's service.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "ModelFixture.h"
#include "app/PreciseLocation.h"
#include "platform/sim/SimLocationProvider.h"

namespace orvane {
namespace {

using platform::LocationAuthorization;
using platform::LocationCoordinate;

using ScriptedProvider = testing::ScriptedLocationProvider;

class PreciseLocationTest : public ::testing::Test {
protected:
    PreciseLocation::Completion record() {
        return [this](const PreciseLocationResult& r) {
            results.push_back(r);
            threads.push_back(std::this_thread::get_id());
        };
    }

    std::shared_ptr<platform::FakeScheduler> scheduler = std::make_shared<platform::FakeScheduler>();
    std::shared_ptr<ScriptedProvider> provider = std::make_shared<ScriptedProvider>();
    PreciseLocation location{provider, scheduler};
    std::vector<PreciseLocationResult> results;
    std::vector<std::thread::id> threads;
};

TEST_F(PreciseLocationTest, UndeterminedAuthorisationIsAskedForAndTheGrantRequestsAgain) {
    location.request(record());
    EXPECT_EQ(provider->authorizationRequests, 1);
    EXPECT_EQ(provider->locationRequests, 1) << "requested at once, whatever the status";

    provider->changeAuthorization(LocationAuthorization::authorizedWhenInUse);
    EXPECT_EQ(provider->locationRequests, 1) << "the authorisation answer is handled on the main thread";
    scheduler->runPending();
    EXPECT_EQ(provider->locationRequests, 2);

    provider->locate({{52.52, 13.40}});
    EXPECT_TRUE(results.empty());
    scheduler->runPending();
    ASSERT_EQ(results.size(), 1u);
    ASSERT_TRUE(results[0].coordinate());
    EXPECT_EQ(std::get<LocationCoordinate>(results[0].value), (LocationCoordinate{52.52, 13.40}));
    EXPECT_EQ(threads[0], std::this_thread::get_id());

    // A second update after the answer is dropped.
    provider->locate({{48.0, 11.0}});
    scheduler->runPending();
    EXPECT_EQ(results.size(), 1u);
    EXPECT_FALSE(location.isWaiting());
}

TEST_F(PreciseLocationTest, AuthorisedRequestsAskNothingAndRefusalsDoNotRequestAgain) {
    provider->status = LocationAuthorization::authorizedAlways;
    location.request(record());
    EXPECT_EQ(provider->authorizationRequests, 0);
    for (const auto status :
         {LocationAuthorization::denied, LocationAuthorization::restricted, LocationAuthorization::notDetermined}) {
        provider->changeAuthorization(status);
        scheduler->runPending();
    }
    EXPECT_EQ(provider->locationRequests, 1);
}

TEST_F(PreciseLocationTest, AGrantWithNothingWaitingRequestsNothing) {
    provider->changeAuthorization(LocationAuthorization::authorizedWhenInUse);
    scheduler->runPending();
    EXPECT_EQ(provider->locationRequests, 0);
}

TEST_F(PreciseLocationTest, FailureCarriesTheServiceTextUnderTheAppDomain) {
    location.request(record());
    provider->fail("The operation couldn't be completed. Access denied.");
    scheduler->runPending();
    ASSERT_EQ(results.size(), 1u);
    ASSERT_TRUE(results[0].error());
    EXPECT_EQ(std::get<PreciseLocationError>(results[0].value),
              (PreciseLocationError{"app.orvane", 1, "The operation couldn't be completed. Access denied."}));
}

TEST_F(PreciseLocationTest, OnlyTheLastOfTwoRequestsIsAnswered) {
    int first = 0;
    location.request([&](const PreciseLocationResult&) { ++first; });
    location.request(record());
    provider->locate({{1, 2}});
    scheduler->runPending();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(PreciseLocationTest, SeveralLocationsAnswerWithTheLastAndAnEmptyUpdateIsIgnored) {
    location.request(record());
    provider->locate({});
    scheduler->runPending();
    EXPECT_TRUE(results.empty());
    provider->locate({{10, 20}, {30, 40}, {50, 60}});
    scheduler->runPending();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(std::get<LocationCoordinate>(results[0].value), (LocationCoordinate{50, 60}));
}

TEST_F(PreciseLocationTest, AnAnswerAfterTheRequesterIsGoneIsDropped) {
    int calls = 0;
    {
        PreciseLocation shortLived(provider, scheduler);
        shortLived.request([&](const PreciseLocationResult&) { ++calls; });
        provider->locate({{1, 2}});
    }
    scheduler->runPending();
    EXPECT_EQ(calls, 0);
}

// The simulated machine's location service answers what the state file scripts.
class SimLocationTest : public testing::SimTest {
protected:
    std::optional<PreciseLocationResult> ask() {
        std::optional<PreciseLocationResult> answer;
        PreciseLocation location(sim->locationProviderShared(), scheduler);
        location.request([&](const PreciseLocationResult& r) { answer = r; });
        scheduler->runPending();
        return answer;
    }
};

TEST_F(SimLocationTest, ScriptedFixErrorAndNothing) {
    platform::sim::SimLocationProvider::script(sim->machine(), {{"latitude", 52.52}, {"longitude", 13.405}});
    auto answer = ask();
    ASSERT_TRUE(answer && answer->coordinate());
    EXPECT_EQ(std::get<LocationCoordinate>(answer->value), (LocationCoordinate{52.52, 13.405}));

    platform::sim::SimLocationProvider::script(sim->machine(), {{"error", "Location services are off."}});
    answer = ask();
    ASSERT_TRUE(answer && answer->error());
    EXPECT_EQ(std::get<PreciseLocationError>(answer->value).localizedDescription, "Location services are off.");

    platform::sim::SimLocationProvider::script(sim->machine(), nullptr);
    answer = ask();
    ASSERT_TRUE(answer && answer->error());
    EXPECT_EQ(std::get<PreciseLocationError>(answer->value).localizedDescription,
              platform::sim::SimLocationProvider::unknownLocation);
}

TEST_F(SimLocationTest, BadScriptsAreUnknownLocations) {
    for (const Json& bad : {Json{{"latitude", 95.0}, {"longitude", 0.0}},
                            Json{{"latitude", "north"}, {"longitude", 0.0}}, Json{{"latitude", 10.0}}, Json::array()}) {
        platform::sim::SimLocationProvider::script(sim->machine(), bad);
        const auto answer = ask();
        ASSERT_TRUE(answer && answer->error()) << bad.dump();
        EXPECT_EQ(std::get<PreciseLocationError>(answer->value).localizedDescription,
                  platform::sim::SimLocationProvider::unknownLocation);
    }
}

TEST_F(SimLocationTest, TheScriptLeavesTheMachineReadable) {
    auto expected = sim->state();
    platform::sim::SimLocationProvider::script(sim->machine(), {{"latitude", 1.0}, {"longitude", 2.0}});
    expected.location = Json{{"latitude", 1.0}, {"longitude", 2.0}};
    platform::sim::SimMachine other(directory);
    EXPECT_EQ(other.read(), expected);
    EXPECT_FALSE(std::filesystem::exists(directory / "machine.json.unreadable"));
}

TEST_F(SimLocationTest, TheScriptOutlivesOtherWritesToTheMachine) {
    platform::sim::SimLocationProvider::script(sim->machine(), {{"latitude", 48.85}, {"longitude", 2.35}});
    sim->machine().update([](platform::sim::SimState& state) { state.idleSeconds += 1; });
    const auto answer = ask();
    ASSERT_TRUE(answer && answer->coordinate());
    EXPECT_EQ(std::get<LocationCoordinate>(answer->value), (LocationCoordinate{48.85, 2.35}));
}

}  // namespace
}  // namespace orvane
