// The "Timeline" page painting the largest log (16,384 entries, 300 errors,
// about 120 bins), on the offscreen platform: a paint with the layout kept,
// and a paint after a resize, which lays the chart out again.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <random>

#include "app/timeline_page.h"
#include "logproc/log_entry_parser.h"

namespace {

lognex::TimelineSource LargestLogSource() {
    std::mt19937 random(40);
    std::vector<double> weights;
    for (int e = 0; e < 300; ++e) weights.push_back(1.0 / (1 + e));
    std::discrete_distribution<int> error(weights.begin(), weights.end());
    std::uniform_int_distribution<int> gap(5, 900);
    lognex::TimelineSource source;
    for (int e = 0; e < 300; ++e) {
        source.texts.push_back("Wafer loading error - wafer not sensed on chuck pins (station " + std::to_string(e) +
                               ")");
        source.locations.push_back("CVT.c at LINE: " + std::to_string(3580 + e));
    }
    double when = lognex::EncodeCalendarDate(2007, 4, 17) + (21 * 3600 + 40 * 60 + 58) / 86400.0;
    for (int i = 0; i < 16'384; ++i) {
        source.points.push_back({when, error(random)});
        source.logLines.push_back(2 * i + 1);
        source.childIndex.push_back(0);
        when += gap(random) / 86400.0;
    }
    return source;
}

void BM_PaintTimelinePage(benchmark::State& state) {
    const bool resize = state.range(0) != 0;
    lognex::TimelinePage page(lognex::CLocaleFormat());
    page.SetRun(LargestLogSource(), true);
    page.resize(1000, 600);
    QImage image(1000, 600, QImage::Format_ARGB32_Premultiplied);
    int step = 0;
    for (auto _ : state) {
        if (resize) page.resize(1000 - (++step % 2) * 40, 600);  // laid out again, as in a drag
        page.render(&image);
    }
    state.counters["bins"] = static_cast<double>(page.CurrentTimeline().binCount);
}
BENCHMARK(BM_PaintTimelinePage)->Arg(0)->Arg(1)->ArgNames({"resize"})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
