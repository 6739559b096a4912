// Opening a large drawable-spans object: reading its body (coded and plain buffer groups, geometry
// spans with their vertices) and opening its viewer, then the buffer-group window of its biggest group.
#include <QApplication>
#include <benchmark/benchmark.h>

#include "DrawableParts.h"
#include "MessageService.h"
#include "PRPForms.h"
#include "PageWriter.h"
#include "RowListView.h"
#include "unitTplDrawableSpans.h"
#include "unitTplGBufferGroup.h"
#include "WidgetBench.h"

namespace {

constexpr int kCodedVertices = 60000; // one coded buffer
constexpr int kPlainVertices = 60000; // one plain buffer of format 0x02
constexpr int kSpans = 20;
constexpr int kSpanVertices = 3000;

testpages::Bytes largeBody() {
    testpages::ByteWriter w(kVersionUru);
    w.u32(0).u32(0).u32(0).u32(0); // flags, no materials
    w.u32(0).u32(0).u32(0);        // no icicles, no DI spans
    w.u32(kSpans);
    for (int s = 0; s < kSpans; ++s) {
        for (int m = 0; m < 2; ++m)
            for (int i = 0; i < 16; ++i)
                w.f32(i % 5 == 0 ? 1.0f : 0.0f);
        w.u32(1).u32(1).f32(0).f32(0).f32(0).f32(1).f32(1).f32(1); // axis-aligned bounds
        for (int m = 0; m < 2; ++m)
            for (int i = 0; i < 16; ++i)
                w.f32(i % 5 == 0 ? 1.0f : 0.0f);
        w.u32(0).u8(0).u16(1).u16(0).u16(0).f32(0).f32(1).u8(0x01).u32(0);
        w.u32(kSpanVertices).u32(kSpanVertices).u32(0).u8(0).u32(0);
        for (int v = 0; v < kSpanVertices; ++v)
            for (int i = 0; i < 9; ++i)
                w.f32(float(v + i));
        for (int v = 0; v < kSpanVertices * 8; ++v)
            w.f32(0.5f);
        for (int v = 0; v < kSpanVertices * 2; ++v)
            w.u32(0xFF808080u);
        for (int v = 0; v < kSpanVertices; ++v)
            w.u16(uint16_t(v));
        w.u32(0);
    }
    w.u32(0).u32(0); // no matrix groups, no span indices
    w.u32(2);
    // A coded group: runs of 1000 positions and UVWs, colour runs of 1000 repeated bytes.
    w.u8(0x81).u32(0).u32(1).u16(uint16_t(kCodedVertices));
    for (int v = 0; v < kCodedVertices; ++v) {
        for (int c = 0; c < 3; ++c) {
            if (v % 1000 == 0) w.f32(float(c)).u16(1000);
            w.u16(uint16_t(v * 7 + c));
        }
        w.u16(0).u16(0).u16(32767);
        for (int c = 0; c < 4; ++c)
            if (v % 1000 == 0) w.u16(0x8000 | 1000).u8(0x80);
        for (int c = 0; c < 3; ++c) {
            if (v % 1000 == 0) w.f32(0).u16(1000);
            w.u16(uint16_t(v + c));
        }
    }
    w.u32(1).u32(kCodedVertices);
    for (int i = 0; i < kCodedVertices; ++i)
        w.u16(uint16_t(i));
    w.u32(1).u32(0).u32(0).u32(kCodedVertices);
    // A plain group with two UVW channels.
    w.u8(0x02).u32(0).u32(1).u32(kPlainVertices * 56);
    for (int v = 0; v < kPlainVertices; ++v) {
        for (int i = 0; i < 6; ++i)
            w.f32(float(i));
        w.u32(0xFFFFFFFF).u32(0);
        for (int i = 0; i < 6; ++i)
            w.f32(0.25f);
    }
    w.u32(0).u32(0).u32(0);
    w.u16(0x8000).u8(0);
    return w.bytes;
}

const testpages::Bytes& body() {
    static const testpages::Bytes bytes = largeBody();
    return bytes;
}

TPlasmaStream bodyStream() {
    TPlasmaStream s(body());
    s.Header.Version = kVersionUru;
    return s;
}

void BM_ReadDrawableSpans(benchmark::State& state) {
    for (auto _ : state) {
        TPlasmaStream s = bodyStream();
        TDrawableSpansRecord r = ReadDrawableSpans(s);
        benchmark::DoNotOptimize(r.BufferGroups.size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(body().size()));
}
BENCHMARK(BM_ReadDrawableSpans)->Unit(benchmark::kMillisecond);

void BM_OpenDrawableSpansViewer(benchmark::State& state) {
    TCustomPRPObjectForm::SetChildHost([](TCustomPRPObjectForm*) { return nullptr; });
    TPRPFileObject entry;
    entry.Desc.ClassType = 76;
    entry.Desc.Name = "BigSpans";
    entry.Version = kVersionUru;
    for (auto _ : state) {
        TPlasmaStream s = bodyStream();
        auto* form = new TfrmTplDrawableSpans;
        form->LoadObject(entry, &s);
        form->GBufferGroupList->SelectRow(0);
        form->GBufferGroupListDblClick();
        QApplication::processEvents();
        state.PauseTiming();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (dynamic_cast<TCustomPRPObjectForm*>(w)) delete w;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenDrawableSpansViewer)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
