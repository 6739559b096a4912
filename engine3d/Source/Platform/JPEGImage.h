// JPEG pictures through the system's libjpeg: decoded to 24-bit rows on load, encoded on save.
// Registered for the extension "jpg" (and "jpeg").
#pragma once

#include "PlatformGraphics.h"

namespace engine3d {

E3D_EXCEPTION(EJPEG, EInvalidGraphic)

// Largest picture the decoder accepts, so that a damaged header cannot ask for a huge bitmap.
constexpr int64_t cJPEGMaxPixels = int64_t(1) << 26;

class TJPEGImage : public TBitmap {
    E3D_DECLARE_CLASS(TJPEGImage)
public:
    // Reads one JPEG stream from the current position to the end of the stream. On a failure the
    // picture keeps what it held before.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int quality) { quality_ = quality < 1 ? 1 : quality > 100 ? 100 : quality; }

private:
    int quality_ = 90;
};

void InitJPEGImage();
void FinalizeJPEGImage();

} // namespace engine3d
