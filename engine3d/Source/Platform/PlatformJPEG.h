// The JPEG picture of the class library, decoded and encoded through libjpeg; registered for "jpg" and
// "jpeg" in the picture-format registry.
#pragma once

#include "PlatformGraphics.h"

namespace engine3d {

class TJPEGImage : public TGraphic {
    E3D_DECLARE_CLASS(TJPEGImage)
public:
    TJPEGImage() = default;
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    // A damaged file, or one whose header claims more than MaxPixels, raises EInvalidGraphic.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    QImage ToImage() const override { return image_; }
    void Assign(const TPersistent* source) override;
    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int quality) { quality_ = quality < 1 ? 1 : quality > 100 ? 100 : quality; }
    static constexpr int64_t MaxPixels = 64 * 1024 * 1024;

private:
    QImage image_;
    int quality_ = 90;
};

void InitJPEGPictureFormat();

} // namespace engine3d
