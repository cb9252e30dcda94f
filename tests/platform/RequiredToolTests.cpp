// A test that needs Xvfb runs in a copy of this program whose PATH holds none: outside CI
// it skips with its reason, in CI it fails, so a broken install cannot pass unnoticed.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <sys/wait.h>

#include "SimFixture.h"

namespace {

struct Outcome {
    int status = -1;
    std::string output;
};

Outcome runWithoutXvfb(bool ci) {
    const auto self = std::filesystem::read_symlink("/proc/self/exe");
    const auto empty = orvane::testing::freshDirectory("no-tools");
    // Sharding variables of the suite's run would hand the one test to another shard.
    const std::string command = std::string("/usr/bin/env -u GTEST_TOTAL_SHARDS -u GTEST_SHARD_INDEX -u CI ") +
                                (ci ? "CI=true " : "") + "PATH=" + empty.string() + " " + self.string() +
                                " --gtest_filter=X11ProbeTest.CompositingManagerIsTheOwnerOfTheScreensSelection 2>&1";
    Outcome run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(RequiredTool, AMissingXvfbSkipsOutsideCIAndFailsInIt) {
    const Outcome outside = runWithoutXvfb(false);
    EXPECT_EQ(outside.status, 0) << outside.output;
    EXPECT_NE(outside.output.find("[  SKIPPED ] X11ProbeTest.CompositingManager"), std::string::npos) << outside.output;
    EXPECT_NE(outside.output.find("no Xvfb binary on PATH"), std::string::npos) << outside.output;

    const Outcome inCI = runWithoutXvfb(true);
    EXPECT_EQ(inCI.status, 1) << inCI.output;
    EXPECT_NE(inCI.output.find("[  FAILED  ] X11ProbeTest.CompositingManager"), std::string::npos) << inCI.output;
    EXPECT_NE(inCI.output.find("no Xvfb binary on PATH (CI must have it)"), std::string::npos) << inCI.output;
}

}  // namespace
