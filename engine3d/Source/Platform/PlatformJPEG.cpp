#include "PlatformJPEG.h"

#include "PictureRegisteredFormats.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

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

// libjpeg goes on past data that ends early or does not decode, and only warns: it pads the picture with
// grey. Such a picture is damaged; other warnings (an unknown JFIF revision, stray bytes it skips, say)
// leave the pixels whole, and so does anything said once every row is decoded (a missing end marker).
void onJpegMessage(j_common_ptr info, int level) {
    if (level >= 0) return;
    if (info->is_decompressor) {
        const auto* decompress = reinterpret_cast<const jpeg_decompress_struct*>(info);
        if (decompress->output_height > 0 && decompress->output_scanline >= decompress->output_height) return;
    }
    switch (info->err->msg_code) {
    case JWRN_HIT_MARKER:
    case JWRN_JPEG_EOF:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_NOT_SEQUENTIAL:
        onJpegError(info);
        break;
    default:
        break;
    }
}

// One decompression, destroyed with the reader; each step returns false with a message in error on failure.
// The steps keep C++ objects with destructors away from setjmp and the jumps.
struct JpegReader {
    jpeg_decompress_struct info{};
    JpegError error{};
    bool created = false;
    ~JpegReader() {
        if (created) jpeg_destroy_decompress(&info);
    }
};

bool fail(JpegReader& reader, const char* message) {
    std::snprintf(reader.error.message, sizeof(reader.error.message), "%s", message);
    return false;
}

// Reads the headers, refuses a picture the data cannot hold and starts decompressing into RGB rows.
bool startDecoding(JpegReader& reader, const unsigned char* data, unsigned long size) {
    jpeg_decompress_struct& info = reader.info;
    info.err = jpeg_std_error(&reader.error.manager);
    reader.error.manager.error_exit = onJpegError;
    reader.error.manager.emit_message = onJpegMessage;
    if (setjmp(reader.error.jump)) return false;
    jpeg_create_decompress(&info);
    reader.created = true;
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    // The size is checked on the header alone: starting the decompression of a progressive picture
    // already allocates its coefficients for the whole frame.
    if (int64_t(info.image_width) * info.image_height > TJPEGImage::MaxPixels)
        return fail(reader, "JPEG image too large or of an unknown layout");
    // Huffman coding spends at least one bit on every block of a component that a scan codes, and some
    // scan codes at least one component: a frame with more blocks than the file has bits is cut short.
    if (!info.arith_code) {
        uint64_t fewestBlocks = UINT64_MAX;
        for (int i = 0; i < info.num_components; ++i)
            fewestBlocks = std::min(fewestBlocks, uint64_t(info.comp_info[i].width_in_blocks) *
                                                      info.comp_info[i].height_in_blocks);
        if (fewestBlocks > uint64_t(size) * 8) return fail(reader, "Premature end of JPEG file");
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3) return fail(reader, "JPEG image too large or of an unknown layout");
    return true;
}

// Decodes every row straight into its place: row y at first + y * stride.
bool decodeRows(JpegReader& reader, unsigned char* first, size_t stride) {
    jpeg_decompress_struct& info = reader.info;
    if (setjmp(reader.error.jump)) return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = first + static_cast<size_t>(info.output_scanline) * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
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
    JpegReader reader;
    if (!startDecoding(reader, data.data(), static_cast<unsigned long>(data.size())))
        throw EInvalidGraphic(std::string("JPEG error: ") + reader.error.message);
    // The one copy of the picture: libjpeg writes its rows into the image kept.
    QImage image(static_cast<int>(reader.info.output_width), static_cast<int>(reader.info.output_height),
                 QImage::Format_RGB888);
    if (image.isNull()) throw EInvalidGraphic("JPEG error: not enough memory for the picture");
    if (!decodeRows(reader, image.bits(), static_cast<size_t>(image.bytesPerLine())))
        throw EInvalidGraphic(std::string("JPEG error: ") + reader.error.message);
    image_ = std::move(image);
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
