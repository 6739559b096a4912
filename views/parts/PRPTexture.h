#pragma once
// Texture objects: the bitmap header and mip-map body of a mip map (and of each cube-map face), and the
// image files their pixel data becomes: a DirectDraw Surface file for pixels and DXT blocks, the stored
// JPEG file unchanged. Colour and alpha go to separate files.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "PRPClasses.h"

// A texture that cannot be turned into an image file.
class ETextureError : public Exception {
public:
    using Exception::Exception;
};

// What a colour or alpha part holds.
constexpr uint8_t kTextureKindPixels = 0; // 32-bit pixels, blue in the low byte
constexpr uint8_t kTextureKindDXT = 1;
constexpr uint8_t kTextureKindJPEG = 2;

// `SubType` of a DXT texture.
constexpr uint8_t kSubTypeDXT1 = 1;
constexpr uint8_t kSubTypeDXT5 = 5;

// `RunFlags` bits of a JPEG body.
constexpr uint8_t kRunCodedColor = 0x1;
constexpr uint8_t kRunCodedAlpha = 0x2;

// Run-coded levels are expanded in memory; larger ones are refused as damaged.
constexpr uint64_t kMaxRunCodedPixels = 4096ull * 4096ull;

struct TBitmapHeader {
    uint8_t Unused1 = 0;
    uint8_t Unused2 = 0;
    uint8_t Unused3 = 0;
    uint16_t Flags = 0;
    uint8_t Compression = 0; // 0 pixels, 1 DXT, anything else JPEG
    // Stored only when Compression is 1. A working copy for the file writer holds the alpha kind here
    // and the colour kind in Compression.
    uint8_t Extra = 0;
    uint8_t SubType = 0; // with Compression 1: 1 DXT1, 5 DXT5
    uint32_t Unused4 = 0;
    uint32_t Unused5 = 0;
};

struct TPRPTexture {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t Unused = 0;
    uint32_t TotalSize = 0; // pixel bytes of all levels (pixels and DXT bodies)
    std::vector<uint8_t> ColorData;
    uint8_t LevelCount = 0;
    uint8_t RunFlags = 0; // JPEG bodies only
    std::vector<uint8_t> AlphaData;
};

TBitmapHeader ReadBitmapHeader(TStream& stream);

// Reads a mip-map body into memory. Returns the working header: a copy of `header` with the colour
// kind in Compression and the alpha kind in Extra. Raises EReadError when the body is shorter than a
// size it states and ETextureError for a texture no image file can hold.
TBitmapHeader ReadMipmapData(TStream& stream, const TBitmapHeader& header, TPRPTexture& texture);

// The extension of the file that holds data of this kind: "jpg" for JPEG data, "dds" for any other.
const char* TextureFileExtension(uint8_t kind);

// Writes the colour file and, when there is alpha data, the alpha file of a texture read by
// ReadMipmapData. The names come in ending with "." and go out with TextureFileExtension of the colour
// kind (Compression) and of the alpha kind (Extra) appended, the alpha name even when no alpha file is
// written. Both files are written whole before either replaces a file of its name: when one fails, neither
// name changes and the error is raised.
void WriteTextureFiles(const TBitmapHeader& workHeader, const TPRPTexture& texture,
                       std::string& colorFileName, std::string& alphaFileName);

// ReadMipmapData followed by WriteTextureFiles.
void ReadMipmapBody(TStream& stream, const TBitmapHeader& header, std::string& colorFileName,
                    TPRPTexture& texture, std::string& alphaFileName);

// One complete DDS file image of the colour (alpha false) or alpha data.
void WriteDDSFile(const TBitmapHeader& workHeader, const TPRPTexture& texture, TStream& output, bool alpha);

// Byte size of the top level of a DXT texture: whole 4 x 4 blocks of 8 (DXT1) or 16 (DXT5) bytes.
uint32_t DXTLinearSize(uint32_t width, uint32_t height, uint8_t subType);

// ---- Image files of a texture object, for previews

struct TMipmapFiles {
    TBitmapHeader Header; // as stored
    TPRPTexture Texture;
    std::string ColorFile;
    std::string AlphaFile; // named even when not written
    bool HasAlpha = false; // the alpha file was written
};

struct TCubeMapFiles {
    TBitmapHeader Header;              // the cube map's own header; it decides how every face is read
    std::array<TMipmapFiles, 6> Faces; // left, right, front, back, top, bottom; Header is the face's own
};

// "Temp." and "TempA." in folder; with a face number (0 to 5) "Temp" + face + "." and "TempA" + face + ".".
std::string TempColorBase(const std::string& folder, int face = -1);
std::string TempAlphaBase(const std::string& folder, int face = -1);

// Decodes a mip-map object's body (bitmap header and mip-map body) into image files in folder.
TMipmapFiles WriteMipmapFiles(TStream& body, const std::string& folder);
// Decodes a cube map's body (its header, then six faces of header and body) into image files in folder.
TCubeMapFiles WriteCubeMapFiles(TStream& body, const std::string& folder);
