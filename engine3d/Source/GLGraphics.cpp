#include "GLGraphics.h"

#include "GLUtils.h"
#include "VectorGeometry.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace engine3d {

E3D_DEFINE_CLASS(TGLBitmap32, TPersistent)

void TGLBitmap32::resize(int width, int height) {
    int64_t size = int64_t(width) * int64_t(height) * 4;
    // DataSize is a 32-bit count of bytes.
    if (size > std::numeric_limits<int32_t>::max())
        throw EOutOfMemory("Image too large: " + std::to_string(width) + " x " + std::to_string(height));
    width_ = width;
    height_ = height;
    dataSize_ = static_cast<int>(size);
    data_.resize(static_cast<size_t>(size / 4));
}

void TGLBitmap32::SetWidth(int width) {
    GLAssert(width >= 0, "");
    int rounded = (width + 3) & ~3;
    if (rounded != width_) resize(rounded, height_);
}

void TGLBitmap32::SetHeight(int height) {
    GLAssert(height >= 0, "");
    if (height != height_) resize(width_, height);
}

TGLPixel32* TGLBitmap32::ScanLine(int y) {
    if (y < 0 || y >= height_) throw EListError("Scan line index out of range");
    return data_.data() + static_cast<size_t>(y) * width_;
}

void TGLBitmap32::Assign(const TPersistent* source) {
    if (!source) {
        width_ = height_ = dataSize_ = 0;
        data_.clear();
        data_.shrink_to_fit();
        return;
    }
    if (auto* other = dynamic_cast<const TGLBitmap32*>(source)) {
        if (other == this) return;
        width_ = other->width_;
        height_ = other->height_;
        dataSize_ = other->dataSize_;
        data_ = other->data_;
        return;
    }
    auto* graphic = dynamic_cast<const TGraphic*>(source);
    if (!graphic) {
        TPersistent::Assign(source);
        return;
    }
    auto* bitmap = dynamic_cast<const TBitmap*>(graphic);
    if (bitmap && (bitmap->Width() & 3) == 0 && bitmap->PixelFormat() == pf24bit) {
        AssignFrom24BitsBitmap(*bitmap);
        return;
    }
    if (bitmap && (bitmap->Width() & 3) == 0 && bitmap->PixelFormat() == pf32bit) {
        AssignFrom32BitsBitmap(*bitmap);
        return;
    }
    // Any other picture is taken as a 24-bit bitmap whose width is a multiple of 4, stretched to it when
    // needed.
    QImage picture = graphic->ToImage();
    int width = graphic->Width();
    if (width & 3) {
        int rounded = (width + 3) & ~3;
        picture = picture.scaled(rounded, graphic->Height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (assignFromOpaqueImage(picture)) return;
    TBitmap temporary;
    temporary.AssignImage(picture, pf24bit);
    AssignFrom24BitsBitmap(temporary);
}

bool TGLBitmap32::assignFromOpaqueImage(const QImage& image) {
    const QImage::Format format = image.format();
    if ((format != QImage::Format_RGB888 && format != QImage::Format_RGB32) || (image.width() & 3))
        return false;
    resize(image.width(), image.height());
    for (int y = 0; y < height_; ++y) {
        const uint8_t* source = image.constScanLine(y);
        int row = keepSourceRowOrder_ ? y : height_ - 1 - y;
        TGLPixel32* target = data_.data() + static_cast<size_t>(row) * width_;
        if (format == QImage::Format_RGB888) {
            for (int x = 0; x < width_; ++x, source += 3)
                target[x] = {source[0], source[1], source[2], 255};
        } else {
            const auto* pixels = reinterpret_cast<const QRgb*>(source);
            for (int x = 0; x < width_; ++x)
                target[x] = {uint8_t(qRed(pixels[x])), uint8_t(qGreen(pixels[x])), uint8_t(qBlue(pixels[x])),
                             255};
        }
    }
    return true;
}

void TGLBitmap32::AssignFrom24BitsBitmap(const TBitmap& bitmap) {
    GLAssert(bitmap.PixelFormat() == pf24bit, "");
    assignFromBGRBitmap(bitmap, 3);
}

void TGLBitmap32::AssignFrom32BitsBitmap(const TBitmap& bitmap) {
    GLAssert(bitmap.PixelFormat() == pf32bit, "");
    assignFromBGRBitmap(bitmap, 4);
}

void TGLBitmap32::assignFromBGRBitmap(const TBitmap& bitmap, int bytesPerPixel) {
    GLAssert((bitmap.Width() & 3) == 0, "");
    resize(bitmap.Width(), bitmap.Height());
    for (int y = 0; y < height_; ++y) {
        const uint8_t* source = bitmap.ScanLine(y);
        int row = keepSourceRowOrder_ ? y : height_ - 1 - y;
        TGLPixel32* target = data_.data() + static_cast<size_t>(row) * width_;
        for (int x = 0; x < width_; ++x, source += bytesPerPixel)
            target[x] = {source[2], source[1], source[0], bytesPerPixel == 4 ? source[3] : uint8_t(255)};
    }
}

std::unique_ptr<TBitmap> TGLBitmap32::Create32BitsBitmap() const {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(width_, height_);
    for (int y = 0; y < height_; ++y) {
        const TGLPixel32* source = data_.data() + static_cast<size_t>(height_ - 1 - y) * width_;
        uint8_t* target = bitmap->ScanLine(y);
        for (int x = 0; x < width_; ++x, target += 4) {
            target[0] = source[x].b;
            target[1] = source[x].g;
            target[2] = source[x].r;
            target[3] = source[x].a;
        }
    }
    return bitmap;
}

void TGLBitmap32::SetAlphaFromIntensity() {
    for (TGLPixel32& p : data_)
        p.a = static_cast<uint8_t>((p.r + p.g + p.b) / 3);
}

void TGLBitmap32::SqrtAlphaFromIntensity() {
    const uint8_t* table = SqrtByteTable();
    for (TGLPixel32& p : data_)
        p.a = table[(p.r + p.g + p.b) / 3];
}

void TGLBitmap32::SetAlphaTransparentForColor(TColor color) {
    SetAlphaTransparentForRGB({GetRValue(color), GetGValue(color), GetBValue(color), 0});
}

void TGLBitmap32::SetAlphaTransparentForPixel(TGLPixel32 pixel) {
    SetAlphaTransparentForRGB(pixel);
}

void TGLBitmap32::SetAlphaTransparentForRGB(TGLPixel32 key) {
    for (TGLPixel32& p : data_)
        p.a = (p.r == key.r && p.g == key.g && p.b == key.b) ? 0 : 255;
}

void TGLBitmap32::SetAlphaToValue(uint8_t alpha) {
    for (TGLPixel32& p : data_)
        p.a = alpha;
}

void TGLBitmap32::InvertAlpha() {
    for (TGLPixel32& p : data_)
        p.a = static_cast<uint8_t>(255 - p.a);
}

void TGLBitmap32::applyToRGB(const uint8_t table[256]) {
    for (TGLPixel32& p : data_) {
        p.r = table[p.r];
        p.g = table[p.g];
        p.b = table[p.b];
    }
}

void TGLBitmap32::BrightnessCorrection(float factor) {
    if (data_.empty()) return;
    GLAssert(factor >= 0, "");
    uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(std::min(255, RoundToInt(i * factor)));
    applyToRGB(table);
}

void TGLBitmap32::GammaCorrection(float gamma) {
    if (data_.empty()) return;
    GLAssert(gamma > 0, "");
    float exponent = gamma >= 0.1f ? 1.0f / gamma : 10.0f;
    uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] =
            static_cast<uint8_t>(std::clamp(RoundToInt(PowerSingle(i / 255.0f, exponent) * 255.0f), 0, 255));
    applyToRGB(table);
}

void TGLBitmap32::GrayScaleToNormalMap(float scale, bool wrapX, bool wrapY) {
    if (data_.empty()) return;
    std::vector<TGLPixel32> normals(data_.size());
    // Wrapping takes neighbours modulo the size, which is the same as masking for powers of two.
    auto green = [&](int x, int y) {
        return static_cast<float>(data_[static_cast<size_t>(y) * width_ + x].g);
    };
    for (int y = 0; y < height_; ++y) {
        int above = y - 1, below = y + 1;
        if (wrapY) {
            above = (above + height_) % height_;
            below = below % height_;
        } else {
            if (above < 0) above = y;
            if (below >= height_) below = y;
        }
        for (int x = 0; x < width_; ++x) {
            int left = x - 1, right = x + 1;
            if (wrapX) {
                left = (left + width_) % width_;
                right = right % width_;
            } else {
                if (left < 0) left = x;
                if (right >= width_) right = x;
            }
            float dx = (green(left, y) - green(right, y)) * scale;
            float dy = (green(x, above) - green(x, below)) * scale;
            float k = ReciprocalSqrt(dx * dx + dy * dy + 1) * 127;
            auto channel = [](float v) {
                return static_cast<uint8_t>(RoundToInt(ClampValue(v, -128, 127) + 128));
            };
            normals[static_cast<size_t>(y) * width_ + x] = {channel(dx * k), channel(dy * k), channel(k),
                                                            255};
        }
    }
    data_.swap(normals);
}

void TGLBitmap32::UploadTexture(GLenum target, TGLMinFilter minFilter, GLenum internalFormat, int& texWidth,
                                int& texHeight) {
    if (dataSize_ == 0) return;
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    int w = RoundUpToPowerOf2(width_), h = RoundUpToPowerOf2(height_);
    if (maxSize > 0) {
        w = std::min(w, static_cast<int>(maxSize));
        h = std::min(h, static_cast<int>(maxSize));
    }
    texWidth = w;
    texHeight = h;
    bool floatFormat = internalFormat == GL_FLOAT_RGBA16_NV || internalFormat == GL_FLOAT_RGBA32_NV ||
                       internalFormat == GL_RGBA16F_ARB || internalFormat == GL_RGBA32F_ARB;
    std::vector<TGLPixel32> scaled;
    const void* pixels = data_.data();
    if (!floatFormat && (w != width_ || h != height_)) {
        scaled.resize(static_cast<size_t>(w) * h);
        gluScaleImage(GL_RGBA, width_, height_, GL_UNSIGNED_BYTE, data_.data(), w, h, GL_UNSIGNED_BYTE,
                      scaled.data());
        pixels = scaled.data();
    }
    if (floatFormat) {
        GLAssert(target == GL_TEXTURE_RECTANGLE_NV, "NV Float-type texture must use GL_TEXTURE_RECTANGLE_NV");
        glTexImage2D(target, 0, static_cast<GLint>(internalFormat), w, h, 0, GL_RGBA, GL_FLOAT, nullptr);
    } else if (minFilter == miNearest || minFilter == miLinear) {
        glTexImage2D(target, 0, static_cast<GLint>(internalFormat), w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     pixels);
    } else if (target == GL_TEXTURE_2D && GLExtensions.SGIS_generate_mipmap) {
        glTexParameteri(target, GL_GENERATE_MIPMAP_SGIS, 1);
        glTexImage2D(target, 0, static_cast<GLint>(internalFormat), w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     pixels);
    } else {
        gluBuild2DMipmaps(target, static_cast<GLint>(internalFormat), w, h, GL_RGBA, GL_UNSIGNED_BYTE,
                          pixels);
    }
}

void TGLBitmap32::UploadAsTexture(GLenum target, TGLMinFilter minFilter, GLenum internalFormat) {
    int w = 0, h = 0;
    UploadTexture(target, minFilter, internalFormat, w, h);
}

} // namespace engine3d
