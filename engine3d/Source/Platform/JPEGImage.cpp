#include "JPEGImage.h"

#include "PictureRegisteredFormats.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include <jpeglib.h>

namespace engine3d {

E3D_DEFINE_CLASS(TJPEGImage, TBitmap)

namespace {

// libjpeg ends a failed call through error_exit; we leave by longjmp with the library's own text.
struct TErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<TErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->escape, 1);
}

// Warnings (a truncated file among them) are not fatal and not printed.
void outputMessage(j_common_ptr) {}

void installErrorManager(TErrorManager& manager) {
    jpeg_std_error(&manager.base);
    manager.base.error_exit = errorExit;
    manager.base.output_message = outputMessage;
    manager.message[0] = 0;
}

struct TDecodedJPEG {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // R, G, B; rows top to bottom
};

// No object with a destructor may live in this frame: longjmp leaves it.
bool decodeJPEG(const uint8_t* data, unsigned long size, TDecodedJPEG& out, TErrorManager& errors) {
    jpeg_decompress_struct info;
    info.err = &errors.base;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    if (int64_t(info.output_width) * int64_t(info.output_height) > cJPEGMaxPixels) {
        std::snprintf(errors.message, sizeof errors.message, "JPEG image too large: %u x %u",
                      info.output_width, info.output_height);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.rgb.resize(size_t(out.width) * size_t(out.height) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.rgb.data() + size_t(info.output_scanline) * size_t(out.width) * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool encodeJPEG(const uint8_t* rgb, int width, int height, int quality, unsigned char*& output,
                unsigned long& outputSize, TErrorManager& errors) {
    jpeg_compress_struct info;
    info.err = &errors.base;
    if (setjmp(errors.escape)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &output, &outputSize);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(rgb) + size_t(info.next_scanline) * size_t(width) * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

void TJPEGImage::LoadFromStream(TStream& stream) {
    int64_t left = stream.Remaining();
    if (left <= 0 || left > std::numeric_limits<long>::max()) throw EJPEG("JPEG data is empty");
    std::vector<uint8_t> data(static_cast<size_t>(left));
    stream.ReadBuffer(data.data(), left);

    TDecodedJPEG decoded;
    TErrorManager errors;
    installErrorManager(errors);
    if (!decodeJPEG(data.data(), static_cast<unsigned long>(data.size()), decoded, errors))
        throw EJPEG(errors.message);

    SetSize(0, 0);
    SetPixelFormat(pf24bit);
    SetSize(decoded.width, decoded.height);
    for (int y = 0; y < decoded.height; ++y) {
        const uint8_t* source = decoded.rgb.data() + size_t(y) * size_t(decoded.width) * 3;
        uint8_t* target = ScanLine(y);
        for (int x = 0; x < decoded.width; ++x, source += 3, target += 3) {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
        }
    }
}

void TJPEGImage::SaveToStream(TStream& stream) const {
    if (Empty()) throw EJPEG("Cannot save an empty JPEG image");
    int step = PixelFormat() == pf32bit ? 4 : 3;
    std::vector<uint8_t> rgb(size_t(Width()) * size_t(Height()) * 3);
    for (int y = 0; y < Height(); ++y) {
        const uint8_t* source = ScanLine(y);
        uint8_t* target = rgb.data() + size_t(y) * size_t(Width()) * 3;
        for (int x = 0; x < Width(); ++x, source += step, target += 3) {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
        }
    }
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    TErrorManager errors;
    installErrorManager(errors);
    bool encoded = encodeJPEG(rgb.data(), Width(), Height(), quality_, output, outputSize, errors);
    if (!encoded) {
        std::free(output);
        throw EJPEG(errors.message);
    }
    try {
        stream.WriteBuffer(output, static_cast<int64_t>(outputSize));
    } catch (...) {
        std::free(output);
        throw;
    }
    std::free(output);
}

namespace {
int jpegInitCount = 0;
}

void InitJPEGImage() {
    if (jpegInitCount++ != 0) return;
    RegisterPictureFormat("jpg", "JPEG Image File", &TJPEGImage::StaticClass());
    RegisterPictureFormat("jpeg", "JPEG Image File", &TJPEGImage::StaticClass());
}

void FinalizeJPEGImage() {
    if (jpegInitCount == 0 || --jpegInitCount != 0) return;
    UnregisterPictureFormat(&TJPEGImage::StaticClass());
}

namespace {
[[maybe_unused]] const bool jpegRegistered = (InitJPEGImage(), true);
}

} // namespace engine3d
