// Block decoders of the three compressed DirectDraw Surface formats (DXT1, DXT3, DXT5) and the 5:6:5
// colour split they share. Output pixels are 4 bytes B, G, R, A; rows run top to bottom.
#pragma once

#include <cstdint>

namespace engine3d {

struct TColor565 {
    uint8_t Blue;  // 5 bits
    uint8_t Green; // 6 bits
    uint8_t Red;   // 5 bits
};

// Bits 0-4 blue, 5-10 green, 11-15 red; the values keep their 5, 6 and 5 bits.
TColor565 Split565(uint16_t color);

// Number of zero bits below the lowest set bit of a channel mask; 0 for an empty mask.
int MaskShift(uint32_t mask);

// Bytes of compressed data that a width x height surface holds: one block per 4 x 4 tile.
uint64_t DXTDataSize(int width, int height, int blockBytes);

// data must hold DXTDataSize(width, height, 8 or 16) bytes; output width * height * 4 bytes. A null
// pointer or an empty size writes nothing. threeColorSeen tells whether any block used the
// three-colour mode, whose fourth entry is transparent.
void DecodeDXT1(const uint8_t* data, uint8_t* output, int width, int height, bool& threeColorSeen);
void DecodeDXT3(const uint8_t* data, uint8_t* output, int width, int height);
void DecodeDXT5(const uint8_t* data, uint8_t* output, int width, int height);

} // namespace engine3d
