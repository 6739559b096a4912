#include "DXTC.h"

#include <cstring>

namespace engine3d {

namespace {

// The per-block helpers run 262144 times for a 2048 x 2048 surface: a call apiece costs more than
// their work.
#if defined(__GNUC__)
#define DXT_INLINE [[gnu::always_inline]] inline
#else
#define DXT_INLINE inline
#endif

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
DXT_INLINE void buildColorTable(const uint8_t* block, bool threeColor, TBlockColor table[4]) {
    TBlockColor e0 = widen565(readU16(block));
    TBlockColor e1 = widen565(readU16(block + 2));
    table[0] = e0;
    table[1] = e1;
    // Both forms of entry 2 are worked out and one is picked: the mode changes from block to block
    // too unpredictably for a branch.
    auto entry2 = [threeColor](int near, int far) {
        int average = (near + far) >> 1, third = (2 * near + far + 1) / 3;
        return static_cast<uint8_t>(threeColor ? average : third);
    };
    table[2] = {entry2(e0.b, e1.b), entry2(e0.g, e1.g), entry2(e0.r, e1.r), 255};
    table[3] = {twoThirds(e1.b, e0.b), twoThirds(e1.g, e0.g), twoThirds(e1.r, e0.r),
                static_cast<uint8_t>(threeColor ? 0 : 255)};
}

// alphaOf(k) gives texel k = 4j + i's alpha, or the colour table's own when it returns a negative
// value. Texels outside the image are dropped. Whole blocks, all but the right and bottom edge of most
// images, are stored without bounds checks straight into the output.
template <class AlphaOf>
void writeBlock(const uint8_t* colorBlock, bool threeColor, int bx, int by, int width, int height,
                uint8_t* output, AlphaOf alphaOf) {
    TBlockColor table[4];
    buildColorTable(colorBlock, threeColor, table);
    uint32_t indices = readU32(colorBlock + 4);
    size_t rowBytes = static_cast<size_t>(width) * 4;
    uint8_t* topLeft = output + static_cast<size_t>(by) * 4 * rowBytes + static_cast<size_t>(bx) * 16;
    auto texel = [&](int k, uint8_t* pixel) {
        TBlockColor c = table[(indices >> (2 * k)) & 3];
        int alpha = alphaOf(k);
        if (alpha >= 0) c.a = static_cast<uint8_t>(alpha);
        std::memcpy(pixel, &c, 4);
    };
    int columns = width - bx * 4, rows = height - by * 4;
    if (columns >= 4 && rows >= 4) {
#pragma GCC unroll 4
        for (int j = 0; j < 4; ++j)
#pragma GCC unroll 4
            for (int i = 0; i < 4; ++i)
                texel(4 * j + i, topLeft + j * rowBytes + 4 * i);
        return;
    }
    for (int j = 0; j < 4 && j < rows; ++j)
        for (int i = 0; i < 4 && i < columns; ++i)
            texel(4 * j + i, topLeft + j * rowBytes + 4 * i);
}

uint64_t readU48(const uint8_t* p) {
    return uint64_t(readU32(p)) | (uint64_t(p[4]) << 32) | (uint64_t(p[5]) << 40);
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
    // Kept in a local: a flag behind a reference would be written back after every block.
    bool seen = false;
    forEachBlock(data, width, height, 8, [&](const uint8_t* block, int bx, int by) {
        bool threeColor = readU16(block) <= readU16(block + 2);
        seen |= threeColor;
        writeBlock(block, threeColor, bx, by, width, height, output, [](int) { return -1; });
    });
    threeColorSeen = seen;
}

void DecodeDXT3(const uint8_t* data, uint8_t* output, int width, int height) {
    if (!data || !output || width <= 0 || height <= 0) return;
    forEachBlock(data, width, height, 16, [&](const uint8_t* block, int bx, int by) {
        // Sixteen 4-bit alphas, texel k in bits 4k..4k+3 of the little-endian 64-bit number.
        uint64_t nibbles = uint64_t(readU32(block)) | (uint64_t(readU32(block + 4)) << 32);
        writeBlock(block + 8, false, bx, by, width, height, output,
                   [&](int k) { return int((nibbles >> (4 * k)) & 15) * 17; });
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
        // Two 24-bit groups of 3-bit indices, rows 0-1 then rows 2-3: together one 48-bit number in
        // which texel k's index lies at bits 3k..3k+2.
        uint64_t indices = readU48(block + 2);
        writeBlock(block + 8, false, bx, by, width, height, output,
                   [&](int k) { return int(alpha[(indices >> (3 * k)) & 7]); });
    });
}

} // namespace engine3d
