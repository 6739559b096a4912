#include "PRPTexture.h"

#include <algorithm>
#include <filesystem>

namespace {

// DDS header flags, pixel-format flags and caps.
constexpr uint32_t kDDSHeaderSize = 124;
constexpr uint32_t kDDSPixelFormatSize = 32;
constexpr uint32_t kDDSFlagsPixels = 0x100F; // caps, height, width, pitch, pixel format
constexpr uint32_t kDDSFlagsDXT = 0xA1007;   // caps, height, width, pixel format, mip-map count, linear size
constexpr uint32_t kPixelFormatRGBA = 0x41;  // RGB with alpha pixels
constexpr uint32_t kPixelFormatFourCC = 4;
constexpr uint32_t kCapsTexture = 0x1000;
constexpr uint32_t kCapsMipmapped = 0x401008; // complex, texture, mip map

uint32_t fourCC(const char (&code)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

// The files go to a folder named by its whole path: with an empty or relative one they would land among the
// user's own files in the working folder.
void requireWholeFolderPath(const std::string& folder) {
    if (!std::filesystem::path(folder).is_absolute())
        throw EFCreateError("Cannot create the image files in \"" + folder + "\": not a whole folder path");
}

bool knownDXT(uint8_t subType) {
    return subType == kSubTypeDXT1 || subType == kSubTypeDXT5;
}

// A stated number of bytes, refused before any allocation when the stream cannot hold them.
std::vector<uint8_t> readBlock(TStream& stream, uint32_t size) {
    if (static_cast<int64_t>(size) > stream.Remaining()) throw EReadError("Stream read error");
    std::vector<uint8_t> bytes(size);
    if (size > 0) stream.ReadBuffer(bytes.data(), size);
    return bytes;
}

// Runs of (u32 count, u32 pixel) up to a zero count or the end of the data, expanded into one level of
// width x height pixels; runs past the level's end are dropped.
std::vector<uint8_t> readRuns(TStream& stream, uint32_t width, uint32_t height) {
    const uint64_t pixels = static_cast<uint64_t>(width) * height;
    if (pixels > kMaxRunCodedPixels)
        throw ETextureError("Texture size " + std::to_string(width) + " x " + std::to_string(height) +
                            " is too large");
    std::vector<uint8_t> data(static_cast<size_t>(pixels) * 4, 0);
    uint64_t filled = 0;
    while (stream.Remaining() >= 4) {
        uint32_t count = 0;
        uint32_t value = 0;
        stream.ReadValue(count);
        stream.ReadValue(value);
        if (count == 0) break;
        const uint64_t n = std::min<uint64_t>(count, pixels - filled);
        const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                  static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
        for (uint64_t i = 0; i < n; ++i)
            std::copy(bytes, bytes + 4, data.begin() + static_cast<ptrdiff_t>((filled + i) * 4));
        filled += n;
    }
    return data;
}

// One colour or alpha part of a JPEG body; returns its kind.
uint8_t readJpegBodyPart(TStream& stream, bool runCoded, const TPRPTexture& texture,
                         std::vector<uint8_t>& data) {
    if (runCoded) {
        data = readRuns(stream, texture.Width, texture.Height);
        return kTextureKindPixels;
    }
    uint32_t length = 0;
    stream.ReadValue(length);
    data = readBlock(stream, length);
    return kTextureKindJPEG;
}

TNewFile imageFile(uint8_t kind, const TBitmapHeader& workHeader, const TPRPTexture& texture,
                   const std::string& fileName, bool alpha) {
    return {fileName, [kind, &workHeader, &texture, alpha](TFileStream& file) {
                if (kind == kTextureKindJPEG) {
                    const std::vector<uint8_t>& data = alpha ? texture.AlphaData : texture.ColorData;
                    if (!data.empty()) file.WriteBuffer(data.data(), data.size());
                } else {
                    WriteDDSFile(workHeader, texture, file, alpha);
                }
            }};
}

} // namespace

TBitmapHeader ReadBitmapHeader(TStream& stream) {
    TBitmapHeader header;
    stream.ReadValue(header.Unused1);
    stream.ReadValue(header.Unused2);
    stream.ReadValue(header.Unused3);
    stream.ReadValue(header.Flags);
    stream.ReadValue(header.Compression);
    if (header.Compression == kTextureKindDXT) stream.ReadValue(header.Extra);
    stream.ReadValue(header.SubType);
    stream.ReadValue(header.Unused4);
    stream.ReadValue(header.Unused5);
    return header;
}

TBitmapHeader ReadMipmapData(TStream& stream, const TBitmapHeader& header, TPRPTexture& texture) {
    texture = TPRPTexture{};
    stream.ReadValue(texture.Width);
    stream.ReadValue(texture.Height);
    stream.ReadValue(texture.Unused);
    stream.ReadValue(texture.TotalSize);
    stream.ReadValue(texture.LevelCount);

    TBitmapHeader work = header;
    if (header.Compression == kTextureKindPixels || header.Compression == kTextureKindDXT) {
        // A DXT file without a known block format cannot be read back by any image reader.
        if (header.Compression == kTextureKindDXT && !knownDXT(header.SubType))
            throw ETextureError("Unknown DXT format " + std::to_string(header.SubType));
        texture.ColorData = readBlock(stream, texture.TotalSize);
        work.Compression = header.Compression;
        work.Extra = kTextureKindPixels;
        return work;
    }
    stream.ReadValue(texture.RunFlags);
    work.Compression =
        readJpegBodyPart(stream, texture.RunFlags & kRunCodedColor, texture, texture.ColorData);
    work.Extra = readJpegBodyPart(stream, texture.RunFlags & kRunCodedAlpha, texture, texture.AlphaData);
    return work;
}

const char* TextureFileExtension(uint8_t kind) {
    return kind == kTextureKindJPEG ? "jpg" : "dds";
}

void WriteTextureFiles(const TBitmapHeader& workHeader, const TPRPTexture& texture,
                       std::string& colorFileName, std::string& alphaFileName) {
    colorFileName += TextureFileExtension(workHeader.Compression);
    alphaFileName += TextureFileExtension(workHeader.Extra);
    std::vector<TNewFile> files = {
        imageFile(workHeader.Compression, workHeader, texture, colorFileName, false)};
    // A colour image without the alpha it belongs with is only half a texture.
    if (!texture.AlphaData.empty())
        files.push_back(imageFile(workHeader.Extra, workHeader, texture, alphaFileName, true));
    WriteNewFiles(files);
}

void ReadMipmapBody(TStream& stream, const TBitmapHeader& header, std::string& colorFileName,
                    TPRPTexture& texture, std::string& alphaFileName) {
    const TBitmapHeader work = ReadMipmapData(stream, header, texture);
    WriteTextureFiles(work, texture, colorFileName, alphaFileName);
}

uint32_t DXTLinearSize(uint32_t width, uint32_t height, uint8_t subType) {
    const uint64_t blocks =
        ((static_cast<uint64_t>(width) + 3) / 4) * ((static_cast<uint64_t>(height) + 3) / 4);
    return static_cast<uint32_t>(blocks * (subType == kSubTypeDXT1 ? 8 : 16));
}

void WriteDDSFile(const TBitmapHeader& workHeader, const TPRPTexture& texture, TStream& output, bool alpha) {
    const uint8_t kind = alpha ? workHeader.Extra : workHeader.Compression;
    if (kind != kTextureKindPixels && kind != kTextureKindDXT)
        throw ETextureError("No DDS layout for texture data of kind " + std::to_string(kind));
    const bool dxt = kind == kTextureKindDXT;
    if (dxt && !knownDXT(workHeader.SubType))
        throw ETextureError("Unknown DXT format " + std::to_string(workHeader.SubType));

    uint32_t mipCount = texture.LevelCount;
    if (workHeader.SubType == kSubTypeDXT5 && mipCount > 0) --mipCount;

    std::vector<uint32_t> words;
    words.reserve(32);
    words.push_back(fourCC("DDS "));
    words.push_back(kDDSHeaderSize);
    words.push_back(dxt ? kDDSFlagsDXT : kDDSFlagsPixels);
    words.push_back(texture.Height);
    words.push_back(texture.Width);
    words.push_back(dxt ? DXTLinearSize(texture.Width, texture.Height, workHeader.SubType)
                        : texture.Width * 4);
    words.push_back(0); // depth
    words.push_back(mipCount);
    words.insert(words.end(), 11, 0);
    words.push_back(kDDSPixelFormatSize);
    words.push_back(dxt ? kPixelFormatFourCC : kPixelFormatRGBA);
    words.push_back(dxt ? (workHeader.SubType == kSubTypeDXT1 ? fourCC("DXT1") : fourCC("DXT5")) : 0);
    words.push_back(dxt ? 0 : 32);
    const uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    for (uint32_t mask : masks)
        words.push_back(dxt ? 0 : mask);
    words.push_back(dxt ? kCapsMipmapped : kCapsTexture);
    words.insert(words.end(), 4, 0);

    for (uint32_t word : words)
        output.WriteValue(word);
    const std::vector<uint8_t>& data = alpha ? texture.AlphaData : texture.ColorData;
    if (!data.empty()) output.WriteBuffer(data.data(), data.size());
}

std::string TempColorBase(const std::string& folder, int face) {
    const std::string name = "Temp" + (face >= 0 ? std::to_string(face) : std::string()) + ".";
    return (std::filesystem::path(folder) / name).string();
}

std::string TempAlphaBase(const std::string& folder, int face) {
    const std::string name = "TempA" + (face >= 0 ? std::to_string(face) : std::string()) + ".";
    return (std::filesystem::path(folder) / name).string();
}

TMipmapFiles WriteMipmapFiles(TStream& body, const std::string& folder) {
    TMipmapFiles files;
    requireWholeFolderPath(folder);
    files.Header = ReadBitmapHeader(body);
    files.ColorFile = TempColorBase(folder);
    files.AlphaFile = TempAlphaBase(folder);
    ReadMipmapBody(body, files.Header, files.ColorFile, files.Texture, files.AlphaFile);
    files.HasAlpha = !files.Texture.AlphaData.empty();
    return files;
}

TCubeMapFiles WriteCubeMapFiles(TStream& body, const std::string& folder) {
    TCubeMapFiles cube;
    requireWholeFolderPath(folder);
    cube.Header = ReadBitmapHeader(body);
    for (int i = 0; i < 6; ++i) {
        TMipmapFiles& face = cube.Faces[static_cast<size_t>(i)];
        face.Header = ReadBitmapHeader(body);
        face.ColorFile = TempColorBase(folder, i);
        face.AlphaFile = TempAlphaBase(folder, i);
        // Every face is read as the cube map's own header says, whatever its own header holds.
        ReadMipmapBody(body, cube.Header, face.ColorFile, face.Texture, face.AlphaFile);
        face.HasAlpha = !face.Texture.AlphaData.empty();
    }
    return cube;
}
