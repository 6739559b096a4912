// Throughput of the engine's per-vertex and per-pixel leaf code.
#include "GLGraphics.h"
#include "GLState.h"
#include "VectorGeometry.h"
#include "VectorLists.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace engine3d;

static void BM_MultiplyMatrices(benchmark::State& state) {
    TMatrix a = CreateRotationMatrix(TAffineVector{1, 2, 3}, 0.3f),
            b = CreateRotationMatrix(TAffineVector{3, 1, 0}, 1.1f);
    TMatrix c;
    for (auto _ : state) {
        MultiplyMatrices(a, b, c);
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_MultiplyMatrices);

static void BM_LerpVectorArray3(benchmark::State& state) {
    std::vector<TAffineVector> a(static_cast<size_t>(state.range(0)), {1, 2, 3}), b(a.size(), {4, 5, 6}),
        out(a.size());
    for (auto _ : state) {
        LerpVectorArray3(a.data(), b.data(), out.data(), static_cast<int>(a.size()), 0.5f);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LerpVectorArray3)->Arg(4096);

static void BM_SortByKeyList(benchmark::State& state) {
    std::mt19937 random(1);
    std::uniform_real_distribution<float> distance(0, 100);
    std::vector<TObject> items(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        TSingleList keys;
        TPersistentObjectList objects;
        for (auto& item : items) {
            keys.Add(distance(random));
            objects.Add(&item);
        }
        state.ResumeTiming();
        SortByKeyList(keys, objects);
    }
}
BENCHMARK(BM_SortByKeyList)->Arg(1000);

static void BM_Bitmap32FromBitmap(benchmark::State& state) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(512, 512);
    TGLBitmap32 image;
    for (auto _ : state) {
        image.Assign(&bitmap);
        benchmark::DoNotOptimize(image.Data());
    }
    state.SetBytesProcessed(state.iterations() * 512 * 512 * 4);
}
BENCHMARK(BM_Bitmap32FromBitmap);

static void BM_Bitmap32NormalMap(benchmark::State& state) {
    TGLBitmap32 image;
    image.SetHeight(256);
    image.SetWidth(256);
    for (auto _ : state)
        image.GrayScaleToNormalMap(2.0f, true, true);
}
BENCHMARK(BM_Bitmap32NormalMap);

static void BM_StateCacheRedundantEnable(benchmark::State& state) {
    static const TGLStateFunctions silent = {[](GLenum) {},
                                             [](GLenum) {},
                                             [](GLenum, GLenum) {},
                                             [](GLenum, GLenum, GLint) {},
                                             [](GLenum, GLenum, const GLfloat*) {},
                                             [](GLenum, GLuint) {},
                                             [](GLenum) {},
                                             [](const GLfloat*) {},
                                             []() {},
                                             [](GLenum) {}};
    TGLStateCache cache(silent);
    for (auto _ : state) {
        cache.StateCacheEnable(stBlend);
        cache.StateCacheBindTexture(0, GL_TEXTURE_2D, 3);
    }
}
BENCHMARK(BM_StateCacheRedundantEnable);

BENCHMARK_MAIN();
