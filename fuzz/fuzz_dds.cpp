// Any bytes as a DirectDraw Surface file. A picture that loads is written back and must load again as
// the same picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "DDS.h"

using namespace engine3d;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream file;
    file.Bytes().assign(data, data + size);
    TDDSImage image;
    try {
        image.LoadFromStream(file);
    } catch (const Exception&) {
        return 0;
    }
    TMemoryStream copy;
    image.SaveToStream(copy);
    copy.SetPosition(0);
    TDDSImage again;
    again.LoadFromStream(copy);
    if (again.Width() != image.Width() || again.Height() != image.Height() ||
        again.Transparent() != image.Transparent())
        std::abort();
    for (int y = 0; y < image.Height() && image.Width() > 0; ++y)
        if (std::memcmp(again.ScanLine(y), image.ScanLine(y), size_t(image.Width()) * 4) != 0) std::abort();
    return 0;
}
