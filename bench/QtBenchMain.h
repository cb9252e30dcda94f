#pragma once
// The main of a benchmark program that draws widgets: Qt on the offscreen platform unless
// the caller chose another, then every benchmark asked for. Beside it the statistic such
// programs add to the mean: the fastest repetition, the least disturbed by a busy machine.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include <benchmark/benchmark.h>
#include <QApplication>

namespace orvane::bench {

inline double minimum(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

inline int runWidgetBenchmarks(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace orvane::bench
