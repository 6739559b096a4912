// The mip-map preview's wheel on a page rebuilt on disk since it was loaded: the preview stays on the
// texture it shows and says once that the file changed, before and after the page is loaded again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QPointer>
#include <QWheelEvent>

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
}

using ChangedPagePreview = PreviewFixture;

} // namespace

TEST_F(ChangedPagePreview, WheelStaysOnTheTextureShownAndSaysTheFileChanged) {
    const std::vector<NamedBody> textures = {{"First", mipmapObject(Kind::DXT1, 16, 16, 1, solid(kRed))},
                                             {"Second", mipmapObject(Kind::DXT1, 16, 16, 1, solid(kGreen))}};
    const QString path =
        writeTexturePage(pages.path(), QStringLiteral("Textures.prp"), kVersionUru, textures);
    main->OpenPRPFile(path);
    // A preview that fails to load closes itself.
    const QPointer<TfrmTplMipMap> form =
        dynamic_cast<TfrmTplMipMap*>(main->ShowObjectByKey(makeKey(4, "First", 7), false));
    ASSERT_FALSE(form.isNull());
    QApplication::processEvents();
    ASSERT_TRUE(messages->texts.empty());

    // Rebuilt with one more texture first: every offset moves.
    std::vector<NamedBody> rebuilt = {{"Zero", mipmapObject(Kind::DXT1, 32, 32, 1, solid(kBlue))}};
    rebuilt.insert(rebuilt.end(), textures.begin(), textures.end());
    writeTexturePage(pages.path(), QStringLiteral("Textures.prp"), kVersionUru, rebuilt);
    const QString message =
        QStringLiteral("The file \"") + QFile::encodeName(path) +
        QStringLiteral("\" has changed on disk since it was loaded.\rPlease load it again.");

    for (const bool reloaded : {false, true}) {
        SCOPED_TRACE(reloaded ? "after the page was loaded again" : "before");
        if (reloaded) main->OpenPRPFile(path);
        messages->texts.clear();
        wheelDown(form->GL3DSceneViewer);
        QApplication::processEvents();
        EXPECT_EQ(messages->texts, std::vector<QString>{message});
        ASSERT_FALSE(form.isNull());
        EXPECT_EQ(form->windowTitle(), "[0004] First");
        EXPECT_EQ(form->MipLvl->text(), "1/1");
        EXPECT_EQ(main->MdiArea->subWindowList().size(), 1);
        const QImage image = form->GL3DSceneViewer->grabFramebuffer();
        const QColor seen = image.pixelColor(8, 8);
        EXPECT_GT(seen.red(), 200);
        EXPECT_LT(seen.green(), 60);
    }
}
