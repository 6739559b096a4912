// Seeds of fuzz_jpeg: pictures of several sizes and qualities written by the JPEG picture, one cut short
// and one whose frame claims far more pixels than it holds.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "FuzzHarness.h"
#include "PlatformJPEG.h"

using namespace engine3d;

int main(int argc, char** argv) {
    return fuzzharness::seedMain(argc, argv, [](fuzzharness::SeedFolder& seeds) {
        const struct {
            int width, height, quality;
        } sizes[] = {{1, 1, 90}, {8, 8, 50}, {17, 9, 100}, {40, 24, 10}};
        for (const auto& size : sizes) {
            TBitmap bitmap;
            bitmap.SetPixelFormat(pf24bit);
            bitmap.SetSize(size.width, size.height);
            for (int y = 0; y < size.height; ++y)
                for (int x = 0; x < size.width * 3; ++x)
                    bitmap.ScanLine(y)[x] = uint8_t(x * 29 + y * 71);
            TJPEGImage jpeg;
            jpeg.Assign(&bitmap);
            jpeg.SetCompressionQuality(size.quality);
            TMemoryStream file;
            jpeg.SaveToStream(file);
            const std::string name = "q" + std::to_string(size.quality) + "_" + std::to_string(size.width);
            seeds.add(name, file.Bytes());
            if (size.width == 17) {
                seeds.add(name + "_cut",
                          fuzzharness::Bytes(file.Bytes().begin(), file.Bytes().begin() + file.Size() / 2));
                // The frame header claiming 4096 x 4096 pixels, far more than the data codes.
                fuzzharness::Bytes enlarged(file.Bytes().begin(), file.Bytes().end());
                const uint8_t frame[] = {0xFF, 0xC0};
                auto at = std::search(enlarged.begin(), enlarged.end(), std::begin(frame), std::end(frame));
                if (at != enlarged.end() && enlarged.end() - at > 8) {
                    at[5] = at[7] = 0x10;
                    at[6] = at[8] = 0x00;
                    seeds.add(name + "_enlarged", enlarged);
                }
            }
        }
    });
}
