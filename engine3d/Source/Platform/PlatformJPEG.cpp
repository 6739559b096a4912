#include "PlatformJPEG.h"

#include "PictureRegisteredFormats.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include <jpeglib.h>

namespace engine3d {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back here.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

void onJpegMessage(j_common_ptr, int) {}

// Decodes into rgb; false with a message in error on failure. Kept free of C++ objects with
// destructors between setjmp and the jumps.
bool decode(const unsigned char* data, unsigned long size, std::vector<unsigned char>& rgb, int& width,
            int& height, JpegError& error) {
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = onJpegError;
    error.manager.emit_message = onJpegMessage;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    // The size is checked on the header alone: starting the decompression of a progressive picture
    // already allocates its coefficients for the whole frame.
    if (int64_t(info.image_width) * info.image_height > TJPEGImage::MaxPixels) {
        std::snprintf(error.message, sizeof(error.message), "JPEG image too large or of an unknown layout");
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3) {
        std::snprintf(error.message, sizeof(error.message), "JPEG image too large or of an unknown layout");
        jpeg_destroy_decompress(&info);
        return false;
    }
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    rgb.resize(static_cast<size_t>(width) * height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rgb.data() + static_cast<size_t>(info.output_scanline) * width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool encode(const QImage& rgbImage, int quality, unsigned char*& out, unsigned long& outSize,
            JpegError& error) {
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = onJpegError;
    error.manager.emit_message = onJpegMessage;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = static_cast<JDIMENSION>(rgbImage.width());
    info.image_height = static_cast<JDIMENSION>(rgbImage.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgbImage.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

E3D_DEFINE_CLASS(TJPEGImage, TGraphic)

void TJPEGImage::LoadFromStream(TStream& stream) {
    int64_t left = stream.Remaining();
    if (left <= 0 || left > std::numeric_limits<int>::max())
        throw EInvalidGraphic("JPEG error: the file is empty or too large");
    std::vector<unsigned char> data(static_cast<size_t>(left));
    stream.ReadBuffer(data.data(), left);
    std::vector<unsigned char> rgb;
    int width = 0, height = 0;
    JpegError error{};
    if (!decode(data.data(), static_cast<unsigned long>(data.size()), rgb, width, height, error))
        throw EInvalidGraphic(std::string("JPEG error: ") + error.message);
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), rgb.data() + static_cast<size_t>(y) * width * 3,
                    static_cast<size_t>(width) * 3);
    image_ = image;
}

void TJPEGImage::SaveToStream(TStream& stream) const {
    if (image_.isNull()) throw EInvalidGraphic("JPEG error: no image to write");
    QImage rgbImage = image_.convertToFormat(QImage::Format_RGB888);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    JpegError error{};
    bool written = encode(rgbImage, quality_, out, outSize, error);
    if (written) stream.WriteBuffer(out, static_cast<int64_t>(outSize));
    std::free(out);
    if (!written) throw EInvalidGraphic(std::string("JPEG error: ") + error.message);
}

void TJPEGImage::Assign(const TPersistent* source) {
    if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        image_ = graphic->ToImage();
        return;
    }
    if (!source) {
        image_ = QImage();
        return;
    }
    TGraphic::Assign(source);
}

void InitJPEGPictureFormat() {
    RegisterPictureFormat("jpg", "JPEG Image File", &TJPEGImage::StaticClass());
    RegisterPictureFormat("jpeg", "JPEG Image File", &TJPEGImage::StaticClass());
}

} // namespace engine3d
