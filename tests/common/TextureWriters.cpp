#include "TextureWriters.h"

#include <algorithm>

namespace testpages {

PixelFn solid(Rgba colour) {
    return [colour](uint32_t, uint32_t) { return colour; };
}

PixelFn quadrants(uint32_t width, uint32_t height, Rgba topLeft, Rgba topRight, Rgba bottomLeft,
                  Rgba bottomRight) {
    return [=](uint32_t x, uint32_t y) {
        const bool left = x < width / 2, top = y < height / 2;
        return left ? (top ? topLeft : bottomLeft) : (top ? topRight : bottomRight);
    };
}

namespace {

uint16_t rgb565(Rgba c) {
    return static_cast<uint16_t>((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3));
}

uint32_t packed(Rgba c) {
    return static_cast<uint32_t>(c.a) << 24 | static_cast<uint32_t>(c.r) << 16 |
           static_cast<uint32_t>(c.g) << 8 | c.b;
}

// Levels sample the top-level function at scaled coordinates.
Bytes dxtLevel(uint8_t subType, uint32_t width, uint32_t height, uint32_t scale, const PixelFn& colour) {
    ByteWriter w;
    const uint32_t blocksX = std::max(1u, (width + 3) / 4), blocksY = std::max(1u, (height + 3) / 4);
    for (uint32_t by = 0; by < blocksY; ++by)
        for (uint32_t bx = 0; bx < blocksX; ++bx) {
            const Rgba c = colour(bx * 4 * scale, by * 4 * scale);
            if (subType == 5) w.u8(c.a).u8(c.a).u16(0).u16(0).u16(0);
            // Equal end colours and index 0 everywhere: every texel is the first end colour.
            w.u16(rgb565(c)).u16(rgb565(c)).u32(0);
        }
    return w.bytes;
}

Bytes pixelLevel(uint32_t width, uint32_t height, uint32_t scale, const PixelFn& colour) {
    ByteWriter w;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const Rgba c = colour(x * scale, y * scale);
            w.u8(c.b).u8(c.g).u8(c.r).u8(c.a);
        }
    return w.bytes;
}

void writeRuns(ByteWriter& w, uint32_t width, uint32_t height, const PixelFn& colour) {
    uint32_t count = 0, value = 0;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t v = packed(colour(x, y));
            if (count > 0 && v == value) {
                ++count;
                continue;
            }
            if (count > 0) w.u32(count).u32(value);
            count = 1;
            value = v;
        }
    if (count > 0) w.u32(count).u32(value);
    w.u32(0).u32(0);
}

} // namespace

void writeBitmapHeader(ByteWriter& w, uint8_t compression, uint8_t subType) {
    w.u8(0x11).u8(0x22).u8(0x33).u16(0x4455).u8(compression);
    if (compression == 1) w.u8(0x66);
    w.u8(subType).u32(0x77777777).u32(0x88888888);
}

void writeBitmapHeader(ByteWriter& w, Kind kind) {
    writeBitmapHeader(w,
                      kind == Kind::Pixels     ? 0
                      : kind == Kind::RunCoded ? 2
                                               : 1,
                      kind == Kind::DXT1   ? 1
                      : kind == Kind::DXT5 ? 5
                                           : 0);
}

void writeMipmapStart(ByteWriter& w, uint32_t width, uint32_t height, uint32_t totalSize, uint8_t levels) {
    w.u32(width).u32(height).u32(0xABCDEF01).u32(totalSize).u8(levels);
}

void writeMipmapBody(ByteWriter& w, Kind kind, uint32_t width, uint32_t height, uint8_t levels,
                     const PixelFn& colour, const PixelFn& alpha) {
    if (kind == Kind::RunCoded) {
        writeMipmapStart(w, width, height, 0, 1);
        w.u8(alpha ? 0x3 : 0x1);
        writeRuns(w, width, height, colour);
        if (alpha)
            writeRuns(w, width, height, alpha);
        else
            w.u32(0); // no alpha: an empty JPEG part
        return;
    }
    Bytes data;
    uint32_t lw = width, lh = height, scale = 1;
    for (uint8_t level = 0; level < levels; ++level) {
        const Bytes part = kind == Kind::Pixels ? pixelLevel(lw, lh, scale, colour)
                                                : dxtLevel(kind == Kind::DXT1 ? 1 : 5, lw, lh, scale, colour);
        data.insert(data.end(), part.begin(), part.end());
        lw = std::max(1u, lw / 2);
        lh = std::max(1u, lh / 2);
        scale *= 2;
    }
    writeMipmapStart(w, width, height, static_cast<uint32_t>(data.size()), levels);
    w.raw(data);
}

Bytes mipmapObject(Kind kind, uint32_t width, uint32_t height, uint8_t levels, const PixelFn& colour,
                   const PixelFn& alpha) {
    ByteWriter w;
    writeBitmapHeader(w, kind);
    writeMipmapBody(w, kind, width, height, levels, colour, alpha);
    return w.bytes;
}

Bytes jpegObject(uint32_t width, uint32_t height, const Bytes& colourFile, const Bytes& alphaFile) {
    ByteWriter w;
    writeBitmapHeader(w, Kind::RunCoded);
    writeMipmapStart(w, width, height, 0, 1);
    w.u8(0).u32(uint32_t(colourFile.size())).raw(colourFile);
    w.u32(uint32_t(alphaFile.size())).raw(alphaFile);
    return w.bytes;
}

Bytes cubeMapObject(Kind kind, uint32_t size, const std::vector<Rgba>& faceColours) {
    ByteWriter w;
    writeBitmapHeader(w, kind);
    for (size_t i = 0; i < 6; ++i) {
        writeBitmapHeader(w, kind);
        writeMipmapBody(w, kind, size, size, 1, solid(faceColours.at(i)));
    }
    return w.bytes;
}

} // namespace testpages
