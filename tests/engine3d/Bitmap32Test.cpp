#include "GLGraphics.h"
#include "GLTestSupport.h"
#include "GLUtils.h"
#include "PictureRegisteredFormats.h"
#include "PlatformJPEG.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <fstream>

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

std::string jpegBytes(int width, int height) {
    QImage gradient(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            gradient.setPixel(x, y, qRgb(x * 255 / width, 128, 255 - y * 255 / height));
    TBitmap bitmap;
    bitmap.AssignImage(gradient, pf24bit);
    TJPEGImage jpeg;
    jpeg.Assign(&bitmap);
    TStringStream stream;
    jpeg.SaveToStream(stream);
    return stream.DataString();
}

// A grey progressive picture: its decoder keeps the coefficients of the whole frame.
std::string progressiveJpegBytes(int width, int height) {
    QImage grey(width, height, QImage::Format_RGB888);
    grey.fill(Qt::gray);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setProgressiveScanWrite(true);
    writer.write(grey);
    return buffer.data().toStdString();
}

// Peak resident memory of the process in kB, restarted from the present when the kernel allows it.
void restartPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
int64_t peakMemoryKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6));
    return 0;
}

} // namespace

TEST(JPEGPicture, LoadsByExtensionAndStretchesOddWidths) {
    QTemporaryDir dir;
    std::string path = dir.filePath("engine_picture.jpg").toStdString();
    SaveStringToFile(path, jpegBytes(130, 20));
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

    SaveStringToFile(path, jpegBytes(128, 4));
    picture->LoadFromFile(path);
    image.Assign(picture.get());
    EXPECT_EQ(image.Width(), 128);
}

TEST(JPEGPicture, DamagedFilesRaiseAClearError) {
    std::string good = jpegBytes(16, 16);
    TJPEGImage jpeg;
    for (const std::string& damaged : {std::string(), std::string("not a jpeg at all"), good.substr(0, 40)}) {
        TStringStream stream(damaged);
        EXPECT_THAT([&] { jpeg.LoadFromStream(stream); },
                    ::testing::ThrowsMessage<EInvalidGraphic>(HasSubstr("JPEG error")))
            << damaged.size() << " bytes";
    }
    // A frame header claiming 65000 x 65000 pixels is refused before anything that size is made.
    std::string huge = good;
    size_t baseline = huge.find("\xFF\xC0");
    ASSERT_NE(baseline, std::string::npos);
    huge[baseline + 5] = huge[baseline + 7] = static_cast<char>(0xFD);
    huge[baseline + 6] = huge[baseline + 8] = static_cast<char>(0xE8);
    TStringStream hugeStream(huge);
    EXPECT_THAT([&] { jpeg.LoadFromStream(hugeStream); },
                ::testing::ThrowsMessage<EInvalidGraphic>(HasSubstr("too large")));
    // A progressive frame of 20000 x 20000 in a few hundred bytes: refused on its header, before its
    // coefficient buffers (2.4 GB) exist.
    std::string progressive = progressiveJpegBytes(16, 16);
    size_t sof = progressive.find("\xFF\xC2");
    ASSERT_NE(sof, std::string::npos);
    progressive[sof + 5] = progressive[sof + 7] = static_cast<char>(20000 >> 8);
    progressive[sof + 6] = progressive[sof + 8] = static_cast<char>(20000 & 0xFF);
    restartPeakMemory();
    const int64_t before = peakMemoryKb();
    TStringStream progressiveStream(progressive);
    EXPECT_THAT([&] { jpeg.LoadFromStream(progressiveStream); },
                ::testing::ThrowsMessage<EInvalidGraphic>(HasSubstr("too large")));
    EXPECT_LT(peakMemoryKb() - before, 100 * 1024);
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
