// The quantised vertex coder and geometry buffer groups: hand-computed values in every vertex format,
// runs carried across vertices and buffers, plain vertex sizes (the drawable-spans reader test reads a
// plain group in every family).
#include <gtest/gtest.h>

#include <cstring>

#include "GeometryParts.h"
#include "GeometryWriters.h"

using namespace testpages;

TEST(VertexCoder, SumIsRoundedToTheNearestFloat) {
    // The exact sums: 0.1f + 3/1024 is representable (0xD2CCCD x 2^-27); at 65536 a float step is 1/128,
    // so 1/1024 rounds down to 65536 and 5/1024 up to 65536 + 1/128.
    ByteWriter w(kVersionUru);
    Coded{w, false}.run(0.1f, 1).q(3).run(65536.0f, 2).q(1).q(5);
    TPlasmaStream s = streamOf(w);
    TVertexCoder coder;
    const float first = coder.DecodeFloat(s, 0, 0);
    uint32_t bits;
    std::memcpy(&bits, &first, 4);
    EXPECT_EQ(bits, 0x3DD2CCCDu);
    EXPECT_EQ(coder.DecodeFloat(s, 0, 0), 65536.0f);
    EXPECT_EQ(coder.DecodeFloat(s, 0, 0), 65536.0078125f);
}

// A stored run count of zero lasts 65536 values.
TEST(VertexCoder, RunsCarryOnAndLiveAllSameReadsNothingPerValue) {
    ByteWriter w(kVersionLive, kMajorVersionLive);
    Coded c{w, true};
    c.run(7.25f, 0, true); // 65536 values of 7.25, no u16 each
    c.run(1.0f, 2).q(1024).q(2048);
    TPlasmaStream s = streamOf(w);
    TVertexCoder coder;
    for (int i = 0; i < 65536; ++i)
        ASSERT_EQ(coder.DecodeFloat(s, 2, 0), 7.25f) << i;
    EXPECT_EQ(coder.DecodeFloat(s, 2, 0), 1.0f + 1024.0f / 65536);
    EXPECT_EQ(coder.DecodeFloat(s, 2, 0), 1.0f + 2048.0f / 65536);
    EXPECT_TRUE(s.AtEnd());
}

TEST(VertexCoder, ColorRuns) {
    ByteWriter w(kVersionUru);
    w.u16(0x8003).u8(0x7F); // three vertices of 0x7F, no byte each
    w.u16(0x0002).u8(0x10).u8(0x20);
    TPlasmaStream s = streamOf(w);
    TVertexCoder coder;
    const uint8_t expected[5] = {0x7F, 0x7F, 0x7F, 0x10, 0x20};
    for (uint8_t e : expected)
        EXPECT_EQ(coder.DecodeColorByte(s, 2), e);
    EXPECT_TRUE(s.AtEnd());
}

// One coded vertex in each shape of format, every run fresh, in every family (the all-same byte only in
// Live): the quanta of positions (1024), weights (32768) and UVW channels (65536) exactly.
TEST(VertexCoder, CodedVertexEveryFormat) {
    struct Row {
        uint8_t format;
        int weights;
        bool skin; // stored only with weights
        int uvws;
    };
    const Row rows[] = {{0x80, 0, false, 0}, {0x81, 0, false, 1}, {0x90, 1, false, 0}, {0xC0, 0, false, 0},
                        {0xE2, 2, true, 2},  {0xF3, 3, true, 3},  {0xB8, 3, false, 8}, {0x8F, 0, false, 15}};
    for (const Family& f : kFamilies)
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << f.name << " format 0x" << std::hex << int(row.format));
            const bool live = f.major == kMajorVersionLive;
            ByteWriter w(f.version, f.major);
            Coded c{w, live};
            c.single(1.0f, 512).single(-2.0f, 1024).single(0.0f, 1);
            const uint16_t weightQ[3] = {16384, 8192, 0};
            for (int i = 0; i < row.weights; ++i)
                c.single(0.0f, weightQ[i]);
            if (row.skin) w.u32(0xCAFE);
            c.normal(32767, -32767, 0, 255, 0, 128);
            c.color(0x44332211);
            for (int u = 0; u < row.uvws; ++u)
                c.single(float(u), 32768).single(1.0f, 16384).single(-1.0f, 65535);
            TPlasmaStream s = streamOf(w);
            TVertexCoder coder;
            TGBufferVertex v;
            coder.DecodeVertex(s, row.format, v);
            EXPECT_TRUE(s.AtEnd());
            EXPECT_EQ(v.Position.X, 1.5f);
            EXPECT_EQ(v.Position.Y, -1.0f);
            EXPECT_EQ(v.Position.Z, 0.0009765625f);
            const float weights[3] = {0.5f, 0.25f, 0.0f};
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(v.Weights[i], i < row.weights ? weights[i] : 0.0f);
            EXPECT_EQ(v.SkinIndex, row.skin ? 0xCAFEu : 0u);
            EXPECT_EQ(v.Normal.X, live ? 0.9921875f : 1.0f);
            EXPECT_EQ(v.Normal.Y, -1.0f);
            EXPECT_EQ(v.Normal.Z, 0.0f);
            EXPECT_EQ(v.Color, 0x44332211u);
            for (int u = 0; u < 16; ++u) {
                SCOPED_TRACE(u);
                EXPECT_EQ(v.UVWs[u].X, u < row.uvws ? float(u) + 0.5f : 0.0f);
                EXPECT_EQ(v.UVWs[u].Y, u < row.uvws ? 1.25f : 0.0f);
                EXPECT_EQ(v.UVWs[u].Z, u < row.uvws ? -1.0f / 65536 : 0.0f);
            }
        }
}

TEST(GBufferGroup, PlainVertexSizes) {
    struct Row {
        uint8_t format;
        size_t size;
    };
    const Row rows[] = {{0x00, 32}, {0x01, 44}, {0x12, 60}, {0x40, 32}, {0x50, 40}, {0x7F, 228}};
    for (const Row& row : rows)
        EXPECT_EQ(PlainVertexSize(row.format), row.size) << int(row.format);
}

TEST(GBufferGroup, PlainSizeOfTwoVerticesOfFormat0x12AndTooSmallSize) {
    ByteWriter w(kVersionUru);
    w.u8(0x12).u32(0).u32(2);
    w.u32(120);
    for (int i = 0; i < 2; ++i) {
        w.f32(1).f32(2).f32(3).f32(0.75f); // position, one weight
        w.f32(0).f32(1).f32(0).u32(0xAABBCCDD).u32(0);
        w.f32(1).f32(2).f32(3).f32(4).f32(5).f32(6);
    }
    w.u32(0);
    w.u32(10).u32(0); // smaller than one vertex: none, the trailing word still read
    w.u32(0);         // no index buffers
    w.u32(0).u32(0);  // two empty cell buffers
    TPlasmaStream s = streamOf(w);
    TGBufferGroup g;
    ReadGBufferGroup(s, g);
    EXPECT_TRUE(s.AtEnd());
    ASSERT_EQ(g.VertexBuffers.size(), 2u);
    ASSERT_EQ(g.VertexBuffers[0].size(), 2u);
    EXPECT_EQ(g.VertexBuffers[0][1].Weights[0], 0.75f);
    EXPECT_EQ(g.VertexBuffers[0][1].UVWs[1].Z, 6.0f);
    EXPECT_TRUE(g.VertexBuffers[1].empty());
    EXPECT_EQ(g.CellBuffers.size(), 2u);
}

TEST(GBufferGroup, CodedRunsContinueIntoTheNextBuffer) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const bool live = f.major == kMajorVersionLive;
        ByteWriter w(f.version, f.major);
        Coded c{w, live};
        w.u8(0x80).u32(0).u32(2);
        w.u16(2);
        c.run(0, 5).q(1024).run(0, 5).q(2048).run(0, 5).q(3072);
        c.normal(0, 0, 32767, 128, 128, 255);
        for (int i = 0; i < 4; ++i)
            w.u16(0x8005).u8(0x7F);
        c.q(4096).q(5120).q(6144).normal(0, 0, 32767, 128, 128, 255);
        w.u16(3); // the three positions left in each run need no new header
        for (int v = 0; v < 3; ++v)
            c.q(uint16_t(1024 * (7 + 3 * v)))
                .q(uint16_t(1024 * (8 + 3 * v)))
                .q(uint16_t(1024 * (9 + 3 * v)))
                .normal(0, 0, 32767, 128, 128, 255);
        w.u32(0);        // no index buffers
        w.u32(0).u32(0); // the two cell buffers
        TPlasmaStream s = streamOf(w);
        TGBufferGroup g;
        ReadGBufferGroup(s, g);
        EXPECT_TRUE(s.AtEnd());
        ASSERT_EQ(g.VertexBuffers.size(), 2u);
        ASSERT_EQ(g.VertexBuffers[0].size(), 2u);
        ASSERT_EQ(g.VertexBuffers[1].size(), 3u);
        EXPECT_EQ(g.VertexBuffers[0][1].Position.Z, 6.0f);
        for (int v = 0; v < 3; ++v) {
            const TGBufferVertex& vertex = g.VertexBuffers[1][v];
            EXPECT_EQ(vertex.Position.X, float(7 + 3 * v));
            EXPECT_EQ(vertex.Position.Z, float(9 + 3 * v));
            EXPECT_EQ(vertex.Color, 0x7F7F7F7Fu);
        }
    }
}
