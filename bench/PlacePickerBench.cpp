// One keystroke in the place picker's city search: from the changed query to the updated
// list (the search over the built-in table, the rows, their layout and a paint of the
// list), over the real model on a simulated machine with Qt on the offscreen platform.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>

#include <QApplication>
#include <QImage>
#include <QLineEdit>

#include "BenchMachine.h"
#include "QtBenchMain.h"
#include "core/Locations.h"
#include "ui/views/LocationPickerView.h"
#include "ui/views/PlaceList.h"

namespace orvane {
namespace {

using bench::Machine;
using bench::minimum;

// A user typing two names and clearing the field between them.
constexpr std::array<const char*, 12> typed{"b", "be", "ber", "berl", "berli", "berlin",
                                            "s", "sa", "san", "san ", "san f", ""};

// The search alone, as the core answers it.
void citySearch(benchmark::State& state) {
    std::size_t i = 0;
    (void)Cities::all();  // the table is parsed on first use, not per keystroke
    for (auto _ : state) {
        benchmark::DoNotOptimize(Cities::search(typed[i++ % typed.size()], 30));
    }
}
BENCHMARK(citySearch)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", minimum);

// Through the view: the query set as a keystroke sets it, the rows replaced and laid out,
// and with paint the list drawn at device pixel ratio 2.
void cityKeystroke(benchmark::State& state) {
    Machine machine(Calendar(*TimeZone::named("Europe/Berlin")).date(2026, 3, 15, 12));
    LocationPickerView view(machine.model);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.resize(440, 330);
    view.show();
    view.setTab(LocationPickerView::Tab::city);
    QApplication::processEvents();
    PlaceList& list = *view.cityList();
    QImage image(list.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    const bool paint = state.range(0) != 0;
    std::size_t i = 0;
    for (auto _ : state) {
        view.citySearch()->setText(QString::fromUtf8(typed[i++ % typed.size()]));
        list.doItemsLayout();
        if (paint) list.viewport()->render(&image);
        benchmark::DoNotOptimize(list.rows().data());
    }
}
BENCHMARK(cityKeystroke)
    ->ArgName("paint")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", minimum);

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) { return orvane::bench::runWidgetBenchmarks(argc, argv); }
