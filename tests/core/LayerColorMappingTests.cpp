#include <gtest/gtest.h>

#include "core/LayerColorMapping.h"

using namespace orvane;

TEST(LayerColorMapping, ComponentsPerMode) {
    const Multiplier g(1, 0.5, 0.2);
    EXPECT_EQ(LayerColorMapping::components(g, LayerColorMode::linear),
              (LayerColorMapping::Components{1, 0.5, 0.2, true}));
    EXPECT_EQ(LayerColorMapping::components(g, LayerColorMode::rawSRGB),
              (LayerColorMapping::Components{1, 0.5, 0.2, false}));
    const auto encoded = LayerColorMapping::components(g, LayerColorMode::encodedSRGB);
    EXPECT_NEAR(encoded.r, 1, 1e-9);
    EXPECT_NEAR(encoded.g, 0.735, 0.001);
    EXPECT_NEAR(encoded.b, 0.485, 0.001);
    EXPECT_FALSE(encoded.linearSpace);
    for (auto mode : {LayerColorMode::linear, LayerColorMode::encodedSRGB, LayerColorMode::rawSRGB}) {
        const Multiplier white = LayerColorMapping::predictedEncodedWhite(g, mode);
        EXPECT_NEAR(white.g, 0.735, 0.001);
    }
}

TEST(LayerColorMapping, MeasuredGainsAndError) {
    const Multiplier before(SRGB::encode(0.8), 0.0, SRGB::encode(0.5));
    const Multiplier after(SRGB::encode(0.4), 0.5, SRGB::encode(0.9));
    const Multiplier m = LayerColorMapping::measuredMultiplier(before, after);
    EXPECT_NEAR(m.r, 0.5, 1e-9);
    EXPECT_EQ(m.g, 1.0);  // black before: too dark to measure
    EXPECT_EQ(m.b, 1.0);  // brighter after: clamped
    EXPECT_NEAR(LayerColorMapping::error(Multiplier(1, 0.5, 0.2), Multiplier(0.99, 0.53, 0.2)), 0.03, 1e-12);
    EXPECT_LE(LayerColorMapping::error(Multiplier(1, 0.5, 0.2), Multiplier(1, 0.52, 0.2)),
              LayerColorMapping::tolerance + 1e-12);
}
