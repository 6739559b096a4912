#pragma once
// Texture object bodies: DXT1, DXT5, 32-bit pixel and run-coded textures drawn from a colour function,
// JPEG files and JPEG bodies around them, and cube maps of six such faces.
#include <cstdint>
#include <functional>
#include <vector>

#include "PageWriter.h"

namespace testpages {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};
// The colour of the pixel at (x, y) of the top level, y counted down from the top row.
using PixelFn = std::function<Rgba(uint32_t x, uint32_t y)>;

PixelFn solid(Rgba colour);
// Four quadrants of a width x height picture: top-left, top-right, bottom-left, bottom-right.
PixelFn quadrants(uint32_t width, uint32_t height, Rgba topLeft, Rgba topRight, Rgba bottomLeft,
                  Rgba bottomRight);

enum class Kind { DXT1, DXT5, Pixels, RunCoded };

// A bitmap header: the extra byte only for DXT (compression 1), every unused field distinct.
void writeBitmapHeader(ByteWriter& w, uint8_t compression, uint8_t subType);
void writeBitmapHeader(ByteWriter& w, Kind kind);
// The start of a mip-map body: width, height, an unused word, the stated data size and the level count.
void writeMipmapStart(ByteWriter& w, uint32_t width, uint32_t height, uint32_t totalSize, uint8_t levels);
// The mip-map body: every level halves the previous one (at least one pixel; DXT levels at least one
// block). Each DXT block spans its texels' colours (and, in DXT5, alphas) and picks the nearest entry
// for each texel, so a block of one colour decodes to exactly it; in DXT1 a texel of alpha below 128
// is stored transparent. A run-coded body has one level and, with an alpha function, a run-coded alpha
// part.
void writeMipmapBody(ByteWriter& w, Kind kind, uint32_t width, uint32_t height, uint8_t levels,
                     const PixelFn& colour, const PixelFn& alpha = {});

// A whole mip-map object body: header and body.
Bytes mipmapObject(Kind kind, uint32_t width, uint32_t height, uint8_t levels, const PixelFn& colour,
                   const PixelFn& alpha = {});
// A JPEG file of the whole picture (its alpha is dropped); full-size colour planes.
Bytes jpegFile(uint32_t width, uint32_t height, const PixelFn& colour, int quality = 100);
// A JPEG body: the colour file and the alpha file (empty for none) as stored.
Bytes jpegObject(uint32_t width, uint32_t height, const Bytes& colourFile, const Bytes& alphaFile = {});

// A cube map: its own header, then six faces (left, right, front, back, top, bottom) of one solid
// colour each, every face with its own header.
Bytes cubeMapObject(Kind kind, uint32_t size, const std::vector<Rgba>& faceColours);
// The same with a picture on each face.
Bytes cubeMapObject(Kind kind, uint32_t size, const std::vector<PixelFn>& faces);

} // namespace testpages
