#pragma once
// A fresh simulated machine per test: its own directory under ORVANE_SIM_DIR, a fake clock
// and scheduler; whatever the test builds is handed this platform.
#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FakeScheduler.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/sim/SimPlatform.h"

namespace orvane::testing {

inline std::filesystem::path freshDirectory(const std::string& stem) {
    static std::atomic<int> counter{0};
    const char* base = std::getenv("ORVANE_SIM_DIR");
    auto dir = std::filesystem::path(base ? base : "/tmp") / (stem + "-" + std::to_string(counter.fetch_add(1)));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory = freshDirectory("machine");
        clock = std::make_shared<platform::FakeClock>();
        scheduler = std::make_shared<platform::FakeScheduler>(clock);
        sim = std::make_shared<platform::sim::SimPlatform>(platform::Runtime{clock, scheduler}, directory, sharing);
    }

    // No other process runs on a test's machine unless the test says so before SetUp.
    platform::sim::SimSharing sharing = platform::sim::SimSharing::thisProcess;
    std::filesystem::path directory;
    std::shared_ptr<platform::FakeClock> clock;
    std::shared_ptr<platform::FakeScheduler> scheduler;
    std::shared_ptr<platform::sim::SimPlatform> sim;
};

// Collects log records while alive; keeps them off standard error.
class LogCapture {
public:
    LogCapture() {
        platform::Log::setStandardErrorEnabled(false);
        id_ = platform::Log::addSink([this](const platform::LogRecord& r) {
            std::lock_guard lock(mutex_);
            records_.push_back(r);
        });
    }
    ~LogCapture() {
        platform::Log::removeSink(id_);
        platform::Log::setStandardErrorEnabled(true);
        platform::Log::setDebugEnabled(debugBefore_);
    }
    // Debug lines are captured too while this capture lasts.
    void withDebug() { platform::Log::setDebugEnabled(true); }
    std::vector<platform::LogRecord> records() const {
        std::lock_guard lock(mutex_);
        return records_;
    }
    std::vector<std::string> messages(const std::string& category) const {
        std::vector<std::string> out;
        for (const auto& r : records())
            if (r.category == category) out.push_back(r.message);
        return out;
    }

private:
    bool debugBefore_ = platform::Log::debugEnabled();
    std::size_t id_ = 0;
    mutable std::mutex mutex_;
    std::vector<platform::LogRecord> records_;
};

}  // namespace orvane::testing
