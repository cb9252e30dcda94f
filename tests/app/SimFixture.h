#pragma once
// A simulated machine of its own for each test, driven by a fake clock and scheduler.
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/FakeScheduler.h"
#include "platform/sim/SimPlatform.h"

namespace orvane::testing {

inline std::filesystem::path freshTestDirectory(const std::string& area) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    const auto dir = std::filesystem::temp_directory_path() / ("orvane-" + area) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

struct SimMachineFixture {
    explicit SimMachineFixture(Date start = Date(1767225600.0))
        : clock(std::make_shared<platform::FakeClock>(start)),
          scheduler(std::make_shared<platform::FakeScheduler>(clock)),
          directory(freshTestDirectory("sim")),
          platform(std::make_shared<platform::sim::SimPlatform>(platform::Runtime{clock, scheduler}, directory)) {}

    std::shared_ptr<platform::FakeClock> clock;
    std::shared_ptr<platform::FakeScheduler> scheduler;
    std::filesystem::path directory;
    std::shared_ptr<platform::sim::SimPlatform> platform;
};

}  // namespace orvane::testing
