// One instance per session: a second start hands its arguments to the first, over a
// private session bus or, without one, through the lock file's socket.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "../SessionBus.h"
#include "../SimFixture.h"
#include "app/SingleInstance.h"

namespace orvane {
namespace {

using namespace std::chrono_literals;
using Outcome = SingleInstance::Outcome;
using Arguments = std::vector<std::string>;

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        scheduler = std::make_shared<platform::FakeScheduler>();
        runtime = testing::freshDirectory("instance");
        previousRuntime = std::getenv("XDG_RUNTIME_DIR");
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    void TearDown() override {
        ::setenv("XDG_RUNTIME_DIR", previousRuntime.c_str(), 1);
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    // A later start, on its own thread, while this one runs its loop.
    SingleInstance::Claim secondStart(const Arguments& arguments) {
        auto later = std::async(std::launch::async, [arguments] { return SingleInstance::claim(arguments); });
        while (later.wait_for(5ms) != std::future_status::ready) scheduler->runPending();
        scheduler->runPending();
        return later.get();
    }

    std::shared_ptr<platform::FakeScheduler> scheduler;
    std::filesystem::path runtime;
    std::string previousRuntime;
};

TEST_F(SingleInstanceTest, WithoutABusTheLockHoldsAndArgumentsArriveThroughTheSocket) {
    auto first = SingleInstance::claim({});
    ASSERT_EQ(first.outcome, Outcome::primary);
    EXPECT_STREQ(first.instance->mechanism(), "lock");
    std::vector<Arguments> received;
    first.instance->listen(scheduler, [&](const Arguments& a) { received.push_back(a); });

    const auto second = secondStart({"orvane://set?kelvin=2700", "", "--x y"});
    EXPECT_EQ(second.outcome, Outcome::handedOver) << second.error;
    const auto third = secondStart({});
    EXPECT_EQ(third.outcome, Outcome::handedOver) << third.error;
    scheduler->runPending();
    EXPECT_EQ(received, (std::vector<Arguments>{{"orvane://set?kelvin=2700", "", "--x y"}, {}}));
}

TEST_F(SingleInstanceTest, TheNextStartAfterTheFirstEndsIsTheInstance) {
    {
        auto first = SingleInstance::claim({});
        ASSERT_EQ(first.outcome, Outcome::primary);
        first.instance->listen(scheduler, [](const Arguments&) {});
    }
    // A socket left by a killed run does not stand in the way either.
    std::ofstream(runtime / "orvane.sock") << "stale";
    auto next = SingleInstance::claim({});
    ASSERT_EQ(next.outcome, Outcome::primary);
    std::vector<Arguments> received;
    next.instance->listen(scheduler, [&](const Arguments& a) { received.push_back(a); });
    EXPECT_EQ(secondStart({"a"}).outcome, Outcome::handedOver);
    scheduler->runPending();
    EXPECT_EQ(received, (std::vector<Arguments>{{"a"}}));
}

TEST_F(SingleInstanceTest, AnInstanceThatCannotBeReachedIsAFailureNotAHandOver) {
    const int fd = ::open((runtime / "orvane.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);  // held by "someone" that does not listen
    const auto claim = SingleInstance::claim({"orvane://toggle"});
    EXPECT_EQ(claim.outcome, Outcome::failed);
    EXPECT_FALSE(claim.error.empty());
    ::close(fd);
}

TEST_F(SingleInstanceTest, OnTheSessionBusTheNameDecides) {
    testing::SessionBus bus(runtime);
    ORVANE_REQUIRE_TOOL(bus.error());
    ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);

    auto first = SingleInstance::claim({});
    ASSERT_EQ(first.outcome, Outcome::primary);
    EXPECT_STREQ(first.instance->mechanism(), "bus");
    std::vector<Arguments> received;
    first.instance->listen(scheduler, [&](const Arguments& a) { received.push_back(a); });

    const auto second = secondStart({"orvane://preset?name=Candle"});
    EXPECT_EQ(second.outcome, Outcome::handedOver) << second.error;
    EXPECT_EQ(secondStart({}).outcome, Outcome::handedOver);
    scheduler->runPending();
    EXPECT_EQ(received, (std::vector<Arguments>{{"orvane://preset?name=Candle"}, {}}));
    EXPECT_FALSE(std::filesystem::exists(runtime / "orvane.lock")) << "no lock file while a bus runs";

    first.instance.reset();
    EXPECT_EQ(SingleInstance::claim({}).outcome, Outcome::primary) << "the name is free again";
}

}  // namespace
}  // namespace orvane
