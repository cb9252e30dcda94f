#pragma once
// The names of a full self-test run's measurements, in the order they are taken.
#include <string>
#include <vector>

#include "engine/SelfTest.h"

namespace orvane::testing {

inline const std::vector<std::string> fullRunMeasurements{"calibration linear 3400K",
                                                          "calibration encodedSRGB 3400K",
                                                          "calibration rawSRGB 3400K",
                                                          "6500K dim 100%",
                                                          "3400K dim 100%",
                                                          "panel tinted at 3400K",
                                                          "1200K dim 100%",
                                                          "500K dim 100%",
                                                          "6500K dim 50%",
                                                          "3400K dim 50%",
                                                          "readable red 500K (layers)",
                                                          "readable red blue patch (layers)",
                                                          "readable red 500K (panels)",
                                                          "readable red blue patch (panels)",
                                                          "darkroom 500K",
                                                          "darkroom black→red / white→dark",
                                                          "hidden from screenshots: capture == baseline"};

inline std::vector<std::string> measurementNames(const SelfTest::Report& report) {
    std::vector<std::string> names;
    for (const auto& m : report.measurements) names.push_back(m.name);
    return names;
}

}  // namespace orvane::testing
