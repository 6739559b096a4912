// The cube-map preview opened from a page through the main window: six faces on a sky box around a lit
// sphere, read back from OpenGL; its files, its caption and damaged cube maps.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <cstring>
#include <filesystem>
#include <set>

#include "GL3DScene.h"
#include "GLWin32Viewer.h"
#include "MainUnit.h"
#include "TestFiles.h"
#include "ShownOnScreen.h"
#include "TexturePreviewSupport.h"
#include "ViewerTestSupport.h"
#include "unitTplEnvironMap.h"

using namespace testpages;

namespace {

// The face whose colour the pixel shows, or -1.
int faceAt(const QImage& image, int x, int y) {
    for (size_t i = 0; i < kFaceColours.size(); ++i)
        if (nearColour(image.pixelColor(x, y), colourOf(kFaceColours[i]))) return int(i);
    return -1;
}

class CubeMapPreview : public PreviewFixture {
protected:
    TfrmTplEnvironMap* open(uint16_t version, const Bytes& body) {
        main->OpenPRPFile(
            writeTexturePage(pages.path(), QStringLiteral("Cube.prp"), version, {}, {{"Sky", body}}));
        auto* form =
            dynamic_cast<TfrmTplEnvironMap*>(main->ShowObjectByKey(testpages::makeKey(5, "Sky", 7), false));
        QApplication::processEvents();
        return form;
    }
};

} // namespace

// The face headers all claim pixels while the cube map's own header says DXT1: its own header decides.
// Each face is written to a file of its own; closing the window removes them.
TEST_F(CubeMapPreview, ShowsSixFacesAroundTheSphere) {
    ByteWriter body;
    writeBitmapHeader(body, Kind::DXT1);
    for (const Rgba& colour : kFaceColours) {
        writeBitmapHeader(body, Kind::Pixels);
        writeMipmapBody(body, Kind::DXT1, 8, 8, 1, solid(colour));
    }
    TfrmTplEnvironMap* form = open(kVersionUru, body.bytes);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(messages->texts.empty());
    EXPECT_EQ(form->windowTitle(), "") << "the caption is left as it was";
    form->SubWindow()->resize(320, 300);
    QApplication::processEvents();
    EXPECT_EQ(form->GL3DSceneViewer->size(), form->size()) << "the drawing fills the window";

    QImage image = form->GL3DSceneViewer->grabFramebuffer();
    EXPECT_TRUE(form->GL3DSceneViewer->LastError().isEmpty())
        << form->GL3DSceneViewer->LastError().toStdString();
    const int cx = image.width() / 2, cy = image.height() / 2;
    // Straight ahead the lit sphere in front of the back face.
    EXPECT_EQ(faceAt(image, cx, cy), -1);
    const QColor sphere = image.pixelColor(cx, cy);
    EXPECT_GT(sphere.red() + sphere.green() + sphere.blue(), 150) << "the sphere is lit";
    EXPECT_EQ(faceAt(image, 4, 4), 3);
    EXPECT_EQ(faceAt(image, image.width() - 4, image.height() - 4), 3);
    // Turned round to each side, the camera sees one face each.
    std::set<int> seen = {3};
    for (const QImage& turned : framesTurnedToEachSide(form)) {
        image = turned;
        const int face = faceAt(image, cx, cy);
        EXPECT_EQ(faceAt(image, 4, 4), face) << "one face fills the view";
        seen.insert(face);
    }
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4, 5})) << "six distinct faces";
    // Straight down (-y) is the bottom face, straight back (-z) the front face.
    EXPECT_EQ(faceAt(image, cx, cy), 5);

    const std::string folder = form->TempFolder().toStdString();
    EXPECT_EQ(QDir(form->TempFolder()).entryList(QDir::Files),
              (QStringList{"Temp0.dds", "Temp1.dds", "Temp2.dds", "Temp3.dds", "Temp4.dds", "Temp5.dds"}));
    form->SubWindow()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(std::filesystem::exists(folder));
}

// On a scaled screen the picture is the ratio-1 picture scaled: the sphere takes the same share of the view
// and the sky box shows the same faces in the same places.
TEST_F(CubeMapPreview, PictureScalesWithTheDevicePixelRatio) {
    TfrmTplEnvironMap* form = open(kVersionUru, cubeMapObject(Kind::Pixels, 8, kFaceColours));
    ASSERT_NE(form, nullptr);
    form->SubWindow()->resize(320, 300);
    QApplication::processEvents();
    // Straight ahead at the sphere, then turned so that an edge of the box shows beside it.
    std::vector<QImage> frames = {form->GL3DSceneViewer->grabFramebuffer()};
    form->GLCamera->Direction()->SetVector(1, 0.5f, 2);
    frames.push_back(form->GL3DSceneViewer->grabFramebuffer());
    EXPECT_TRUE(form->GL3DSceneViewer->LastError().isEmpty())
        << form->GL3DSceneViewer->LastError().toStdString();
    if (keepFramesForParent(frames)) return;
    if (frames[0].devicePixelRatio() != 1) GTEST_SKIP() << "the comparison starts from ratio 1";

    const QSize size = frames[0].size();
    const int cx = size.width() / 2, cy = size.height() / 2;
    auto sphereAcross = [](const QImage& image, int row) {
        int n = 0;
        for (int x = 0; x < image.width(); ++x)
            n += faceAt(image, x, row) == -1;
        return n;
    };
    auto sphereDown = [](const QImage& image, int column) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            n += faceAt(image, column, y) == -1;
        return n;
    };
    const int across = sphereAcross(frames[0], cy), down = sphereDown(frames[0], cx);
    EXPECT_GT(across, size.width() / 5) << "the sphere is in view";
    for (double ratio : {1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        const std::vector<QImage> scaled = framesAtPixelRatio(ratio, frames.size());
        ASSERT_EQ(scaled.size(), frames.size());
        ASSERT_EQ(scaled[0].size(), size * ratio);
        const QPoint centre = devicePixel({cx, cy}, ratio);
        EXPECT_NEAR(sphereAcross(scaled[0], centre.y()), across * ratio, 2 * ratio) << "sphere's width";
        EXPECT_NEAR(sphereDown(scaled[0], centre.x()), down * ratio, 2 * ratio) << "sphere's height";
        // Every sample well inside one face at ratio 1 shows that face.
        for (size_t i = 0; i < frames.size(); ++i) {
            std::set<int> faces;
            int compared = 0;
            for (int y = 6; y < size.height() - 6; y += 10)
                for (int x = 6; x < size.width() - 6; x += 10) {
                    const int face = faceAt(frames[i], x, y);
                    bool inside = true;
                    for (int d : {-4, 4})
                        inside = inside && faceAt(frames[i], x + d, y) == face &&
                                 faceAt(frames[i], x, y + d) == face;
                    if (!inside) continue;
                    faces.insert(face);
                    ++compared;
                    const QPoint at = devicePixel({x, y}, ratio);
                    EXPECT_EQ(faceAt(scaled[i], at.x(), at.y()), face)
                        << "frame " << i << " at " << x << "," << y;
                }
            EXPECT_GT(compared, 200) << "frame " << i;
            if (i == 1) {
                faces.erase(-1);
                EXPECT_GE(faces.size(), 2u) << "two faces meet in the turned frame";
            }
        }
    }
}

TEST_F(CubeMapPreview, DamagedCubeMapsFailCleanly) {
    // Face 3 holds one DXT1 block of the four its size needs: the images cannot be read.
    ByteWriter w;
    writeBitmapHeader(w, Kind::DXT1);
    for (int i = 0; i < 6; ++i) {
        writeBitmapHeader(w, Kind::DXT1);
        if (i == 3)
            w.u32(8).u32(8).u32(0).u32(8).u8(1).u32(0xF800F800).u32(0);
        else
            writeMipmapBody(w, Kind::DXT1, 8, 8, 1, solid(kFaceColours[size_t(i)]));
    }
    // A cube map cut short in its fifth face: the body itself cannot be read.
    Bytes cut = cubeMapObject(Kind::Pixels, 4, kFaceColours);
    cut.resize(cut.size() * 3 / 4);
    for (const Bytes& body : {w.bytes, cut}) {
        messages->texts.clear();
        QPointer<TfrmTplEnvironMap> form = open(kVersionUru, body);
        EXPECT_EQ(messages->texts, (std::vector<QString>{"Error loading images."}));
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull()) << "the window closes";
    }
}

// The alpha files of a cube map are written, never shown: one the disk has no room for still fails the
// preview, as any temporary file that cannot be written does, and the message names it and the reason.
TEST_F(CubeMapPreview, TemporaryFilesThatCannotBeWrittenSayWhyAndFailCleanly) {
    ByteWriter w;
    writeBitmapHeader(w, kTextureKindJPEG, 0);
    for (int i = 0; i < 6; ++i) {
        const Bytes colour = jpegFile(8, 8, solid(kFaceColours[size_t(i)]));
        w.raw(jpegObject(8, 8, colour, i == 4 ? Bytes(3000, 0x33) : Bytes{}));
    }
    main->OpenPRPFile(
        writeTexturePage(pages.path(), QStringLiteral("Cube.prp"), kVersionUru, {}, {{"Sky", w.bytes}}));
    QPointer<TfrmTplEnvironMap> form = withFileSizeLimit(2048, [&] {
        auto* shown = dynamic_cast<TfrmTplEnvironMap*>(main->ShowObjectByKey(makeKey(5, "Sky", 7), false));
        QApplication::processEvents();
        return shown;
    });
    ASSERT_FALSE(form.isNull());
    const QString why = QStringLiteral("Cannot write file \"%1\". %2")
                            .arg(QDir(form->TempFolder()).filePath(QStringLiteral("TempA4.jpg")),
                                 QString::fromLocal8Bit(std::strerror(EFBIG)));
    ASSERT_EQ(messages->texts.size(), 1u);
    EXPECT_EQ(messages->texts[0].toStdString(), ("Error loading images.\n" + why).toStdString());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull()) << "the window closes";
}
