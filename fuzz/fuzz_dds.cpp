// Any bytes as a DirectDraw Surface file. A picture that loads is written back and must load again as
// the same picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "DDS.h"
#include "PictureFuzz.h"

using namespace engine3d;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TDDSImage image, again;
    if (!fuzzharness::loadPicture(image, data, size)) return 0;
    fuzzharness::reloadPicture(image, again);
    if (again.Width() != image.Width() || again.Height() != image.Height() ||
        again.Transparent() != image.Transparent())
        std::abort();
    for (int y = 0; y < image.Height() && image.Width() > 0; ++y)
        if (std::memcmp(again.ScanLine(y), image.ScanLine(y), size_t(image.Width()) * 4) != 0) std::abort();
    return 0;
}
