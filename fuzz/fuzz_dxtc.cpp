// The DXT block decoders on their own. Input: one byte choosing DXT1, DXT3 or DXT5, two bytes of width
// and two of height (each 1 to 256), then the blocks, cut or zero-filled to the size the surface needs.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "DXTC.h"

using namespace engine3d;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    const int kind = data[0] % 3;
    const int width = (data[1] | data[2] << 8) % 256 + 1;
    const int height = (data[3] | data[4] << 8) % 256 + 1;
    const int blockBytes = kind == 0 ? 8 : 16;
    std::vector<uint8_t> blocks(size_t(DXTDataSize(width, height, blockBytes)), 0);
    for (size_t i = 5; i < size && i - 5 < blocks.size(); ++i)
        blocks[i - 5] = data[i];
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
    bool threeColorSeen = false;
    if (kind == 0)
        DecodeDXT1(blocks.data(), pixels.data(), width, height, threeColorSeen);
    else if (kind == 1)
        DecodeDXT3(blocks.data(), pixels.data(), width, height);
    else
        DecodeDXT5(blocks.data(), pixels.data(), width, height);
    return 0;
}
