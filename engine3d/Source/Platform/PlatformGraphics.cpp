#include "PlatformGraphics.h"

#include "ApplicationFileIO.h"

#include <QBuffer>
#include <QByteArray>

#include <cstring>
#include <limits>

namespace engine3d {

E3D_DEFINE_ABSTRACT_CLASS(TGraphic, TPersistent)

void TGraphic::LoadFromFile(const std::string& fileName) {
    auto stream = CreateFileStream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(*stream);
}

void TGraphic::SaveToFile(const std::string& fileName) const {
    auto stream = CreateFileStream(fileName, fmCreate);
    SaveToStream(*stream);
}

E3D_DEFINE_CLASS(TBitmap, TGraphic)

static int bytesPerPixel(TPixelFormat format) {
    return format == pf32bit ? 4 : 3;
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format != pf24bit && format != pf32bit) throw EInvalidGraphicOperation("Pixel format not supported");
    if (format == pixelFormat_) return;
    QImage picture = ToImage();
    pixelFormat_ = format;
    if (width_ > 0 && height_ > 0)
        AssignImage(picture, format);
    else
        reallocate();
}

void TBitmap::SetSize(int width, int height) {
    if (width < 0 || height < 0) throw EInvalidGraphicOperation("Invalid bitmap size");
    width_ = width;
    height_ = height;
    reallocate();
}

void TBitmap::SetTopDown(bool topDown) {
    if (topDown == topDown_) return;
    std::vector<uint8_t> flipped(bits_.size());
    for (int y = 0; y < height_; ++y)
        std::memcpy(flipped.data() + static_cast<size_t>(height_ - 1 - y) * stride_,
                    bits_.data() + static_cast<size_t>(y) * stride_, static_cast<size_t>(stride_));
    bits_.swap(flipped);
    topDown_ = topDown;
}

void TBitmap::reallocate() {
    int64_t stride = ((int64_t(width_) * bytesPerPixel(pixelFormat_) + 3) / 4) * 4;
    int64_t total = stride * height_;
    if (stride > std::numeric_limits<int>::max() || total > std::numeric_limits<int>::max())
        throw EOutOfMemory("Bitmap too large");
    stride_ = static_cast<int>(stride);
    bits_.assign(static_cast<size_t>(total), 0);
}

uint8_t* TBitmap::ScanLine(int y) {
    return const_cast<uint8_t*>(static_cast<const TBitmap*>(this)->ScanLine(y));
}

const uint8_t* TBitmap::ScanLine(int y) const {
    if (y < 0 || y >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
    int row = topDown_ ? y : height_ - 1 - y;
    return bits_.data() + static_cast<size_t>(row) * stride_;
}

void TBitmap::AssignImage(const QImage& image, TPixelFormat format) {
    if (format != pf24bit && format != pf32bit) throw EInvalidGraphicOperation("Pixel format not supported");
    pixelFormat_ = format;
    SetSize(image.isNull() ? 0 : image.width(), image.isNull() ? 0 : image.height());
    if (bits_.empty()) return;
    // ARGB32 in memory is B, G, R, A on little-endian machines, BGR888 is B, G, R: the bitmap's rows.
    QImage converted =
        image.convertToFormat(format == pf32bit ? QImage::Format_ARGB32 : QImage::Format_BGR888);
    size_t rowBytes = static_cast<size_t>(width_) * bytesPerPixel(format);
    for (int y = 0; y < height_; ++y)
        std::memcpy(ScanLine(y), converted.constScanLine(y), rowBytes);
}

QImage TBitmap::ToImage() const {
    if (width_ <= 0 || height_ <= 0) return {};
    QImage image(width_, height_, pixelFormat_ == pf32bit ? QImage::Format_ARGB32 : QImage::Format_BGR888);
    size_t rowBytes = static_cast<size_t>(width_) * bytesPerPixel(pixelFormat_);
    for (int y = 0; y < height_; ++y)
        std::memcpy(image.scanLine(y), ScanLine(y), rowBytes);
    return image;
}

void TBitmap::LoadFromStream(TStream& stream) {
    int64_t left = stream.Remaining();
    if (left > std::numeric_limits<int>::max()) throw EInvalidGraphic("Bitmap image is not valid");
    QByteArray data(static_cast<qsizetype>(left), Qt::Uninitialized);
    stream.ReadBuffer(data.data(), left);
    QImage image;
    if (!image.loadFromData(data)) throw EInvalidGraphic("Bitmap image is not valid");
    AssignImage(image, image.hasAlphaChannel() ? pf32bit : pf24bit);
}

void TBitmap::SaveToStream(TStream& stream) const {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!ToImage().save(&buffer, "BMP")) throw EInvalidGraphic("Bitmap image is not valid");
    stream.WriteBuffer(data.constData(), data.size());
}

void TBitmap::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TBitmap*>(source)) {
        if (other == this) return;
        width_ = other->width_;
        height_ = other->height_;
        pixelFormat_ = other->pixelFormat_;
        topDown_ = other->topDown_;
        stride_ = other->stride_;
        bits_ = other->bits_;
        return;
    }
    if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        QImage image = graphic->ToImage();
        AssignImage(image, image.hasAlphaChannel() ? pf32bit : pf24bit);
        return;
    }
    if (!source) {
        SetSize(0, 0);
        return;
    }
    TGraphic::Assign(source);
}

} // namespace engine3d
