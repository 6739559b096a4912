#include "TextureWriters.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

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

int distance(Rgba a, Rgba b) {
    const int r = a.r - b.r, g = a.g - b.g, bl = a.b - b.b;
    return r * r + g * g + bl * bl;
}

// The colour a stored 565 word decodes to.
Rgba widened(uint16_t c) {
    return {uint8_t((c >> 11) << 3), uint8_t(((c >> 5) & 63) << 2), uint8_t((c & 31) << 3), 255};
}

Rgba mix(Rgba a, Rgba b, int weightA, int weightB) {
    const int sum = weightA + weightB;
    return {uint8_t((a.r * weightA + b.r * weightB) / sum), uint8_t((a.g * weightA + b.g * weightB) / sum),
            uint8_t((a.b * weightA + b.b * weightB) / sum), 255};
}

// A colour block spanning the block's colour range. A texel whose alpha is below one half, in DXT1,
// makes the block a three-colour one with that texel transparent. A block of one colour stores it twice
// with every index 0.
void writeColourBlock(ByteWriter& w, const Rgba (&texels)[16], bool dxt1) {
    Rgba low{255, 255, 255}, high{0, 0, 0};
    bool punched = false;
    for (const Rgba& t : texels) {
        if (dxt1 && t.a < 128) {
            punched = true;
            continue;
        }
        low = {std::min(low.r, t.r), std::min(low.g, t.g), std::min(low.b, t.b), 255};
        high = {std::max(high.r, t.r), std::max(high.g, t.g), std::max(high.b, t.b), 255};
    }
    uint16_t c0 = rgb565(high), c1 = rgb565(low);
    if (high.r < low.r) c0 = c1 = 0; // every texel transparent
    // Four colours need c0 > c1, three colours and a transparent entry c0 <= c1.
    if (punched ? c0 > c1 : c0 < c1) std::swap(c0, c1);
    const Rgba e0 = widened(c0), e1 = widened(c1);
    std::vector<Rgba> palette = {e0, e1};
    if (punched)
        palette.push_back(mix(e0, e1, 1, 1));
    else if (c0 != c1)
        palette.insert(palette.end(), {mix(e0, e1, 2, 1), mix(e0, e1, 1, 2)});
    uint32_t indices = 0;
    for (int k = 15; k >= 0; --k) {
        uint32_t best = 3;
        if (!punched || texels[k].a >= 128) {
            best = 0;
            for (uint32_t i = 1; i < palette.size(); ++i)
                if (distance(texels[k], palette[i]) < distance(texels[k], palette[best])) best = i;
        }
        indices = indices << 2 | best;
    }
    w.u16(c0).u16(c1).u32(indices);
}

// An alpha block spanning the block's alpha range with eight steps.
void writeAlphaBlock(ByteWriter& w, const Rgba (&texels)[16]) {
    uint8_t a0 = 0, a1 = 255;
    for (const Rgba& t : texels) {
        a0 = std::max(a0, t.a);
        a1 = std::min(a1, t.a);
    }
    uint64_t indices = 0;
    if (a0 != a1)
        for (int k = 15; k >= 0; --k) {
            uint64_t best = 0;
            int bestError = 256;
            for (int i = 0; i < 8; ++i) {
                const int value = i == 0 ? a0 : i == 1 ? a1 : ((8 - i) * a0 + (i - 1) * a1 + 3) / 7;
                if (std::abs(value - texels[k].a) < bestError) {
                    bestError = std::abs(value - texels[k].a);
                    best = uint64_t(i);
                }
            }
            indices = indices << 3 | best;
        }
    w.u8(a0).u8(a1);
    for (int i = 0; i < 6; ++i)
        w.u8(uint8_t(indices >> (8 * i)));
}

// Levels sample the top-level function at scaled coordinates; texels of a block past the level's edge
// repeat its last column or row.
Bytes dxtLevel(uint8_t subType, uint32_t width, uint32_t height, uint32_t scale, const PixelFn& colour) {
    ByteWriter w;
    const uint32_t blocksX = std::max(1u, (width + 3) / 4), blocksY = std::max(1u, (height + 3) / 4);
    for (uint32_t by = 0; by < blocksY; ++by)
        for (uint32_t bx = 0; bx < blocksX; ++bx) {
            Rgba texels[16];
            for (uint32_t k = 0; k < 16; ++k) {
                const uint32_t x = std::min(bx * 4 + k % 4, width - 1),
                               y = std::min(by * 4 + k / 4, height - 1);
                texels[k] = colour(x * scale, y * scale);
            }
            if (subType == 5) writeAlphaBlock(w, texels);
            writeColourBlock(w, texels, subType == 1);
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
    std::vector<PixelFn> faces;
    for (size_t i = 0; i < 6; ++i)
        faces.push_back(solid(faceColours.at(i)));
    return cubeMapObject(kind, size, faces);
}

Bytes cubeMapObject(Kind kind, uint32_t size, const std::vector<PixelFn>& faces) {
    ByteWriter w;
    writeBitmapHeader(w, kind);
    for (size_t i = 0; i < 6; ++i) {
        writeBitmapHeader(w, kind);
        writeMipmapBody(w, kind, size, size, 1, faces.at(i));
    }
    return w.bytes;
}

Bytes jpegFile(uint32_t width, uint32_t height, const PixelFn& colour, int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* file = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &file, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Full-size colour planes: colours stay clean up to their edges.
    for (int i = 0; i < info.num_components; ++i)
        info.comp_info[i].h_samp_factor = info.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * 3);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const Rgba c = colour(x, y);
            row[3 * x] = c.r;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.b;
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes result(file, file + size);
    jpeg_destroy_compress(&info);
    std::free(file);
    return result;
}

} // namespace testpages
