// The previews on the OpenGL that a user's driver really gives: a full one, one without framebuffer
// objects or non-power-of-two textures (as older drivers are), and none at all. Each driver runs in a
// child program on an X server of its own, and what the screen shows is read back from that server.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>
#include <QWheelEvent>

#include "GLWin32Viewer.h"
#include "MainUnit.h"
#include "ShownOnScreen.h"
#include "TexturePreviewSupport.h"
#include "ViewerTestSupport.h"
#include "unitTplEnvironMap.h"
#include "unitTplMipMap.h"

using namespace testpages;

namespace {

struct Driver {
    const char* name;
    std::vector<std::pair<QString, QString>> variables;
    // How the words in place of the picture begin; none where the picture draws.
    const char* words = nullptr;
    QStringList serverArguments = {};
};

const char* const kNoOpenGL = "OpenGL is not available";

const QString kNoFramebufferObjects = QStringLiteral("-GL_ARB_framebuffer_object -GL_EXT_framebuffer_object");

const Driver kDrivers[] = {
    {"Full", {}},
    {"NoFramebufferObjects", {{"MESA_EXTENSION_OVERRIDE", kNoFramebufferObjects}}},
    {"NoNonPowerOfTwoTextures", {{"MESA_EXTENSION_OVERRIDE", "-GL_ARB_texture_non_power_of_two"}}},
    {"OpenGL14WithNeither",
     {{"MESA_EXTENSION_OVERRIDE", kNoFramebufferObjects + " -GL_ARB_texture_non_power_of_two"},
      {"MESA_GL_VERSION_OVERRIDE", "1.4"}}},
    {"NoOpenGL", {{"QT_XCB_GL_INTEGRATION", "none"}}, kNoOpenGL},
    {"DriverThatCannotLoad", {{"LIBGL_DRIVERS_PATH", "/nonexistent"}}, kNoOpenGL},
    // What a remote shell gives: indirect OpenGL that the server refuses, or allows with no version told.
    {"IndirectRefused", {{"LIBGL_ALWAYS_INDIRECT", "1"}}, kNoOpenGL},
    {"IndirectAllowed",
     {{"LIBGL_ALWAYS_INDIRECT", "1"}},
     "Need at least OpenGL version 1.1: the context reports no OpenGL version",
     {QStringLiteral("+iglx")}},
};

void PrintTo(const Driver& driver, std::ostream* out) {
    *out << driver.name;
}

constexpr Rgba kRed{255, 0, 0}, kGreen{0, 255, 0}, kYellow{255, 255, 0};

class PreviewOnDriver : public PreviewFixture, public ::testing::WithParamInterface<Driver> {
protected:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("KESTRUM_TEST_OWN_SCREEN")) return;
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "the screen's pixels are read back from an X server only";
        showMainWindow();
        main->OpenPRPFile(
            writeTexturePage(pages.path(), QStringLiteral("Shore.prp"), kVersionUru,
                             {{"Red", mipmapObject(Kind::RunCoded, 16, 16, 1, solid(kRed), solid(kYellow))},
                              {"Green", mipmapObject(Kind::DXT1, 64, 64, 1, solid(kGreen))}},
                             {{"Sky", cubeMapObject(Kind::Pixels, 8, kFaceColours)}}));
    }

    // The tree's empty space as the screen shows it: the tree's own background, whatever a preview did to
    // the window that holds both.
    void expectMainWindowShown(const char* when) {
        QWidget* tree = main->PRPTree->viewport();
        const QImage shown = shownOnScreen(tree);
        ASSERT_EQ(shown.size(), tree->size()) << when;
        const QPoint corner(tree->width() - 4, tree->height() - 4);
        EXPECT_TRUE(nearColour(shown.pixelColor(corner), tree->palette().color(QPalette::Base)))
            << "the tree " << when << ": " << shown.pixelColor(corner).name().toStdString();
    }

    // The drawing as the screen shows it: the colour expected at each probe with OpenGL; without it, the
    // reason in words on the window's own background, readable whole within the control, naming each
    // setting that may be why.
    void expectDrawing(engine3d::TGL3DSceneViewer* viewer, const std::vector<std::pair<QPoint, Rgba>>& probes,
                       const char* what) {
        SCOPED_TRACE(what);
        const QImage shown = shownOnScreen(viewer);
        ASSERT_EQ(shown.size(), viewer->size());
        if (!GetParam().words) {
            EXPECT_TRUE(viewer->LastError().isEmpty()) << viewer->LastError().toStdString();
            for (const auto& [at, colour] : probes)
                EXPECT_TRUE(nearColour(shown.pixelColor(at), colourOf(colour)))
                    << "at " << at.x() << "," << at.y() << ": " << shown.pixelColor(at).name().toStdString();
            return;
        }
        const QString& words = viewer->LastError();
        EXPECT_TRUE(words.startsWith(QString::fromLatin1(GetParam().words))) << words.toStdString();
        for (const auto& [name, value] : GetParam().variables)
            EXPECT_TRUE(words.contains(QStringLiteral("%1 is \"%2\"").arg(name, value)))
                << words.toStdString();
        const QRect room = viewer->rect().adjusted(4, 4, -4, -4);
        const QRect needed = QFontMetrics(viewer->font())
                                 .boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, viewer->LastError());
        EXPECT_TRUE(room.contains(needed)) << "the text needs " << needed.width() << "x" << needed.height();
        const QColor background = viewer->palette().color(QPalette::Window);
        EXPECT_TRUE(nearColour(shown.pixelColor(1, 1), background))
            << shown.pixelColor(1, 1).name().toStdString();
        int inked = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                inked += !nearColour(shown.pixelColor(x, y), background, 40);
        EXPECT_GT(inked, 100) << "the words are drawn";
    }
};

} // namespace

// A texture in colour, then in alpha, a wheel step to the next texture, and a cube map: each draws the
// same picture as on a full driver, or says why it cannot; the main window stays as it was, also after the
// previews close, and the program ends normally.
TEST_P(PreviewOnDriver, PreviewsDrawOrSayWhyAndTheMainWindowStays) {
    if (!onScreenOfItsOwn(GetParam().variables, OwnScreen::Single, GetParam().serverArguments)) return;
    expectMainWindowShown("before any preview");

    auto* texture = dynamic_cast<TfrmTplMipMap*>(open(4, "Red"));
    ASSERT_NE(texture, nullptr);
    engine3d::TGL3DSceneViewer* viewer = texture->GL3DSceneViewer;
    const auto all = [viewer](Rgba colour) {
        return std::vector<std::pair<QPoint, Rgba>>{
            {QPoint(1, 1), colour}, {QPoint(viewer->width() - 2, viewer->height() - 2), colour}};
    };
    expectDrawing(viewer, all(kRed), "the colour");
    expectMainWindowShown("beside a texture");

    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(viewer, &space);
    EXPECT_EQ(texture->IMode->text(), "Alpha");
    expectDrawing(viewer, all(kYellow), "the alpha");
    QApplication::sendEvent(viewer, &space);

    QWheelEvent wheel(QPointF(4, 4), viewer->mapToGlobal(QPointF(4, 4)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewer, &wheel);
    EXPECT_EQ(texture->windowTitle(), "[0004] Green");
    expectDrawing(viewer, all(kGreen), "the next texture");

    auto* cube = dynamic_cast<TfrmTplEnvironMap*>(open(5, "Sky"));
    ASSERT_NE(cube, nullptr);
    // Straight ahead the back face fills the corners around the lit sphere.
    const QPoint last(cube->GL3DSceneViewer->width() - 5, cube->GL3DSceneViewer->height() - 5);
    expectDrawing(cube->GL3DSceneViewer, {{QPoint(4, 4), kFaceColours[3]}, {last, kFaceColours[3]}},
                  "the cube map");
    expectMainWindowShown("beside a cube map");

    closeAll();
    expectMainWindowShown("after the previews closed");
    EXPECT_TRUE(messages->texts.empty()) << (messages->texts.empty() ? "" : messages->texts[0].toStdString());
}

INSTANTIATE_TEST_SUITE_P(Drivers, PreviewOnDriver, ::testing::ValuesIn(kDrivers),
                         [](const ::testing::TestParamInfo<Driver>& info) { return info.param.name; });
