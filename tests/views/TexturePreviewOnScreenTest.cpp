// The texture previews as the window system shows them: each draws its picture on screen as soon as it
// opens, whichever previews were opened before it in the same main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "GLWin32Viewer.h"
#include "MainUnit.h"
#include "ShownOnScreen.h"
#include "TexturePreviewSupport.h"
#include "ViewerTestSupport.h"
#include "unitTplEnvironMap.h"
#include "unitTplMipMap.h"

using namespace testpages;

namespace {

constexpr Rgba kRed{255, 0, 0}, kGreen{0, 255, 0};

class PreviewOnScreen : public PreviewFixture {
protected:
    void SetUp() override {
        PreviewFixture::SetUp();
        if (IsSkipped()) return;
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "the screen's pixels are read back from an X server only";
        main->OpenPRPFile(writeTexturePage(pages.path(), QStringLiteral("Shore.prp"), kVersionUru,
                                           {{"Red", mipmapObject(Kind::Pixels, 32, 32, 1, solid(kRed))},
                                            {"Green", mipmapObject(Kind::DXT1, 64, 64, 1, solid(kGreen))}},
                                           {{"Sky", cubeMapObject(Kind::Pixels, 8, kFaceColours)}}));
    }

    // Opens the texture or, for "Sky", the cube map, and checks what the screen shows of its drawing.
    void openAndLook(const std::string& name) {
        SCOPED_TRACE("opened " + name + " as preview " + std::to_string(++opened));
        const bool cube = name == "Sky";
        TCustomPRPObjectForm* form = main->ShowObjectByKey(makeKey(cube ? 5 : 4, name, 7), false);
        ASSERT_NE(form, nullptr);
        EXPECT_TRUE(messages->texts.empty());
        engine3d::TGL3DSceneViewer* viewer = cube ? static_cast<TfrmTplEnvironMap*>(form)->GL3DSceneViewer
                                                  : static_cast<TfrmTplMipMap*>(form)->GL3DSceneViewer;
        // Straight ahead the cube map shows the lit sphere in front of the back face, which fills the
        // corners; a texture fills its drawing.
        std::vector<std::pair<QPoint, Rgba>> probes;
        const QPoint last(viewer->width() - 5, viewer->height() - 5);
        if (cube)
            probes = {{QPoint(4, 4), kFaceColours[3]}, {last, kFaceColours[3]}};
        else
            probes = {{QPoint(1, 1), name == "Red" ? kRed : kGreen}, {last, name == "Red" ? kRed : kGreen}};
        const QImage shown = shownOnScreen(viewer);
        ASSERT_EQ(shown.size(), viewer->size());
        EXPECT_TRUE(viewer->LastError().isEmpty()) << viewer->LastError().toStdString();
        for (const auto& [at, colour] : probes)
            EXPECT_TRUE(nearColour(shown.pixelColor(at), colourOf(colour)))
                << (cube ? "the back face" : "the texture") << " at " << at.x() << "," << at.y() << ": "
                << shown.pixelColor(at).name().toStdString();
        if (cube) {
            const QColor sphere = shown.pixelColor(shown.width() / 2, shown.height() / 2);
            EXPECT_GT(sphere.red() + sphere.green() + sphere.blue(), 150)
                << "the lit sphere: " << sphere.name().toStdString();
        }
    }

    int opened = 0;
};

} // namespace

// Every order of the two previews: mip map after mip map, cube map after mip map, after cube map, and mip
// map after cube map; the earlier windows stay open behind the new one.
TEST_F(PreviewOnScreen, EachPreviewDrawsAsSoonAsItOpens) {
    if (!onScreenOfItsOwn()) return;
    for (const char* name : {"Red", "Green", "Sky", "Sky", "Red", "Sky"})
        openAndLook(name);
}

// A cube map first in the main window, then one of each again after the first has closed.
TEST_F(PreviewOnScreen, PreviewsDrawAfterAnEarlierOneClosed) {
    if (!onScreenOfItsOwn()) return;
    for (const char* name : {"Sky", "Green", "Sky"}) {
        openAndLook(name);
        main->MdiArea->activeSubWindow()->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
