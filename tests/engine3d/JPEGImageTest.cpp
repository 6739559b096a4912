// The JPEG picture: decoding what the encoder wrote, refusing damaged data, and its registration.
#include "JPEGImage.h"
#include "PictureRegisteredFormats.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace engine3d;

namespace {

// 16 x 8: left half red, right half blue, bottom rows green (B, G, R bytes).
TJPEGImage testPicture() {
    TJPEGImage image;
    image.SetPixelFormat(pf24bit);
    image.SetSize(16, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            uint8_t* p = image.ScanLine(y) + 3 * x;
            if (y >= 6) {
                p[0] = 0, p[1] = 255, p[2] = 0;
            } else if (x < 8) {
                p[0] = 0, p[1] = 0, p[2] = 255;
            } else {
                p[0] = 255, p[1] = 0, p[2] = 0;
            }
        }
    image.SetCompressionQuality(100);
    return image;
}

void expectNear(const uint8_t* p, int b, int g, int r, const char* where) {
    EXPECT_NEAR(p[0], b, 40) << where;
    EXPECT_NEAR(p[1], g, 40) << where;
    EXPECT_NEAR(p[2], r, 40) << where;
}

} // namespace

TEST(JPEGImage, DecodesWhatWasEncoded) {
    TMemoryStream stream;
    testPicture().SaveToStream(stream);
    ASSERT_GT(stream.Size(), 2);
    EXPECT_EQ(stream.Memory()[0], 0xFF);
    EXPECT_EQ(stream.Memory()[1], 0xD8);
    stream.SetPosition(0);
    TJPEGImage image;
    image.LoadFromStream(stream);
    ASSERT_EQ(image.Width(), 16);
    ASSERT_EQ(image.Height(), 8);
    EXPECT_EQ(image.PixelFormat(), pf24bit);
    expectNear(image.ScanLine(1) + 3 * 2, 0, 0, 255, "top left red");
    expectNear(image.ScanLine(2) + 3 * 13, 255, 0, 0, "top right blue");
    expectNear(image.ScanLine(7) + 3 * 5, 0, 255, 0, "bottom green");
}

TEST(JPEGImage, DamagedDataRaisesAndKeepsThePicture) {
    TJPEGImage image = testPicture();
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
    } rows[] = {
        {"empty", {}},
        {"not a JPEG", {'B', 'M', 1, 2, 3, 4, 5, 6}},
        {"start marker only", {0xFF, 0xD8}},
    };
    for (const Row& row : rows) {
        TMemoryStream stream;
        stream.Write(row.bytes.data(), int64_t(row.bytes.size()));
        stream.SetPosition(0);
        EXPECT_THROW(image.LoadFromStream(stream), EJPEG) << row.name;
        EXPECT_EQ(image.Width(), 16) << row.name;
        EXPECT_EQ(image.ScanLine(0)[2], 255) << row.name;
    }
}

TEST(JPEGImage, TruncatedDataStillGivesAPictureOfItsSize) {
    TMemoryStream full;
    testPicture().SaveToStream(full);
    // Cut before the end marker, and halfway through the scan data after the start-of-scan marker.
    int64_t scan = 0;
    for (int64_t i = 2; i + 1 < full.Size() && !scan; ++i)
        if (full.Memory()[i] == 0xFF && full.Memory()[i + 1] == 0xDA) scan = i;
    ASSERT_GT(scan, 0);
    for (int64_t keep : {full.Size() - 2, scan + 16 + (full.Size() - scan - 16) / 2}) {
        TMemoryStream cut;
        cut.Write(full.Memory(), keep);
        cut.SetPosition(0);
        TJPEGImage image;
        image.LoadFromStream(cut);
        EXPECT_EQ(image.Width(), 16);
        EXPECT_EQ(image.Height(), 8);
    }
}

TEST(JPEGImage, RegisteredForJpgAndJpeg) {
    EXPECT_EQ(GraphicClassForExtension("jpg"), &TJPEGImage::StaticClass());
    EXPECT_EQ(GraphicClassForExtension(".JPEG"), &TJPEGImage::StaticClass());
}
