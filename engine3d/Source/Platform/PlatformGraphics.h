// Pictures of the class library the engine's image code expects: a graphic that knows its size and its
// stream form, and a device-independent bitmap with 24- or 32-bit rows padded to four bytes, stored
// bottom-up by default. Decoding and encoding of the common file formats is the toolkit's.
#pragma once

#include "BaseClasses.h"

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace engine3d {

E3D_EXCEPTION(EInvalidGraphic, Exception)
E3D_EXCEPTION(EInvalidGraphicOperation, Exception)

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

class TGraphic : public TPersistent {
    E3D_DECLARE_CLASS(TGraphic)
public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) const = 0;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;
    // The picture as the toolkit draws it, top line first.
    virtual QImage ToImage() const = 0;
};

class TBitmap : public TGraphic {
    E3D_DECLARE_CLASS(TBitmap)
public:
    TBitmap() = default;
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    TPixelFormat PixelFormat() const { return pixelFormat_; }
    // Only 24- and 32-bit rows are held; other formats raise EInvalidGraphicOperation.
    void SetPixelFormat(TPixelFormat format);
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    // Row order of the storage; bottom-up (like a device-independent bitmap) unless set.
    bool TopDown() const { return topDown_; }
    void SetTopDown(bool topDown);
    // Scan line y counted from the top of the picture; bytes B, G, R (and A for 32-bit rows).
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    int BytesPerRow() const { return stride_; }

    void LoadFromStream(TStream& stream) override;
    // Writes the picture in the bitmap file format.
    void SaveToStream(TStream& stream) const override;
    QImage ToImage() const override;
    // Takes the picture of image into rows of the given format (pf24bit or pf32bit).
    void AssignImage(const QImage& image, TPixelFormat format);
    void Assign(const TPersistent* source) override;

private:
    void reallocate();
    int width_ = 0;
    int height_ = 0;
    TPixelFormat pixelFormat_ = pf24bit;
    bool topDown_ = false;
    int stride_ = 0;
    std::vector<uint8_t> bits_;
};

} // namespace engine3d
