// The shared part readers, matrices and bounds, and the number texts: bytes in, record out.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "MatrixBounds.h"
#include "NumberText.h"
#include "GeometryWriters.h"

using namespace testpages;
using testpages::makeKey;

TEST(SynchedObjectPart, ListsFollowTheFlagsOfEachFamily) {
    struct Row {
        uint16_t version;
        uint32_t flags;
        std::vector<std::string> first, second;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {kVersionUru, 0x00, {}, {}, {}},
        {kVersionLive, 0x40, {}, {"Vol"}, {"Vol"}},
        {kVersionUru, 0x50, {"A"}, {"B", "C"}, {"A", "B", "C"}},
        {kVersionUru, 0x10, {}, {}, {}}, // a list of count 0: two bytes, no entries
        {kVersionMystV, 0x00, {"M5a", "M5b"}, {}, {"M5a", "M5b"}},
        {kVersionHexIsle, 0x50, {"x"}, {}, {"x"}},
        // 6/9 with bit 0x02 or 0x04 store no list whatever 0x10 and 0x40 say.
        {kVersionMystV, 0x52, {}, {}, {}},
        {kVersionHexIsle, 0x14, {}, {}, {}},
    };
    for (const Row& row : rows) {
        ByteWriter w(row.version, row.version == kVersionLive ? kMajorVersionLive : 0);
        writeSynched(w, row.flags, row.first, row.second);
        w.u32(0xC0FFEE);
        TPlasmaStream s = streamOf(w);
        const TSynchedObject part = ReadSynchedObjectPart(s);
        SCOPED_TRACE(testing::Message() << row.version << " flags " << row.flags);
        EXPECT_EQ(part.SynchFlags, row.flags);
        EXPECT_EQ(part.Strings, row.expected);
        EXPECT_EQ(part.StringCount, row.expected.size());
        EXPECT_EQ(part.Version, row.version);
        EXPECT_EQ(ReadU32(s), 0xC0FFEEu) << "the part must end where its bytes end";
    }
}

TEST(ModifierAndInterfaceParts, WordListsAndOwner) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const TPRPObjectDesc owner = makeKey(1, "Owner");
        ByteWriter w(f.version, f.major);
        writeWords(w, {0x12345678, 0x80000000});
        writeWords(w, {});
        writeObjInterface(w, &owner, {7});
        writeObjInterface(w, nullptr, {});
        w.u32(0xFFFFFFFF).u32(1); // a count far past the data: capped at the one word left
        TPlasmaStream s = streamOf(w);

        const TMSModifier mod = ReadModifierPart(s);
        EXPECT_EQ(mod.FlagWordCount, 2u);
        EXPECT_EQ(mod.Flags, (std::vector<uint32_t>{0x12345678, 0x80000000}));
        const int64_t before = s.Position();
        EXPECT_EQ(ReadModifierPart(s).FlagWordCount, 0u);
        EXPECT_EQ(s.Position() - before, 4);

        const TObjInterface intf = ReadObjInterfacePart(s);
        EXPECT_EQ(intf.Owner.Name, "Owner");
        EXPECT_EQ(intf.Owner.ClassType, 1);
        EXPECT_EQ(intf.Props, std::vector<uint32_t>{7});
        const TObjInterface empty = ReadObjInterfacePart(s);
        EXPECT_EQ(empty.Owner.Name, "");
        EXPECT_EQ(empty.PropWordCount, 0u);

        const TMSModifier capped = ReadModifierPart(s);
        EXPECT_EQ(capped.Flags, std::vector<uint32_t>{1});
        EXPECT_TRUE(s.AtEnd());
    }
}

TEST(Matrix44, StoredFormPerFamily) {
    const float values[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    struct Row {
        uint16_t version, major;
        bool present;
        int64_t size;
    };
    const Row rows[] = {
        {kVersionUru, 0, true, 64},     {kVersionMystV, 0, true, 64}, {kVersionLive, 70, true, 65},
        {kVersionHexIsle, 0, true, 65}, {kVersionLive, 70, false, 1}, {kVersionHexIsle, 0, false, 1},
        {kVersionUru, 70, true, 65}, // the major version alone decides for Live pages
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.version << "/" << row.major << " present " << row.present);
        ByteWriter w(row.version, row.major);
        if (row.present)
            writeMatrix(w, values);
        else
            writeIdentityMatrix(w);
        TPlasmaStream s = streamOf(w);
        TMatrix44 m;
        m[2][2] = 99;
        ReadMatrix44(s, m);
        EXPECT_EQ(s.Position(), row.size);
        if (row.present) {
            EXPECT_EQ(m[0][3], 4.0f); // stored by rows
        } else {
            EXPECT_EQ(m, IdentityMatrix44());
        }
    }
}

TEST(Matrix44, PastTheEndKeepsTheRecord) {
    TMatrix44 m = IdentityMatrix44();
    m[1][2] = 5;
    TPlasmaStream live = streamOf({}, kVersionLive, kMajorVersionLive);
    ReadMatrix44(live, m);
    EXPECT_EQ(m[1][2], 5.0f);
    TPlasmaStream uru = streamOf({0, 0, 0x80, 0x3F}, kVersionUru); // one float, then the end
    ReadMatrix44(uru, m);
    EXPECT_EQ(m[0][0], 1.0f);
    EXPECT_EQ(m[1][2], 5.0f);
}

// Bounds have no family branch: one family.
TEST(Bounds, StoredSizes) {
    ByteWriter w(kVersionUru);
    writeAxisAlignedBounds(w, 3, -2, 2);
    writeFullBounds(w, 6);
    w.raw(Bytes(28, 0)); // plain bounds
    TPlasmaStream s = streamOf(w);
    TBounds3Ext aligned;
    ReadBounds3Ext(s, aligned);
    EXPECT_EQ(s.Position(), 32);
    EXPECT_EQ(aligned.Bounds.BoundsType, 3u);
    EXPECT_EQ(aligned.Bounds.Min.Y, -2.0f);
    EXPECT_EQ(aligned.Corner.X, 0.0f);
    TBounds3Ext full;
    ReadBounds3Ext(s, full);
    EXPECT_EQ(s.Position(), 32 + 104);
    EXPECT_EQ(full.Bounds.Max.Z, 6.0f);
    EXPECT_EQ(full.Corner.Z, 6.625f);
    EXPECT_EQ(full.Axes[2].Z, 8.25f);
    EXPECT_EQ(full.Dists[1][0], -7.0f);
    EXPECT_EQ(full.Dists[1][1], 13.0f);
    TBounds3 plain;
    ReadBounds3(s, plain);
    EXPECT_TRUE(s.AtEnd());
}

TEST(NumberText, FloatsInTheGeneralFormat) {
    struct Row {
        double value;
        const char* text;
    };
    const Row rows[] = {
        {0, "0"},
        {-2.5, "-2.5"},
        {0.1f, "0.100000001490116"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {0.0001, "0.0001"},
        {0.00009, "9E-5"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
        {std::nan(""), "NAN"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FloatText(row.value), row.text) << row.value;
    EXPECT_EQ(FloatText(-2.5, ','), "-2,5");
}

TEST(NumberText, HexAndDisplayColours) {
    EXPECT_EQ(HexText(0xABC), "00000ABC");
    EXPECT_EQ(HexText(0x4F, 4), "004F");
    struct Row {
        float channel;
        uint8_t byte;
    };
    const Row rows[] = {{1.0f, 255}, {0.5f, 127}, {1.5f, 126},        {-1.5f, 130},
                        {0, 0},      {1e30f, 0},  {std::nanf(""), 0}, {-0.001f, 0}};
    for (const Row& row : rows)
        EXPECT_EQ(ColorChannelByte(row.channel), row.byte) << row.channel;
    EXPECT_EQ(PackDisplayColor({1.0f, 0.5f, 0.0f, 0.25f}), 0x007FFFu);
}
