#include "DDS.h"

#include "DXTC.h"
#include "PictureRegisteredFormats.h"

#include <cstring>
#include <vector>

namespace engine3d {

E3D_DEFINE_CLASS(TDDSImage, TBitmap)

namespace {

constexpr int cHeaderSize = 128;
constexpr uint32_t cFlagAlphaPixels = 0x1;
constexpr uint32_t cFlagFourCC = 0x4;
constexpr uint32_t cFlagRGB = 0x40;
constexpr uint32_t cCapsTexture = 0x1000;
constexpr uint32_t cHeaderFlags = 0x100F; // caps, height, width, pitch, pixel format

// Offsets into the 128-byte header.
enum : int {
    ofsMagic = 0,
    ofsHeaderSize = 4,
    ofsFlags = 8,
    ofsHeight = 12,
    ofsWidth = 16,
    ofsPitch = 20,
    ofsFormatSize = 76,
    ofsFormatFlags = 80,
    ofsFourCC = 84,
    ofsBitCount = 88,
    ofsRedMask = 92,
    ofsGreenMask = 96,
    ofsBlueMask = 100,
    ofsAlphaMask = 104,
    ofsCaps1 = 108,
};

uint32_t getU32(const uint8_t* header, int offset) {
    const uint8_t* p = header + offset;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void putU32(uint8_t* header, int offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        header[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A FourCC as text for a message; bytes that would not print show as '?'.
std::string fourCCText(const uint8_t* fourCC) {
    std::string text;
    for (int i = 0; i < 4; ++i)
        text += (fourCC[i] >= 0x20 && fourCC[i] < 0x7F) ? static_cast<char>(fourCC[i]) : '?';
    return text;
}

// How one masked channel becomes a byte: narrow channels are stretched by an integer scale, wide
// ones keep their top eight bits.
struct TChannel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t scale = 1;
    int dropBits = 0;

    explicit TChannel(uint32_t channelMask) : mask(channelMask), shift(MaskShift(channelMask)) {
        uint32_t top = mask >> shift;
        if (top > 255) {
            while ((top >> dropBits) > 255)
                ++dropBits;
        } else if (top != 0) {
            scale = 255 / top;
        }
    }

    uint8_t value(uint32_t pixel) const {
        uint64_t bits = ((uint64_t(pixel & mask) * scale) >> shift) >> dropBits;
        return static_cast<uint8_t>(bits);
    }
};

struct TDecodedSurface {
    int width = 0;
    int height = 0;
    bool transparent = false;
    std::vector<uint8_t> pixels; // B, G, R, A; rows top to bottom
};

void readExactly(TStream& stream, void* buffer, int64_t count) {
    if (count > 0 && stream.Read(buffer, count) != count) throw EDDSException("DDS image data is incomplete");
}

void decodeCompressed(TStream& stream, const uint8_t* header, TDecodedSurface& surface) {
    const uint8_t* fourCC = header + ofsFourCC;
    int blockBytes;
    if (std::memcmp(fourCC, "DXT1", 4) == 0)
        blockBytes = 8;
    else if (std::memcmp(fourCC, "DXT3", 4) == 0 || std::memcmp(fourCC, "DXT5", 4) == 0)
        blockBytes = 16;
    else
        throw EDDSException(FormatMessage("Unsupported compression type: %s", {fourCCText(fourCC)}));

    // The stored linear size is not trusted: some writers give a tiny image less than its one block.
    uint64_t needed = DXTDataSize(surface.width, surface.height, blockBytes);
    if (int64_t(needed) > stream.Remaining()) throw EDDSException("DDS image data is incomplete");
    std::vector<uint8_t> data(static_cast<size_t>(needed));
    readExactly(stream, data.data(), int64_t(needed));

    surface.pixels.assign(size_t(surface.width) * size_t(surface.height) * 4, 0);
    if (fourCC[3] == '1') {
        bool threeColorSeen = false;
        DecodeDXT1(data.data(), surface.pixels.data(), surface.width, surface.height, threeColorSeen);
        surface.transparent = threeColorSeen;
    } else if (fourCC[3] == '3') {
        DecodeDXT3(data.data(), surface.pixels.data(), surface.width, surface.height);
        surface.transparent = true;
    } else {
        DecodeDXT5(data.data(), surface.pixels.data(), surface.width, surface.height);
        surface.transparent = true;
    }
}

void decodeMasked(TStream& stream, const uint8_t* header, TDecodedSurface& surface) {
    uint32_t bitCount = getU32(header, ofsBitCount);
    int bytesPerPixel = static_cast<int>(bitCount / 8);
    if (bytesPerPixel < 1 || bytesPerPixel > 4)
        throw EDDSException(FormatMessage("Unsupported DDS pixel size: %d bits", {std::to_string(bitCount)}));

    size_t rowSize = size_t(bytesPerPixel) * size_t(surface.width);
    if (int64_t(rowSize) * surface.height > stream.Remaining())
        throw EDDSException("DDS image data is incomplete");

    TChannel red(getU32(header, ofsRedMask));
    TChannel green(getU32(header, ofsGreenMask));
    TChannel blue(getU32(header, ofsBlueMask));
    TChannel alpha(surface.transparent ? getU32(header, ofsAlphaMask) : 0);

    surface.pixels.resize(size_t(surface.width) * size_t(surface.height) * 4);
    std::vector<uint8_t> row(rowSize);
    for (int y = 0; y < surface.height; ++y) {
        readExactly(stream, row.data(), int64_t(rowSize));
        const uint8_t* source = row.data();
        uint8_t* target = surface.pixels.data() + size_t(y) * size_t(surface.width) * 4;
        for (int x = 0; x < surface.width; ++x, source += bytesPerPixel, target += 4) {
            uint32_t pixel = 0;
            for (int i = 0; i < bytesPerPixel; ++i)
                pixel |= uint32_t(source[i]) << (8 * i);
            target[0] = blue.value(pixel);
            target[1] = green.value(pixel);
            target[2] = red.value(pixel);
            // Without the alpha flag the picture is opaque.
            target[3] = surface.transparent ? alpha.value(pixel) : 255;
        }
    }
}

} // namespace

void TDDSImage::LoadFromStream(TStream& stream) {
    uint8_t header[cHeaderSize];
    if (stream.Read(header, cHeaderSize) != cHeaderSize || std::memcmp(header, "DDS ", 4) != 0)
        throw EDDSException("Invalid DDS file");
    if ((getU32(header, ofsCaps1) & cCapsTexture) == 0) throw EDDSException("Unsupported DDSCAPS settings");

    uint32_t width = getU32(header, ofsWidth);
    uint32_t height = getU32(header, ofsHeight);
    if (width > uint32_t(cDDSMaxDimension) || height > uint32_t(cDDSMaxDimension) ||
        int64_t(width) * int64_t(height) > cDDSMaxPixels)
        throw EDDSException(
            FormatMessage("DDS image too large: %d x %d", {std::to_string(width), std::to_string(height)}));

    TDecodedSurface surface;
    surface.width = static_cast<int>(width);
    surface.height = static_cast<int>(height);
    uint32_t formatFlags = getU32(header, ofsFormatFlags);
    surface.transparent = (formatFlags & cFlagAlphaPixels) != 0;
    if (formatFlags & cFlagFourCC)
        decodeCompressed(stream, header, surface);
    else
        decodeMasked(stream, header, surface);

    SetSize(0, 0);
    SetPixelFormat(pf32bit);
    SetSize(surface.width, surface.height);
    size_t rowBytes = size_t(surface.width) * 4;
    // A surface without columns has rows of no bytes and no storage to copy from or to.
    if (rowBytes > 0)
        for (int y = 0; y < surface.height; ++y)
            std::memcpy(ScanLine(y), surface.pixels.data() + size_t(y) * rowBytes, rowBytes);
    transparent_ = surface.transparent;
}

void TDDSImage::SaveToStream(TStream& stream) const {
    uint8_t header[cHeaderSize] = {};
    std::memcpy(header, "DDS ", 4);
    putU32(header, ofsHeaderSize, 124);
    putU32(header, ofsFlags, cHeaderFlags);
    putU32(header, ofsWidth, static_cast<uint32_t>(Width()));
    putU32(header, ofsHeight, static_cast<uint32_t>(Height()));
    putU32(header, ofsCaps1, cCapsTexture);
    putU32(header, ofsFormatSize, 32);

    uint32_t bitCount;
    if (PixelFormat() == pf24bit)
        bitCount = 24;
    else if (PixelFormat() == pf32bit)
        bitCount = 32;
    else
        throw EDDSException("Unsupported pixel format format");
    bool withAlpha = bitCount == 32 && transparent_;
    putU32(header, ofsFormatFlags, withAlpha ? (cFlagRGB | cFlagAlphaPixels) : cFlagRGB);
    putU32(header, ofsBitCount, bitCount);
    putU32(header, ofsRedMask, 0xFF0000);
    putU32(header, ofsGreenMask, 0xFF00);
    putU32(header, ofsBlueMask, 0xFF);
    putU32(header, ofsAlphaMask, withAlpha ? 0xFF000000u : 0);
    uint32_t pitch = bitCount / 8 * static_cast<uint32_t>(Width());
    putU32(header, ofsPitch, pitch);

    stream.WriteBuffer(header, cHeaderSize);
    for (int y = 0; y < Height(); ++y)
        stream.WriteBuffer(ScanLine(y), pitch);
}

namespace {
int ddsInitCount = 0;
}

void InitDDS() {
    if (ddsInitCount++ != 0) return;
    RegisterPictureFormat("dds", "Microsoft DirectDraw Surface", &TDDSImage::StaticClass());
}

void FinalizeDDS() {
    if (ddsInitCount == 0 || --ddsInitCount != 0) return;
    UnregisterPictureFormat(&TDDSImage::StaticClass());
}

namespace {
[[maybe_unused]] const bool ddsRegistered = (InitDDS(), true);
}

} // namespace engine3d
