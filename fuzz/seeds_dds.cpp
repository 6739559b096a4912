// Seeds of fuzz_dds: DXT1, DXT3 and DXT5 surfaces, masked surfaces of 8 to 32 bits with and without
// alpha, and a file written by the picture itself.
#include <cstring>

#include "DDS.h"
#include "FuzzHarness.h"

using fuzzharness::Bytes;

namespace {

void put32(Bytes& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = uint8_t(value >> (8 * i));
}

// The 128-byte header followed by data bytes of a running pattern.
Bytes ddsFile(uint32_t width, uint32_t height, uint32_t formatFlags, const char* fourCC, uint32_t bitCount,
              const uint32_t (&masks)[4], size_t dataSize) {
    Bytes bytes(128 + dataSize, 0);
    std::memcpy(bytes.data(), "DDS ", 4);
    put32(bytes, 4, 124);
    put32(bytes, 8, 0x100F);
    put32(bytes, 12, height);
    put32(bytes, 16, width);
    put32(bytes, 76, 32);
    put32(bytes, 80, formatFlags);
    if (fourCC) std::memcpy(bytes.data() + 84, fourCC, 4);
    put32(bytes, 88, bitCount);
    for (int i = 0; i < 4; ++i)
        put32(bytes, 92 + 4 * size_t(i), masks[i]);
    put32(bytes, 108, 0x1000);
    for (size_t i = 0; i < dataSize; ++i)
        bytes[128 + i] = uint8_t(i * 53 + 7);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    using namespace engine3d;
    return fuzzharness::seedMain(argc, argv, [](fuzzharness::SeedFolder& seeds) {
        const uint32_t none[4] = {0, 0, 0, 0};
        seeds.add("dxt1", ddsFile(8, 8, 0x4, "DXT1", 0, none, 4 * 8));
        seeds.add("dxt1_odd", ddsFile(5, 3, 0x4, "DXT1", 0, none, 2 * 8));
        seeds.add("dxt3", ddsFile(8, 4, 0x4, "DXT3", 0, none, 2 * 16));
        seeds.add("dxt5", ddsFile(4, 8, 0x5, "DXT5", 0, none, 2 * 16));
        seeds.add("rgb565", ddsFile(4, 4, 0x40, nullptr, 16, {0xF800, 0x7E0, 0x1F, 0}, 4 * 4 * 2));
        seeds.add("argb1555", ddsFile(4, 4, 0x41, nullptr, 16, {0x7C00, 0x3E0, 0x1F, 0x8000}, 4 * 4 * 2));
        seeds.add("rgb24", ddsFile(3, 2, 0x40, nullptr, 24, {0xFF0000, 0xFF00, 0xFF, 0}, 3 * 2 * 3));
        seeds.add("argb32",
                  ddsFile(2, 2, 0x41, nullptr, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 2 * 2 * 4));
        seeds.add("wide", ddsFile(2, 1, 0x41, nullptr, 32, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}, 2 * 4));
        seeds.add("l8", ddsFile(4, 2, 0x20000, nullptr, 8, {0xFF, 0, 0, 0}, 4 * 2));
        TDDSImage image;
        image.SetPixelFormat(pf32bit);
        image.SetSize(3, 3);
        for (int y = 0; y < 3; ++y)
            std::memset(image.ScanLine(y), 0x40 * y, 12);
        image.SetTransparent(true);
        TMemoryStream written;
        image.SaveToStream(written);
        seeds.add("written", written.Bytes());
    });
}
