#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "glowkeeper/WatchdogProcess.h"

namespace glowkeeper_test {
namespace {

using GlowkeeperCommandLine = WatchdogTest;

TEST_F(GlowkeeperCommandLine, RejectsAnythingButOneStrictPidAboveOne) {
    const std::vector<std::vector<std::string>> rejected = {
        {},
        {"123", "456"},
        {""},
        {" 123"},
        {"123 "},
        {"12a"},
        {"+"},
        {"-"},
        {"+-5"},
        {"0x10"},
        {"0"},
        {"1"},
        {"-5"},
        {"2147483648"},
        {"-2147483649"},
        {"99999999999999999999"},
        {"\xd9\xa3"},  // a non-ASCII digit
    };
    for (const auto& arguments : rejected) {
        SCOPED_TRACE(arguments.empty() ? "(no argument)" : "\"" + arguments[0] + "\"");
        Watchdog watchdog(arguments);
        const auto finished = watchdog.finish();
        EXPECT_TRUE(exitedWith(finished, 2));
        EXPECT_EQ(finished.output, "usage: Glowkeeper <pid>\n");
    }
}

TEST_F(GlowkeeperCommandLine, AcceptsASignAndTheLargestPid) {
    // No pid this large can exist, so the watchdog resets at once.
    Watchdog largest({"2147483647"});
    auto finished = largest.finish();
    EXPECT_TRUE(exitedWith(finished, 0));
    EXPECT_EQ(finished.output, resultLine(2147483647, 0));

    Watchdog signedPid({"+123"});
    if (::kill(123, 0) == -1 && errno == ESRCH) {
        finished = signedPid.finish();
        EXPECT_TRUE(exitedWith(finished, 0));
        EXPECT_EQ(finished.output, resultLine(123, 0));
    } else {
        // pid 123 is alive here: accepted means waiting for it rather than printing usage.
        ASSERT_TRUE(signedPid.waitUntilIgnoringHangupAndInterrupt());
        EXPECT_TRUE(signedPid.running());
    }
}

TEST_F(GlowkeeperCommandLine, ResetsAtOnceForAPidWithNoProcess) {
    const pid_t gone = deadPid();
    Watchdog watchdog({std::to_string(gone)});
    const auto finished = watchdog.finish(10s);
    EXPECT_TRUE(exitedWith(finished, 0));
    EXPECT_EQ(finished.output, resultLine(gone, 0));
}

}  // namespace
}  // namespace glowkeeper_test
