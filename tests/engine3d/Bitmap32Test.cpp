#include "GLGraphics.h"
#include "GLTestSupport.h"
#include "GLUtils.h"
#include "PictureRegisteredFormats.h"
#include "PeakMemory.h"
#include "PlatformJPEG.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <stdexcept>

using namespace engine3d;
using ::testing::HasSubstr;

namespace {

// A picture that is not a bitmap, as decoded pictures of other formats are.
class TTestPicture : public TGraphic {
public:
    explicit TTestPicture(QImage image) : image_(std::move(image)) {}
    const TMetaClass& ClassType() const override { return TGraphic::StaticClass(); }
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) const override {}
    QImage ToImage() const override { return image_; }

private:
    QImage image_;
};

// Rows top to bottom; each pixel's red is its x, green its y, blue 7.
TBitmap gradientBitmap(int width, int height, TPixelFormat format, bool topDown) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetTopDown(topDown);
    bitmap.SetSize(width, height);
    int bytes = format == pf32bit ? 4 : 3;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[x * bytes + 0] = 7;
            row[x * bytes + 1] = static_cast<uint8_t>(y);
            row[x * bytes + 2] = static_cast<uint8_t>(x);
            if (bytes == 4) row[x * bytes + 3] = static_cast<uint8_t>(100 + x);
        }
    }
    return bitmap;
}

bool samePixels(const TGLBitmap32& a, const TGLBitmap32& b) {
    return a.DataSize() == b.DataSize() &&
           std::memcmp(a.Data(), b.Data(), static_cast<size_t>(a.DataSize())) == 0;
}

TGLBitmap32 filled(int width, int height, TGLPixel32 pixel) {
    TGLBitmap32 image;
    image.SetHeight(height);
    image.SetWidth(width);
    for (int i = 0; i < width * height; ++i)
        image.Data()[i] = pixel;
    return image;
}

} // namespace

TEST(GLBitmap32, BGRSourcesAreBottomUpByDefaultWhateverTheirRowOrder) {
    for (TPixelFormat format : {pf24bit, pf32bit}) {
        SCOPED_TRACE(format == pf24bit ? "24-bit" : "32-bit");
        TBitmap topDown = gradientBitmap(4, 3, format, true);
        TBitmap bottomUp = gradientBitmap(4, 3, format, false);
        TGLBitmap32 a, b;
        a.Assign(&topDown);
        b.Assign(&bottomUp);
        EXPECT_TRUE(samePixels(a, b));
        ASSERT_EQ(a.DataSize(), 4 * 3 * 4);
        // Buffer row 0 is the source's bottom line (y = 2); 24-bit pixels are opaque.
        TGLPixel32 p = a.ScanLine(0)[3];
        EXPECT_EQ(p.r, 3);
        EXPECT_EQ(p.g, 2);
        EXPECT_EQ(p.b, 7);
        EXPECT_EQ(p.a, format == pf32bit ? 103 : 255);

        TGLBitmap32 kept;
        kept.SetKeepSourceRowOrder(true);
        kept.Assign(&topDown);
        EXPECT_EQ(kept.ScanLine(0)[3].g, 0);
    }
    TBitmap source = gradientBitmap(8, 2, pf32bit, false);
    TGLBitmap32 image, again;
    image.Assign(&source);
    TGLPixel32 p = image.ScanLine(1)[5];
    EXPECT_EQ(p.r, 5);
    EXPECT_EQ(p.g, 0);
    EXPECT_EQ(p.b, 7);
    EXPECT_EQ(p.a, 105);
    again.AssignFrom32BitsBitmap(*image.Create32BitsBitmap());
    EXPECT_TRUE(samePixels(image, again));
}

TEST(GLBitmap32, WidthsNotAMultipleOfFourAreStretched) {
    QImage wide(130, 2, QImage::Format_RGB32);
    wide.fill(QColor(10, 20, 30));
    TTestPicture picture(wide);
    TGLBitmap32 stretched;
    stretched.Assign(&picture);
    EXPECT_EQ(stretched.Width(), 132);
    EXPECT_EQ(stretched.Height(), 2);
    EXPECT_EQ(stretched.ScanLine(1)[131].g, 20);
    EXPECT_EQ(stretched.ScanLine(1)[131].a, 255);

    QImage exact(128, 1, QImage::Format_RGB32);
    for (int x = 0; x < 128; ++x)
        exact.setPixel(x, 0, qRgb(x, 255 - x, 0));
    TTestPicture exactPicture(exact);
    TGLBitmap32 image;
    image.Assign(&exactPicture);
    EXPECT_EQ(image.Width(), 128);
    for (int x = 0; x < 128; ++x)
        ASSERT_EQ(image.ScanLine(0)[x].r, x) << "copied without stretching";

    TBitmap narrowBitmap = gradientBitmap(6, 1, pf24bit, false);
    image.Assign(&narrowBitmap);
    EXPECT_EQ(image.Width(), 8);
    EXPECT_EQ(image.ScanLine(0)[7].b, 7);
    EXPECT_EQ(image.ScanLine(0)[7].a, 255);
}

TEST(GLBitmap32, AssignFromNilAndOtherImages) {
    TGLBitmap32 a = filled(4, 2, {1, 2, 3, 4});
    TGLBitmap32 b;
    b.Assign(&a);
    EXPECT_TRUE(samePixels(a, b));
    b.Assign(&b);
    EXPECT_TRUE(samePixels(a, b)) << "assigned to itself";
    b.Assign(nullptr);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(b.DataSize(), 0);
    EXPECT_EQ(b.Data(), nullptr);
}

TEST(GLBitmap32, WrongSourcesAndSizesAreRefused) {
    TGLBitmap32 image;
    TPersistent notAPicture;
    EXPECT_THROW(image.Assign(&notAPicture), EConvertError);
    TBitmap narrow = gradientBitmap(6, 1, pf24bit, false);
    EXPECT_THAT([&] { image.AssignFrom24BitsBitmap(narrow); },
                ::testing::ThrowsMessage<EAssertionFailed>(HasSubstr("engine3d\\Source\\GLGraphics, line ")));
    image.SetHeight(3);
    image.SetWidth(5);
    EXPECT_EQ(image.Width(), 8);
    EXPECT_EQ(image.DataSize(), 8 * 3 * 4);
    EXPECT_THROW(image.SetWidth(-4), EAssertionFailed);
    EXPECT_THROW(image.SetHeight(-1), EAssertionFailed);
    EXPECT_EQ(image.Width(), 8);
    image.SetHeight(100000);
    EXPECT_THROW(image.SetWidth(100000), EOutOfMemory) << "the byte count must fit 32 bits";
    EXPECT_EQ(image.Width(), 8);
}

TEST(GLBitmap32, AlphaRules) {
    TGLBitmap32 image = filled(4, 1, {30, 60, 90, 1});
    image.Data()[1] = {0, 0, 0, 9};
    image.Data()[2] = {255, 255, 255, 9};
    image.SetAlphaFromIntensity();
    EXPECT_EQ(image.Data()[0].a, 60);
    EXPECT_EQ(image.Data()[2].a, 255);
    image.SqrtAlphaFromIntensity();
    EXPECT_EQ(image.Data()[0].a, SqrtByteTable()[60]);
    image.InvertAlpha();
    EXPECT_EQ(image.Data()[1].a, 255);
    image.SetAlphaToValue(77);
    EXPECT_EQ(image.Data()[3].a, 77);
    image.SetAlphaTransparentForColor(0); // black
    EXPECT_EQ(image.Data()[1].a, 0);
    EXPECT_EQ(image.Data()[0].a, 255);
    image.SetAlphaTransparentForRGB({30, 60, 90, 200});
    EXPECT_EQ(image.Data()[0].a, 0) << "the key's alpha is not compared";
    EXPECT_EQ(image.Data()[3].a, 0) << "nor the pixels' alpha";
    EXPECT_EQ(image.Data()[1].a, 255);
    image.SetAlphaTransparentForColor(0x5A3C1E); // R 0x1E = 30, G 0x3C = 60, B 0x5A = 90
    EXPECT_EQ(image.Data()[0].a, 0);
}

TEST(GLBitmap32, FirstStoredPixelIsTheBottomLeftOfThePicture) {
    TBitmap source = gradientBitmap(4, 3, pf24bit, true);
    TGLBitmap32 image;
    image.Assign(&source);
    image.SetAlphaTransparentForPixel(image.Data()[0]);
    // The picture's bottom-left pixel (x 0, y 2) is transparent, the top-left one is not.
    EXPECT_EQ(image.ScanLine(0)[0].a, 0);
    EXPECT_EQ(image.ScanLine(2)[0].a, 255);
}

TEST(GLBitmap32, BrightnessAndGammaTables) {
    TGLBitmap32 image = filled(4, 1, {100, 200, 128, 50});
    image.BrightnessCorrection(2.0f);
    EXPECT_EQ(image.Data()[0].r, 200);
    EXPECT_EQ(image.Data()[0].g, 255);
    EXPECT_EQ(image.Data()[0].a, 50) << "alpha untouched";
    image = filled(4, 1, {128, 255, 0, 50});
    image.GammaCorrection(0.5f); // exponent 2
    EXPECT_EQ(image.Data()[0].r, 64);
    EXPECT_EQ(image.Data()[0].g, 255);
    image = filled(4, 1, {128, 255, 0, 50});
    image.GammaCorrection(0.05f); // below 0.1 the exponent is 10
    EXPECT_EQ(image.Data()[0].r, 0);
    EXPECT_EQ(image.Data()[0].g, 255);
    EXPECT_THROW(image.GammaCorrection(0), EAssertionFailed);
    EXPECT_THROW(image.BrightnessCorrection(-1), EAssertionFailed);
    TGLBitmap32 empty;
    empty.GammaCorrection(0); // nothing without data
}

TEST(GLBitmap32, NormalMaps) {
    TGLBitmap32 flat = filled(4, 4, {9, 100, 9, 9});
    flat.GrayScaleToNormalMap(3.0f, true, true);
    for (int i = 0; i < 16; ++i) {
        TGLPixel32 p = flat.Data()[i];
        ASSERT_EQ(p.r, 128);
        ASSERT_EQ(p.g, 128);
        ASSERT_EQ(p.b, 255);
        ASSERT_EQ(p.a, 255);
    }
    // A ramp rising to the right tilts every normal to the left.
    TGLBitmap32 ramp = filled(8, 4, {0, 0, 0, 0});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            ramp.ScanLine(y)[x].g = static_cast<uint8_t>(x * 10);
    ramp.GrayScaleToNormalMap(0.05f, false, false);
    EXPECT_LT(ramp.ScanLine(1)[3].r, 128);
    EXPECT_EQ(ramp.ScanLine(1)[3].g, 128);
    // A height that is no power of two still wraps inside the image.
    TGLBitmap32 odd = filled(4, 3, {0, 50, 0, 0});
    odd.ScanLine(2)[1].g = 250;
    odd.GrayScaleToNormalMap(1.0f, true, true);
    EXPECT_GT(odd.ScanLine(0)[1].g, 128) << "row 0 sees row 2 below it when wrapping";
}

// ---- Upload ------------------------------------------------------------------------------------------

TEST(GLBitmap32Upload, PowerOfTwoSizesAndExactTexels) {
    REQUIRE_MEMORY_CONTEXT(context, 16, 16);
    context->ContextActivate();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    auto storedWidth = [] {
        GLint stored = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &stored);
        return stored;
    };
    TGLBitmap32 image = filled(100, 60, {255, 0, 0, 255});
    int w = 0, h = 0;
    image.UploadTexture(GL_TEXTURE_2D, miLinear, GL_RGBA, w, h);
    EXPECT_EQ(w, 128);
    EXPECT_EQ(h, 64);
    EXPECT_EQ(storedWidth(), 128);
    TGLBitmap32 one = filled(4, 1, {1, 2, 3, 4});
    one.UploadTexture(GL_TEXTURE_2D, miLinearMipmapLinear, GL_RGBA, w, h);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 1);

    // Four columns (red, green, blue, half-transparent white) of two rows come back texel for texel.
    TGLBitmap32 small = filled(4, 2, {});
    const TGLPixel32 columns[4] = {
        {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 128}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            small.ScanLine(y)[x] = columns[x];
    small.UploadAsTexture(GL_TEXTURE_2D, miNearest, GL_RGBA8);
    EXPECT_EQ(storedWidth(), 4);
    std::vector<TGLPixel32> back(8);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(std::memcmp(back.data(), small.Data(), 32), 0);
    CheckGLError();
    glDeleteTextures(1, &texture);
    context->ContextDeactivate();
}

// ---- Pictures loaded by extension --------------------------------------------------------------------

namespace {

// A file of the JPEG picture's own writer: baseline, colour planes at half size.
std::string jpegBytes(const QImage& picture) {
    TBitmap bitmap;
    bitmap.AssignImage(picture, pf24bit);
    TJPEGImage jpeg;
    jpeg.Assign(&bitmap);
    TStringStream stream;
    jpeg.SaveToStream(stream);
    return stream.DataString();
}

QImage gradient(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x * 255 / width, 128, 255 - y * 255 / height));
    return picture;
}

// Four flat quadrants: red top left, green top right, blue bottom left, white bottom right.
const QRgb kQuadrants[] = {qRgb(220, 30, 30), qRgb(30, 200, 60), qRgb(40, 50, 210), qRgb(250, 250, 250)};
QImage quadrants(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, kQuadrants[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)]);
    return picture;
}

// A progressive file: its decoder keeps the coefficients of the whole frame.
std::string progressiveJpegBytes(const QImage& picture) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setProgressiveScanWrite(true);
    writer.write(picture);
    return buffer.data().toStdString();
}

// The file with its frame header (baseline or progressive) claiming width x height pixels.
std::string withFrameSize(std::string file, int width, int height) {
    size_t frame = file.find("\xFF\xC0");
    if (frame == std::string::npos) frame = file.find("\xFF\xC2");
    if (frame == std::string::npos) throw std::logic_error("no frame header");
    file[frame + 5] = char(height >> 8);
    file[frame + 6] = char(height & 0xFF);
    file[frame + 7] = char(width >> 8);
    file[frame + 8] = char(width & 0xFF);
    return file;
}

// Halfway between the start of the coded data of the file's first scan and its end marker.
size_t amidData(const std::string& file) {
    const size_t scan = file.find("\xFF\xDA");
    if (scan == std::string::npos) throw std::logic_error("no scan header");
    return (scan + 2 + (uint8_t(file[scan + 2]) << 8 | uint8_t(file[scan + 3])) + file.size() - 2) / 2;
}

} // namespace

TEST(JPEGPicture, LoadsByExtensionAndStretchesOddWidths) {
    QTemporaryDir dir;
    std::string path = dir.filePath("engine_picture.jpg").toStdString();
    SaveStringToFile(path, jpegBytes(gradient(130, 20)));
    TClass pictureClass = GraphicClassForExtension(".jpg");
    ASSERT_EQ(pictureClass, &TJPEGImage::StaticClass());
    EXPECT_EQ(GraphicClassForExtension("JPEG"), pictureClass);
    std::unique_ptr<TGraphic> picture(dynamic_cast<TGraphic*>(pictureClass->Create()));
    ASSERT_NE(picture, nullptr);
    picture->LoadFromFile(path);
    EXPECT_EQ(picture->Width(), 130);
    EXPECT_EQ(picture->Height(), 20);
    TGLBitmap32 image;
    image.Assign(picture.get());
    EXPECT_EQ(image.Width(), 132);
    EXPECT_EQ(image.Height(), 20);
    // Row 0 is the picture's bottom line, where blue is lowest; the left column is darkest in red.
    EXPECT_LT(image.ScanLine(0)[1].b, image.ScanLine(19)[1].b);
    EXPECT_LT(image.ScanLine(10)[2].r, image.ScanLine(10)[120].r);
    EXPECT_NEAR(image.ScanLine(10)[60].g, 128, 6);

    SaveStringToFile(path, jpegBytes(gradient(128, 4)));
    picture->LoadFromFile(path);
    image.Assign(picture.get());
    EXPECT_EQ(image.Width(), 128);
}

TEST(JPEGPicture, DamagedFilesRaiseAClearError) {
    std::string good = jpegBytes(gradient(16, 16));
    TJPEGImage jpeg;
    for (const std::string& damaged : {std::string(), std::string("not a jpeg at all"), good.substr(0, 40)}) {
        TStringStream stream(damaged);
        EXPECT_THAT([&] { jpeg.LoadFromStream(stream); },
                    ::testing::ThrowsMessage<EInvalidGraphic>(HasSubstr("JPEG error")))
            << damaged.size() << " bytes";
    }
    // A frame header claiming 65000 x 65000 pixels is refused before anything that size is made.
    std::string huge = withFrameSize(good, 65000, 65000);
    TStringStream hugeStream(huge);
    EXPECT_THAT([&] { jpeg.LoadFromStream(hugeStream); },
                ::testing::ThrowsMessage<EInvalidGraphic>(HasSubstr("too large")));
    // A progressive frame of 20000 x 20000 in a few hundred bytes: refused on its header, before its
    // coefficient buffers (2.4 GB) exist.
    QImage grey(16, 16, QImage::Format_RGB888);
    grey.fill(Qt::gray);
    std::string progressive = withFrameSize(progressiveJpegBytes(grey), 20000, 20000);
    TStringStream progressiveStream(progressive);
    const int64_t rise = testpages::peakMemoryRiseKb([&] {
        EXPECT_THAT([&] { jpeg.LoadFromStream(progressiveStream); },
                    ::testing::ThrowsMessage<EInvalidGraphic>(HasSubstr("too large")));
    });
    EXPECT_LT(rise, 100 * 1024);
}

// A file whose coded data ends before its picture does, or holds what does not belong there, is a damaged
// picture, not a picture grey below some row; one whose frame claims far more than its data could code is
// refused before anything of that size exists. Good files of every layout keep their pixels and row order.
TEST(JPEGPicture, CutOrCorruptDataIsDamagedAndGoodFilesKeepTheirPixels) {
    const std::string baseline = jpegBytes(quadrants(64, 48));
    const std::string progressive = progressiveJpegBytes(quadrants(64, 48));
    const struct {
        const char* name;
        std::string file;
        int width, height; // 0 for a damaged file
    } cases[] = {
        {"baseline", baseline, 64, 48},
        {"baseline of odd sizes", jpegBytes(quadrants(37, 23)), 37, 23},
        {"progressive", progressive, 64, 48},
        {"cut amid its coded data", baseline.substr(0, amidData(baseline)), 0, 0},
        {"cut before its end marker", baseline.substr(0, baseline.size() - 2), 0, 0},
        {"progressive, cut amid its first scan", progressive.substr(0, amidData(progressive)), 0, 0},
        {"progressive, cut before its last scan", progressive.substr(0, progressive.rfind("\xFF\xDA")), 0, 0},
        {"a restart marker amid its coded data", std::string(baseline).insert(amidData(baseline), "\xFF\xD0"),
         0, 0},
        {"frame enlarged within what its data could code", withFrameSize(baseline, 128, 96), 0, 0},
        {"frame enlarged far beyond its data", withFrameSize(baseline, 8192, 8192), 0, 0},
        {"progressive frame enlarged far beyond its data", withFrameSize(progressive, 8000, 8000), 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TStringStream stream(c.file);
        TJPEGImage jpeg;
        if (c.width == 0) {
            const int64_t rise = testpages::peakMemoryRiseKb([&] {
                EXPECT_THAT([&] { jpeg.LoadFromStream(stream); },
                            ::testing::ThrowsMessage<EInvalidGraphic>(HasSubstr("JPEG error: ")));
            });
            EXPECT_LT(rise, 16 * 1024) << "kB taken by a damaged file";
            continue;
        }
        jpeg.LoadFromStream(stream);
        ASSERT_EQ(jpeg.Width(), c.width);
        ASSERT_EQ(jpeg.Height(), c.height);
        const QImage shown = jpeg.ToImage();
        const int left = c.width / 4, right = c.width * 3 / 4, top = c.height / 4, bottom = c.height * 3 / 4;
        const QPoint centres[] = {{left, top}, {right, top}, {left, bottom}, {right, bottom}};
        for (int quadrant = 0; quadrant < 4; ++quadrant) {
            const QColor seen = shown.pixelColor(centres[quadrant]), colour(kQuadrants[quadrant]);
            EXPECT_NEAR(seen.red(), colour.red(), 12) << "quadrant " << quadrant;
            EXPECT_NEAR(seen.green(), colour.green(), 12) << "quadrant " << quadrant;
            EXPECT_NEAR(seen.blue(), colour.blue(), 12) << "quadrant " << quadrant;
        }
        // Taken into the engine's image, the picture reads as the same picture held as a bitmap does, in
        // either row order.
        TBitmap bitmap;
        bitmap.AssignImage(shown, pf24bit);
        for (bool keepRowOrder : {false, true}) {
            TGLBitmap32 fromPicture, fromBitmap;
            fromPicture.SetKeepSourceRowOrder(keepRowOrder);
            fromBitmap.SetKeepSourceRowOrder(keepRowOrder);
            fromPicture.Assign(&jpeg);
            fromBitmap.Assign(&bitmap);
            EXPECT_TRUE(samePixels(fromPicture, fromBitmap)) << "row order kept: " << keepRowOrder;
        }
    }
}

// The largest pictures decode at full size: a picture costs its own size once while it is decoded, and the
// engine's image made from it its own size once more, with no copies between.
TEST(JPEGPicture, APictureCostsItsOwnSizeOnce) {
    constexpr int kSize = 4096;
    const std::string file = jpegBytes(gradient(kSize, kSize));
    TStringStream stream(file);
    TJPEGImage jpeg;
    const int64_t pictureKb = int64_t(kSize) * kSize * 3 / 1024, fileKb = int64_t(file.size()) / 1024;
    const int64_t decoding = testpages::peakMemoryRiseKb([&] { jpeg.LoadFromStream(stream); });
    if (decoding < 0) GTEST_SKIP() << "the kernel does not let the peak memory be restarted";
    ASSERT_EQ(jpeg.Width(), kSize);
    EXPECT_LT(decoding, pictureKb + fileKb + 8 * 1024);
    TGLBitmap32 image;
    const int64_t taking = testpages::peakMemoryRiseKb([&] { image.Assign(&jpeg); });
    ASSERT_EQ(image.Width(), kSize);
    EXPECT_LT(taking, int64_t(kSize) * kSize * 4 / 1024 + 8 * 1024);
}

TEST(JPEGPicture, AssignTakesPicturesOrNothingAndWritingReportsTheCompressor) {
    TBitmap bitmap = gradientBitmap(4, 2, pf24bit, false);
    TJPEGImage jpeg;
    jpeg.Assign(&bitmap);
    EXPECT_EQ(jpeg.Width(), 4);
    EXPECT_EQ(jpeg.Height(), 2);
    TPersistent notAPicture;
    EXPECT_THROW(jpeg.Assign(&notAPicture), EConvertError);
    EXPECT_EQ(jpeg.Width(), 4) << "a refused source leaves the picture";
    jpeg.Assign(nullptr);
    EXPECT_EQ(jpeg.Width(), 0);
    TStringStream empty;
    EXPECT_THAT([&] { jpeg.SaveToStream(empty); },
                ::testing::ThrowsMessage<EInvalidGraphic>(HasSubstr("no image to write")));
    // Wider than the format can hold: the compressor's own refusal comes back as a picture error.
    QImage wide(70000, 1, QImage::Format_RGB32);
    wide.fill(Qt::white);
    TTestPicture widePicture(wide);
    jpeg.Assign(&widePicture);
    TStringStream written;
    EXPECT_THAT([&] { jpeg.SaveToStream(written); },
                ::testing::ThrowsMessage<EInvalidGraphic>(HasSubstr("JPEG error: ")));
    EXPECT_EQ(written.Size(), 0);
}
