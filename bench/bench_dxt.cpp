// DXT1 and DXT5 decoding of a 2048 x 2048 surface, beside libsquish decoding the same blocks.
#include "DXTC.h"

#include <benchmark/benchmark.h>
#include <squish.h>

#include <cstring>
#include <random>
#include <vector>

using namespace engine3d;

namespace {

constexpr int kSide = 2048;

const std::vector<uint8_t>& randomBlocks(int blockBytes) {
    static std::vector<uint8_t> dxt1, dxt5;
    std::vector<uint8_t>& blocks = blockBytes == 8 ? dxt1 : dxt5;
    if (blocks.empty()) {
        std::mt19937 random(7);
        blocks.resize(DXTDataSize(kSide, kSide, blockBytes));
        for (uint8_t& byte : blocks)
            byte = uint8_t(random());
    }
    return blocks;
}

void decodeOurs(benchmark::State& state, int blockBytes) {
    const std::vector<uint8_t>& blocks = randomBlocks(blockBytes);
    std::vector<uint8_t> pixels(size_t(kSide) * kSide * 4);
    for (auto _ : state) {
        bool threeColor = false;
        if (blockBytes == 8)
            DecodeDXT1(blocks.data(), pixels.data(), kSide, kSide, threeColor);
        else
            DecodeDXT5(blocks.data(), pixels.data(), kSide, kSide);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixels.size()));
}

// Block by block, as the library's image call does, but on one thread as our decoder runs: that call
// spreads the blocks over every core.
void decodeSquish(benchmark::State& state, int blockBytes) {
    const std::vector<uint8_t>& blocks = randomBlocks(blockBytes);
    std::vector<uint8_t> pixels(size_t(kSide) * kSide * 4);
    int flags = blockBytes == 8 ? squish::kDxt1 : squish::kDxt5;
    for (auto _ : state) {
        const uint8_t* block = blocks.data();
        for (int by = 0; by < kSide; by += 4)
            for (int bx = 0; bx < kSide; bx += 4, block += blockBytes) {
                uint8_t texels[64];
                squish::Decompress(texels, block, flags);
                for (int row = 0; row < 4; ++row)
                    std::memcpy(&pixels[(size_t(by + row) * kSide + bx) * 4], texels + 16 * row, 16);
            }
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixels.size()));
}

} // namespace

BENCHMARK_CAPTURE(decodeOurs, DXT1, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeSquish, DXT1, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeOurs, DXT5, 16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeSquish, DXT5, 16)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
