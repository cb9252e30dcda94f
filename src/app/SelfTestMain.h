#pragma once
// The command-line self-test: runs SelfTest on a fresh engine, prints the text report,
// writes the JSON report on request, releases the displays and gives the exit status
// (0 passed, 1 otherwise). Qt-free: the program hands in the platform it made (the
// toolkit's scheduler and overlay windows on the desktop) and its event loop.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/SelfTest.h"
#include "platform/Platform.h"

namespace orvane {

struct SelfTestMain {
    SelfTestMain() = delete;

    struct Options {
        bool dryRun = false;
        std::optional<std::string> jsonPath;  // the first "--json" with a path after it
        bool operator==(const Options&) const = default;
    };
    // `arguments` as the process got them, the program path first.
    static Options options(const std::vector<std::string>& arguments);

    // Prints the text report and writes the JSON one when a path was given (saying so on
    // standard output when it cannot); the exit status, which follows the verdict alone.
    static int conclude(const SelfTest::Report& report, const Options& options);

    // The event loop that keeps the process alive while the test waits: `run` returns the
    // status `exit` was given.
    struct Loop {
        std::function<int()> run;
        std::function<void(int)> exit;
    };

    // The whole command; the status to end the process with. The test starts from the
    // loop, once it runs.
    static int run(const std::vector<std::string>& arguments, std::shared_ptr<platform::Platform> platform,
                   const Loop& loop, SelfTest::Options testOptions = {});
};

}  // namespace orvane
