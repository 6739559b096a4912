// String encodings, the object stream's field readers and the class tables.
#include <gtest/gtest.h>

#include "PartWriters.h"
#include "TestFiles.h"

using namespace testpages;

TEST(StringTransforms, InvertAndQuorbelAreTheirOwnInverse) {
    EXPECT_EQ(InvertString(InvertString("Hello\x80\xff")), "Hello\x80\xff");
    EXPECT_EQ(InvertString("A"), std::string(1, static_cast<char>(0xBE)));
    EXPECT_EQ(InvertWideString(u"\x0041"), std::u16string(1, static_cast<char16_t>(0xFFBE)));
    const std::string coded = QuorbelXorString("abc");
    ASSERT_EQ(coded.size(), 3u);
    EXPECT_EQ(static_cast<uint8_t>(coded[0]), 'a' ^ 'q');
    EXPECT_EQ(static_cast<uint8_t>(coded[2]), 'c' ^ 'r');
    EXPECT_EQ(QuorbelXorString(coded), "abc");
    EXPECT_EQ(QuorbelXorString(""), "");
    // The key repeats every eight bytes.
    const std::string nine = QuorbelXorString(std::string(9, '\0'));
    EXPECT_EQ(nine.substr(0, 8), "qorvalen");
    EXPECT_EQ(nine[8], 'q');
}

TEST(StringTransforms, HexPairToByte) {
    struct Row {
        const char* text;
        uint8_t value;
    } rows[] = {{"4F", 0x4F}, {"4G", 0x40}, {"G4", 0}, {"4f", 0x40}, {"00", 0}, {"FF", 0xFF}, {"a1", 0}};
    for (const Row& row : rows)
        EXPECT_EQ(HexPairToByte(row.text), row.value) << row.text;
}

TEST(StoredStrings, UruLayoutConsumption) {
    struct Row {
        Bytes stored;
        std::string text;
        int64_t consumed;
    } rows[] = {
        {{0x00, 0x00, 0xAA, 0xBB}, "", 4}, // flag 0: trailing word
        {{0x00, 0xF0, 0xAA}, "", 2},       // flag F, empty
        {{0x02, 0xF0, 'h', 'i'}, "hi", 4}, // plain below 0x80
        {{0x02, 0xF0, static_cast<uint8_t>(~'h'), static_cast<uint8_t>(~'i')}, "hi", 4}, // inverted
        {{0x02, 0x00, 'h', 'i', 0, 0}, "hi", 6},                                         // flag 0 with bytes
        {{0xFF, 0xFF, 'a', 'b'}, "ab", 4}, // claims 4095 bytes: only those that exist
    };
    for (const Row& row : rows) {
        TPlasmaStream s = streamOf(row.stored, kVersionUru);
        std::string text = "old";
        s.ReadSafeString(text);
        EXPECT_EQ(text, row.text);
        EXPECT_EQ(s.Position(), row.consumed);
    }
}

TEST(StoredStrings, WriterRules) {
    TempFolder folder;
    struct Row {
        uint16_t version;
        size_t length;
        uint16_t storedWord;
        size_t storedBytes;
    } rows[] = {
        {kVersionUru, 5, 0xF005, 5},
        {kVersionUru, 4096, 0xF000, 0},
        {kVersionUru, 4097, 0xF001, 1},
        {kVersionMystV, 5, 5, 5},
        {kVersionHexIsle, 65536, 0, 0},
        {kVersionLive, 3, 0xF003, 3},
        {3, 5, 0, 0}, // unknown code writes nothing
    };
    for (const Row& row : rows) {
        const std::string path = folder.file("s.bin");
        const std::string text(row.length, 'k');
        {
            TPlasmaFileStream s(path, TFileMode::fmCreate);
            s.Header.Version = row.version;
            s.WriteSafeString(text);
            s.Close();
        }
        TFileStream in(path, TFileMode::fmOpenRead);
        SCOPED_TRACE(std::to_string(row.version) + "/" + std::to_string(row.length));
        if (row.version == 3) {
            EXPECT_EQ(in.Size(), 0);
            continue;
        }
        ASSERT_EQ(in.Size(), static_cast<int64_t>(2 + row.storedBytes));
        EXPECT_EQ(in.ReadAs<uint16_t>(), row.storedWord);
        TPlasmaStream back;
        back.CopyFrom(in, 0);
        back.SetPosition(0);
        back.Header.Version = row.version;
        std::string read;
        back.ReadSafeString(read);
        EXPECT_EQ(read, std::string(row.storedBytes, 'k'));
    }
}

TEST(ObjectFields, KeyReferencesPerFamily) {
    const TPRPObjectDesc k = makeKey(7, "Mat");
    for (uint16_t version : {kVersionUru, kVersionLive, kVersionMystV, kVersionHexIsle}) {
        const uint16_t major = version == kVersionLive ? kMajorVersionLive : 0;
        ByteWriter w(version, major);
        w.keyRef(&k).keyRef(nullptr).u32(0xDEADBEEF);
        TPlasmaStream s = streamOf(w.bytes, version, major);
        TPRPObjectDesc first, second;
        second.Name = "kept";
        s.ReadKeyRef(first);
        s.ReadKeyRef(second);
        SCOPED_TRACE(version);
        EXPECT_EQ(first.Name, "Mat");
        EXPECT_EQ(first.ClassType, 7);
        // 5/7: a present byte 0 leaves the key as it was; 6/9 always read a key (here an empty one).
        EXPECT_EQ(second.Name, IsMystVFamily(version) ? "" : "kept");
        EXPECT_EQ(s.ReadAs<uint32_t>(), 0xDEADBEEFu);
    }
}

TEST(ObjectFields, UnknownCodeReadsNoKeysNorStrings) {
    TPlasmaStream s = streamOf({1, 2, 3, 4}, 3);
    TPRPObjectDesc key;
    EXPECT_TRUE(s.ReadKeyPresent());
    s.ReadKey(key);
    std::string text = "x";
    s.ReadSafeString(text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(s.Position(), 0);
}

TEST(ObjectFields, WideStringsAndString32AndLengthsPastTheEnd) {
    ByteWriter w;
    w.safeWStr(u"").safeWStr(u"Hi").safeWStr(u"Yo", false).string32("").string32("abc");
    TPlasmaStream s = streamOf(w.bytes, kVersionUru);
    std::u16string ws;
    s.ReadSafeWString(ws);
    EXPECT_EQ(ws, u"");
    EXPECT_EQ(s.Position(), 4);
    s.ReadSafeWString(ws);
    EXPECT_EQ(ws, u"Hi");
    s.ReadSafeWString(ws);
    EXPECT_EQ(ws, u"Yo");
    std::string text;
    s.ReadString32(text);
    EXPECT_EQ(text, "");
    s.ReadString32(text);
    EXPECT_EQ(text, "abc");
    EXPECT_TRUE(s.AtEnd());
    // A length past the end yields only the bytes that exist.
    TPlasmaStream s32 = streamOf({0xFF, 0xFF, 0xFF, 0xFF, 'x'}, kVersionUru);
    s32.ReadString32(text);
    EXPECT_EQ(text, "x");
    TPlasmaStream wide = streamOf({0xFF, 0x0F, 'a', 0}, kVersionUru);
    wide.ReadSafeWString(ws);
    EXPECT_EQ(ws, u"a");
}

TEST(ObjectFields, ReadsPastTheEndKeepPartialValues) {
    TPlasmaStream s = streamOf({0x34, 0x12}, kVersionUru);
    uint32_t value = 0xAABBCCDD;
    s.ReadValue(value);
    EXPECT_EQ(value, 0xAABB1234u); // the two bytes that exist land in the low half
    float f = 1.5f;
    s.ReadValue(f);
    EXPECT_EQ(f, 1.5f);
    TVector3 v{1, 2, 3};
    ReadVector3(s, v);
    EXPECT_EQ(v.Z, 3.0f);
}

TEST(ObjectFields, ImpossibleKeyCountsAreCappedByTheBytesLeft) {
    for (uint16_t version : {kVersionUru, kVersionMystV, uint16_t(3)}) {
        ByteWriter w(version);
        w.u32(0xFFFFFFFF);
        const TPRPObjectDesc k = makeKey(1, "a");
        for (int i = 0; i < 3; ++i)
            w.keyRef(&k);
        TPlasmaStream s = streamOf(w.bytes, version);
        const auto keys = s.ReadKeyRefs();
        SCOPED_TRACE(version);
        if (version == 3)
            EXPECT_EQ(keys.size(), 0u); // nothing left after the count: no key can be claimed
        else {
            EXPECT_EQ(keys.size(), 3u);
            EXPECT_EQ(keys[2].Name, "a");
        }
        EXPECT_LE(s.CapCount(0xFFFFFFFF, 1), static_cast<uint32_t>(s.Remaining()));
    }
}

TEST(ClassTables, LineFormatLookupsAndLastRowWins) {
    TempFolder folder;
    ClearClassTables();
    const std::string uru = "004C\t12|plTest\r\n0004\t5|A\n0004\t6|B\n00ab\t1|lower\n";
    writeFile(folder.file("UruPRPTypes.dat"), Bytes(uru.begin(), uru.end()));
    for (const char* name : {"M5PRPTypes.dat", "LivePRPTypes.dat", "HIPRPTypes.dat"}) {
        const std::string row = std::string("0004\t9|") + name + "\n";
        writeFile(folder.file(name), Bytes(row.begin(), row.end()));
    }
    LoadClassTables(folder.file(""));
    ASSERT_EQ(UruTypes.size(), 4u);
    EXPECT_EQ(UruTypes[0].ClassId, 0x004C);
    EXPECT_EQ(UruTypes[0].ImageIndex, 12);
    EXPECT_EQ(UruTypes[0].Name, "plTest");
    EXPECT_EQ(UruTypes[3].ClassId, 0x0000); // lower-case letters are not digits

    EXPECT_EQ(GetClassLabel(makeKey(4, ""), kVersionUru), "B");
    EXPECT_EQ(GetClassTypeImageIndex(4, kVersionUru), 6);
    EXPECT_EQ(GetClassLabel(makeKey(4, ""), 3), "B"); // unknown codes use the Uru table
    EXPECT_EQ(GetClassLabel(makeKey(4, ""), kVersionMystV), "M5PRPTypes.dat");
    EXPECT_EQ(GetClassLabel(makeKey(4, ""), kVersionLive), "LivePRPTypes.dat");
    EXPECT_EQ(GetClassLabel(makeKey(4, ""), kVersionHexIsle), "HIPRPTypes.dat");
    EXPECT_EQ(GetClassLabel(makeKey(0x4D, ""), kVersionUru), "??? [004D]");
    EXPECT_EQ(GetClassTypeImageIndex(0x4D, kVersionUru), -1);
    TPRPFileObject entry;
    entry.Desc = makeKey(0x4C, "x");
    entry.Version = kVersionUru;
    EXPECT_EQ(GetObjectClassLabel(entry), "plTest");
    EXPECT_EQ(GetObjectImageIndex(entry), 12);
    ClearClassTables();
    EXPECT_EQ(GetClassTypeImageIndex(4, kVersionUru), -1);
}

TEST(ClassTables, MissingFileAndBadIconStopTheLoad) {
    TempFolder folder;
    ClearClassTables();
    EXPECT_THROW(LoadClassTables(folder.file("")), EInOutError);
    const std::string bad = "0001\tx1|plSceneObject\n";
    writeFile(folder.file("UruPRPTypes.dat"), Bytes(bad.begin(), bad.end()));
    EXPECT_THROW(LoadClassTables(folder.file("")), EConvertError);
    ClearClassTables();
}
