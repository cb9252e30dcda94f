// How a repeating timer of the Qt scheduler keeps its grid after the loop stalls: a 0.2 s
// timer whose first firing stalls the loop for 0.5 s (past 0.4 and 0.6), as the scheduler
// test does. Per run it records the late firing (due 0.4) and the next one (due 0.8 on the
// grid; 0.2 s after the late one if the timer moved), and prints the median and maximum
// of each and of the gap between them. The tests only check the order; this is the figure.
//
//   orvane_timer_grid [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QEventLoop>

#include "platform/qt/QtScheduler.h"

namespace {

using Steady = std::chrono::steady_clock;

void report(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    std::printf("%-28s median %6.1f ms   max %6.1f ms   (%zu runs)\n", what, median * 1000, values.back() * 1000, n);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::vector<double> late, next, gap;
    for (int run = 0; run < runs; ++run) {
        orvane::platform::QtScheduler scheduler;
        const auto start = Steady::now();
        std::vector<double> fired;
        auto handle = scheduler.scheduleRepeating(0.2, 0, [&] {
            fired.push_back(std::chrono::duration<double>(Steady::now() - start).count());
            if (fired.size() == 1) std::this_thread::sleep_for(std::chrono::milliseconds(500));
        });
        while (fired.size() < 3) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        handle.cancel();
        late.push_back(fired[1]);
        next.push_back(fired[2]);
        gap.push_back(fired[2] - fired[1]);
    }
    report("late firing (due 0.4 s)", late);
    report("next firing (grid 0.8 s)", next);
    report("gap between them", gap);
    return 0;
}
