// The engine's in-memory RGBA image: every texture picture is turned into one before upload.
#pragma once

#include "BaseClasses.h"
#include "GLCrossPlatform.h"
#include "OpenGLImports.h"
#include "PlatformGraphics.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace engine3d {

enum TGLMinFilter {
    miNearest,
    miLinear,
    miNearestMipmapNearest,
    miLinearMipmapNearest,
    miNearestMipmapLinear,
    miLinearMipmapLinear
};

struct TGLPixel32 {
    uint8_t r, g, b, a;
};
static_assert(sizeof(TGLPixel32) == 4, "a pixel is four packed bytes");

// Pixels as R, G, B, A bytes; rows of width * 4 bytes with nothing between them. Unless
// KeepSourceRowOrder is set before an assignment, row 0 is the bottom line of the source picture.
class TGLBitmap32 : public TPersistent {
    E3D_DECLARE_CLASS(TGLBitmap32)
public:
    TGLBitmap32() = default;
    // From nullptr (empties the image), another TGLBitmap32, a TBitmap or any other TGraphic.
    void Assign(const TPersistent* source) override;
    // pf24bit (or pf32bit) bitmap whose width is a multiple of 4.
    void AssignFrom24BitsBitmap(const TBitmap& bitmap);
    void AssignFrom32BitsBitmap(const TBitmap& bitmap);
    std::unique_ptr<TBitmap> Create32BitsBitmap() const;

    bool IsEmpty() const { return width_ == 0 || height_ == 0; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Rounds up to a multiple of 4; the contents are not rearranged.
    void SetWidth(int width);
    void SetHeight(int height);
    int DataSize() const { return dataSize_; }
    TGLPixel32* Data() { return data_.empty() ? nullptr : data_.data(); }
    const TGLPixel32* Data() const { return data_.empty() ? nullptr : data_.data(); }
    TGLPixel32* ScanLine(int y);
    bool KeepSourceRowOrder() const { return keepSourceRowOrder_; }
    void SetKeepSourceRowOrder(bool keep) { keepSourceRowOrder_ = keep; }

    void SetAlphaFromIntensity();
    void SqrtAlphaFromIntensity();
    void SetAlphaTransparentForColor(TColor color);
    void SetAlphaTransparentForPixel(TGLPixel32 pixel);
    // Alpha 0 where the pixel's R, G, B equal the key's, else 255; alpha bytes are not compared.
    void SetAlphaTransparentForRGB(TGLPixel32 key);
    void SetAlphaToValue(uint8_t alpha);
    void InvertAlpha();
    void BrightnessCorrection(float factor);
    void GammaCorrection(float gamma);
    // Replaces the image by a normal map of its green channel.
    void GrayScaleToNormalMap(float scale, bool wrapX = true, bool wrapY = true);

    // Uploads as the texture bound to target, scaled to powers of two within GL_MAX_TEXTURE_SIZE;
    // texWidth and texHeight receive the uploaded size. Nothing happens without data.
    void UploadTexture(GLenum target, TGLMinFilter minFilter, GLenum internalFormat, int& texWidth,
                       int& texHeight);
    void UploadAsTexture(GLenum target, TGLMinFilter minFilter, GLenum internalFormat);

private:
    void resize(int width, int height);
    // Takes the size and the BGR(A) rows of bitmap, 3 or 4 bytes a pixel; with 3, the pixels are opaque.
    void assignFromBGRBitmap(const TBitmap& bitmap, int bytesPerPixel);
    // Takes an RGB888 or RGB32 picture whose width is a multiple of 4 straight from its rows, as opaque
    // pixels, without a bitmap between; false (nothing changed) for any other.
    bool assignFromOpaqueImage(const QImage& image);
    void applyToRGB(const uint8_t table[256]);
    std::vector<TGLPixel32> data_;
    int width_ = 0;
    int height_ = 0;
    int dataSize_ = 0;
    bool keepSourceRowOrder_ = false;
};

} // namespace engine3d
