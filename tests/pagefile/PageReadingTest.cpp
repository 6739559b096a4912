// Reading page headers, key indexes and objects in all four format families.
#include <gtest/gtest.h>

#include "TestFiles.h"

using namespace testpages;

namespace {

struct FamilyRow {
    uint16_t version;
    uint16_t expectedVersion;
    uint16_t expectedMajor;
    bool hasDistrict;
};

class PageFamilies : public ::testing::TestWithParam<FamilyRow> {
protected:
    TempFolder folder;
};

const FamilyRow kFamilies[] = {
    {kVersionUru, 5, 63, true},
    {kVersionMystV, 6, 0, false},
    {kVersionLive, 7, 70, false},
    {kVersionHexIsle, 9, 0, false},
};

} // namespace

TEST_P(PageFamilies, HeaderIndexAndObjectsReadBack) {
    const FamilyRow row = GetParam();
    TestPage source = samplePage(row.version);
    source.groups.push_back(TestGroup(7)); // an empty group
    PageLayout layout;
    const std::string path = folder.write("page.prp", buildPage(source, &layout));
    const TPRPFile page = loadPage(path);

    const TPRPFileHeader& h = page.Header;
    EXPECT_EQ(h.Version, row.expectedVersion);
    EXPECT_EQ(h.MajorVersion, row.expectedMajor);
    EXPECT_EQ(h.PageNumber, 3);
    EXPECT_EQ(h.SeqPrefix, 0x0010);
    EXPECT_EQ(h.AgeName, "Garden");
    EXPECT_EQ(h.PageName, "Meadow");
    EXPECT_EQ(h.District, row.hasDistrict ? "District" : "");
    EXPECT_EQ(h.Checksum, 0x12345678u);
    EXPECT_EQ(h.DataStart, layout.dataStart);
    EXPECT_EQ(h.IndexStart, layout.indexStart);
    if (row.version == kVersionUru) {
        EXPECT_EQ(h.MinorVersion, 11);
        EXPECT_EQ(h.PageFlags, 8u);
    } else if (row.version != kVersionLive) {
        EXPECT_EQ(h.MinorVersion, 0);
        EXPECT_EQ(h.PageFlags, 0u);
        EXPECT_EQ(h.ReleaseVersion, 0u);
    }

    ASSERT_EQ(page.FolderCount, 4);
    ASSERT_EQ(page.Folders.size(), 4u);
    EXPECT_EQ(page.Folders[0].ClassType, 0);
    EXPECT_EQ(page.Folders[1].ClassType, 1);
    EXPECT_EQ(page.Folders[2].ClassType, 4);
    EXPECT_EQ(page.Folders[3].ClassType, 7);
    const bool extras = IsMystVFamily(row.version) || row.version == kVersionLive;
    EXPECT_EQ(page.Folders[0].DataLength, extras ? 100u : 0u);
    EXPECT_EQ(page.Folders[1].GroupFlags, extras ? 1 : 0);

    size_t rangeIndex = 0;
    for (size_t g = 0; g < page.Folders.size(); ++g) {
        const TPRPFolder& folderRecord = page.Folders[g];
        ASSERT_EQ(folderRecord.Count, source.groups[g].objects.size());
        ASSERT_EQ(folderRecord.Objects.size(), folderRecord.Count);
        for (size_t i = 0; i < folderRecord.Objects.size(); ++i, ++rangeIndex) {
            const TPRPFileObject& entry = folderRecord.Objects[i];
            const TestObject& written = source.groups[g].objects[i];
            EXPECT_EQ(entry.Desc.Name, written.key.Name);
            EXPECT_EQ(entry.Desc.ClassType, source.groups[g].classType);
            EXPECT_EQ(entry.Desc.PageNumber, 3);
            EXPECT_EQ(entry.Desc.ObjectID, written.key.ObjectID);
            EXPECT_EQ(entry.Desc.CloneID, written.key.CloneID);
            EXPECT_EQ(entry.Desc.NewLoadMask, written.key.NewLoadMask);
            EXPECT_EQ(entry.Offset, layout.objectRanges[rangeIndex].first);
            EXPECT_EQ(entry.Size, layout.objectRanges[rangeIndex].second);

            TPlasmaStream body;
            TPRPObjectDesc ownKey;
            ExtractObjectData(entry, body, ownKey);
            EXPECT_EQ(ownKey.Name, written.key.Name);
            EXPECT_EQ(ownKey.NewLoadMask, written.key.NewLoadMask);
            // "Tree" ends right after its own key: an empty body, not an error.
            EXPECT_EQ(body.Bytes(), written.body);
            EXPECT_EQ(body.Position(), 0);
        }
    }
}

TEST_P(PageFamilies, SceneNodeBodyKeysDecodeThroughTheObjectStream) {
    const FamilyRow row = GetParam();
    const std::string path = folder.write("page.prp", buildPage(samplePage(row.version)));
    const TPRPFile page = loadPage(path);
    const TPRPFileObject& node = page.Folders[0].Objects[0];
    TPlasmaStream body;
    TPRPObjectDesc ownKey;
    ExtractObjectData(node, body, ownKey);
    body.Header.Version = node.Version;
    body.Header.MajorVersion = static_cast<uint16_t>(node.MajorVersion);
    const auto first = body.ReadKeyRefs();
    const auto second = body.ReadKeyRefs();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].Name, "Rock");
    EXPECT_EQ(first[1].Name, "Tree");
    EXPECT_EQ(first[1].ClassType, 1);
    EXPECT_TRUE(second.empty());
    EXPECT_TRUE(body.AtEnd());
}

INSTANTIATE_TEST_SUITE_P(AllFamilies, PageFamilies, ::testing::ValuesIn(kFamilies),
                         [](const auto& info) { return "Version" + std::to_string(info.param.version); });

TEST(HeaderDecision, VersionAndSecondWordChooseTheLayout) {
    TempFolder folder;
    struct Row {
        uint16_t written, typeCount, first; // the page's family, its type count and the first word stored
        uint16_t version, major;
    } rows[] = {
        {kVersionUru, 0, 5, 5, 63},    // 5 is Uru whatever the second word
        {kVersionLive, 0, 6, 7, 70},   // second word 0: Live
        {kVersionLive, 0, 3, 7, 70},   // Live whatever the first word
        {kVersionMystV, 3, 6, 6, 0},   // Myst V
        {kVersionHexIsle, 1, 9, 9, 0}, // Hex Isle
        {3, 1, 3, 3, 0},               // unknown code keeps its value, Myst V header layout
    };
    for (const Row& row : rows) {
        TestPage page = emptyPage(row.written, "A", "P", 0, kBuiltIn);
        page.typeCount = row.typeCount; // the Myst V type table is skipped: the fields after it read right
        PageLayout layout;
        Bytes bytes = buildPage(page, &layout);
        bytes[0] = static_cast<uint8_t>(row.first);
        TPlasmaFileStream s(folder.write("h.prp", bytes), TFileMode::fmOpenRead);
        s.ReadPageHeader();
        SCOPED_TRACE(std::to_string(row.first) + "/" + std::to_string(row.typeCount));
        EXPECT_EQ(s.Header.Version, row.version);
        EXPECT_EQ(s.Header.MajorVersion, row.major);
        EXPECT_EQ(s.Header.AgeName, "A");
        EXPECT_EQ(s.Header.PageName, "P");
        EXPECT_EQ(s.Header.PageNumber, 0);
        EXPECT_EQ(s.Header.LocationFlags, kBuiltIn);
        EXPECT_EQ(s.Header.IndexStart, layout.indexStart);
    }
}

TEST(HeaderDecision, UnknownCodeReadsGroupsInUruLayoutAndNoKeysInObjects) {
    TempFolder folder;
    TestPage page = samplePage(3);
    const TPRPFile read = loadPage(folder.write("p.prp", buildPage(page)));
    ASSERT_EQ(read.Header.Version, 3);
    ASSERT_EQ(read.FolderCount, 3);
    EXPECT_EQ(read.Folders[1].Objects[0].Desc.Name, "Rock");
    EXPECT_EQ(GetObjectClassLabel(read.Folders[1].Objects[0]).substr(0, 5), "??? [");
}

TEST(Location, AdjustmentWrapsInSixteenBits) {
    EXPECT_EQ(AdjustPageNumber(0, 0xFFFF), 0xFFFF);
    EXPECT_EQ(AdjustPageNumber(1, 0xFFFF), 0);
    EXPECT_EQ(AdjustPageNumber(33, 0x10), 0);
    EXPECT_EQ(AdjustPageNumber(32, 0x10), 0xFFFF);
    EXPECT_EQ(AdjustPageNumber(0, 0), 0xFFDF);
    for (uint16_t high : {0, 0x20, 0xFFFE, 0xFFFF})
        for (uint16_t page : {0, 1, 32, 33, 0xFFFF})
            EXPECT_EQ(AdjustPageNumber(StoredLocationLow(page, high), high), page);
}

TEST(Location, KeysAndHeadersAdjustAlike) {
    TempFolder folder;
    for (uint16_t version : {kVersionUru, kVersionMystV, kVersionLive, kVersionHexIsle}) {
        TestPage page = samplePage(version);
        page.seqPrefix = 0xFFFF;
        page.pageNumber = 0xFFFF; // stored low word 0
        for (auto& g : page.groups)
            for (auto& o : g.objects) {
                o.key.SeqPrefix = 0xFFFF;
                o.storedLow = 0;
            }
        const TPRPFile read = loadPage(folder.write("p.prp", buildPage(page)));
        EXPECT_EQ(read.Header.PageNumber, 0xFFFF);
        EXPECT_EQ(read.Folders[1].Objects[0].Desc.PageNumber, read.Header.PageNumber);
    }
}

TEST(KeyLayouts, LiveContentsByteOneTakesTheNextByte) {
    TempFolder folder;
    TestPage page = samplePage(kVersionLive);
    TestObject& clone = page.groups[1].objects[1];
    clone.key.ContentsFlags = 3; // stored as 1, then the real flags: load mask and clone ids follow
    clone.key.LoadMask = 0x44;
    clone.liveDoubleContents = true;
    const Bytes bytes = buildPage(page);
    const TPRPFile read = loadPage(folder.write("p.prp", bytes));
    const TPRPObjectDesc& k = read.Folders[1].Objects[1].Desc;
    EXPECT_EQ(k.ContentsFlags, 3);
    EXPECT_EQ(k.LoadMask, 0x44);
    EXPECT_EQ(k.CloneID, 7u);
    EXPECT_EQ(k.ClonePlayerID, 9u);
    EXPECT_EQ(k.Name, "Tree");
    // The same bytes read as Uru (not Live) take the 1 as the flags and go astray.
    TPlasmaStream key(Bytes(bytes.begin() + read.Folders[1].Objects[1].Offset + 2, bytes.end()));
    key.Header.Version = kVersionLive;
    TPRPObjectDesc uru;
    key.ReadKey(uru);
    EXPECT_NE(uru.Name, "Tree");
}

TEST(KeyLayouts, LoadMasksFollowTheContentsFlags) {
    struct Row {
        uint16_t version;
        uint8_t flags;
        size_t expectedSize;
    } rows[] = {
        {kVersionMystV, 0, 1 + 4 + 1 + 2 + 4 + 2 + 1},     {kVersionMystV, 1, 1 + 4 + 1 + 2 + 4 + 2 + 1},
        {kVersionMystV, 2, 1 + 4 + 1 + 2 + 4 + 2 + 1 + 1}, {kVersionMystV, 4, 1 + 4 + 1 + 2 + 4 + 2 + 1 + 1},
        {kVersionUru, 0, 1 + 4 + 2 + 2 + 2 + 1},           {kVersionUru, 2, 1 + 4 + 2 + 1 + 2 + 2 + 1},
        {kVersionUru, 3, 1 + 4 + 2 + 1 + 2 + 2 + 1 + 8},
    };
    for (const Row& row : rows) {
        TPRPObjectDesc k = makeKey(0x2B, "x");
        k.ContentsFlags = row.flags;
        k.LoadMask = 0x11;
        k.NewLoadMask = 0x22;
        k.CloneID = 5;
        ByteWriter w(row.version);
        w.key(k).u8(0xAB);
        TPlasmaStream s(w.bytes);
        s.Header.Version = row.version;
        TPRPObjectDesc read;
        s.ReadKey(read);
        SCOPED_TRACE(std::to_string(row.version) + " flags " + std::to_string(row.flags));
        EXPECT_EQ(s.Position(), static_cast<int64_t>(row.expectedSize));
        EXPECT_EQ(read.Name, "x");
        EXPECT_EQ(read.ClassType, 0x2B);
        if (row.version == kVersionMystV)
            EXPECT_EQ(read.NewLoadMask, (row.flags & 6) ? 0x22 : 0);
        else
            EXPECT_EQ(read.LoadMask, (row.flags & 2) ? 0x11 : 0);
    }
}

TEST(KeyIndex, EmptyIndex) {
    TempFolder folder;
    TestPage page = samplePage(kVersionUru);
    page.groups = {};
    EXPECT_EQ(loadPage(folder.write("a.prp", buildPage(page))).FolderCount, 0);
}

TEST(ObjectExtraction, EmptySizeShortFileAndMissingFiles) {
    TempFolder folder;
    const std::string path = folder.write("p.prp", buildPage(samplePage(kVersionUru)));
    TPRPFile page = loadPage(path);
    TPRPFileObject entry = page.Folders[1].Objects[0];
    TPlasmaStream body;
    TPRPObjectDesc key;

    entry.Size = 0; // "Object data is empty!", as the raw view shows it
    EXPECT_THROW(ExtractObjectData(entry, body, key), EInOutError);

    entry.Size = 0xFFFFFFF0; // far beyond the file: an error, and no huge allocation
    EXPECT_THROW(ExtractObjectData(entry, body, key), EReadError);

    entry = page.Folders[1].Objects[0];
    entry.FileName = folder.file("missing.prp"); // the message naming it is checked with the page tree
    EXPECT_THROW(ExtractObjectData(entry, body, key), EFOpenError);
    EXPECT_THROW(TPlasmaFileStream(folder.file("no/such/dir.prp"), TFileMode::fmCreate), EFCreateError);
}

// The positions of the format selector, each with the family its version stands for; beyond the list
// nothing changes, and "none" (-1) clears the version.
TEST(PageFileStream, VersionSelectorPositions) {
    TempFolder folder;
    TPlasmaFileStream s(folder.file("n.prp"), TFileMode::fmCreate);
    const int expected[] = {5, 5, 6, 6, 6, 9, 7};
    const char* families[] = {"Uru", "Uru", "Myst V", "Myst V", "Myst V", "Hex Isle", "Live"};
    for (int i = 0; i < 7; ++i) {
        s.SetVersionByIndex(i);
        EXPECT_EQ(s.Header.Version, expected[i]);
        EXPECT_EQ(FamilyName(s.Header.Version), families[i]) << i;
    }
    s.SetVersionByIndex(7);
    EXPECT_EQ(s.Header.Version, 7);
    s.SetVersionByIndex(-1);
    EXPECT_EQ(s.Header.Version, 0);
    EXPECT_EQ(FamilyName(s.Header.Version), "");
    EXPECT_EQ(FamilyName(8), "");
}
