// The settings window's first frame (made, laid out and painted at device pixel ratio 2)
// the first time in a process and after that, and a switch of panes, over the real model
// on a simulated machine. Reported, not judged.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include <QApplication>
#include <QImage>

#include "BenchMachine.h"
#include "QtBenchMain.h"
#include "ui/settings/SettingsRootView.h"

namespace orvane {
namespace {

struct Window {
    bench::Machine machine{Calendar(*TimeZone::named("Europe/Berlin")).date(2024, 6, 21, 21, 30)};
    QImage image{1640, 1200, QImage::Format_ARGB32_Premultiplied};
    Window() { image.setDevicePixelRatio(2); }
    PaneEnvironment environment() const { return {machine.model, std::make_shared<Desktop>()}; }
    void paint(QWidget& view) {
        view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(image.constBits());
    }
};

QWidget* made(Window& window, Pane pane) {
    auto* view = new SettingsRootView(window.environment(), pane);
    view->resize(820, 600);
    view->ensurePolished();
    return view;
}

// The very first window of the process: fonts, symbols and the icon are made then.
// Meaningful only as the first benchmark of a run, hence one iteration.
void firstFrameFirstTime(benchmark::State& state) {
    Window window;
    for (auto _ : state) {
        std::unique_ptr<QWidget> view(made(window, Pane::general));
        window.paint(*view);
    }
}
BENCHMARK(firstFrameFirstTime)->Iterations(1)->Unit(benchmark::kMillisecond);

// Every later window: made anew, laid out and painted.
void firstFrameAfterwards(benchmark::State& state) {
    Window window;
    for (auto _ : state) {
        std::unique_ptr<QWidget> view(made(window, Pane::general));
        window.paint(*view);
    }
}
BENCHMARK(firstFrameAfterwards)->Unit(benchmark::kMillisecond);

// A sidebar click: the detail made for the next pane and the window painted again.
void switchPane(benchmark::State& state) {
    Window window;
    std::unique_ptr<QWidget> view(made(window, Pane::general));
    auto& root = static_cast<SettingsRootView&>(*view);
    window.paint(*view);
    const auto panes = allCases<Pane>();
    std::size_t next = 0;
    for (auto _ : state) {
        next = (next + 1) % panes.size();
        root.select(panes[next]);
        window.paint(*view);
    }
}
BENCHMARK(switchPane)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) { return orvane::bench::runWidgetBenchmarks(argc, argv); }
