// The main window with its previews as the screen shows them when it moves between a monitor at scale 1
// and one at scale 2: every part of it is drawn at its new place and size, the previews' pictures too,
// and nothing of an earlier scale stays behind.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>
#include <QWindow>

#include "GLWin32Viewer.h"
#include "MainUnit.h"
#include "ShownOnScreen.h"
#include "TexturePreviewSupport.h"
#include "ViewerTestSupport.h"
#include "unitTplEnvironMap.h"
#include "unitTplMipMap.h"
#include "unitTplMaterial.h"

using namespace testpages;

namespace {

const QColor kRed(255, 0, 0), kBackFace(255, 255, 0);
// Pixels that may differ where a part is compared with its own painting: none but a stray edge.
constexpr int kStrayPixels = 16;

struct Run {
    const char* name;
    bool previews;
};
// The same moves of the main window, with previews open and, to tell their fault from any other, without.
const Run kRuns[] = {{"WithoutPreviews", false}, {"WithPreviews", true}};

void PrintTo(const Run& run, std::ostream* out) {
    *out << run.name;
}

Bytes sampleMaterial() {
    ByteWriter w(kVersionUru);
    writeSampleMaterial(w);
    return w.bytes;
}

class PreviewAcrossScales : public PreviewFixture, public ::testing::WithParamInterface<Run> {
protected:
    void SetUp() override {
        // The parent run only starts the child's server.
        if (!onScreenOfItsOwnNow()) return;
        PreviewFixture::SetUp();
        if (IsSkipped()) return;
        // Small enough for the monitor at scale 2, which holds 960x600 points.
        main->setGeometry(40, 40, 900, 560);
        main->OpenPRPFile(writeTexturePage(
            pages.path(), QStringLiteral("Shore.prp"), kVersionUru,
            {{"Red", mipmapObject(Kind::Pixels, 256, 256, 1, solid({255, 0, 0}))}},
            {{"Sky", cubeMapObject(Kind::Pixels, 8, kFaceColours)}}, {{"Stone", sampleMaterial()}}));
        main->PRPTree->expandAll();
    }

    // Moves the main window onto the monitor, MonL at scale 1 or MonR at scale 2, and waits until the
    // toolkit has it there.
    void moveMainWindowTo(const QString& monitor) {
        const qreal ratio = monitor == QLatin1String("MonR") ? 2 : 1;
        main->move(ratio == 2 ? QPoint(1300, 20) : QPoint(40, 40));
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 5000 &&
               (main->windowHandle()->screen()->name() != monitor || main->devicePixelRatio() != ratio))
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_EQ(main->windowHandle()->screen()->name(), monitor);
        ASSERT_EQ(main->devicePixelRatio(), ratio);
    }

    void look(const char* step) {
        keepScreenForLooking(QStringLiteral("%1-%2-%3").arg(GetParam().name).arg(++steps).arg(step));
    }

    // The part of the widget shows what it paints itself, at its scale.
    void expectDrawnAsItself(QWidget* widget, const char* what, QRect part = {}) {
        const QImage shown = shownOnScreen(widget, part), own = paintedByItself(widget, part);
        ASSERT_EQ(shown.size(), own.size()) << what;
        EXPECT_LE(pixelsDiffering(shown, own), kStrayPixels)
            << what << " at scale " << widget->devicePixelRatio() << ": of its " << own.width() << "x"
            << own.height() << " pixels, so many are not its own";
    }

    void expectTitleBarDrawn(TCustomPRPObjectForm* form) {
        QMdiSubWindow* sub = form->SubWindow();
        expectDrawnAsItself(sub, "the title bar",
                            QRect(0, 0, sub->width(), form->mapTo(sub, QPoint(0, 0)).y()));
    }

    // The tree as it paints itself at its place, and the child area's background in its empty corner.
    void expectMainWindowDrawn() {
        expectDrawnAsItself(main->PRPTree->viewport(), "the tree");
        QWidget* area = main->MdiArea->viewport();
        const QRect corner(area->width() - 48, area->height() - 48, 40, 40);
        for (QMdiSubWindow* sub : main->MdiArea->subWindowList())
            ASSERT_FALSE(sub->geometry().intersects(corner)) << "a child window covers the corner looked at";
        EXPECT_EQ(pixelsOtherThan(shownOnScreen(area, corner), main->MdiArea->background().color()), 0)
            << "the child area's empty corner";
    }

    // The texture fills its whole drawing with its colour, and nothing of it shows above the drawing, where
    // the child window's title bar and the tool strip are, which are drawn as themselves.
    void expectTextureShown(TfrmTplMipMap* form) {
        engine3d::TGL3DSceneViewer* viewer = form->GL3DSceneViewer;
        ASSERT_EQ(viewer->size(), QSize(256, 256));
        const QImage shown = shownOnScreen(viewer);
        ASSERT_EQ(shown.size(), viewer->size() * viewer->devicePixelRatio());
        // Its outermost pixels may be smoothed against what is beside it.
        EXPECT_EQ(pixelsOtherThan(shown.copy(shown.rect().adjusted(2, 2, -2, -2)), kRed), 0)
            << "pixels of the drawing of " << shown.width() << "x" << shown.height()
            << " not the texture's colour; at its corners " << shown.pixelColor(2, 2).name().toStdString()
            << " and " << shown.pixelColor(shown.width() - 3, shown.height() - 3).name().toStdString();
        QMdiSubWindow* sub = form->SubWindow();
        const QRect above(0, 0, sub->width(), viewer->mapTo(sub, QPoint(0, 0)).y());
        EXPECT_EQ(pixelsLike(shownOnScreen(sub, above), kRed, 40), 0)
            << "pixels of the texture's colour above it";
        expectTitleBarDrawn(form);
        expectDrawnAsItself(form->ToolStrip, "the tool strip");
    }

    // The cube map's back face in the drawing's corners around the lit sphere, its title bar, and the child
    // area's background where the window would reach at twice its size.
    void expectCubeMapShown(TfrmTplEnvironMap* form) {
        engine3d::TGL3DSceneViewer* viewer = form->GL3DSceneViewer;
        const QImage shown = shownOnScreen(viewer);
        const qreal ratio = viewer->devicePixelRatio();
        ASSERT_EQ(shown.size(), viewer->size() * ratio);
        for (const QPoint at : {QPoint(4, 4), QPoint(viewer->width() - 5, viewer->height() - 5)})
            EXPECT_EQ(pixelsOtherThan(shown.copy(QRect(devicePixel(at, ratio), QSize(2, 2))), kBackFace), 0)
                << "the back face at " << at.x() << "," << at.y() << ": "
                << shown.pixelColor(devicePixel(at, ratio)).name().toStdString();
        const QColor sphere = shown.pixelColor(shown.width() / 2, shown.height() / 2);
        EXPECT_GT(sphere.red() + sphere.green() + sphere.blue(), 150)
            << "the lit sphere: " << sphere.name().toStdString();
        expectTitleBarDrawn(form);
        const QRect frame = form->SubWindow()->geometry();
        QWidget* area = main->MdiArea->viewport();
        for (const QRect beyond :
             {QRect(frame.topRight() + QPoint(1, 0), QSize(frame.width(), 2 * frame.height())),
              QRect(frame.bottomLeft() + QPoint(0, 1), frame.size())}) {
            const QRect seen = beyond & area->rect();
            ASSERT_FALSE(seen.isEmpty()) << "the child area leaves no room beside the window";
            EXPECT_EQ(pixelsOtherThan(shownOnScreen(area, seen), main->MdiArea->background().color()), 0)
                << "pixels beyond the window of " << frame.width() << "x" << frame.height() << " at "
                << frame.x() << "," << frame.y() << " not the child area's background";
        }
    }

    // Each check box and the title bar as they paint themselves, with no block of another window over them.
    void expectMaterialViewerDrawn(TfrmTplMaterial* form) {
        const QList<QCheckBox*> boxes = form->findChildren<QCheckBox*>();
        ASSERT_FALSE(boxes.isEmpty());
        for (QCheckBox* box : boxes)
            expectDrawnAsItself(box, box->objectName().toUtf8().constData());
        expectTitleBarDrawn(form);
    }

    int steps = 0;
};

} // namespace

// Left to right and back: the tree, the child area, the texture's picture with the title bar and tool
// strip above it (also after Cascade) and a cube map's drawing with its frame are drawn at their new
// places and scale; a material viewer opened after the previews closed shows its own check boxes.
TEST_P(PreviewAcrossScales, MainWindowMovedBetweenMonitors) {
    if (!onScreenOfItsOwn({}, OwnScreen::ScalesOneAndTwo)) return;
    const bool previews = GetParam().previews;
    TfrmTplMipMap* texture = nullptr;
    if (previews) {
        texture = dynamic_cast<TfrmTplMipMap*>(open(4, "Red"));
        ASSERT_NE(texture, nullptr);
    }
    look("left");
    {
        SCOPED_TRACE("on the left at scale 1");
        expectMainWindowDrawn();
        if (texture) expectTextureShown(texture);
    }

    ASSERT_NO_FATAL_FAILURE(moveMainWindowTo(QStringLiteral("MonR")));
    look("right");
    {
        SCOPED_TRACE("moved to the right at scale 2");
        expectMainWindowDrawn();
        if (texture) expectTextureShown(texture);
    }

    main->WindowCascade->trigger();
    look("cascaded");
    {
        SCOPED_TRACE("cascaded at scale 2");
        expectMainWindowDrawn();
        if (texture) expectTextureShown(texture);
    }

    TfrmTplEnvironMap* cube = nullptr;
    if (previews) {
        closeAll();
        cube = dynamic_cast<TfrmTplEnvironMap*>(open(5, "Sky"));
        ASSERT_NE(cube, nullptr);
        look("cube-right");
        SCOPED_TRACE("a cube map opened at scale 2");
        expectCubeMapShown(cube);
    }
    ASSERT_NO_FATAL_FAILURE(moveMainWindowTo(QStringLiteral("MonL")));
    look("back-left");
    {
        SCOPED_TRACE("moved back to the left at scale 1");
        expectMainWindowDrawn();
        if (cube) expectCubeMapShown(cube);
    }

    closeAll();
    auto* material = dynamic_cast<TfrmTplMaterial*>(open(7, "Stone"));
    ASSERT_NE(material, nullptr);
    {
        SCOPED_TRACE("a material viewer at scale 1");
        expectMaterialViewerDrawn(material);
    }
    ASSERT_NO_FATAL_FAILURE(moveMainWindowTo(QStringLiteral("MonR")));
    look("material-right");
    {
        SCOPED_TRACE("the material viewer moved to scale 2");
        expectMainWindowDrawn();
        expectMaterialViewerDrawn(material);
    }
    EXPECT_TRUE(messages->texts.empty()) << (messages->texts.empty() ? "" : messages->texts[0].toStdString());
}

INSTANTIATE_TEST_SUITE_P(Runs, PreviewAcrossScales, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<Run>& info) { return info.param.name; });
