// Damaged pages: truncated at every byte, and impossible counts. Each loads what it holds or fails
// with a page-file error; nothing crashes, hangs or allocates beyond the file.
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include "FailingReads.h"
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

// Impossible counts, of a group's keys or of the groups: the page loads bounded and in time. A key count no
// file could hold ends its group at the first entry that is not one of its keys: the later groups keep their
// keys and their class.
TEST_P(DamagedPages, ImpossibleCounts) {
    PageLayout layout;
    const Bytes full = buildPage(samplePage(GetParam()), &layout);
    const TPRPFile whole = loadPage(folder.write("w.prp", full));
    std::vector<size_t> countOffsets = layout.groupCountOffsets;
    countOffsets.push_back(layout.indexStart); // the group count
    for (size_t at = 0; at < countOffsets.size(); ++at)
        for (uint32_t count : {0u, 1u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
            SCOPED_TRACE(testing::Message() << "offset " << countOffsets[at] << " count " << count);
            ByteWriter w;
            w.bytes = full;
            w.patchU32(countOffsets[at], count);
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
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
            if (count < 0x7FFFFFFFu || at + 1 >= layout.groupCountOffsets.size()) continue;
            ASSERT_EQ(page.Folders.size(), whole.Folders.size());
            for (size_t g = 0; g < page.Folders.size(); ++g) {
                EXPECT_EQ(page.Folders[g].ClassType, whole.Folders[g].ClassType);
                ASSERT_EQ(page.Folders[g].Objects.size(), whole.Folders[g].Objects.size());
                for (size_t i = 0; i < page.Folders[g].Objects.size(); ++i)
                    EXPECT_EQ(page.Folders[g].Objects[i].Desc.Name, whole.Folders[g].Objects[i].Desc.Name);
            }
            EXPECT_EQ(page.Damage.MiscountedGroups, std::vector<uint16_t>{whole.Folders[at].ClassType});
        }
}

// Group after group whose key count no file could hold, each followed at once by the next: what the reader
// keeps for them grows with the file, not with the square of the groups. Each group is as short as its
// family stores one.
TEST_P(DamagedPages, MiscountedGroupsKeepMemoryInProportionToTheFile) {
    const uint16_t version = GetParam();
    const TestPage header = emptyPage(version, "Age", "Page", 1);
    PageLayout layout;
    ByteWriter w;
    w.bytes = buildPage(header, &layout);
    w.bytes.resize(layout.indexStart);
    const uint32_t groups = 3000;
    w.u32(groups);
    for (uint32_t g = 0; g < groups; ++g) {
        w.u16(0x0100);
        if (IsMystVFamily(version) || effectiveMajor(header) == kMajorVersionLive) w.u32(0).u8(0);
        w.u32(0xFFFFFFFFu);
    }
    const TPRPFile page = loadPage(folder.write("m.prp", w.bytes));
    EXPECT_EQ(page.Folders.size(), groups);
    EXPECT_GE(page.Damage.MiscountedGroups.size(), groups - 1);
    size_t reserved = page.Folders.capacity() * sizeof(TPRPFolder);
    for (const TPRPFolder& f : page.Folders) {
        EXPECT_TRUE(f.Objects.empty());
        reserved += f.Objects.capacity() * sizeof(TPRPFileObject);
    }
    EXPECT_LE(reserved, 64 * w.size()) << "bytes reserved for a file of " << w.size();
}

INSTANTIATE_TEST_SUITE_P(AllFamilies, DamagedPages,
                         ::testing::Values(kVersionUru, kVersionMystV, kVersionLive, kVersionHexIsle,
                                           uint16_t(3)),
                         [](const auto& info) { return "Version" + std::to_string(info.param); });

// What the reader says it could not read: nothing for whole pages (an empty group and a new, empty file
// included), the cut for damaged ones; what a damaged page holds opens without a crash.
TEST_P(DamagedPages, DamageIsNamedAndWholePagesAreNot) {
    TestPage sample = samplePage(GetParam());
    sample.groups.push_back(TestGroup(7));
    PageLayout layout;
    const Bytes full = buildPage(sample, &layout);
    auto patched = [&](size_t offset, uint32_t value) {
        ByteWriter w;
        w.bytes = full;
        w.patchU32(offset, value);
        return w.bytes;
    };
    const struct Row {
        const char* what;
        Bytes bytes;
        std::string damage; // what the description begins with
    } rows[] = {
        {"whole", full, ""},
        {"empty page", buildPage(emptyPage(GetParam(), "A", "B", 1)), ""},
        {"new empty file", Bytes{}, ""},
        {"cut at half", Bytes(full.begin(), full.begin() + ptrdiff_t(full.size() / 2)),
         "the key index starts past the end of the file"},
        {"index start past the end", patched(layout.dataStart - 4, 0xFFFFFFF0u), // IndexStart: the last field
         "the key index starts past the end of the file"},
        {"index start in the data", patched(layout.dataStart - 4, uint32_t(layout.dataStart)),
         "the key count"},
        {"cut after a group's count",
         Bytes(full.begin(), full.begin() + ptrdiff_t(layout.groupCountOffsets[1] + 4)),
         "the key index is damaged; 2 of 4 class groups and 1 of at least 3 keys loaded"},
        {"cut in the second group's header",
         Bytes(full.begin(), full.begin() + ptrdiff_t(layout.groupCountOffsets[1] - 1)),
         "the key index is damaged; 1 of 4 class groups and its 1 key loaded"},
        {"cut in the group count", Bytes(full.begin(), full.begin() + ptrdiff_t(layout.indexStart + 3)),
         "the key index is damaged; its class group count is cut short"},
        {"last group cut short", Bytes(full.begin(), full.end() - 3),
         "the key index is damaged; 3 of 4 class groups and their 4 keys loaded"},
        {"header cut short", Bytes(full.begin(), full.begin() + 6), "the page header is cut short"},
        {"zeros", Bytes(4096, 0), "the key index starts inside the page header"},
        {"impossible key count", patched(layout.groupCountOffsets[0], 0xFFFFFFFFu), "the key count of the "},
    };
    for (const Row& row : rows) {
        const TPRPFile page = loadPage(folder.write("d.prp", row.bytes));
        const std::string damage = DescribePageDamage(page);
        EXPECT_EQ(damage.substr(0, row.damage.size()), row.damage) << row.what << ": " << damage;
        EXPECT_EQ(page.Damage.Any(), !row.damage.empty()) << row.what;
        EXPECT_EQ(damage.empty(), row.damage.empty()) << row.what;
        loadEverything(folder.file("d.prp"));
    }
}

// Groups whose key counts could not be true are named together, each class once with how many of its groups
// there were, in the order the classes first came. Without class tables a class is named by its number.
TEST(PageDamageText, MiscountedGroupsAreNamedOncePerClass) {
    ClearClassTables();
    const struct Row {
        std::vector<uint16_t> miscounted;
        bool headerCut;
        std::string text;
    } rows[] = {
        {{0x0100}, false, "the key count of the ??? [0100] group is damaged"},
        {std::vector<uint16_t>(150, 0x0100), false, "the key counts of 150 ??? [0100] groups are damaged"},
        {{1, 0x0100, 1, 1},
         false,
         "the key counts of 3 ??? [0001] groups and 1 ??? [0100] group are damaged"},
        {{4, 5, 4, 6},
         true,
         "the page header is cut short; the key counts of 2 ??? [0004] groups, 1 ??? [0005] group and 1 ??? "
         "[0006] group are damaged"},
    };
    for (const Row& row : rows) {
        TPRPFile page;
        page.Header.Version = kVersionUru;
        page.Damage.MiscountedGroups = row.miscounted;
        page.Damage.HeaderCut = row.headerCut;
        EXPECT_EQ(DescribePageDamage(page), row.text);
    }
}

// A key index cut at any byte: every key whose bytes the cut reaches is left out, and so is a group whose
// header it reaches; what is loaded is what the whole page holds, in its order. The count names what was cut:
// the keys of every group whose header was read, and never as many stored as loaded.
TEST_P(DamagedPages, KeysCutShortAreNotLoaded) {
    TestPage sample = samplePage(GetParam());
    sample.groups.push_back(TestGroup(7));
    PageLayout layout;
    const Bytes full = buildPage(sample, &layout);
    const TPRPFile whole = loadPage(folder.write("w.prp", full));
    uint64_t wholeKeys = 0;
    for (const TPRPFolder& f : whole.Folders)
        wholeKeys += f.Objects.size();
    const std::regex keysLoaded("(\\d+) of (at least )?(\\d+) keys");
    for (size_t length = layout.indexStart + 1; length < full.size(); ++length) {
        SCOPED_TRACE(testing::Message() << "cut at " << length << " of " << full.size());
        const TPRPFile page = loadPage(folder.write("t.prp", Bytes(full.begin(), full.begin() + length)));
        ASSERT_LE(page.Folders.size(), whole.Folders.size());
        uint64_t loaded = 0;
        for (size_t g = 0; g < page.Folders.size(); ++g) {
            const TPRPFolder& cut = page.Folders[g];
            EXPECT_EQ(cut.ClassType, whole.Folders[g].ClassType);
            ASSERT_LE(cut.Objects.size(), whole.Folders[g].Objects.size());
            for (size_t i = 0; i < cut.Objects.size(); ++i) {
                const TPRPFileObject& entry = cut.Objects[i];
                const TPRPFileObject& original = whole.Folders[g].Objects[i];
                EXPECT_EQ(entry.Desc, original.Desc) << entry.Desc.Name;
                EXPECT_EQ(entry.Offset, original.Offset) << entry.Desc.Name;
                EXPECT_EQ(entry.Size, original.Size) << entry.Desc.Name;
            }
            loaded += cut.Objects.size();
        }
        const TPageDamage& damage = page.Damage;
        EXPECT_EQ(damage.KeysLoaded, loaded);
        EXPECT_LT(loaded, wholeKeys + (page.Folders.size() < whole.Folders.size() ? 1 : 0));
        EXPECT_TRUE(damage.MiscountedGroups.empty());
        if (damage.GroupsLoaded == whole.Folders.size()) {
            EXPECT_EQ(damage.KeysStored, wholeKeys);
        }
        const std::string text = DescribePageDamage(page);
        EXPECT_EQ(text.rfind("the key index is damaged; ", 0), 0u) << text;
        std::smatch counts;
        if (std::regex_search(text, counts, keysLoaded)) {
            EXPECT_TRUE(counts[1] != counts[3] || counts[2].matched) << text;
            EXPECT_EQ(counts[2].matched, damage.GroupsLoaded < damage.GroupsStored) << text;
        }
        EXPECT_EQ(text.find(" 0 of 0 "), std::string::npos) << text;
        if (damage.GroupsLoaded < damage.GroupsStored && damage.GroupsLoaded > 0 &&
            damage.KeysLoaded == damage.KeysStored) {
            EXPECT_NE(text.find(std::string(" class groups and ") +
                                (damage.GroupsLoaded == 1 ? "its " : "their ") + std::to_string(loaded)),
                      std::string::npos)
                << text;
        }
    }
}

// A read the system fails (a bad block, a share that went away) is not the end of the file: the page or
// the object is not read, and the failure names the file and the system's reason, whether it strikes the
// header, the key index or an object's stored bytes.
TEST_P(DamagedPages, ReadErrorsNameTheFileAndTheReason) {
    PageLayout layout;
    const std::string path = folder.write("e.prp", buildPage(samplePage(GetParam()), &layout));
    const std::string message = "Cannot read file \"" + path + "\". " + std::strerror(EIO);
    const struct Row {
        const char* what;
        size_t from, to;
    } pageRows[] = {
        {"page header", 0, 2},
        {"header's data start", layout.dataStart - 8, layout.dataStart - 4},
        {"group count", layout.indexStart, layout.indexStart + 4},
        {"second group's key count", layout.groupCountOffsets[1], layout.groupCountOffsets[1] + 1},
        {"last key's size", readFile(path).size() - 3, readFile(path).size()},
    };
    for (const Row& row : pageRows) {
        FailingReads failing(path, int64_t(row.from), int64_t(row.to));
        try {
            loadPage(path);
            ADD_FAILURE() << row.what << ": loaded";
        } catch (const EReadError& error) {
            EXPECT_EQ(error.what(), message) << row.what;
        }
        EXPECT_GT(FailingReads::failures(), 0) << row.what;
    }

    const TPRPFile page = loadPage(path);
    const auto [offset, size] = layout.objectRanges[1];
    FailingReads failing(path, int64_t(offset + size / 2), int64_t(offset + size));
    std::vector<const TPRPFileObject*> failed;
    for (const TPRPFolder& f : page.Folders)
        for (const TPRPFileObject& entry : f.Objects) {
            TPlasmaStream body;
            TPRPObjectDesc key;
            try {
                ExtractObjectData(entry, body, key);
            } catch (const EReadError& error) {
                EXPECT_EQ(error.what(), message);
                failed.push_back(&entry);
            }
        }
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0]->Offset, offset);
    try {
        ReadStoredObject(*failed[0]);
        ADD_FAILURE() << "read";
    } catch (const EReadError& error) {
        EXPECT_EQ(error.what(), message);
    }
}

// Only regular files are opened, and the open of a pipe does not wait for a writer.
TEST(PageFiles, OnlyRegularFilesOpen) {
    TempFolder folder;
    std::filesystem::create_directory(folder.file("dir.prp"));
    ASSERT_EQ(::mkfifo(folder.file("pipe.prp").c_str(), 0600), 0);
    const struct {
        std::string path;
        std::string message;
    } rows[] = {{folder.file("dir.prp"), "\"" + folder.file("dir.prp") + "\" is a folder"},
                {folder.file("pipe.prp"), "\"" + folder.file("pipe.prp") + "\" is not a regular file"},
                {"/dev/null", "\"/dev/null\" is not a regular file"}};
    for (const auto& row : rows)
        for (TFileMode mode : {TFileMode::fmOpenRead, TFileMode::fmCreate}) {
            try {
                TPlasmaFileStream stream(row.path, mode);
                ADD_FAILURE() << row.path << " opened";
            } catch (const EFOpenError& error) {
                EXPECT_EQ(error.what(), row.message);
            }
        }
}
