#include "DXTC.h"

#include <cstring>

namespace engine3d {

namespace {

struct TBlockColor {
    uint8_t b, g, r, a;
};

uint16_t readU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

TBlockColor widen565(uint16_t color) {
    TColor565 split = Split565(color);
    return {static_cast<uint8_t>(split.Blue << 3), static_cast<uint8_t>(split.Green << 2),
            static_cast<uint8_t>(split.Red << 3), 255};
}

uint8_t twoThirds(int near, int far) {
    return static_cast<uint8_t>((2 * near + far + 1) / 3);
}

// The four entries of a colour block; the three-colour mode makes entry 3 transparent but keeps
// its colour.
void buildColorTable(const uint8_t* block, bool threeColor, TBlockColor table[4]) {
    TBlockColor e0 = widen565(readU16(block));
    TBlockColor e1 = widen565(readU16(block + 2));
    table[0] = e0;
    table[1] = e1;
    if (threeColor)
        table[2] = {static_cast<uint8_t>((e0.b + e1.b) >> 1), static_cast<uint8_t>((e0.g + e1.g) >> 1),
                    static_cast<uint8_t>((e0.r + e1.r) >> 1), 255};
    else
        table[2] = {twoThirds(e0.b, e1.b), twoThirds(e0.g, e1.g), twoThirds(e0.r, e1.r), 255};
    table[3] = {twoThirds(e1.b, e0.b), twoThirds(e1.g, e0.g), twoThirds(e1.r, e0.r),
                static_cast<uint8_t>(threeColor ? 0 : 255)};
}

// Calls write(i, j, pixel) for every texel of the block that lies inside the image.
template <class Write>
void forBlockTexels(int bx, int by, int width, int height, uint8_t* output, Write write) {
    for (int j = 0; j < 4; ++j) {
        int y = by * 4 + j;
        if (y >= height) break;
        for (int i = 0; i < 4; ++i) {
            int x = bx * 4 + i;
            if (x >= width) break;
            write(i, j, output + (static_cast<size_t>(y) * width + x) * 4);
        }
    }
}

void writeColorBlock(const uint8_t* block, bool threeColor, int bx, int by, int width, int height,
                     uint8_t* output) {
    TBlockColor table[4];
    buildColorTable(block, threeColor, table);
    uint32_t indices = readU32(block + 4);
    forBlockTexels(bx, by, width, height, output, [&](int i, int j, uint8_t* pixel) {
        const TBlockColor& c = table[(indices >> (2 * (4 * j + i))) & 3];
        pixel[0] = c.b;
        pixel[1] = c.g;
        pixel[2] = c.r;
        pixel[3] = c.a;
    });
}

template <class DecodeBlock>
void forEachBlock(const uint8_t* data, int width, int height, int blockBytes, DecodeBlock decode) {
    int blocksX = (width + 3) / 4;
    int blocksY = (height + 3) / 4;
    for (int by = 0; by < blocksY; ++by)
        for (int bx = 0; bx < blocksX; ++bx, data += blockBytes)
            decode(data, bx, by);
}

} // namespace

TColor565 Split565(uint16_t color) {
    return {static_cast<uint8_t>(color & 31), static_cast<uint8_t>((color >> 5) & 63),
            static_cast<uint8_t>(color >> 11)};
}

int MaskShift(uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while ((mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

uint64_t DXTDataSize(int width, int height, int blockBytes) {
    if (width <= 0 || height <= 0 || blockBytes <= 0) return 0;
    return ((uint64_t(width) + 3) / 4) * ((uint64_t(height) + 3) / 4) * uint64_t(blockBytes);
}

void DecodeDXT1(const uint8_t* data, uint8_t* output, int width, int height, bool& threeColorSeen) {
    threeColorSeen = false;
    if (!data || !output || width <= 0 || height <= 0) return;
    forEachBlock(data, width, height, 8, [&](const uint8_t* block, int bx, int by) {
        bool threeColor = readU16(block) <= readU16(block + 2);
        if (threeColor) threeColorSeen = true;
        writeColorBlock(block, threeColor, bx, by, width, height, output);
    });
}

void DecodeDXT3(const uint8_t* data, uint8_t* output, int width, int height) {
    if (!data || !output || width <= 0 || height <= 0) return;
    forEachBlock(data, width, height, 16, [&](const uint8_t* block, int bx, int by) {
        writeColorBlock(block + 8, false, bx, by, width, height, output);
        forBlockTexels(bx, by, width, height, output, [&](int i, int j, uint8_t* pixel) {
            int nibble = (readU16(block + 2 * j) >> (4 * i)) & 15;
            pixel[3] = static_cast<uint8_t>(nibble | (nibble << 4));
        });
    });
}

void DecodeDXT5(const uint8_t* data, uint8_t* output, int width, int height) {
    if (!data || !output || width <= 0 || height <= 0) return;
    forEachBlock(data, width, height, 16, [&](const uint8_t* block, int bx, int by) {
        int a0 = block[0];
        int a1 = block[1];
        uint8_t alpha[8] = {static_cast<uint8_t>(a0), static_cast<uint8_t>(a1)};
        if (a0 > a1) {
            for (int k = 2; k <= 7; ++k)
                alpha[k] = static_cast<uint8_t>(((8 - k) * a0 + (k - 1) * a1 + 3) / 7);
        } else {
            for (int k = 2; k <= 5; ++k)
                alpha[k] = static_cast<uint8_t>(((6 - k) * a0 + (k - 1) * a1 + 2) / 5);
            alpha[6] = 0;
            alpha[7] = 255;
        }
        // Two 24-bit groups of 3-bit indices, each covering two rows of the block.
        uint32_t upper = uint32_t(block[2]) | (uint32_t(block[3]) << 8) | (uint32_t(block[4]) << 16);
        uint32_t lower = uint32_t(block[5]) | (uint32_t(block[6]) << 8) | (uint32_t(block[7]) << 16);
        writeColorBlock(block + 8, false, bx, by, width, height, output);
        forBlockTexels(bx, by, width, height, output, [&](int i, int j, uint8_t* pixel) {
            uint32_t group = j < 2 ? upper : lower;
            int k = 4 * (j & 1) + i;
            pixel[3] = alpha[(group >> (3 * k)) & 7];
        });
    });
}

} // namespace engine3d
