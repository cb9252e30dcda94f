#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/AntiDither.h"
#include "platform/Missing.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::EngineTest;
using orvane::testing::LogCapture;

namespace {

class AntiDitherTest : public EngineTest {
protected:
    std::optional<bool> dither(std::uint32_t id) const { return sim->state().display(id)->enableDither; }
    Dithering& dithering() { return sim->dithering(); }
};

}  // namespace

TEST_F(AntiDitherTest, PipesDescribeEachPipelineInRegistryOrder) {
    sim->changeDisplay(2, [](sim::SimDisplay& d) { d.enableDither.reset(); });
    const auto pipes = AntiDither::pipes(dithering());
    EXPECT_EQ(pipes, (std::vector<AntiDither::Pipe>{{false, "IOMobileFramebufferAP", true},
                                                    {true, "IOMobileFramebufferAP", std::nullopt}}));
    EXPECT_TRUE(AntiDither::isAvailable(dithering()));
}

TEST_F(AntiDitherTest, OnlyTheChosenGroupsAreWritten) {
    const struct {
        bool disabled, builtIn, external;
        int count;
        bool builtInDither, externalDither;
    } cases[] = {
        {true, true, false, 1, false, true}, {true, false, true, 1, true, false}, {false, true, true, 2, true, true},
        {true, true, true, 2, false, false}, {true, false, false, 0, true, true},
    };
    for (const auto& c : cases) {
        sim->changeDisplay(1, [](sim::SimDisplay& d) { d.enableDither = true; });
        sim->changeDisplay(2, [](sim::SimDisplay& d) { d.enableDither = true; });
        EXPECT_EQ(AntiDither::setDitheringDisabled(dithering(), c.disabled, c.builtIn, c.external), c.count);
        EXPECT_EQ(dither(1), c.builtInDither);
        EXPECT_EQ(dither(2), c.externalDither);
    }
}

TEST_F(AntiDitherTest, ARefusedWriteIsLoggedAndNotCounted) {
    LogCapture logs;
    sim->fail("dither.set", -536870201, 1);
    // The built-in pipeline is first in registry order and is skipped here.
    EXPECT_EQ(AntiDither::setDitheringDisabled(dithering(), true, false, true), 0);
    EXPECT_EQ(logs.messages("dither"), std::vector<std::string>{"enableDither write failed rc=-536870201 external=1"});
    EXPECT_EQ(AntiDither::setDitheringDisabled(dithering(), true, true, true), 2);
}

// A property that is not a Boolean does not make a pipeline external.
class OnePipeDithering final : public Dithering {
public:
    std::optional<std::vector<std::uint64_t>> services(const std::string&) override {
        return std::vector<std::uint64_t>{7};
    }
    std::optional<std::string> className(std::uint64_t) override { return std::nullopt; }
    std::optional<Value> property(std::uint64_t, const std::string& name) override {
        if (name == "external") return Value(1);
        return std::nullopt;
    }
    std::int32_t setProperty(std::uint64_t, const std::string& name, const Value& value) override {
        written.emplace_back(name, value);
        return 0;
    }
    std::vector<std::pair<std::string, Value>> written;
};

TEST_F(AntiDitherTest, APipelineWithoutABooleanExternalIsBuiltIn) {
    OnePipeDithering pipe;
    EXPECT_EQ(AntiDither::pipes(pipe), (std::vector<AntiDither::Pipe>{{false, "", std::nullopt}}));
    EXPECT_EQ(AntiDither::setDitheringDisabled(pipe, true, false, true), 0);
    EXPECT_EQ(AntiDither::setDitheringDisabled(pipe, true, true, false), 1);
    EXPECT_EQ(pipe.written, (std::vector<std::pair<std::string, Value>>{{"enableDither", Value(false)}}));
}

TEST_F(AntiDitherTest, WithoutFrameBufferServicesNothingIsAvailable) {
    MissingDithering missing;
    EXPECT_FALSE(AntiDither::isAvailable(missing));
    EXPECT_TRUE(AntiDither::pipes(missing).empty());
    EXPECT_EQ(AntiDither::setDitheringDisabled(missing, true, true, true), 0);
}
