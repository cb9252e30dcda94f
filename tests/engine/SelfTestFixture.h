#pragma once
// What the self-test tests share: an engine on the simulated machine, synthetic captures
// and a driver that runs a self-test task on the fake scheduler to its end.
#include <functional>
#include <memory>
#include <optional>

#include "EngineFixture.h"
#include "engine/SelfTest.h"
#include "engine/TintEngine.h"

namespace orvane::testing {

using Pixels = SelfTest::Pixels;

struct Rgb3 {
    double r = 0, g = 0, b = 0;
};

// A capture whose pixel (x, y), row 0 at the bottom, has the colour `at` gives it.
inline Pixels pixels(int width, int height, const std::function<Rgb3(int x, int y)>& at) {
    Pixels p;
    p.width = width;
    p.height = height;
    p.rgba.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb3 c = at(x, y);
            float* px =
                p.rgba.data() +
                (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
            px[0] = static_cast<float>(c.r);
            px[1] = static_cast<float>(c.g);
            px[2] = static_cast<float>(c.b);
            px[3] = 1;
        }
    return p;
}

inline Pixels uniform(int width, int height, Rgb3 c) {
    return pixels(width, height, [c](int, int) { return c; });
}

// The patch row at one pixel per point, patch i in columns i × 80 to i × 80 + 79.
inline Pixels patchRow(const std::vector<Rgb3>& colours) {
    return pixels(static_cast<int>(colours.size()) * 80, 80,
                  [&](int x, int) { return colours[static_cast<std::size_t>(x / 80)]; });
}

inline std::vector<Rgb3> tablePatches() {
    std::vector<Rgb3> out;
    for (const auto& p : SelfTest::patchTable()) out.push_back({p.red, p.green, p.blue});
    return out;
}

class SelfTestTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        engine = std::make_shared<TintEngine>(sim);
    }
    void TearDown() override {
        test.reset();
        if (engine) engine->detachAll();
        EngineTest::TearDown();
    }

    SelfTest& makeTest(SelfTest::Options options = {}) {
        if (options.captureDirectory.empty()) options.captureDirectory = directory / "captures";
        test = std::make_unique<SelfTest>(engine, std::move(options));
        return *test;
    }

    // Runs the task on the fake scheduler until it ends (at most a simulated minute).
    template <class T>
    T complete(Task<T> task) {
        std::optional<T> result;
        startTask(std::move(task), [&](T value) { result = std::move(value); });
        for (int i = 0; i < 6000 && !result; ++i) scheduler->advance(0.01);
        if (!result) throw std::runtime_error("the task never ended");
        return std::move(*result);
    }
    void complete(Task<> task) {
        bool done = false;
        startTask(std::move(task), [&] { done = true; });
        for (int i = 0; i < 6000 && !done; ++i) scheduler->advance(0.01);
        if (!done) throw std::runtime_error("the task never ended");
    }

    std::shared_ptr<TintEngine> engine;
    std::unique_ptr<SelfTest> test;
};

}  // namespace orvane::testing
