// The DDS picture: header checks with their messages, compressed and masked surfaces, the writer, and a
// cross-check against an independent decoder. Truncated and mutated files are fuzz_dds's.
#include "DDS.h"
#include "DXTC.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstring>
#include <functional>
#include <random>
#include <vector>

using namespace engine3d;

namespace {

struct DDSHeader {
    char magic[5] = "DDS ";
    uint32_t width = 4;
    uint32_t height = 4;
    uint32_t linearSize = 0;
    uint32_t formatFlags = 0;
    char fourCC[5] = "\0\0\0\0";
    uint32_t bitCount = 0;
    uint32_t redMask = 0, greenMask = 0, blueMask = 0, alphaMask = 0;
    uint32_t caps1 = 0x1000;
};

void put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = uint8_t(value >> (8 * i));
}

std::vector<uint8_t> ddsFile(const DDSHeader& h, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes(128 + data.size(), 0);
    std::memcpy(bytes.data(), h.magic, 4);
    std::memcpy(bytes.data() + 84, h.fourCC, 4);
    const std::pair<size_t, uint32_t> words[] = {{4, 124},           {12, h.height},     {16, h.width},
                                                 {20, h.linearSize}, {76, 32},           {80, h.formatFlags},
                                                 {88, h.bitCount},   {92, h.redMask},    {96, h.greenMask},
                                                 {100, h.blueMask},  {104, h.alphaMask}, {108, h.caps1}};
    for (auto [offset, value] : words)
        put32(bytes, offset, value);
    if (!data.empty()) std::memcpy(bytes.data() + 128, data.data(), data.size());
    return bytes;
}

DDSHeader dxtHeader(const char* fourCC, uint32_t width, uint32_t height) {
    DDSHeader h;
    h.width = width;
    h.height = height;
    h.formatFlags = 0x4;
    std::memcpy(h.fourCC, fourCC, 4);
    return h;
}

DDSHeader maskedHeader(uint32_t bitCount, uint32_t r, uint32_t g, uint32_t b, uint32_t a, bool alphaFlag) {
    DDSHeader h;
    h.formatFlags = 0x40 | (alphaFlag ? 0x1 : 0);
    h.bitCount = bitCount;
    h.redMask = r;
    h.greenMask = g;
    h.blueMask = b;
    h.alphaMask = a;
    return h;
}

std::vector<uint8_t> solidDXT1(uint16_t c0, uint16_t c1, int blocks) {
    std::vector<uint8_t> data;
    for (int i = 0; i < blocks; ++i)
        data.insert(data.end(), {uint8_t(c0), uint8_t(c0 >> 8), uint8_t(c1), uint8_t(c1 >> 8), 0, 0, 0, 0});
    return data;
}

std::vector<uint8_t> repeat(std::vector<uint8_t> pixel, int count) {
    std::vector<uint8_t> out;
    for (int i = 0; i < count; ++i)
        out.insert(out.end(), pixel.begin(), pixel.end());
    return out;
}

void load(TDDSImage& image, const std::vector<uint8_t>& bytes) {
    TMemoryStream stream;
    stream.Write(bytes.data(), int64_t(bytes.size()));
    stream.SetPosition(0);
    image.LoadFromStream(stream);
}

std::string loadError(const std::vector<uint8_t>& bytes) {
    TDDSImage image;
    try {
        load(image, bytes);
    } catch (const EDDSException& e) {
        return e.what();
    }
    return "(loaded)";
}

std::array<int, 4> bgra(const TDDSImage& image, int x, int y) {
    const uint8_t* p = image.ScanLine(y) + 4 * x;
    return {p[0], p[1], p[2], p[3]};
}

} // namespace

TEST(DDSImage, DamagedHeadersGiveTheirMessages) {
    DDSHeader lowerCase = dxtHeader("DXT1", 4, 4);
    std::memcpy(lowerCase.magic, "dds ", 4);
    DDSHeader noTexture = dxtHeader("DXT1", 4, 4);
    noTexture.caps1 = 0x8;
    DDSHeader dxt2 = dxtHeader("DXT2", 4, 4);
    DDSHeader unprintable = dxtHeader("AB\x01\x00", 4, 4);
    unprintable.fourCC[2] = 1;
    DDSHeader wide = dxtHeader("DXT1", 20000, 1);
    DDSHeader huge = dxtHeader("DXT1", 16384, 16384);
    DDSHeader fiveBytes = maskedHeader(40, 0xFF, 0xFF00, 0xFF0000, 0, false);
    DDSHeader noBits = maskedHeader(0, 0, 0, 0, 0, false);
    std::vector<uint8_t> block = solidDXT1(0xFFFF, 0, 1);
    std::vector<uint8_t> shortHeader = ddsFile(dxtHeader("DXT1", 4, 4), {});
    shortHeader.resize(100);

    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string message;
    } rows[] = {
        {"magic differs in case", ddsFile(lowerCase, block), "Invalid DDS file"},
        {"header shorter than 128 bytes", shortHeader, "Invalid DDS file"},
        {"empty stream", {}, "Invalid DDS file"},
        {"caps without texture bit", ddsFile(noTexture, block), "Unsupported DDSCAPS settings"},
        {"unknown FourCC", ddsFile(dxt2, block), "Unsupported compression type: DXT2"},
        {"unprintable FourCC", ddsFile(unprintable, block), "Unsupported compression type: AB??"},
        {"width beyond the cap", ddsFile(wide, block), "DDS image too large: 20000 x 1"},
        {"area beyond the cap", ddsFile(huge, block), "DDS image too large: 16384 x 16384"},
        {"five bytes a pixel", ddsFile(fiveBytes, {}), "Unsupported DDS pixel size: 40 bits"},
        {"no bits a pixel", ddsFile(noBits, {}), "Unsupported DDS pixel size: 0 bits"},
        {"DXT1 data short", ddsFile(dxtHeader("DXT1", 8, 4), block), "DDS image data is incomplete"},
        {"DXT5 data short", ddsFile(dxtHeader("DXT5", 4, 4), block), "DDS image data is incomplete"},
        {"masked rows short",
         ddsFile(maskedHeader(32, 0xFF0000, 0xFF00, 0xFF, 0, false), std::vector<uint8_t>(4 * 4 * 4 - 1)),
         "DDS image data is incomplete"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(loadError(row.bytes), row.message) << row.name;
}

TEST(DDSImage, TinyDXT1ReadsItsWholeBlockWhateverTheLinearSize) {
    DDSHeader h = dxtHeader("DXT1", 2, 2);
    h.linearSize = 2; // as some writers store it
    std::vector<uint8_t> bytes = ddsFile(h, solidDXT1(0x07E0, 0, 1));
    bytes.insert(bytes.end(), {0xAA, 0xBB}); // a following mip level stays unread
    TMemoryStream stream;
    stream.Write(bytes.data(), int64_t(bytes.size()));
    stream.SetPosition(0);
    TDDSImage image;
    image.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), 128 + 8);
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(bgra(image, 1, 1), (std::array<int, 4>{0, 252, 0, 255}));
}

TEST(DDSImage, TransparencyFollowsTheDecodedBlocksAndAFailedLoadKeepsIt) {
    DDSHeader h = dxtHeader("DXT1", 8, 4);
    h.formatFlags |= 0x1;
    TDDSImage image;
    load(image, ddsFile(h, solidDXT1(0xF800, 0x001F, 2)));
    EXPECT_FALSE(image.Transparent()) << "every block in four-colour mode";
    // A failed load, on the header or on the data, keeps the previous picture.
    DDSHeader bad = dxtHeader("DXT2", 8, 8);
    bad.formatFlags |= 0x1;
    EXPECT_THROW(load(image, ddsFile(bad, solidDXT1(0, 0, 4))), EDDSException);
    EXPECT_THROW(load(image, ddsFile(dxtHeader("DXT5", 8, 8), {})), EDDSException);
    EXPECT_EQ(image.Width(), 8);
    EXPECT_EQ(image.Height(), 4);
    EXPECT_FALSE(image.Transparent());
    EXPECT_EQ(bgra(image, 0, 0), (std::array<int, 4>{0, 0, 248, 255}));
    std::vector<uint8_t> data = solidDXT1(0xF800, 0x001F, 1);
    std::vector<uint8_t> equal = solidDXT1(0x1234, 0x1234, 1);
    data.insert(data.end(), equal.begin(), equal.end());
    load(image, ddsFile(dxtHeader("DXT1", 8, 4), data));
    EXPECT_TRUE(image.Transparent());
    load(image, ddsFile(dxtHeader("DXT3", 4, 4), std::vector<uint8_t>(16)));
    EXPECT_TRUE(image.Transparent());
    // A masked file without the alpha flag resets it.
    load(image, ddsFile(maskedHeader(32, 0xFF0000, 0xFF00, 0xFF, 0, false), std::vector<uint8_t>(64)));
    EXPECT_FALSE(image.Transparent());
}

TEST(DDSImage, MaskedChannelsAreStretchedWithoutOverflow) {
    struct Row {
        const char* name;
        DDSHeader header;
        std::vector<uint8_t> pixel;
        std::array<int, 4> expected;
    } rows[] = {
        {"5:6:5 white", maskedHeader(16, 0xF800, 0x7E0, 0x1F, 0, false), {0xFF, 0xFF}, {248, 252, 248, 255}},
        {"4:4:4:4", maskedHeader(16, 0xF00, 0xF0, 0xF, 0xF000, true), {0x21, 0xF3}, {17, 34, 51, 255}},
        {"8:8:8:8 without alpha flag",
         maskedHeader(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, false),
         {1, 2, 3, 4},
         {1, 2, 3, 255}},
        {"1-bit alpha in the top bit",
         maskedHeader(32, 0xFF0000, 0xFF00, 0xFF, 0x80000000, true),
         {9, 8, 7, 0x80},
         {9, 8, 7, 255}},
        {"10:10:10:2 keeps the top bits",
         maskedHeader(32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, true),
         {0xFF, 0x03, 0x00, 0xC0},
         {255, 0, 0, 255}},
        {"8-bit grey", maskedHeader(8, 0xFF, 0xFF, 0xFF, 0, false), {77}, {77, 77, 77, 255}},
        {"empty masks", maskedHeader(32, 0, 0, 0, 0, false), {1, 2, 3, 4}, {0, 0, 0, 255}},
    };
    for (const Row& row : rows) {
        TDDSImage image;
        load(image, ddsFile(row.header, repeat(row.pixel, 16)));
        EXPECT_EQ(bgra(image, 3, 3), row.expected) << row.name;
    }
}

TEST(DDSImage, SavingWritesUncompressedRowsThatLoadBack) {
    struct Row {
        TPixelFormat format;
        bool transparent;
        uint32_t rowBytes, formatFlags, bitCount, alphaMask;
    };
    for (Row row : {Row{pf32bit, true, 12, 0x41, 32, 0xFF000000}, Row{pf24bit, false, 9, 0x40, 24, 0}}) {
        SCOPED_TRACE(row.bitCount);
        TDDSImage image;
        image.SetPixelFormat(row.format);
        image.SetSize(3, 2);
        for (int y = 0; y < 2; ++y)
            for (uint32_t x = 0; x < row.rowBytes; ++x)
                image.ScanLine(y)[x] = uint8_t(10 + 7 * x + 90 * y);
        image.SetTransparent(row.transparent);
        TMemoryStream stream;
        image.SaveToStream(stream);
        ASSERT_EQ(stream.Size(), 128 + 2 * row.rowBytes);
        const uint8_t* bytes = stream.Memory();
        EXPECT_EQ(std::memcmp(bytes, "DDS ", 4), 0);
        auto u32 = [&](int offset) {
            return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
                   uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
        };
        EXPECT_EQ(u32(4), 124u);
        EXPECT_EQ(u32(8), 0x100Fu);
        EXPECT_EQ(u32(12), 2u);
        EXPECT_EQ(u32(16), 3u);
        EXPECT_EQ(u32(20), row.rowBytes);
        EXPECT_EQ(u32(80), row.formatFlags);
        EXPECT_EQ(u32(88), row.bitCount);
        EXPECT_EQ(u32(104), row.alphaMask);
        EXPECT_EQ(u32(108), 0x1000u);
        // Rows top first, without padding.
        EXPECT_EQ(std::memcmp(bytes + 128 + row.rowBytes, image.ScanLine(1), row.rowBytes), 0);

        stream.SetPosition(0);
        TDDSImage copy;
        copy.LoadFromStream(stream);
        EXPECT_EQ(copy.PixelFormat(), pf32bit);
        EXPECT_EQ(copy.Transparent(), row.transparent);
        int size = row.bitCount / 8;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                const uint8_t* p = image.ScanLine(y) + size * x;
                EXPECT_EQ(bgra(copy, x, y), (std::array<int, 4>{p[0], p[1], p[2], size == 4 ? p[3] : 255}))
                    << x << "," << y;
            }
    }
}

TEST(DDSImage, SurfacesWithoutColumnsOrRowsLoadEmptyAndSaveBack) {
    for (const auto& [width, height] : {std::pair{0u, 3u}, std::pair{3u, 0u}, std::pair{0u, 0u}}) {
        for (const DDSHeader& header :
             {maskedHeader(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, true), dxtHeader("DXT1", width, height)}) {
            DDSHeader sized = header;
            sized.width = width;
            sized.height = height;
            TDDSImage image;
            load(image, ddsFile(sized, {}));
            EXPECT_EQ(image.Width(), int(width));
            EXPECT_EQ(image.Height(), int(height));
            TMemoryStream saved;
            image.SaveToStream(saved);
            EXPECT_EQ(saved.Size(), 128);
        }
    }
}

// ---- Cross-check against an independent decoder ----------------------------------------------------

namespace {

// Decodes a DDS file with ImageMagick's converter: its first image as R, G, B, A bytes, top row first.
std::vector<uint8_t> independentDecode(const QString& converter, const QString& path) {
    QProcess process;
    process.start(converter, {path + "[0]", "-depth", "8", "RGBA:-"});
    if (!process.waitForFinished(60000)) return {};
    QByteArray out = process.readAllStandardOutput();
    return std::vector<uint8_t>(out.begin(), out.end());
}

std::vector<uint8_t> randomBytes(std::mt19937& random, size_t count) {
    std::vector<uint8_t> bytes(count);
    for (uint8_t& byte : bytes)
        byte = uint8_t(random());
    return bytes;
}

// Orders the two colours of every DXT1 block so that c0 > c1 (four colours) or c0 <= c1 (three colours).
void orderColors(std::vector<uint8_t>& data, bool fourColor) {
    for (size_t at = 0; at + 8 <= data.size(); at += 8) {
        uint16_t c0 = uint16_t(data[at] | data[at + 1] << 8), c1 = uint16_t(data[at + 2] | data[at + 3] << 8);
        uint16_t high = std::max(c0, c1), low = std::min(c0, c1);
        if (fourColor && high == low) high == 0 ? ++high : --low;
        if (!fourColor) std::swap(high, low);
        data[at] = uint8_t(high), data[at + 1] = uint8_t(high >> 8);
        data[at + 2] = uint8_t(low), data[at + 3] = uint8_t(low >> 8);
    }
}

} // namespace

// Our decoder widens 5- and 6-bit channels by shifts alone (31 gives 248) where the independent one
// replicates the top bits (31 gives 255): colours may differ by at most 7 per channel. A three-colour
// DXT1 texel of index 3 keeps its colour with alpha 0 here and turns black there: only its alpha is
// compared. DXT5 interpolated alphas round here and truncate there: at most 1 apart.
TEST(DDSImage, MatchesAnIndependentDecoder) {
    QString converter = QStandardPaths::findExecutable("convert-im6.q16");
    ASSERT_FALSE(converter.isEmpty())
        << "convert-im6.q16 is missing: scripts/install-deps.sh installs imagemagick";
    std::mt19937 random(2024);
    struct Row {
        const char* name;
        const char* fourCC; // null for masked data
        int width, height;
        int colorTolerance, alphaTolerance;
        bool compareAlpha;
        DDSHeader masked = {};
        std::function<void(std::vector<uint8_t>&)> shape = {};
    };
    auto dxt1 = [](bool fourColor) {
        return [fourColor](std::vector<uint8_t>& data) { orderColors(data, fourColor); };
    };
    auto dxt5Alphas = [](bool eightValues) {
        return [eightValues](std::vector<uint8_t>& data) {
            for (size_t at = 0; at + 16 <= data.size(); at += 16)
                if ((data[at] > data[at + 1]) != eightValues) std::swap(data[at], data[at + 1]);
        };
    };
    const Row rows[] = {
        {"DXT1 four colours", "DXT1", 13, 7, 7, 0, true, {}, dxt1(true)},
        {"DXT1 three colours", "DXT1", 16, 16, 7, 0, true, {}, dxt1(false)},
        {"DXT3", "DXT3", 10, 9, 7, 0, true},
        {"DXT5 eight alphas", "DXT5", 17, 5, 7, 1, true, {}, dxt5Alphas(true)},
        {"DXT5 six alphas", "DXT5", 8, 12, 7, 1, true, {}, dxt5Alphas(false)},
        {"32-bit with alpha", nullptr, 7, 5, 0, 0, true,
         maskedHeader(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, true)},
        {"32-bit without alpha", nullptr, 5, 3, 0, 0, false,
         maskedHeader(32, 0xFF0000, 0xFF00, 0xFF, 0, false)},
        {"24-bit", nullptr, 9, 4, 0, 0, false, maskedHeader(24, 0xFF0000, 0xFF00, 0xFF, 0, false)},
        {"16-bit 5:6:5", nullptr, 6, 6, 7, 0, false, maskedHeader(16, 0xF800, 0x7E0, 0x1F, 0, false)},
    };
    QTemporaryDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DDSHeader h = row.fourCC ? dxtHeader(row.fourCC, row.width, row.height) : row.masked;
        h.width = row.width;
        h.height = row.height;
        int blockBytes = row.fourCC ? (std::string(row.fourCC) == "DXT1" ? 8 : 16) : 0;
        size_t size = blockBytes ? DXTDataSize(row.width, row.height, blockBytes)
                                 : size_t(row.width) * row.height * (h.bitCount / 8);
        h.linearSize = uint32_t(blockBytes ? size : size_t(row.width) * (h.bitCount / 8));
        std::vector<uint8_t> data = randomBytes(random, size);
        if (row.shape) row.shape(data);
        std::vector<uint8_t> bytes = ddsFile(h, data);
        put32(bytes, 8, 0x100F);
        QString path = dir.filePath(QString("%1.dds").arg(&row - rows));
        {
            TFileStream file(path.toStdString(), fmCreate);
            file.WriteBuffer(bytes.data(), int64_t(bytes.size()));
        }
        TDDSImage ours;
        load(ours, bytes);
        std::vector<uint8_t> theirs = independentDecode(converter, path);
        ASSERT_EQ(theirs.size(), size_t(row.width) * row.height * 4);
        int colorDiff = 0, alphaDiff = 0, keyed = 0;
        for (int y = 0; y < row.height; ++y)
            for (int x = 0; x < row.width; ++x) {
                std::array<int, 4> mine = bgra(ours, x, y);
                const uint8_t* other = &theirs[(size_t(y) * row.width + x) * 4];
                if (row.compareAlpha) alphaDiff = std::max(alphaDiff, std::abs(mine[3] - other[3]));
                if (row.compareAlpha && mine[3] == 0 && row.fourCC && row.fourCC[3] == '1') {
                    ++keyed;
                    continue;
                }
                for (int c = 0; c < 3; ++c)
                    colorDiff = std::max(colorDiff, std::abs(mine[2 - c] - other[c]));
            }
        EXPECT_LE(colorDiff, row.colorTolerance);
        EXPECT_LE(alphaDiff, row.alphaTolerance);
        EXPECT_EQ(keyed > 0, std::string(row.name) == "DXT1 three colours");
    }
}
