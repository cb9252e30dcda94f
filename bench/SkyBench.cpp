// One paint of the sky card at 352 × 268 points and device pixel ratio 2, as every frame of
// its twinkle at 30 frames a second costs, over the real model on a simulated machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <unistd.h>
#include <QApplication>
#include <QImage>
#include <QPainter>

#include "BenchMachine.h"
#include "QtBenchMain.h"
#include "ui/menubar/SkyHero.h"

namespace orvane {
namespace {

using bench::Machine;
using bench::minimum;

// The card at Berlin on a June night, moon up and stars twinkling: the dearest frame.
struct NightCard {
    Machine machine{Calendar(*TimeZone::named("Europe/Berlin")).date(2024, 6, 21, 23, 30)};
    SkyHero hero;
    QImage image{704, 536, QImage::Format_ARGB32_Premultiplied};

    static SkyHero::Environment environmentOf(const Machine& machine, bool withTexts) {
        SkyHero::Environment environment;
        environment.scheduler = machine.scheduler;
        environment.clock = machine.clock;
        if (withTexts) environment.locale = "en_US";
        return environment;
    }
    explicit NightCard(bool withTexts = true) : hero(machine.model, environmentOf(machine, withTexts), std::nullopt) {
        hero.resize(352, SkyHero::cardHeight);
        image.setDevicePixelRatio(2);
    }
    void nextFrame() { machine.clock->setNow(machine.clock->now() + 1.0 / 30); }
};

// The very first paint in the process, as when the popover first opens: the blurred
// silhouettes of the sun, the moon, the glade and every character of the rows are made then
// and kept. Meaningful only as the first benchmark of a run, hence one iteration.
void firstPaintSkyCard(benchmark::State& state) {
    NightCard card;
    card.hero.refresh();
    for (auto _ : state) {
        card.hero.render(&card.image, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(card.image.constBits());
    }
}
BENCHMARK(firstPaintSkyCard)->Iterations(1)->Unit(benchmark::kMillisecond);

// A night frame. With afterRefresh the day is recomputed and the still layers drawn again
// first, as every 30 s or on a model change.
void paintSkyCard(benchmark::State& state) {
    NightCard card;
    card.machine.model->setRenderTonightReduction(0.62);
    const bool cold = state.range(0) != 0;
    for (auto _ : state) {
        card.nextFrame();
        if (cold) card.hero.refresh();  // new values: the still layers are drawn again too
        // The card with its children (bed menu, badge, switch), as a repaint of it draws them.
        card.hero.render(&card.image, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(card.image.constBits());
    }
}
BENCHMARK(paintSkyCard)
    ->ArgName("afterRefresh")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", minimum);

// One twinkle frame: what the frame timer asks to repaint (stars, glade, the bed menu).
void paintTwinkleFrame(benchmark::State& state) {
    NightCard card;
    card.hero.refresh();
    const QRegion region = card.hero.twinkleRegion();
    for (auto _ : state) {
        card.nextFrame();
        card.hero.render(&card.image, region.boundingRect().topLeft(), region, QWidget::DrawChildren);
        benchmark::DoNotOptimize(card.image.constBits());
    }
}
BENCHMARK(paintTwinkleFrame)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", minimum);

// The picture alone, without the rows' texts and the bottom fade.
void paintSkyScene(benchmark::State& state) {
    NightCard card(false);
    card.hero.refresh();
    const SkyScene scene = card.hero.scene();
    for (auto _ : state) {
        card.nextFrame();
        QPainter painter(&card.image);
        scene.draw(painter, card.machine.clock->now());
        benchmark::DoNotOptimize(card.image.constBits());
    }
}
BENCHMARK(paintSkyScene)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", minimum);

// The day recomputed, as on every 30 s refresh, model change and drag step.
void refreshSkyCard(benchmark::State& state) {
    NightCard card;
    for (auto _ : state) card.hero.refresh();
}
BENCHMARK(refreshSkyCard)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", minimum);

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) { return orvane::bench::runWidgetBenchmarks(argc, argv); }
