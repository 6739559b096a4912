// Painting one screen of a 64 MiB buffer, at the top and deep inside it, and scrolling by a page.
#include "HexEditorEx.h"
#include "WidgetBench.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

namespace {
THexEditorEx& bigEditor() {
    static THexEditorEx* editor = [] {
        auto* e = new THexEditorEx;
        e->resize(1000, 800);
        QByteArray data(64 * 1024 * 1024, '\0');
        for (int i = 0; i < data.size(); i += 4093)
            data[i] = static_cast<char>(i);
        e->LoadFromByteArray(data);
        e->SetShowRuler(true);
        e->show();
        return e;
    }();
    return *editor;
}

void BM_PaintScreen(benchmark::State& state) {
    THexEditorEx& e = bigEditor();
    e.SetTopRow(static_cast<int32_t>(state.range(0)));
    QImage target(e.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        e.render(&target);
        benchmark::DoNotOptimize(target.bits());
    }
}
BENCHMARK(BM_PaintScreen)->Arg(2)->Arg(2'000'000)->Unit(benchmark::kMillisecond);

void BM_PageDownAndPaint(benchmark::State& state) {
    THexEditorEx& e = bigEditor();
    e.SetTopRow(2);
    QImage target(e.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        e.KeyDown(HexKey::PageDown, 0);
        e.render(&target);
        benchmark::DoNotOptimize(target.bits());
    }
}
BENCHMARK(BM_PageDownAndPaint)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
