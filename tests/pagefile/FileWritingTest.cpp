// Writing files: a write the file cannot take is reported when the writer ends, never lost in the
// destructor; a new file takes its name only once it is whole, so a file that failed leaves the name as it
// was, and an earlier file of that name stays.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "TestFiles.h"

using namespace testpages;

namespace {

constexpr uint64_t kLimit = 2048;

Bytes pattern(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    return bytes;
}

std::string fileTooLarge(const std::string& path) {
    return "Cannot write file \"" + path + "\". " + std::strerror(EFBIG);
}

// The names in the folder, temporary ones included.
std::vector<std::string> namesIn(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.file(".")))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

} // namespace

// Below the write buffer's size everything is still pending when the writer ends; above it the buffer
// goes out while writing. Either way the failure raises, with the file's name and the system's reason.
TEST(FileWrites, AWriteTheFileCannotTakeRaises) {
    TempFolder folder;
    for (size_t size : {size_t{3000}, size_t{100000}}) {
        SCOPED_TRACE(size);
        const std::string path = folder.file("out.bin");
        const Bytes bytes = pattern(size);
        std::string message;
        withFileSizeLimit(kLimit, [&] {
            try {
                TFileStream file(path, TFileMode::fmCreate);
                for (size_t at = 0; at < bytes.size(); at += 1000)
                    file.WriteBuffer(bytes.data() + at, std::min<size_t>(1000, bytes.size() - at));
                file.Close();
            } catch (const EWriteError& error) {
                message = error.what();
            }
        });
        EXPECT_EQ(message, fileTooLarge(path));
        EXPECT_EQ(namesIn(folder), Names{}) << "nothing stays, under any name";
    }
}

TEST(FileWrites, CloseWritesEverythingIncludingRewrittenPositions) {
    TempFolder folder;
    const std::string path = folder.file("out.bin");
    const Bytes bytes = pattern(70000);
    TFileStream file(path, TFileMode::fmCreate);
    file.WriteBuffer(bytes.data(), bytes.size());
    file.SetPosition(4);
    file.WriteValue<uint32_t>(0xA1B2C3D4);
    file.Close();
    Bytes expected = bytes;
    const uint8_t word[] = {0xD4, 0xC3, 0xB2, 0xA1};
    std::copy(word, word + 4, expected.begin() + 4);
    EXPECT_EQ(readFile(path), expected);
    Bytes none(4);
    EXPECT_EQ(file.Read(none.data(), none.size()), 0u) << "a closed stream reads nothing";
}

// Whatever stops the writer, nothing half-written takes the name, an earlier file of that name stays as it
// was, and the error is the writer's.
TEST(FileWrites, WriteNewFileReplacesOnlyWhenWhole) {
    TempFolder folder;
    const std::string path = folder.file("new.bin");
    const Bytes bytes = pattern(3000);
    auto writeAll = [&](TFileStream& file) { file.WriteBuffer(bytes.data(), bytes.size()); };
    auto failWith = [&](auto error) {
        return [&, error](TFileStream& file) {
            writeAll(file);
            throw error;
        };
    };

    bool raised = false;
    withFileSizeLimit(kLimit, [&] {
        try {
            WriteNewFile(path, writeAll);
        } catch (const EWriteError&) {
            raised = true;
        }
    });
    EXPECT_TRUE(raised) << "the file system's refusal";
    EXPECT_EQ(namesIn(folder), Names{});

    const Bytes earlier = {1, 2, 3};
    testpages::writeFile(path, earlier);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    std::string message;
    withFileSizeLimit(kLimit, [&] {
        try {
            WriteNewFile(path, writeAll);
        } catch (const EWriteError& error) {
            message = error.what();
        }
    });
    EXPECT_EQ(message, fileTooLarge(path)) << "the message names the file, not a temporary one";
    EXPECT_THROW(WriteNewFile(path, failWith(EReadError("Stream read error"))), EReadError);
    EXPECT_EQ(readFile(path), earlier);
    EXPECT_EQ(namesIn(folder), Names{"new.bin"});

    EXPECT_THROW(WriteNewFile(folder.file("no/such/folder.bin"), writeAll), EFCreateError);

    WriteNewFile(path, writeAll);
    EXPECT_EQ(readFile(path), bytes);
    EXPECT_EQ(namesIn(folder), Names{"new.bin"});
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u) << "the replaced file's permissions stay";
}

// A link is followed to the file it names, and a file that may not be written is not replaced behind its
// back.
TEST(FileWrites, LinksAndReadOnlyFiles) {
    TempFolder folder;
    const std::string target = folder.file("target.bin"), link = folder.file("link.bin");
    testpages::writeFile(target, {1});
    std::filesystem::create_symlink(target, link);
    WriteNewFile(link, [](TFileStream& file) { file.WriteValue<uint8_t>(2); });
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(target), Bytes{2});

    if (::geteuid() == 0) GTEST_SKIP() << "the superuser may write any file";
    const std::string locked = folder.file("locked.bin");
    testpages::writeFile(locked, {1});
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    EXPECT_THROW(WriteNewFile(locked, [](TFileStream& file) { file.WriteValue<uint8_t>(2); }), EFCreateError);
    EXPECT_EQ(readFile(locked), Bytes{1});
}
