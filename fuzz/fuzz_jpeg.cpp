// Any bytes as a JPEG picture. A small picture that loads is written back and must load again at its
// size (large ones would only slow the run down).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "PlatformJPEG.h"

using namespace engine3d;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream file;
    file.Bytes().assign(data, data + size);
    TJPEGImage image;
    try {
        image.LoadFromStream(file);
    } catch (const Exception&) {
        return 0;
    }
    if (image.Empty() || int64_t(image.Width()) * image.Height() > 256 * 256) return 0;
    TMemoryStream copy;
    image.SaveToStream(copy);
    copy.SetPosition(0);
    TJPEGImage again;
    again.LoadFromStream(copy);
    if (again.Width() != image.Width() || again.Height() != image.Height()) std::abort();
    return 0;
}
