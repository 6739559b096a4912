#include "ApplicationFileIO.h"
#include "GLTestSupport.h"
#include "GLUtils.h"
#include "PictureRegisteredFormats.h"
#include "PlatformGraphics.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>

using namespace engine3d;
using engine3d_test::messageOf;

struct PowerOf2Case {
    int in, out;
};
class RoundUpToPowerOf2Test : public ::testing::TestWithParam<PowerOf2Case> {};
TEST_P(RoundUpToPowerOf2Test, Value) {
    EXPECT_EQ(RoundUpToPowerOf2(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Values, RoundUpToPowerOf2Test,
                         ::testing::Values(PowerOf2Case{0, 1}, PowerOf2Case{1, 1}, PowerOf2Case{2, 2},
                                           PowerOf2Case{3, 4}, PowerOf2Case{513, 1024}, PowerOf2Case{-7, 1},
                                           PowerOf2Case{1 << 30, 1 << 30},
                                           PowerOf2Case{std::numeric_limits<int>::max(), 1 << 30}));

// Whole files round trip through the texture-image and picture tests. A missing file reads as nothing as a
// string, and a stream of it fails naming the file in quotes.
TEST(ApplicationFileIO, MissingFileIsAnEmptyStringOrNamedInQuotes) {
    std::string name = ::testing::TempDir() + "/no such file.dds";
    EXPECT_EQ(LoadStringFromFile(name), "");
    EXPECT_EQ(SizeOfFile(name), 0);
    EXPECT_EQ(messageOf<Exception>([&] { CreateFileStream(name, fmOpenRead); }),
              "File not found: \"" + name + "\"");
    EXPECT_FALSE(FileStreamExists(name));
    EXPECT_FALSE(FileStreamExists(::testing::TempDir())) << "a folder is not a file";
}

TEST(PictureRegisteredFormats, FindsClassesByExtensionIgnoringDotAndCase) {
    EXPECT_EQ(GraphicClassForExtension(".bmp"), &TBitmap::StaticClass());
    EXPECT_EQ(GraphicClassForExtension("bmp"), GraphicClassForExtension(".bmp"));
    EXPECT_EQ(GraphicClassForExtension("BMP"), &TBitmap::StaticClass());
    EXPECT_EQ(GraphicClassForExtension(""), nullptr);
    EXPECT_EQ(GraphicClassForExtension("."), nullptr);
    EXPECT_EQ(GraphicClassForExtension("qqq"), nullptr);

    RegisterPictureFormat(".Qqq", "Test pictures", &TGraphic::StaticClass());
    EXPECT_EQ(GraphicClassForExtension("qqq"), &TGraphic::StaticClass());
    bool listed = false;
    for (const TPictureFormat& f : ListPictureFormats())
        listed |= f.Extension == "Qqq" && f.Description == "Test pictures";
    EXPECT_TRUE(listed);
    UnregisterPictureFormat(&TGraphic::StaticClass());
    EXPECT_EQ(GraphicClassForExtension("qqq"), nullptr);
}

TEST(PlatformGraphics, BitmapFileRoundTripAndDamagedFile) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(3, 2);
    bitmap.ScanLine(0)[0] = 10;  // blue of the top-left pixel
    bitmap.ScanLine(1)[8] = 200; // red of the bottom-right pixel
    std::string path = ::testing::TempDir() + "/engine_bitmap.bmp";
    bitmap.SaveToFile(path);
    auto* loaded = dynamic_cast<TBitmap*>(GraphicClassForExtension("bmp")->Create());
    ASSERT_NE(loaded, nullptr);
    loaded->LoadFromFile(path);
    EXPECT_EQ(loaded->Width(), 3);
    EXPECT_EQ(loaded->ScanLine(0)[0], 10);
    EXPECT_EQ(loaded->ScanLine(1)[8], 200);
    EXPECT_EQ(loaded->BytesPerRow(), 12) << "24-bit rows padded to four bytes";
    EXPECT_THROW(loaded->ScanLine(2), EInvalidGraphicOperation);
    TStringStream damaged("BM not really a bitmap");
    EXPECT_THROW(loaded->LoadFromStream(damaged), EInvalidGraphic);
    delete loaded;
}

TEST(EngineAssertion, MessagePathAndLine) {
    EXPECT_EQ(EngineSourcePath("/work/x/engine3d/Source/Base/VectorLists.cpp"),
              "engine3d\\Source\\Base\\VectorLists");
    EXPECT_EQ(EngineSourcePath("engine3d\\Source\\GLContext.cpp"), "engine3d\\Source\\GLContext");
    EXPECT_EQ(messageOf<EAssertionFailed>([] {
                  AssertionFailure("Bad thing", "/src/engine3d/Source/Platform/GLWin32Viewer.cpp", 203);
              }),
              "Bad thing (engine3d\\Source\\Platform\\GLWin32Viewer, line 203)");
    EXPECT_EQ(messageOf<EAssertionFailed>([] { AssertionFailure("", "engine3d/Source/GLGraphics.cpp", 7); }),
              "Assertion failed (engine3d\\Source\\GLGraphics, line 7)");
}
