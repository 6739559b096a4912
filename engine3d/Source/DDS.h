// DirectDraw Surface pictures: the top-level surface of a DXT1, DXT3, DXT5 or uncompressed masked file
// as a 32-bit bitmap, and the writer of uncompressed files. Registered for the extension "dds".
#pragma once

#include "PlatformGraphics.h"

#include <cstdint>

namespace engine3d {

E3D_EXCEPTION(EDDSException, Exception)

// Largest surface the reader accepts, so that a damaged header cannot ask for a huge bitmap.
constexpr int cDDSMaxDimension = 16384;
constexpr int64_t cDDSMaxPixels = int64_t(1) << 26;

class TDDSImage : public TBitmap {
    E3D_DECLARE_CLASS(TDDSImage)
public:
    // Mip-map levels, cube faces and volume slices after the top-level surface stay unread. On a
    // failure the picture keeps what it held before.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    // The picture carries alpha worth keeping: set by the reader, written as the alpha mask.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent) { transparent_ = transparent; }

private:
    bool transparent_ = false;
};

// Registers "dds" with the picture-format registry; runs once however often it is called.
void InitDDS();
void FinalizeDDS();

} // namespace engine3d
