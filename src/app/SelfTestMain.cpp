#include "app/SelfTestMain.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/TintEngine.h"

namespace orvane {

namespace {

// Plain write of the whole file; the error text otherwise.
std::optional<std::string> writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return std::string(std::strerror(errno));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) return std::string(std::strerror(errno ? errno : EIO));
    return std::nullopt;
}

}  // namespace

SelfTestMain::Options SelfTestMain::options(const std::vector<std::string>& arguments) {
    Options options;
    options.dryRun = std::find(arguments.begin(), arguments.end(), "--dry-run") != arguments.end();
    const auto json = std::find(arguments.begin(), arguments.end(), "--json");
    if (json != arguments.end() && std::next(json) != arguments.end()) options.jsonPath = *std::next(json);
    return options;
}

int SelfTestMain::conclude(const SelfTest::Report& report, const Options& options) {
    std::fputs((SelfTest::render(report) + "\n").c_str(), stdout);
    if (options.jsonPath) {
        std::optional<std::string> error;
        try {
            error = writeFile(*options.jsonPath, SelfTest::json(report));
        } catch (const std::exception& e) {
            error = e.what();
        }
        if (error) std::fputs(("could not write " + *options.jsonPath + ": " + *error + "\n").c_str(), stdout);
    }
    std::fflush(stdout);
    return report.passed ? 0 : 1;
}

int SelfTestMain::run(const std::vector<std::string>& arguments, std::shared_ptr<platform::Platform> platform,
                      const Loop& loop, SelfTest::Options testOptions) {
    const Options chosen = options(arguments);
    auto engine = std::make_shared<TintEngine>(platform);
    auto test = std::make_shared<SelfTest>(engine, std::move(testOptions));

    const auto finished = std::make_shared<std::optional<int>>();
    const auto end = [engine, test, chosen, finished, loop](const SelfTest::Report& report) {
        *finished = conclude(report, chosen);
        engine->detachAll();
        loop.exit(**finished);
    };
    // Started from the loop, so that even a test that never waits ends a running loop.
    const auto& scheduler = platform->scheduler();
    if (scheduler) {
        scheduler->post([test, end, dryRun = chosen.dryRun] { startTask(test->run(dryRun), end); });
    } else {
        startTask(test->run(chosen.dryRun), end);
        if (*finished) return **finished;
    }
    const int status = loop.run();
    return finished->value_or(status);
}

}  // namespace orvane
