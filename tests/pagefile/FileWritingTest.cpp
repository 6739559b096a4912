// Writing files: a write the file cannot take is reported when the writer ends, never lost in the
// destructor, and a file that failed is not left behind under its name.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

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
        EXPECT_EQ(readFile(path), Bytes(bytes.begin(), bytes.begin() + kLimit)) << "only what fitted";
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

// Whatever stops the writer, nothing half-written stays under the name and the error is the writer's.
TEST(FileWrites, WriteNewFileRemovesWhatFailed) {
    TempFolder folder;
    const std::string path = folder.file("new.bin");
    const Bytes bytes = pattern(3000);
    auto writeAll = [&](TFileStream& file) { file.WriteBuffer(bytes.data(), bytes.size()); };

    bool raised = false;
    withFileSizeLimit(kLimit, [&] {
        try {
            WriteNewFile(path, writeAll);
        } catch (const EWriteError&) {
            raised = true;
        }
    });
    EXPECT_TRUE(raised) << "the file system's refusal";
    EXPECT_FALSE(std::filesystem::exists(path));

    testpages::writeFile(path, {1, 2, 3}); // an earlier file of that name goes as well
    EXPECT_THROW(WriteNewFile(path,
                              [&](TFileStream& file) {
                                  writeAll(file);
                                  throw EReadError("Stream read error");
                              }),
                 EReadError);
    EXPECT_FALSE(std::filesystem::exists(path));

    EXPECT_THROW(WriteNewFile(folder.file("no/such/folder.bin"), writeAll), EFCreateError);

    WriteNewFile(path, writeAll);
    EXPECT_EQ(readFile(path), bytes);
}
