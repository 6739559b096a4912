// Damaged pages: truncated at every byte, and impossible counts. Each loads what it holds or fails
// with a page-file error; nothing crashes, hangs or allocates beyond the file.
#include <chrono>
#include <gtest/gtest.h>

#include "TestFiles.h"

using namespace testpages;

namespace {

// Loads the page and opens every entry; returns how many objects opened. Page-file errors are the
// clear failures the user would see.
size_t loadEverything(const std::string& path) {
    const TPRPFile page = loadPage(path);
    size_t opened = 0;
    for (const TPRPFolder& folder : page.Folders)
        for (const TPRPFileObject& entry : folder.Objects) {
            try {
                TPlasmaStream body;
                body.Header.Version = entry.Version;
                TPRPObjectDesc key;
                ExtractObjectData(entry, body, key);
                body.Header.Version = entry.Version;
                body.Header.MajorVersion = static_cast<uint16_t>(entry.MajorVersion);
                (void)body.ReadKeyRefs();
                ++opened;
            } catch (const Exception&) {
            }
        }
    return opened;
}

class DamagedPages : public ::testing::TestWithParam<uint16_t> {
protected:
    TempFolder folder;
};

} // namespace

TEST_P(DamagedPages, TruncatedAtEveryByte) {
    const Bytes full = buildPage(samplePage(GetParam()));
    const auto start = std::chrono::steady_clock::now();
    for (size_t length = 0; length <= full.size(); ++length) {
        const std::string path = folder.write("t.prp", Bytes(full.begin(), full.begin() + length));
        ASSERT_NO_FATAL_FAILURE(loadEverything(path)) << "length " << length;
    }
    EXPECT_EQ(loadEverything(folder.write("t.prp", full)), 4u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST_P(DamagedPages, ImpossibleCounts) {
    PageLayout layout;
    const Bytes full = buildPage(samplePage(GetParam()), &layout);
    std::vector<size_t> countOffsets = layout.groupCountOffsets;
    countOffsets.push_back(layout.indexStart); // the group count
    for (size_t offset : countOffsets)
        for (uint32_t count : {0u, 1u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
            ByteWriter w;
            w.bytes = full;
            w.patchU32(offset, count);
            const auto start = std::chrono::steady_clock::now();
            const std::string path = folder.write("c.prp", w.bytes);
            const TPRPFile page = loadPage(path);
            EXPECT_LE(page.Folders.size(), 3u + (count > 3 ? 1u : 0u));
            size_t entries = 0;
            for (const auto& f : page.Folders) {
                EXPECT_EQ(f.Count, f.Objects.size());
                entries += f.Objects.size();
            }
            EXPECT_LE(entries, full.size());
            loadEverything(path);
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1))
                << "offset " << offset << " count " << count;
        }
}

TEST_P(DamagedPages, WrongOffsetsAndSizes) {
    PageLayout layout;
    const Bytes full = buildPage(samplePage(GetParam()), &layout);
    // Index start beyond the end: no groups. Inside the data: garbage groups, bounded.
    for (uint32_t indexStart : {0xFFFFFFF0u, static_cast<uint32_t>(layout.dataStart), 0u}) {
        ByteWriter w;
        w.bytes = full;
        w.patchU32(layout.dataStart - 4, indexStart); // IndexStart is the header's last field
        const TPRPFile page = loadPage(folder.write("o.prp", w.bytes));
        if (indexStart == 0xFFFFFFF0u) {
            EXPECT_EQ(page.FolderCount, 0);
        }
        loadEverything(folder.file("o.prp"));
    }
    // An entry pointing past the end of the file fails with a read error, not a crash.
    TPRPFile page = loadPage(folder.write("p.prp", full));
    TPRPFileObject entry = page.Folders[0].Objects[0];
    entry.Offset = static_cast<uint32_t>(full.size() - 2);
    TPlasmaStream body;
    TPRPObjectDesc key;
    EXPECT_THROW(ExtractObjectData(entry, body, key), EReadError);
}

INSTANTIATE_TEST_SUITE_P(AllFamilies, DamagedPages,
                         ::testing::Values(kVersionUru, kVersionMystV, kVersionLive, kVersionHexIsle,
                                           uint16_t(3)),
                         [](const auto& info) { return "Version" + std::to_string(info.param); });
