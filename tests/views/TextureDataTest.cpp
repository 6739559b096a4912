// Texture objects: bitmap headers, mip-map bodies of every kind, the DDS and JPEG files written from
// them, cube maps, and damaged bodies failing cleanly.
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

#include "PRPTexture.h"
#include "PageWriter.h"
#include "RefusedTempFolder.h"
#include "TestFiles.h"
#include "TextureWriters.h"

using namespace testpages;

namespace {

using std::filesystem::exists;

uint32_t wordAt(const Bytes& b, size_t index) {
    const size_t o = index * 4;
    return b[o] | b[o + 1] << 8 | b[o + 2] << 16 | static_cast<uint32_t>(b[o + 3]) << 24;
}

constexpr uint32_t fourCC(const char* s) {
    return static_cast<uint32_t>(s[0]) | static_cast<uint32_t>(s[1]) << 8 |
           static_cast<uint32_t>(s[2]) << 16 | static_cast<uint32_t>(s[3]) << 24;
}

Bytes pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(seed + i * 7);
    return b;
}

// A small stand-in for a JPEG file: the writer copies it without looking inside.
Bytes jpegBlob(uint8_t seed) {
    Bytes b = pattern(37, seed);
    b[0] = 0xFF, b[1] = 0xD8;
    return b;
}

struct PixelRun {
    uint32_t count;
    uint32_t value;
};

void runPart(ByteWriter& b, const std::vector<PixelRun>& runs, bool terminated = true) {
    for (const PixelRun& r : runs)
        b.u32(r.count).u32(r.value);
    if (terminated) b.u32(0).u32(0xDEADBEEF);
}

void jpegPart(ByteWriter& b, const Bytes& blob) {
    b.u32(static_cast<uint32_t>(blob.size())).raw(blob);
}

class TextureFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string folder() const { return dir.path().toStdString(); }
    std::string path(const std::string& name) const {
        return (std::filesystem::path(folder()) / name).string();
    }

    TMipmapFiles decode(const Bytes& body) {
        TMemoryStream stream(body);
        TMipmapFiles files = WriteMipmapFiles(stream, folder());
        EXPECT_EQ(stream.Remaining(), 0) << "the whole body is read";
        return files;
    }
};

// The 128-byte DDS header as a list of 32 words.
struct DDSRow {
    const char* name;
    uint8_t compression;
    uint8_t subType;
    uint32_t width, height;
    uint8_t levels;
    std::vector<uint32_t> words; // words 3 to 8 (flags ... mip count), then 20 to 28 (pixel format, caps 1)
};

void PrintTo(const DDSRow& row, std::ostream* os) {
    *os << row.name;
}

std::vector<uint32_t> expectedHeader(const DDSRow& row) {
    std::vector<uint32_t> h(32, 0);
    h[0] = fourCC("DDS ");
    h[1] = 124;
    std::copy(row.words.begin(), row.words.begin() + 6, h.begin() + 2);
    std::copy(row.words.begin() + 6, row.words.end(), h.begin() + 19);
    return h;
}

constexpr uint32_t kDXT1 = fourCC("DXT1"), kDXT5 = fourCC("DXT5");

// clang-format off
const DDSRow kDDSRows[] = {
    // name, compression, sub type, width, height, levels | flags, height, width, pitch/linear size, depth,
    // mip count | pf size, pf flags, fourCC, bits, masks x4, caps
    {"DXT5_6x6", 1, 5, 6, 6, 3, {0xA1007, 6, 6, 64, 0, 2, 32, 4, kDXT5, 0, 0, 0, 0, 0, 0x401008}},
    {"DXT1_6x10", 1, 1, 6, 10, 1, {0xA1007, 10, 6, 48, 0, 1, 32, 4, kDXT1, 0, 0, 0, 0, 0, 0x401008}},
    {"DXT5_NoLevels", 1, 5, 8, 8, 0, {0xA1007, 8, 8, 64, 0, 0, 32, 4, kDXT5, 0, 0, 0, 0, 0, 0x401008}},
    {"Pixels_256x4", 0, 0, 256, 4, 9,
     {0x100F, 4, 256, 1024, 0, 9, 32, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0x1000}},
    {"Pixels_SubType5", 0, 5, 3, 2, 2,
     {0x100F, 2, 3, 12, 0, 1, 32, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0x1000}},
};
// clang-format on

class DDSHeaders : public TextureFiles, public ::testing::WithParamInterface<DDSRow> {};

} // namespace

TEST_P(DDSHeaders, ByteForByte) {
    const DDSRow row = GetParam();
    const Bytes data = pattern(40, 3);
    ByteWriter b;
    writeBitmapHeader(b, row.compression, row.subType); // the sub type steers the mip count of pixels too
    writeMipmapStart(b, row.width, row.height, uint32_t(data.size()), row.levels);
    const TMipmapFiles files = decode(b.raw(data).bytes);

    EXPECT_EQ(files.Header.Flags, 0x4455);
    EXPECT_EQ(files.Texture.Unused, 0xABCDEF01u);
    EXPECT_FALSE(files.HasAlpha);
    EXPECT_FALSE(exists(files.AlphaFile));
    const Bytes written = readFile(files.ColorFile);
    ASSERT_EQ(written.size(), 128 + data.size());
    const std::vector<uint32_t> expected = expectedHeader(row);
    for (size_t i = 0; i < 32; ++i)
        EXPECT_EQ(wordAt(written, i), expected[i]) << "word " << i + 1;
    EXPECT_EQ(Bytes(written.begin() + 128, written.end()), data);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DDSHeaders, ::testing::ValuesIn(kDDSRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextureFiles, JpegFilesAreCopiedUnchangedAndAnEmptyAlphaIsNotWritten) {
    for (const bool withAlpha : {false, true}) {
        const TMipmapFiles files = decode(jpegObject(16, 8, jpegBlob(1), withAlpha ? jpegBlob(2) : Bytes{}));
        EXPECT_EQ(files.AlphaFile, path("TempA.jpg"));
        EXPECT_EQ(files.HasAlpha, withAlpha);
        EXPECT_EQ(readFile(files.ColorFile), jpegBlob(1));
        EXPECT_EQ(exists(files.AlphaFile), withAlpha);
        if (withAlpha) {
            EXPECT_EQ(readFile(files.AlphaFile), jpegBlob(2));
        }
    }
}

// Run-coded alpha after a JPEG or after run-coded colour: a 32-bit DDS of the texture's size, its last
// pixel (no run reaches it) zero.
TEST_F(TextureFiles, RunCodedPartsBecome32BitDDSFiles) {
    for (const uint8_t flags : {kRunCodedAlpha, uint8_t(kRunCodedColor | kRunCodedAlpha)}) {
        const bool colourRuns = flags & kRunCodedColor;
        ByteWriter b;
        writeBitmapHeader(b, 2, 1);
        writeMipmapStart(b, 3, 2, 0, 1);
        b.u8(flags);
        if (colourRuns)
            runPart(b, {{6, 0xFF0000FF}});
        else
            jpegPart(b, jpegBlob(9));
        runPart(b, {{2, 0x11223344}, {3, 0xAABBCCDD}});
        const TMipmapFiles files = decode(b.bytes);
        ASSERT_EQ(files.ColorFile, path(colourRuns ? "Temp.dds" : "Temp.jpg"));
        const Bytes colour = readFile(files.ColorFile);
        if (colourRuns) {
            ASSERT_EQ(colour.size(), 128u + 24);
            EXPECT_EQ(wordAt(colour, 37), 0xFF0000FFu);
        } else {
            EXPECT_EQ(colour, jpegBlob(9));
        }
        ASSERT_EQ(files.AlphaFile, path("TempA.dds"));
        const Bytes dds = readFile(files.AlphaFile);
        ASSERT_EQ(dds.size(), 128u + 3 * 2 * 4);
        EXPECT_EQ(wordAt(dds, 4), 3u);
        const Bytes pixels(dds.begin() + 128, dds.end());
        const Bytes expected = {0x44, 0x33, 0x22, 0x11, 0x44, 0x33, 0x22, 0x11, 0xDD, 0xCC, 0xBB, 0xAA,
                                0xDD, 0xCC, 0xBB, 0xAA, 0xDD, 0xCC, 0xBB, 0xAA, 0,    0,    0,    0};
        EXPECT_EQ(pixels, expected);
    }
}

TEST_F(TextureFiles, RunListsThatStartAtZeroOverflowOrBreakOff) {
    struct Row {
        const char* name;
        std::vector<PixelRun> colourRuns;
        bool terminated;
        std::vector<uint32_t> pixels;
        bool alphaFollows;
    };
    const Row rows[] = {
        {"zero count first", {{0, 0x12345678}}, false, {0, 0, 0, 0}, true},
        {"runs past the level are clipped", {{3, 7}, {5, 9}, {2, 4}}, true, {7, 7, 7, 9}, true},
        {"one huge run", {{0xFFFFFFFF, 6}}, true, {6, 6, 6, 6}, true},
        {"list without an end", {{1, 8}, {1, 9}}, false, {8, 9, 0, 0}, false},
    };
    for (const Row& row : rows) {
        ByteWriter b;
        writeBitmapHeader(b, 2, 1);
        writeMipmapStart(b, 2, 2, 0, 1);
        b.u8(kRunCodedColor);
        runPart(b, row.colourRuns, row.terminated);
        if (row.alphaFollows) jpegPart(b, jpegBlob(4));
        TMemoryStream stream(b.bytes);
        const TMipmapFiles files = WriteMipmapFiles(stream, folder());
        const Bytes colour = readFile(files.ColorFile);
        ASSERT_EQ(colour.size(), 128u + 16) << row.name;
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(wordAt(colour, 32 + i), row.pixels[i]) << row.name << " " << i;
        EXPECT_EQ(files.HasAlpha, row.alphaFollows) << row.name;
        if (row.alphaFollows) {
            EXPECT_EQ(readFile(files.AlphaFile), jpegBlob(4)) << row.name;
        }
        std::filesystem::remove(files.AlphaFile);
    }
}

// ---- Damaged textures

// One body per way of failing: a stated size past the end, a second part past the end once the first was
// read (nothing written for either), run-coded levels too large to hold, a DXT format without a layout.
TEST_F(TextureFiles, DamagedBodiesFailCleanly) {
    struct Row {
        const char* name;
        uint8_t compression;
        uint32_t width, height, totalSize;
        Bytes rest;        // after the level count
        bool textureError; // ETextureError, else EReadError
    };
    ByteWriter alphaPastTheEnd, runsTooLarge;
    alphaPastTheEnd.u8(0);
    jpegPart(alphaPastTheEnd, jpegBlob(1));
    alphaPastTheEnd.u32(1000).raw(pattern(10, 1));
    runsTooLarge.u8(kRunCodedColor);
    runPart(runsTooLarge, {{1, 2}});
    const Row rows[] = {
        {"absurd total size", 0, 65536, 65536, 0xFFFFFFFF, pattern(64, 1), false},
        {"absurd alpha length", 2, 16, 16, 0, alphaPastTheEnd.bytes, false},
        {"absurd run-coded size", 2, 0xFFFFFFFF, 0xFFFFFFFF, 0, runsTooLarge.bytes, true},
        {"unknown DXT format", 1, 4, 4, 8, pattern(8, 1), true},
    };
    for (const Row& row : rows) {
        ByteWriter body;
        writeBitmapHeader(body, row.compression, row.compression == 1 ? 3 : 1);
        writeMipmapStart(body, row.width, row.height, row.totalSize, 1);
        body.raw(row.rest);
        const auto start = std::chrono::steady_clock::now();
        TMemoryStream stream(body.bytes);
        try {
            WriteMipmapFiles(stream, folder());
            ADD_FAILURE() << row.name << ": no error";
        } catch (const ETextureError& e) {
            EXPECT_TRUE(row.textureError) << row.name << ": " << e.what();
        } catch (const EReadError& e) {
            EXPECT_FALSE(row.textureError) << row.name << ": " << e.what();
            EXPECT_STREQ(e.what(), "Stream read error");
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << row.name;
        EXPECT_FALSE(exists(path("Temp.dds")) || exists(path("Temp.jpg"))) << row.name << " wrote a file";
    }
}

TEST_F(TextureFiles, UnwritableFolderRaisesAFileError) {
    TMemoryStream stream(mipmapObject(Kind::Pixels, 1, 1, 1, solid({})));
    EXPECT_THROW(WriteMipmapFiles(stream, path("no such folder")), EFCreateError);
}

// A folder named without its whole path would put the files in the working folder, among the user's own.
TEST_F(TextureFiles, FolderWithoutItsWholePathIsRefused) {
    const RefusedTempFolder working({"Temp.dds", "TempA.dds", "Temp0.dds", "TempA0.dds"});
    for (const std::string relative : {"", ".", "sub"}) {
        SCOPED_TRACE(relative);
        TMemoryStream mipmap(mipmapObject(Kind::Pixels, 1, 1, 1, solid({})));
        EXPECT_THROW(WriteMipmapFiles(mipmap, relative), EFCreateError);
        TMemoryStream cubeMap(cubeMapObject(Kind::Pixels, 4, std::vector<Rgba>(6)));
        EXPECT_THROW(WriteCubeMapFiles(cubeMap, relative), EFCreateError);
    }
    EXPECT_EQ(working.changes(), "");
}

TEST(WriteDDS, RefusesDataWithoutADDSLayout) {
    TPRPTexture texture;
    TBitmapHeader header;
    header.Compression = kTextureKindJPEG;
    TMemoryStream out;
    EXPECT_THROW(WriteDDSFile(header, texture, out, false), ETextureError);
    header.Compression = kTextureKindDXT;
    header.SubType = 3;
    EXPECT_THROW(WriteDDSFile(header, texture, out, false), ETextureError);
    EXPECT_EQ(out.Size(), 0);
}
