// Seeds of fuzz_texture: mip maps and cube maps of every kind (32-bit pixels, DXT1, DXT5, stored JPEG
// and run-coded parts), each in memory and through image files.
#include "FuzzHarness.h"
#include "PRPTexture.h"
#include "PageWriter.h"

using testpages::ByteWriter;

namespace {

enum class Kind { Pixels, DXT1, DXT5, Jpeg, RunCoded };

void writeHeader(ByteWriter& w, Kind kind) {
    w.u8(0).u8(0).u8(0).u16(0x1);
    if (kind == Kind::DXT1 || kind == Kind::DXT5)
        w.u8(kTextureKindDXT).u8(kTextureKindDXT).u8(kind == Kind::DXT1 ? kSubTypeDXT1 : kSubTypeDXT5);
    else
        w.u8(kind == Kind::Pixels ? kTextureKindPixels : kTextureKindJPEG).u8(0);
    w.u32(0).u32(0);
}

// Stored JPEG parts hold any bytes here: the reader copies them without decoding.
void writeBody(ByteWriter& w, Kind kind, uint32_t size, uint8_t levels, bool alpha) {
    w.u32(size).u32(size).u32(0);
    if (kind == Kind::Pixels || kind == Kind::DXT1 || kind == Kind::DXT5) {
        uint32_t total = 0;
        for (uint32_t s = size, l = 0; l<levels; ++l, s = s> 1 ? s / 2 : 1)
            total += kind == Kind::Pixels ? s * s * 4 : DXTLinearSize(s, s, kind == Kind::DXT1 ? 1 : 5);
        w.u32(total).u8(levels);
        for (uint32_t i = 0; i < total; ++i)
            w.u8(uint8_t(i * 37));
        return;
    }
    w.u32(0).u8(1);
    const uint8_t runs = kind == Kind::RunCoded ? (kRunCodedColor | (alpha ? kRunCodedAlpha : 0)) : 0;
    w.u8(runs);
    for (bool part : {true, alpha}) {
        if (!part) {
            w.u32(0); // an empty stored alpha part
        } else if (runs) {
            w.u32(size).u32(0xFF102030).u32(size * size).u32(0x80FFFFFF).u32(0);
        } else {
            w.u32(6).raw(std::string("\xFF\xD8\xFF\xD9\0\0", 6));
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    return fuzzharness::seedMain(argc, argv, [](fuzzharness::SeedFolder& seeds) {
        const std::pair<Kind, const char*> kinds[] = {{Kind::Pixels, "pixels"},
                                                      {Kind::DXT1, "dxt1"},
                                                      {Kind::DXT5, "dxt5"},
                                                      {Kind::Jpeg, "jpeg"},
                                                      {Kind::RunCoded, "runs"}};
        for (const auto& [kind, name] : kinds)
            for (uint8_t selector = 0; selector < 4; ++selector) {
                const bool cube = selector & 1;
                ByteWriter w;
                writeHeader(w, kind);
                for (int face = 0; face < (cube ? 6 : 1); ++face) {
                    if (cube) writeHeader(w, kind);
                    writeBody(w, kind, cube ? 4 : 8, cube ? 1 : 3, face % 2 == 0);
                }
                seeds.add(std::string(name) + "_" + std::to_string(selector), {selector}, w.bytes);
            }
    });
}
