// The previews and the child area on a Wayland compositor, as the compositor shows them: each preview
// draws its picture, and the area shows its windows as the program holds them, minimized, restored,
// moved, closed and arranged, beside previews as without any.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QWheelEvent>

#include <optional>

#include "GLWin32Viewer.h"
#include "MainUnit.h"
#include "OnCompositor.h"
#include "ShownOnScreen.h"
#include "TexturePreviewSupport.h"
#include "ViewerTestSupport.h"
#include "unitTplEnvironMap.h"
#include "unitTplMipMap.h"

using namespace testpages;

namespace {

constexpr Rgba kRed{255, 0, 0}, kGreen{0, 255, 0}, kYellow{255, 255, 0};

struct Windows {
    const char* name;
    bool previews;
};

const Windows kWindows[] = {{"Previews", true}, {"NoPreviewEverOpened", false}};

void PrintTo(const Windows& windows, std::ostream* out) {
    *out << windows.name;
}

class PreviewOnWayland : public PreviewFixture, public ::testing::WithParamInterface<Windows> {
protected:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("KESTRUM_TEST_OWN_COMPOSITOR")) return;
        ASSERT_EQ(QGuiApplication::platformName(), QLatin1String("wayland"));
        showMainWindow();
        main->showMaximized();
        main->OpenPRPFile(
            writeTexturePage(pages.path(), QStringLiteral("Shore.prp"), kVersionUru,
                             {{"Red", mipmapObject(Kind::RunCoded, 32, 32, 1, solid(kRed), solid(kYellow))},
                              {"Green", mipmapObject(Kind::DXT1, 64, 64, 1, solid(kGreen))}},
                             {{"Sky", cubeMapObject(Kind::Pixels, 8, kFaceColours)}}));
    }

    void trigger(const char* action) {
        QAction* found = main->findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_NE(found, nullptr) << action;
        found->trigger();
    }

    // The child area as the compositor shows it, against the area as the program holds it painted anew:
    // the same pixels everywhere but over the previews, which the paint does not draw; a preview shows its
    // picture wherever no window lies over it: the colour expected, or else its own frame's.
    void expectAreaAsHeld(const char* when) {
        SCOPED_TRACE(when);
        QWidget* area = main->MdiArea->viewport();
        const QImage shown = shownOnCompositor(area);
        const QImage held = area->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), held.size());
        const double ratio = area->devicePixelRatioF();
        QRegion unlike;
        bool anyShown = false;
        int probed = 0;
        for (const auto& [viewer, colour] : drawings) {
            if (!viewer || !viewer->isVisible()) continue;
            anyShown = true;
            const QRect place(viewer->mapTo(area, QPoint(0, 0)), viewer->size());
            unlike += place;
            EXPECT_TRUE(viewer->LastError().isEmpty()) << viewer->LastError().toStdString();
            const QImage frame = colour ? QImage() : viewer->grabFramebuffer();
            for (const QPoint corner : {place.topLeft() + QPoint(4, 4), place.bottomRight() - QPoint(4, 4)}) {
                QWidget* top = area->childAt(corner);
                if (!area->rect().contains(corner) || (top != viewer && !viewer->isAncestorOf(top))) continue;
                ++probed;
                const QColor seen = shown.pixelColor(devicePixel(corner, ratio));
                const QColor expected =
                    colour ? colourOf(*colour)
                           : frame.pixelColor(devicePixel(viewer->mapFrom(area, corner), ratio));
                EXPECT_TRUE(nearColour(seen, expected))
                    << "the picture at " << corner.x() << "," << corner.y() << ": "
                    << seen.name().toStdString() << ", not " << expected.name().toStdString();
            }
        }
        EXPECT_TRUE(!anyShown || probed > 0) << "no corner of a preview in view";
        // A caret may blink between the two.
        QRect differing;
        int count = 0;
        for (int y = 0; y < area->height(); ++y)
            for (int x = 0; x < area->width(); ++x) {
                const QPoint device = devicePixel(QPoint(x, y), ratio);
                if (unlike.contains(QPoint(x, y)) ||
                    nearColour(shown.pixelColor(device), held.pixelColor(device), 24))
                    continue;
                differing |= QRect(x, y, 1, 1);
                ++count;
            }
        EXPECT_LT(count, 200) << count << " pixels differ from the area as held, within " << differing.x()
                              << "," << differing.y() << " " << differing.width() << "x"
                              << differing.height();
    }

    // Each preview's drawing and the colour its corners show; none where the drawing's own frame is taken
    // (a cube map not square shows other faces there).
    std::vector<std::pair<QPointer<engine3d::TGL3DSceneViewer>, std::optional<Rgba>>> drawings;
};

} // namespace

// A texture in colour, then in alpha, a wheel step to the next texture, and a cube map (or, without
// previews, two raw views); then every window minimized, restored, one moved, one closed, and the rest
// tiled and cascaded.
TEST_P(PreviewOnWayland, PreviewsDrawAndTheChildAreaShowsItsWindowsAsHeld) {
    if (!onCompositorOfItsOwn()) return;
    expectAreaAsHeld("before any window");
    if (GetParam().previews) {
        auto* texture = dynamic_cast<TfrmTplMipMap*>(open(4, "Red"));
        ASSERT_NE(texture, nullptr);
        engine3d::TGL3DSceneViewer* viewer = texture->GL3DSceneViewer;
        drawings.emplace_back(viewer, kRed);
        expectAreaAsHeld("the colour");

        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(viewer, &space);
        EXPECT_EQ(texture->IMode->text(), "Alpha");
        drawings.back().second = kYellow;
        expectAreaAsHeld("the alpha");
        QApplication::sendEvent(viewer, &space);

        QWheelEvent wheel(QPointF(4, 4), viewer->mapToGlobal(QPointF(4, 4)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer, &wheel);
        EXPECT_EQ(texture->windowTitle(), "[0004] Green");
        drawings.back().second = kGreen;
        expectAreaAsHeld("the next texture");

        auto* cube = dynamic_cast<TfrmTplEnvironMap*>(open(5, "Sky"));
        ASSERT_NE(cube, nullptr);
        // Straight ahead the back face fills the corners around the lit sphere.
        drawings.emplace_back(cube->GL3DSceneViewer, kFaceColours[3]);
        expectAreaAsHeld("the cube map");
    } else {
        ASSERT_NE(open(4, "Red", true), nullptr);
        ASSERT_NE(open(5, "Sky", true), nullptr);
        expectAreaAsHeld("two raw views");
    }
    const QList<QMdiSubWindow*> windows = main->MdiArea->subWindowList();
    ASSERT_EQ(windows.size(), 2);

    trigger("WindowMinimizeAll");
    expectAreaAsHeld("all minimized");

    for (QMdiSubWindow* window : windows)
        window->showNormal();
    expectAreaAsHeld("all restored");

    // Into the area's far corner, clear of where it stood.
    const QSize area = main->MdiArea->viewport()->size();
    windows[0]->move(area.width() - windows[0]->width(), area.height() - windows[0]->height());
    expectAreaAsHeld("one moved");

    windows[1]->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    expectAreaAsHeld("one closed");

    TCustomPRPObjectForm* again = open(5, "Sky", !GetParam().previews);
    ASSERT_NE(again, nullptr);
    if (auto* cube = dynamic_cast<TfrmTplEnvironMap*>(again))
        drawings.emplace_back(cube->GL3DSceneViewer, kFaceColours[3]);
    for (auto& drawing : drawings)
        drawing.second.reset();
    trigger("WindowTileVertical");
    expectAreaAsHeld("tiled");
    trigger("WindowCascade");
    expectAreaAsHeld("cascaded");
    EXPECT_TRUE(messages->texts.empty()) << (messages->texts.empty() ? "" : messages->texts[0].toStdString());
}

INSTANTIATE_TEST_SUITE_P(Windows, PreviewOnWayland, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<Windows>& info) { return info.param.name; });

namespace {
// The main window is shown by the test itself, where there is no OpenGL.
class PreviewWithoutOpenGL : public PreviewFixture {
protected:
    void SetUp() override {}
};
} // namespace

// Without OpenGL on the compositor a preview opens all the same and says why, naming the settings that may
// be why, in words that can be read whole on the screen.
TEST_F(PreviewWithoutOpenGL, OnWaylandAPreviewSaysWhy) {
    if (!onCompositorOfItsOwn(
            {{QStringLiteral("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION"), QStringLiteral("none")}}))
        return;
    showMainWindow();
    main->showMaximized();
    main->OpenPRPFile(writeTexturePage(pages.path(), QStringLiteral("Shore.prp"), kVersionUru,
                                       {{"Red", mipmapObject(Kind::Pixels, 16, 16, 1, solid(kRed))}}, {}));
    auto* texture = dynamic_cast<TfrmTplMipMap*>(main->ShowObjectByKey(makeKey(4, "Red", 7), false));
    ASSERT_NE(texture, nullptr);
    engine3d::TGL3DSceneViewer* viewer = texture->GL3DSceneViewer;
    const QString& words = viewer->LastError();
    EXPECT_TRUE(words.startsWith(QStringLiteral("OpenGL is not available: the window system \"wayland\"")))
        << words.toStdString();
    for (const char* setting :
         {"QT_WAYLAND_CLIENT_BUFFER_INTEGRATION is \"none\"", "QT_QPA_PLATFORM is \"wayland\""})
        EXPECT_TRUE(words.contains(QString::fromLatin1(setting))) << words.toStdString();
    const QRect room = viewer->rect().adjusted(4, 4, -4, -4);
    const QRect needed =
        viewer->fontMetrics().boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, viewer->LastError());
    EXPECT_TRUE(room.contains(needed)) << "the text needs " << needed.width() << "x" << needed.height();
    // The words reach the screen.
    const QImage shown = shownOnCompositor(viewer);
    ASSERT_FALSE(shown.isNull());
    const QColor background = viewer->palette().color(QPalette::Window);
    int inked = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            inked += !nearColour(shown.pixelColor(x, y), background, 40);
    EXPECT_GT(inked, 100) << "no words on the screen";
}
