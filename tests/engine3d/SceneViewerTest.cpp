// The scene viewer control on screen: its buffer renders the scene into the widget, the framebuffer is
// grabbed and checked pixel by pixel, and size, camera, scene changes and mouse notices behave as a user
// expects.
#include "GL3DScene.h"
#include "GLTexture.h"
#include "GLWin32Viewer.h"
#include "ShapeRenderSupport.h"
#include "ShownOnScreen.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QWindow>

using namespace engine3d;

namespace {

using Quad = engine3d_test::TexturedQuad;

bool waitExposed(QWidget& widget) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (widget.windowHandle() && widget.windowHandle()->isExposed()) return true;
    }
    return false;
}

void click(QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
    QPointF local(at), global(widget->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, modifiers);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, modifiers);
    QApplication::sendEvent(widget, &release);
}

bool openGLHere() {
    QOpenGLContext probe;
    return probe.create();
}

void expectPixel(const QImage& image, int x, int y, QColor expected, const char* where) {
    QColor seen = image.pixelColor(x, y);
    EXPECT_NEAR(seen.red(), expected.red(), 3) << where;
    EXPECT_NEAR(seen.green(), expected.green(), 3) << where;
    EXPECT_NEAR(seen.blue(), expected.blue(), 3) << where;
}

struct ViewerFixture {
    TGL3DScene scene;
    TGLCamera* camera;
    Quad* quad;
    QWidget form;
    TGL3DSceneViewer* viewer;

    ViewerFixture() {
        camera = scene.Cameras()->AddNewChild<TGLCamera>();
        camera->SetCameraStyle(csOrthogonal);
        camera->Position()->SetPoint(0, 0, 50);
        quad = scene.Objects()->AddNewChild<Quad>();
        // Left half red, right half blue.
        engine3d_test::useNearestTexture(
            quad->Material(), *engine3d_test::pictureOf(8, 8, [](int x, int) {
                return x < 4 ? engine3d_test::Rgba{255, 0, 0, 255} : engine3d_test::Rgba{0, 0, 255, 255};
            }));
        viewer = new TGL3DSceneViewer(&form);
        viewer->setObjectName("GL3DSceneViewer");
        viewer->setGeometry(0, 0, 257, 257);
        viewer->Buffer()->SetBackgroundColor(0x00FF00); // green
        viewer->Buffer()->SetLighting(false);
        viewer->SetCamera(camera);
        form.resize(257, 257);
    }
    ~ViewerFixture() {
        // The viewer's buffer refers to the camera: it goes first.
        delete viewer;
    }
};

} // namespace

#define REQUIRE_OPENGL()                                                                                     \
    if (!openGLHere()) GTEST_SKIP() << "no OpenGL context here";

TEST(SceneViewer, ShowsTheQuadAfterANewContextAndAResizeAndRepaintsOnChange) {
    REQUIRE_OPENGL();
    ViewerFixture f;
    f.form.show();
    ASSERT_TRUE(waitExposed(f.form));
    QImage image = f.viewer->grabFramebuffer();
    ASSERT_EQ(image.width(), 257);
    // Focal length 50 shows -1..1: the unit quad covers the middle half.
    expectPixel(image, 100, 128, Qt::red, "left half of the quad");
    expectPixel(image, 156, 128, Qt::blue, "right half of the quad");
    expectPixel(image, 10, 10, Qt::green, "background");
    expectPixel(image, 246, 246, Qt::green, "background corner");
    EXPECT_GE(f.viewer->Buffer()->FrameCount(), 1);
    EXPECT_EQ(f.viewer->Buffer()->Width(), 257);

    // A structural change makes a new context that still draws.
    f.viewer->Buffer()->SetContextOptions(f.viewer->Buffer()->ContextOptions() |
                                          ContextOption(roStencilBuffer));
    EXPECT_TRUE(f.viewer->RCInstantiated());
    image = f.viewer->grabFramebuffer();
    expectPixel(image, 100, 128, Qt::red, "quad after the new context");
    expectPixel(image, 10, 10, Qt::green, "background after the new context");
    EXPECT_TRUE(f.viewer->LastError().isEmpty()) << f.viewer->LastError().toStdString();

    // Resized wider than high: the quad is square on screen, centred, 32 pixels of -1..1 across 64 rows.
    f.viewer->resize(128, 64);
    image = f.viewer->grabFramebuffer();
    EXPECT_EQ(f.viewer->Buffer()->Width(), 128);
    EXPECT_EQ(f.viewer->Buffer()->Height(), 64);
    expectPixel(image, 60, 32, Qt::red, "quad left of centre");
    expectPixel(image, 68, 32, Qt::blue, "quad right of centre");
    expectPixel(image, 4, 32, Qt::green, "left margin");

    // A change of the scene reaches the viewer as a repaint with the new picture.
    f.quad->Position()->SetPoint(10, 0, 0);
    image = f.viewer->grabFramebuffer();
    expectPixel(image, 64, 32, Qt::green, "quad moved away");
}

// A control that joins a window which shows such controls already, as a preview joins the main window, is
// made ready on joining and again when it is first shown at the same size; its frames reach the screen all
// the same, also after it was shrunk to nothing and given its size back.
TEST(SceneViewer, ControlJoiningAShownWindowShowsItsFramesOnScreen) {
    REQUIRE_OPENGL();
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "the screen's pixels are read back from an X server only";
    if (!testpages::onScreenOfItsOwn()) return;
    ViewerFixture first, second;
    first.form.resize(600, 300);
    first.form.show();
    ASSERT_TRUE(waitExposed(first.form));
    auto* panel = new QWidget;
    panel->setGeometry(300, 0, 257, 257);
    second.viewer->setParent(panel);
    panel->setParent(&first.form);
    panel->show();
    second.quad->Position()->SetPoint(0.5f, 0, 0);

    QImage image = testpages::shownOnScreen(second.viewer);
    ASSERT_EQ(image.size(), QSize(257, 257));
    expectPixel(image, 140, 128, Qt::red, "left half of the moved quad");
    expectPixel(image, 200, 128, Qt::blue, "right half of the moved quad");
    expectPixel(image, 10, 10, Qt::green, "background");
    image = testpages::shownOnScreen(first.viewer);
    expectPixel(image, 100, 128, Qt::red, "the first control's quad");

    second.viewer->resize(0, 0);
    QApplication::processEvents();
    second.quad->Position()->SetPoint(0, 0, 0);
    second.viewer->resize(257, 257);
    image = testpages::shownOnScreen(second.viewer);
    expectPixel(image, 100, 128, Qt::red, "the quad back in the middle");
    expectPixel(image, 156, 128, Qt::blue, "its right half");
}

TEST(SceneViewer, FieldOfViewNeedsACamera) {
    REQUIRE_OPENGL();
    ViewerFixture f;
    f.viewer->resize(200, 100);
    f.viewer->SetFieldOfView(90);
    EXPECT_NEAR(f.camera->FocalLength(), 50, 1e-3);
    EXPECT_NEAR(f.viewer->FieldOfView(), 90, 1e-3);
    f.viewer->SetCamera(nullptr);
    EXPECT_FLOAT_EQ(f.viewer->FieldOfView(), 0);
    f.viewer->SetFieldOfView(10); // nothing to set
    EXPECT_NEAR(f.camera->FocalLength(), 50, 1e-3);
}

TEST(SceneViewer, CameraFreedLeavesTheViewerWithoutCamera) {
    REQUIRE_OPENGL();
    ViewerFixture f;
    delete f.camera;
    EXPECT_EQ(f.viewer->Camera(), nullptr);
    f.form.show();
    ASSERT_TRUE(waitExposed(f.form));
    // Without a camera the window is cleared to the background and nothing is drawn.
    QImage image = f.viewer->grabFramebuffer();
    expectPixel(image, 128, 128, Qt::green, "centre without camera");
}

TEST(SceneViewer, HiddenFormGetsItsContextAfterLoading) {
    REQUIRE_OPENGL();
    ViewerFixture f;
    EXPECT_FALSE(f.viewer->RCInstantiated());
    f.viewer->Loaded();
    EXPECT_TRUE(f.viewer->RCInstantiated());
    EXPECT_FALSE(f.form.isVisible());
}

TEST(SceneViewer, ZeroSizedViewerPaintsNothing) {
    REQUIRE_OPENGL();
    ViewerFixture f;
    f.viewer->resize(0, 0);
    f.form.show();
    ASSERT_TRUE(waitExposed(f.form));
    QApplication::processEvents();
    EXPECT_EQ(f.viewer->Buffer()->FrameCount(), 0);
    EXPECT_TRUE(f.viewer->LastError().isEmpty());
}

TEST(SceneViewer, MouseNoticesGoToTheHandlers) {
    REQUIRE_OPENGL();
    ViewerFixture f;
    f.form.show();
    ASSERT_TRUE(waitExposed(f.form));
    int downs = 0, ups = 0, clicks = 0, lastX = -1;
    TMouseButton lastButton = mbLeft;
    f.viewer->OnMouseDown = [&](TObject* sender, TMouseButton button, TShiftState, int x, int) {
        EXPECT_EQ(sender, f.viewer->Sender());
        ++downs;
        lastButton = button;
        lastX = x;
    };
    f.viewer->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
    f.viewer->OnClick = [&](TObject*) { ++clicks; };
    click(f.viewer, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
    click(f.viewer, Qt::RightButton, Qt::NoModifier, QPoint(31, 40));
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(ups, 2);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(lastButton, mbRight);
    EXPECT_EQ(lastX, 31);

    // A failing handler shows its message in the control; nothing leaves the event.
    f.viewer->OnClick = [](TObject*) { throw Exception("handler failed"); };
    click(f.viewer, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
    EXPECT_EQ(f.viewer->LastError(), "handler failed");
    // The message is seen on the next frame; the frame after that is the scene alone.
    const QColor background = f.viewer->palette().window().color();
    expectPixel(f.viewer->grabFramebuffer(), 10, 10, background, "message frame");
    expectPixel(f.viewer->grabFramebuffer(), 10, 10, Qt::green, "scene again");
    EXPECT_TRUE(f.viewer->LastError().isEmpty());
}

// A frame that fails shows its message on the viewer's own background, whatever state the scene left;
// the next frame that renders shows the scene alone.
TEST(SceneViewer, FailedFrameShowsItsMessageAndTheNextGoodFrameClearsIt) {
    REQUIRE_OPENGL();
    ViewerFixture f;
    f.form.show();
    ASSERT_TRUE(waitExposed(f.form));
    int failures = 1;
    f.viewer->BeforeRender() = [&](TObject*) {
        if (failures-- > 0) throw Exception("frame failed");
    };
    QImage image = f.viewer->grabFramebuffer();
    EXPECT_EQ(f.viewer->LastError(), "frame failed");
    const QColor background = f.viewer->palette().window().color();
    const QColor text = f.viewer->palette().windowText().color();
    for (QPoint p : {QPoint(10, 10), QPoint(246, 246), QPoint(100, 40), QPoint(156, 220)})
        expectPixel(image, p.x(), p.y(), background, "around the message");
    // The message itself: text-coloured pixels on the middle rows.
    int textPixels = 0;
    for (int y = 110; y < 147; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor seen = image.pixelColor(x, y);
            if (std::abs(seen.red() - text.red()) + std::abs(seen.green() - text.green()) +
                    std::abs(seen.blue() - text.blue()) <
                60)
                ++textPixels;
        }
    EXPECT_GT(textPixels, 20) << "the message is drawn";

    image = f.viewer->grabFramebuffer();
    EXPECT_TRUE(f.viewer->LastError().isEmpty()) << f.viewer->LastError().toStdString();
    expectPixel(image, 100, 128, Qt::red, "quad after the good frame");
    expectPixel(image, 156, 128, Qt::blue, "quad after the good frame");
    for (QPoint p : {QPoint(10, 10), QPoint(128, 40), QPoint(128, 220), QPoint(20, 128)})
        expectPixel(image, p.x(), p.y(), Qt::green, "no message left");
}

// A drawing larger than any surface the driver makes says so in place of the picture, and draws again
// once it is given a size the driver can hold.
TEST(SceneViewer, ASizeTheDriverCannotHoldIsToldAndASmallerOneDrawsAgain) {
    REQUIRE_OPENGL();
    ViewerFixture f;
    f.form.show();
    ASSERT_TRUE(waitExposed(f.form));
    f.viewer->Loaded();
    ASSERT_TRUE(f.viewer->RCInstantiated());
    f.viewer->resize(100000, 64);
    // The words stand on the frame that was asked for at that size.
    f.viewer->grabFramebuffer();
    EXPECT_FALSE(f.viewer->LastError().isEmpty()) << "a surface 100000 pixels wide";
    f.viewer->resize(257, 257);
    const QImage image = f.viewer->grabFramebuffer();
    EXPECT_TRUE(f.viewer->LastError().isEmpty()) << f.viewer->LastError().toStdString();
    expectPixel(image, 100, 128, Qt::red, "the quad at a size the driver holds");
}
