// The texture previews as the window system shows them: each draws its picture on screen as soon as it
// opens, whichever previews were opened before it in the same main window; a wheel notch from the window
// system over a preview scrolls the area that holds the viewers, unless a texture's picture takes it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QScrollBar>

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

// A notch down from the window system (the test's own X server) over a preview whose window reaches below
// the view of the area that holds the viewers: over its title bar and over a cube map's picture the area
// scrolls; over a texture's picture the preview takes the notch and steps to the next texture instead.
TEST_F(PreviewOnScreen, AWheelNotchScrollsTheViewerAreaUnlessATextureTakesIt) {
    if (!onScreenOfItsOwn()) return;
    const struct {
        const char* where;
        const char* name;
        bool overTheTitleBar;
        bool scrolls;
    } rows[] = {{"over a cube map's title bar", "Sky", true, true},
                {"over a cube map's picture", "Sky", false, true},
                {"over a texture's picture", "Red", false, false}};
    QMdiArea* area = main->MdiArea;
    QScrollBar* scrollBar = area->verticalScrollBar();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.where);
        const bool cube = std::string(row.name) == "Sky";
        TCustomPRPObjectForm* form = main->ShowObjectByKey(makeKey(cube ? 5 : 4, row.name, 7), false);
        ASSERT_NE(form, nullptr);
        QMdiSubWindow* window = form->SubWindow();
        ASSERT_NE(window, nullptr);
        // A new window may open shrunk to fit below the one before.
        window->setGeometry(20, area->viewport()->height() - 180, 340, 340);
        QApplication::processEvents();
        ASSERT_GT(scrollBar->maximum(), 0) << "the window reaches below the area's view";
        scrollBar->setValue(0);
        QWidget* viewer = cube ? static_cast<QWidget*>(static_cast<TfrmTplEnvironMap*>(form)->GL3DSceneViewer)
                               : static_cast<QWidget*>(static_cast<TfrmTplMipMap*>(form)->GL3DSceneViewer);
        const QPoint at =
            row.overTheTitleBar
                ? window->mapToGlobal(QPoint(window->width() / 2, form->mapTo(window, QPoint()).y() / 2))
                : viewer->mapToGlobal(QPoint(viewer->width() / 2, 40));
        ASSERT_TRUE(area->viewport()->rect().contains(area->viewport()->mapFromGlobal(at)))
            << "the point is in the area's view";
        const QString caption = window->windowTitle();
        QApplication::processEvents();
        ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"),
                                    {QStringLiteral("mousemove"), QString::number(at.x()),
                                     QString::number(at.y()), QStringLiteral("click"), QStringLiteral("5")}),
                  0);
        QElapsedTimer waited;
        waited.start();
        while (scrollBar->value() == 0 && window->windowTitle() == caption && waited.elapsed() < 2000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (row.scrolls) {
            EXPECT_GT(scrollBar->value(), 0) << "the area scrolls";
            EXPECT_EQ(window->windowTitle(), caption);
        } else {
            EXPECT_EQ(scrollBar->value(), 0) << "the area stays";
            EXPECT_NE(window->windowTitle(), caption) << "the preview steps to the next texture";
        }
        window->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
