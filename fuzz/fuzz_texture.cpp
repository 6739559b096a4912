// Texture objects: the bitmap header and mip-map body of a mip map or a cube map, and the DDS files
// written from them. Input: one selector byte (bit 0 a cube map, bit 1 through image files in a scratch
// folder as the previews do, else the DDS images in memory), then the object body.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "FuzzHarness.h"
#include "PRPTexture.h"

namespace {

const std::string& scratchFolder() {
    static const std::string folder = [] {
        const std::string path = fuzzharness::scratchPath("-texture");
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

void writeImagesInMemory(TMemoryStream& body, bool cube) {
    const TBitmapHeader header = ReadBitmapHeader(body);
    for (int face = 0; face < (cube ? 6 : 1); ++face) {
        if (cube) ReadBitmapHeader(body);
        TPRPTexture texture;
        const TBitmapHeader work = ReadMipmapData(body, header, texture);
        for (bool alpha : {false, true}) {
            const uint8_t kind = alpha ? work.Extra : work.Compression;
            if (kind == kTextureKindJPEG || (alpha && texture.AlphaData.empty())) continue;
            TMemoryStream image;
            WriteDDSFile(work, texture, image, alpha);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool cube = data[0] & 1;
    TMemoryStream body(std::vector<uint8_t>(data + 1, data + size));
    try {
        if (data[0] & 2) {
            if (cube)
                WriteCubeMapFiles(body, scratchFolder());
            else
                WriteMipmapFiles(body, scratchFolder());
        } else {
            writeImagesInMemory(body, cube);
        }
    } catch (const Exception&) {
        // The texture viewers show the message.
    }
    return 0;
}
