// Block decoders checked against blocks whose colours were worked out by hand.
#include "DXTC.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace engine3d;

namespace {

struct Pixel {
    int b, g, r, a;
    bool operator==(const Pixel&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Pixel& p) {
    return out << "(b " << p.b << ", g " << p.g << ", r " << p.r << ", a " << p.a << ")";
}

Pixel pixelAt(const std::vector<uint8_t>& image, int width, int x, int y) {
    const uint8_t* p = image.data() + (size_t(y) * width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// c0, c1 as u16, then four index bytes, one per row: texel (i, j) uses bits 2i of byte j.
std::array<uint8_t, 8> colorBlock(uint16_t c0, uint16_t c1, std::array<uint8_t, 4> rows) {
    return {uint8_t(c0), uint8_t(c0 >> 8), uint8_t(c1), uint8_t(c1 >> 8), rows[0], rows[1], rows[2], rows[3]};
}

constexpr uint16_t cRed = 0xF800;
constexpr uint16_t cBlue = 0x001F;
constexpr uint8_t cIndices0123 = 0xE4; // texels 0..3 of a row take indices 0, 1, 2, 3

} // namespace

TEST(DXTDataSize, OneBlockPerStartedTile) {
    EXPECT_EQ(DXTDataSize(6, 4, 8), 16u);
    EXPECT_EQ(DXTDataSize(5, 5, 16), 64u);
    EXPECT_EQ(DXTDataSize(0, 4, 8), 0u);
    EXPECT_EQ(DXTDataSize(65536, 65536, 16), 4294967296u); // no 32-bit wrap
}

TEST(DecodeDXT1, FourColorsWhenC0AboveC1ElseThreeAndATransparentEntry) {
    struct Row {
        uint16_t c0, c1;
        bool threeColor;
        Pixel entries[4];
    } rows[] = {
        // Entries 2 and 3: (2 * e0 + e1 + 1) / 3 and (e0 + 2 * e1 + 1) / 3.
        {cRed, cBlue, false, {{0, 0, 248, 255}, {248, 0, 0, 255}, {83, 0, 165, 255}, {165, 0, 83, 255}}},
        // The average, and a transparent entry that keeps its interpolated colour.
        {cBlue, cRed, true, {{248, 0, 0, 255}, {0, 0, 248, 255}, {124, 0, 124, 255}, {83, 0, 165, 0}}},
    };
    for (const Row& row : rows) {
        auto block = colorBlock(row.c0, row.c1, {cIndices0123, cIndices0123, cIndices0123, cIndices0123});
        std::vector<uint8_t> out(4 * 4 * 4);
        bool threeColor = !row.threeColor;
        DecodeDXT1(block.data(), out.data(), 4, 4, threeColor);
        EXPECT_EQ(threeColor, row.threeColor);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(pixelAt(out, 4, x, y), row.entries[x]) << x << "," << y;
    }
}

TEST(DecodeDXT, NullPointersWriteNothing) {
    auto block = colorBlock(cRed, cBlue, {});
    std::vector<uint8_t> out(64, 7);
    bool threeColor = true;
    DecodeDXT1(nullptr, out.data(), 4, 4, threeColor);
    EXPECT_FALSE(threeColor);
    DecodeDXT1(block.data(), nullptr, 4, 4, threeColor);
    DecodeDXT3(nullptr, out.data(), 4, 4);
    DecodeDXT5(nullptr, out.data(), 4, 4);
    EXPECT_EQ(out, std::vector<uint8_t>(64, 7));
}

TEST(DecodeDXT3, ExplicitAlphaAndAlwaysFourColors) {
    // Alpha rows: nibbles 0,1,2,3 / C,D,E,F / 0 / F; colours with c0 < c1 still in four-colour mode.
    std::vector<uint8_t> block = {0x10, 0x32, 0xDC, 0xFE, 0x00, 0x00, 0xFF, 0xFF};
    auto colors = colorBlock(cBlue, cRed, {cIndices0123, cIndices0123, cIndices0123, cIndices0123});
    block.insert(block.end(), colors.begin(), colors.end());
    std::vector<uint8_t> out(4 * 4 * 4);
    DecodeDXT3(block.data(), out.data(), 4, 4);
    int expectedAlpha[4][4] = {
        {0x00, 0x11, 0x22, 0x33}, {0xCC, 0xDD, 0xEE, 0xFF}, {0, 0, 0, 0}, {255, 255, 255, 255}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(pixelAt(out, 4, x, y).a, expectedAlpha[y][x]) << x << "," << y;
    EXPECT_EQ(pixelAt(out, 4, 2, 3), (Pixel{165, 0, 83, 255}));
    EXPECT_EQ(pixelAt(out, 4, 3, 3), (Pixel{83, 0, 165, 255}));
}

namespace {

// Alpha indices 0..7 for texels 0..7 of each pair of rows.
std::vector<uint8_t> dxt5Block(uint8_t a0, uint8_t a1) {
    std::vector<uint8_t> block = {a0, a1, 0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA};
    auto colors = colorBlock(0xFFFF, 0, {});
    block.insert(block.end(), colors.begin(), colors.end());
    return block;
}

std::vector<int> dxt5Alphas(const std::vector<uint8_t>& block) {
    std::vector<uint8_t> out(4 * 4 * 4);
    DecodeDXT5(block.data(), out.data(), 4, 4);
    std::vector<int> alphas;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            alphas.push_back(pixelAt(out, 4, x, y).a);
    return alphas;
}

} // namespace

TEST(DecodeDXT5, EightValueTableWhenA0AboveA1AndSixOtherwise) {
    auto twice = [](std::vector<int> alphas) {
        alphas.insert(alphas.end(), alphas.begin(), alphas.end());
        return alphas;
    };
    EXPECT_EQ(dxt5Alphas(dxt5Block(255, 0)), twice({255, 0, 219, 182, 146, 109, 73, 36}));
    EXPECT_EQ(dxt5Alphas(dxt5Block(0, 255)), twice({0, 255, 51, 102, 153, 204, 0, 255}));
    // Equal endpoints also take the six-value table: entries 6 and 7 are 0 and 255.
    std::vector<int> equal = dxt5Alphas(dxt5Block(100, 100));
    EXPECT_EQ(equal[5], 100);
    EXPECT_EQ(equal[6], 0);
    EXPECT_EQ(equal[7], 255);
}
