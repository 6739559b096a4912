#include "ApplicationFileIO.h"
#include "FileSizeLimit.h"
#include "GLCrossPlatform.h"
#include "GLStrings.h"
#include "GLTestSupport.h"
#include "GLUtils.h"
#include "PictureRegisteredFormats.h"
#include "PlatformGraphics.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

using namespace engine3d;
using engine3d_test::messageOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

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

TEST(GLUtils, SqrtByteTable) {
    const uint8_t* table = SqrtByteTable();
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[255], 255);
    EXPECT_EQ(table[64], 127);
    for (int i = 1; i < 256; ++i)
        EXPECT_GE(table[i], table[i - 1]);
}

TEST(GLUtils, WholeFileStrings) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string path = QDir(dir.path()).filePath("utils_text.txt").toStdString();
    std::string text("line one\r\nzero \0 inside", 23);
    SaveStringToFile(path, text);
    EXPECT_EQ(LoadStringFromFile(path), text);
    EXPECT_EQ(SizeOfFile(path), 23);
    EXPECT_EQ(LoadStringFromFile(path + ".missing"), "");
    EXPECT_EQ(SizeOfFile(path + ".missing"), 0);
    SaveStringToFile(path, "");
    EXPECT_EQ(SizeOfFile(path), 0);
}

// A file the disk has no room for fails while it is written, whether one write or many fill it; a buffer
// would keep the last bytes until the stream is freed, which cannot report them.
TEST(GLUtils, WritesThatDoNotFitRaise) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = QDir(dir.path()).filePath("full.bin").toStdString();
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(40, 40);
    bool stringRaised = false, bitmapRaised = false;
    withFileSizeLimit(2048, [&] {
        try {
            SaveStringToFile(path, std::string(3000, 'x'));
        } catch (const EWriteError&) {
            stringRaised = true;
        }
        try {
            bitmap.SaveToFile(path);
        } catch (const EWriteError&) {
            bitmapRaised = true;
        }
    });
    EXPECT_TRUE(stringRaised);
    EXPECT_TRUE(bitmapRaised);
}

// A missing file reads as nothing as a string, and a stream of it fails naming the file in quotes.
TEST(ApplicationFileIO, MissingFileIsAnEmptyStringOrNamedInQuotes) {
    std::string name = ::testing::TempDir() + "/no such file.dds";
    EXPECT_EQ(LoadStringFromFile(name), "");
    EXPECT_EQ(SizeOfFile(name), 0);
    EXPECT_EQ(messageOf<Exception>([&] { CreateFileStream(name, fmOpenRead); }),
              "File not found: \"" + name + "\"");
    EXPECT_FALSE(FileStreamExists(name));
    EXPECT_FALSE(FileStreamExists(::testing::TempDir())) << "a folder is not a file";
}

TEST(ApplicationFileIO, HooksServeFilesWhenInstalled) {
    EXPECT_FALSE(ApplicationFileIODefined());
    TApplicationFileIO io;
    io.OnFileStreamExists = [](const std::string& name) { return name == "virtual.txt"; };
    io.OnFileStream = [](const std::string&, uint16_t) -> std::unique_ptr<TStream> {
        return std::make_unique<TStringStream>("served");
    };
    EXPECT_TRUE(ApplicationFileIODefined());
    EXPECT_TRUE(FileStreamExists("virtual.txt"));
    EXPECT_EQ(LoadStringFromFile("virtual.txt"), "served");
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

TEST(GLCrossPlatform, ColoursAndCounters) {
    EXPECT_EQ(ResolveSystemColor(0x123456), 0x123456);
    TColor window = ResolveSystemColor(clSystemColor | 5);
    EXPECT_GE(window, 0);
    EXPECT_EQ(GetRValue(0x123456), 0x56);
    EXPECT_EQ(GetGValue(0x123456), 0x34);
    EXPECT_EQ(GetBValue(0x123456), 0x12);
    InitSystemColors();
    for (const TVector& c : SystemColorVectors) {
        EXPECT_EQ(c[3], 1.0f);
        EXPECT_LE(c[0], 1.0f);
    }
    int64_t frequency = 0, a = 0, b = 0;
    EXPECT_TRUE(QueryPerformanceFrequencyValue(frequency));
    EXPECT_GT(frequency, 0);
    QueryPerformanceCounterValue(a);
    QueryPerformanceCounterValue(b);
    EXPECT_GE(b, a);
    errno = ENOENT;
    EXPECT_THAT([] { RaiseLastOSError(); }, ::testing::ThrowsMessage<EOSError>(StartsWith("OS Error : ")));
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

TEST(GLStrings, Messages) {
    EXPECT_STREQ(glsOpenGLVersionTooLow, "Need at least OpenGL version 1.1");
    EXPECT_EQ(FormatMessage(glsFailedOpenFile, {"a.dds"}), "Could not open file: a.dds");
    EXPECT_STREQ(glsUnbalancedBeginEndUpdate, "Unbalanced Begin/EndUpdate");
}

TEST(BaseClasses, StreamsAndClassRegistry) {
    TMemoryStream stream;
    stream.WriteBuffer("abcdef", 6);
    stream.SetPosition(4);
    EXPECT_EQ(stream.Remaining(), 2);
    char buffer[4] = {};
    EXPECT_THROW(stream.ReadBuffer(buffer, 3), EReadError);
    EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e', 'f'}));
    EXPECT_EQ(FindClass("TPersistentObjectList").ClassName(), "TPersistentObjectList");
    EXPECT_THROW(FindClass("TNotRegistered"), EClassNotFound);
    // A component freed before its owner leaves the owner's list.
    TComponent root;
    auto* first = new TComponent(&root);
    new TComponent(&root);
    EXPECT_EQ(root.ComponentCount(), 2);
    delete first;
    EXPECT_EQ(root.ComponentCount(), 1);
    TPersistent a, b;
    EXPECT_THAT([&] { a.Assign(&b); }, ::testing::ThrowsMessage<EConvertError>(
                                           HasSubstr("Cannot assign a TPersistent to a TPersistent")));
}
