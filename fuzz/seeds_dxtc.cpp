// Seeds of fuzz_dxtc: DXT1 blocks in both colour modes, DXT3 blocks, and DXT5 blocks in both alpha
// modes, on surfaces of whole and partial blocks.
#include "FuzzHarness.h"

using fuzzharness::Bytes;

int main(int argc, char** argv) {
    return fuzzharness::seedMain(argc, argv, [](fuzzharness::SeedFolder& seeds) {
        const Bytes fourColours = {0x00, 0xF8, 0x1F, 0x00, 0x1B, 0xE4, 0x1B, 0xE4};
        const Bytes threeColours = {0x1F, 0x00, 0x00, 0xF8, 0xFF, 0xAA, 0x55, 0x00};
        const Bytes explicitAlpha = {0xF0, 0x0F, 0xFF, 0x00, 0x12, 0x34, 0x56, 0x78};
        const Bytes eightAlphas = {0xFF, 0x00, 0x49, 0x92, 0x24, 0x49, 0x92, 0x24};
        const Bytes sixAlphas = {0x10, 0xF0, 0xFF, 0x6D, 0xDB, 0xB6, 0x6D, 0xDB};
        struct Seed {
            const char* name;
            uint8_t kind;
            uint16_t width, height;
            std::vector<Bytes> blocks;
        };
        const Seed list[] = {
            {"dxt1", 0, 8, 4, {fourColours, threeColours}},
            {"dxt1_partial", 0, 5, 7, {threeColours, fourColours, fourColours, threeColours}},
            {"dxt3", 1, 4, 8, {explicitAlpha, fourColours, explicitAlpha, threeColours}},
            {"dxt5", 2, 8, 4, {eightAlphas, fourColours, sixAlphas, threeColours}},
            {"dxt5_partial", 2, 3, 2, {sixAlphas, fourColours}},
        };
        for (const Seed& seed : list) {
            // Sizes are stored one less: 0 to 255 mean 1 to 256.
            Bytes bytes = {seed.kind, uint8_t(seed.width - 1), 0, uint8_t(seed.height - 1), 0};
            for (const Bytes& block : seed.blocks)
                bytes.insert(bytes.end(), block.begin(), block.end());
            seeds.add(seed.name, bytes);
        }
    });
}
