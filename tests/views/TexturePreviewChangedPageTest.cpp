// The mip-map preview's wheel on a page changed on disk since it was loaded. Until the page is loaded again,
// a step to a texture whose key-index entry moved is refused with one message and the preview stays on the
// texture it shows; once the page is loaded again (File > Open or an "Also Load" box), the wheel steps
// through the textures of the page as it is loaded now, whether it was rebuilt or only written again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QPointer>
#include <QWheelEvent>
#include <fcntl.h>
#include <sys/stat.h>

#include "GLWin32Viewer.h"
#include "MainUnit.h"
#include "TexturePreviewSupport.h"
#include "unitTplMipMap.h"

using namespace testpages;

namespace {

constexpr Rgba kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

void wheelDown(QWidget* target) {
    const QPointF at(4, 4);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
    QApplication::processEvents();
}

QColor colourShown(TfrmTplMipMap* form) {
    return form->GL3DSceneViewer->grabFramebuffer().pixelColor(8, 8);
}

const std::vector<NamedBody> kTextures = {{"First", mipmapObject(Kind::DXT1, 16, 16, 1, solid(kRed))},
                                          {"Second", mipmapObject(Kind::DXT1, 16, 16, 1, solid(kGreen))}};

class ChangedPagePreview : public PreviewFixture {
protected:
    // Loads the page of kTextures and opens "First" in a preview.
    void openFirst() {
        path = writeTexturePage(pages.path(), QStringLiteral("Textures.prp"), kVersionUru, kTextures);
        main->OpenPRPFile(path);
        // A preview that fails to load closes itself.
        form = dynamic_cast<TfrmTplMipMap*>(main->ShowObjectByKey(makeKey(4, "First", 7), false));
        ASSERT_FALSE(form.isNull());
        QApplication::processEvents();
        ASSERT_TRUE(messages->texts.empty());
    }
    // The preview shows this texture, drawn in this colour, in the one window open.
    void expectShown(const char* title, Rgba colour) {
        ASSERT_FALSE(form.isNull());
        EXPECT_EQ(form->windowTitle(), title);
        EXPECT_EQ(form->MipLvl->text(), "1/1");
        EXPECT_EQ(main->MdiArea->subWindowList().size(), 1);
        const QColor seen = colourShown(form);
        EXPECT_NEAR(seen.red(), colour.r, 60);
        EXPECT_NEAR(seen.green(), colour.g, 60);
        EXPECT_NEAR(seen.blue(), colour.b, 60);
    }
    QString changedMessage() const {
        return QStringLiteral("The file \"") + QFile::encodeName(path) +
               QStringLiteral("\" has changed on disk since it was loaded.\rPlease load it again.");
    }

    QString path;
    QPointer<TfrmTplMipMap> form;
};

} // namespace

TEST_F(ChangedPagePreview, ARebuiltPageIsToldUntilLoadedAgainThenSteppedAsItIsNow) {
    ASSERT_NO_FATAL_FAILURE(openFirst());
    // Rebuilt with one more texture first: every offset moves.
    std::vector<NamedBody> rebuilt = {{"Zero", mipmapObject(Kind::DXT1, 32, 32, 1, solid(kBlue))}};
    rebuilt.insert(rebuilt.end(), kTextures.begin(), kTextures.end());
    writeTexturePage(pages.path(), QStringLiteral("Textures.prp"), kVersionUru, rebuilt);

    messages->texts.clear();
    wheelDown(form->GL3DSceneViewer);
    EXPECT_EQ(messages->texts, std::vector<QString>{changedMessage()});
    expectShown("[0004] First", kRed);

    main->OpenPRPFile(path);
    messages->texts.clear();
    wheelDown(form->GL3DSceneViewer);
    EXPECT_TRUE(messages->texts.empty());
    expectShown("[0004] Second", kGreen);
    wheelDown(form->GL3DSceneViewer);
    EXPECT_TRUE(messages->texts.empty());
    expectShown("[0004] Zero", kBlue);
}

TEST_F(ChangedPagePreview, APageWrittenAgainWithTheSameBytesStepsAfterAReload) {
    ASSERT_NO_FATAL_FAILURE(openFirst());
    const std::string file = QFile::encodeName(path).toStdString();
    writeTexturePage(pages.path(), QStringLiteral("Textures.prp"), kVersionUru, kTextures);
    struct stat written {};
    ASSERT_EQ(::stat(file.c_str(), &written), 0);
    timespec times[2] = {written.st_atim, written.st_mtim};
    times[1].tv_sec += 10;
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);

    // Ticking an "Also Load" box loads the page again.
    main->ShowLocalsCheck->click();
    ASSERT_EQ(main->LocalPages.size(), 1u);
    messages->texts.clear();
    wheelDown(form->GL3DSceneViewer);
    EXPECT_TRUE(messages->texts.empty());
    expectShown("[0004] Second", kGreen);
    wheelDown(form->GL3DSceneViewer);
    expectShown("[0004] First", kRed);
    EXPECT_TRUE(messages->texts.empty());
}

// The page loaded again no longer holds the texture shown: the wheel has nothing to step from, and says so.
TEST_F(ChangedPagePreview, APageLoadedAgainWithoutTheTextureShownSaysItIsGone) {
    ASSERT_NO_FATAL_FAILURE(openFirst());
    const std::vector<NamedBody> without = {{"Second", mipmapObject(Kind::DXT1, 16, 16, 1, solid(kGreen))},
                                            {"Third", mipmapObject(Kind::DXT1, 16, 16, 1, solid(kBlue))}};
    writeTexturePage(pages.path(), QStringLiteral("Textures.prp"), kVersionUru, without);
    main->OpenPRPFile(path);
    messages->texts.clear();
    wheelDown(form->GL3DSceneViewer);
    EXPECT_EQ(messages->texts,
              std::vector<QString>{QStringLiteral("The texture \"First\" is no longer in \"") +
                                   QFile::encodeName(path) + QStringLiteral("\" as it is loaded now.")});
    expectShown("[0004] First", kRed);
}

// Another page loaded: the preview keeps stepping through the textures of its own page.
TEST_F(ChangedPagePreview, AnotherPageLoadedLeavesThePreviewSteppingThroughItsOwn) {
    ASSERT_NO_FATAL_FAILURE(openFirst());
    main->OpenPRPFile(writeTexturePage(pages.path(), QStringLiteral("Other.prp"), kVersionUru,
                                       {{"Other", mipmapObject(Kind::DXT1, 16, 16, 1, solid(kBlue))}}));
    messages->texts.clear();
    wheelDown(form->GL3DSceneViewer);
    EXPECT_TRUE(messages->texts.empty());
    expectShown("[0004] Second", kGreen);
}
