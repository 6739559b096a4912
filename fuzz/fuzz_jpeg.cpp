// Any bytes as a JPEG picture. A small picture that loads is written back and must load again at its
// size (large ones would only slow the run down).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "PictureFuzz.h"
#include "PlatformJPEG.h"

using namespace engine3d;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TJPEGImage image, again;
    if (!fuzzharness::loadPicture(image, data, size)) return 0;
    if (image.Empty() || int64_t(image.Width()) * image.Height() > 256 * 256) return 0;
    fuzzharness::reloadPicture(image, again);
    if (again.Width() != image.Width() || again.Height() != image.Height()) std::abort();
    return 0;
}
