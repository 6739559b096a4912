// Seeds of fuzz_texture: mip maps and cube maps of every kind (32-bit pixels, DXT1, DXT5, stored JPEG
// and run-coded parts), each in memory and through image files.
#include "FuzzHarness.h"
#include "TextureWriters.h"

using namespace testpages;

namespace {

// Stored JPEG parts hold any bytes here: the reader copies them without decoding.
const Bytes kStoredJpeg = {0xFF, 0xD8, 0xFF, 0xD9, 0, 0};

// One texture with its own header; JPEG bodies stand beside the writer's four kinds.
Bytes texture(const Kind* kind, uint32_t size, uint8_t levels, bool alpha) {
    if (!kind) return jpegObject(size, size, kStoredJpeg, alpha ? kStoredJpeg : Bytes());
    return mipmapObject(*kind, size, size, levels,
                        quadrants(size, size, {255, 16, 32}, {0, 0, 0}, {9, 9, 9}, {}),
                        alpha ? solid({128, 128, 128, 128}) : PixelFn());
}

} // namespace

int main(int argc, char** argv) {
    return fuzzharness::seedMain(argc, argv, [](fuzzharness::SeedFolder& seeds) {
        const Kind pixels = Kind::Pixels, dxt1 = Kind::DXT1, dxt5 = Kind::DXT5, runs = Kind::RunCoded;
        const std::pair<const Kind*, const char*> kinds[] = {
            {&pixels, "pixels"}, {&dxt1, "dxt1"}, {&dxt5, "dxt5"}, {nullptr, "jpeg"}, {&runs, "runs"}};
        for (const auto& [kind, name] : kinds)
            for (uint8_t selector = 0; selector < 4; ++selector) {
                ByteWriter w;
                if (selector & 1) {
                    writeBitmapHeader(w, kind ? *kind : Kind::RunCoded);
                    for (int face = 0; face < 6; ++face)
                        w.raw(texture(kind, 4, 1, face % 2 == 0));
                } else {
                    w.raw(texture(kind, 8, 3, true));
                }
                seeds.add(std::string(name) + "_" + std::to_string(selector), {selector}, w.bytes);
            }
    });
}
