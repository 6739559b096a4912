// The sample age that make_sample_age writes for trying the viewer by hand: every texture and cube map of
// it, in every family, opens in its preview and shows its picture, and each family holds every kind of
// texture the previews draw.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPointer>
#include <algorithm>
#include <map>
#include <set>

#include "GLWin32Viewer.h"
#include "MainUnit.h"
#include "PeakMemory.h"
#include "SampleAge.h"
#include "TestFiles.h"
#include "TexturePreviewSupport.h"
#include "ViewerTestSupport.h"
#include "unitTplEnvironMap.h"
#include "unitTplMipMap.h"

using namespace testpages;

namespace {

std::string kindOf(const TBitmapHeader& header, const TPRPTexture& texture) {
    if (header.Compression == 0) return "ARGB";
    if (header.Compression == 1) return header.SubType == 1 ? "DXT1" : header.SubType == 5 ? "DXT5" : "DXT?";
    return texture.RunFlags & 1 ? "runs" : "JPEG";
}

// How far a decoded colour may lie from the picture's: the lossy kinds round.
int tolerance(const std::string& kind) {
    return kind == "JPEG" ? 16 : kind.rfind("DXT", 0) == 0 ? 12 : 4;
}

void expectProbe(const QImage& image, int x, int y, Rgba expected, int within) {
    ASSERT_TRUE(image.rect().contains(x, y)) << x << "," << y;
    const QColor seen = image.pixelColor(x, y);
    EXPECT_NEAR(seen.red(), expected.r, within) << "at " << x << "," << y;
    EXPECT_NEAR(seen.green(), expected.g, within) << "at " << x << "," << y;
    EXPECT_NEAR(seen.blue(), expected.b, within) << "at " << x << "," << y;
}

QImage grab(engine3d::TGL3DSceneViewer* viewer) {
    QImage image = viewer->grabFramebuffer();
    EXPECT_TRUE(viewer->LastError().isEmpty()) << viewer->LastError().toStdString();
    return image;
}

void pressSpace(QWidget* target) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(target, &press);
}

void checkMipMap(TfrmTplMipMap* form, const SampleTexture& sample, const std::string& kind) {
    const QImage colour = grab(form->GL3DSceneViewer);
    pressSpace(form);
    const QImage alpha = grab(form->GL3DSceneViewer);
    pressSpace(form);
    for (const SampleProbe& probe : sample.probes)
        expectProbe(probe.alpha ? alpha : colour, int(probe.x), int(probe.y), probe.colour, tolerance(kind));
}

// The face whose inside colour the pixel shows, or -1.
int faceAt(const QImage& image, int x, int y, const SampleTexture& sample) {
    const QColor seen = image.pixelColor(x, y);
    for (size_t i = 0; i < sample.probes.size(); ++i) {
        const Rgba c = sample.probes[i].colour;
        if (std::abs(seen.red() - c.r) <= 12 && std::abs(seen.green() - c.g) <= 12 &&
            std::abs(seen.blue() - c.b) <= 12)
            return int(i);
    }
    return -1;
}

// Straight ahead the sphere stands in front of the back face, which fills the view's corner; turned to each
// side, the camera sees one face in the middle of the view, six distinct faces in all.
void checkCubeMap(TfrmTplEnvironMap* form, const SampleTexture& sample) {
    ASSERT_EQ(sample.probes.size(), 6u);
    form->SubWindow()->resize(320, 300);
    QApplication::processEvents();
    const QImage image = grab(form->GL3DSceneViewer);
    std::set<int> seen = {faceAt(image, 4, 4, sample)};
    EXPECT_EQ(*seen.begin(), 3) << "the back face straight ahead";
    for (const QImage& turned : framesTurnedToEachSide(form))
        seen.insert(faceAt(turned, turned.width() / 2, turned.height() / 2, sample));
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4, 5})) << "six distinct faces";
}

} // namespace

class SampleAgePreview : public PreviewFixture {};

TEST_F(SampleAgePreview, EveryTextureOpensAndShowsItsPicture) {
    const std::filesystem::path folder = QFile::encodeName(pages.path()).toStdString();
    writeSampleAge(folder);
    std::map<uint16_t, std::set<std::string>> kinds;
    for (const SamplePage& sample : samplePages()) {
        SCOPED_TRACE(sample.fileName);
        main->OpenPRPFile(QFile::decodeName((folder / sample.fileName).string().c_str()));
        ASSERT_EQ(main->LocalPages.size(), 1u);
        const std::vector<TPRPFolder> groups = main->LocalPages[0].Folders;
        size_t opened = 0;
        for (const TPRPFolder& group : groups) {
            if (group.ClassType != 4 && group.ClassType != 5) continue;
            for (const TPRPFileObject& entry : group.Objects) {
                SCOPED_TRACE(entry.Desc.Name);
                const auto described =
                    std::find_if(sample.textures.begin(), sample.textures.end(), [&](const SampleTexture& t) {
                        return t.name == entry.Desc.Name && t.classIndex == group.ClassType;
                    });
                const bool known = described != sample.textures.end();
                messages->texts.clear();
                QPointer<TCustomPRPObjectForm> form = main->ShowObjectByKey(entry.Desc, false);
                QApplication::processEvents();
                for (const QString& text : messages->texts)
                    ADD_FAILURE() << text.toStdString();
                ASSERT_FALSE(form.isNull()) << "the preview stays open";
                EXPECT_TRUE(known) << "every texture's picture is known";
                ++opened;
                if (auto* mipMap = qobject_cast<TfrmTplMipMap*>(form.data())) {
                    const std::string kind = kindOf(mipMap->Header, mipMap->Texture);
                    kinds[sample.page.version].insert(kind);
                    if (known) checkMipMap(mipMap, *described, kind);
                } else if (auto* cubeMap = qobject_cast<TfrmTplEnvironMap*>(form.data())) {
                    kinds[sample.page.version].insert("cube map");
                    if (known) checkCubeMap(cubeMap, *described);
                } else {
                    ADD_FAILURE() << "not a texture preview";
                }
                form->SubWindow()->close();
                QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        }
        EXPECT_EQ(opened, sample.textures.size()) << "every described texture is on its page";
    }
    const std::set<std::string> every = {"DXT1", "DXT5", "ARGB", "JPEG", "cube map"};
    for (uint16_t version : {kVersionUru, kVersionMystV, kVersionLive, kVersionHexIsle}) {
        SCOPED_TRACE(version);
        std::set<std::string> missing;
        std::set_difference(every.begin(), every.end(), kinds[version].begin(), kinds[version].end(),
                            std::inserter(missing, missing.end()));
        EXPECT_TRUE(missing.empty()) << "missing kinds: " << ::testing::PrintToString(missing);
    }
}

// The garden's Cloud texture with its JPEG frame claiming 8192 x 8192 pixels in its 128 x 128 body: the
// preview tells a damaged picture, as for any other texture it cannot read, and closes, without ever
// holding a picture of that size.
TEST_F(SampleAgePreview, ACloudWhoseFrameClaimsMoreThanItsDataIsDamaged) {
    const std::filesystem::path folder = QFile::encodeName(pages.path()).toStdString();
    writeSampleAge(folder);
    const std::string pagePath = (folder / "Garden_District_Textures.prp").string();
    Bytes page = readFile(pagePath);
    // The frame header of the page's first 128 x 128 JPEG file, the Cloud's colour.
    const Bytes frame = {0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x80, 0x00, 0x80};
    const auto at = std::search(page.begin(), page.end(), frame.begin(), frame.end());
    ASSERT_NE(at, page.end());
    for (int i : {5, 7})
        at[i] = 0x20;
    at[6] = at[8] = 0x00;
    writeFile(pagePath, page);

    main->OpenPRPFile(QFile::decodeName(pagePath.c_str()));
    ASSERT_EQ(main->LocalPages.size(), 1u);
    const TPRPFileObject* cloud = nullptr;
    for (const TPRPFolder& group : main->LocalPages[0].Folders)
        for (const TPRPFileObject& entry : group.Objects)
            if (entry.Desc.Name == "Cloud*1#0.hsm") cloud = &entry;
    ASSERT_NE(cloud, nullptr);
    messages->texts.clear();
    QPointer<TCustomPRPObjectForm> form;
    const int64_t rise = peakMemoryRiseKb([&] {
        form = main->ShowObjectByKey(cloud->Desc, false);
        QApplication::processEvents();
    });
    EXPECT_EQ(messages->texts, (std::vector<QString>{"Error loading image."}));
    EXPECT_LT(rise, 64 * 1024) << "kB taken by the preview";
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull()) << "the window closes";
}
