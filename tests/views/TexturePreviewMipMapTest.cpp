// The mip-map preview opened from a page through the main window: each kind of texture drawn through
// OpenGL and read back while stepping through the page with the wheel, the colour/alpha switch, a JPEG
// texture, the window's size rules, its files and damaged textures.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <cstring>
#include <filesystem>

#include "GLWin32Viewer.h"
#include "MainUnit.h"
#include "TestFiles.h"
#include "TexturePreviewSupport.h"
#include "ViewerTestSupport.h"
#include "unitTplMipMap.h"

using namespace testpages;

namespace {

constexpr Rgba kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};
constexpr Rgba kBlack{0, 0, 0}, kGrey{128, 128, 128}, kYellow{255, 255, 0};

void expectColour(const QImage& image, int x, int y, Rgba expected, const std::string& where) {
    ASSERT_TRUE(image.rect().contains(x, y)) << where;
    const QColor seen = image.pixelColor(x, y);
    EXPECT_NEAR(seen.red(), expected.r, 8) << where << " at " << x << "," << y;
    EXPECT_NEAR(seen.green(), expected.g, 8) << where << " at " << x << "," << y;
    EXPECT_NEAR(seen.blue(), expected.b, 8) << where << " at " << x << "," << y;
}

void pressSpace(QWidget* target) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(target, &press);
}

// One notch (120 eighths of a degree): down (towards the user) or up.
void turnWheel(QWidget* target, bool down, int eighths = 120) {
    const QPointF at(4, 4);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, down ? -eighths : eighths),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

class MipMapPreview : public PreviewFixture {
protected:
    void openPage(uint16_t version, const std::vector<NamedBody>& textures) {
        main->OpenPRPFile(writeTexturePage(pages.path(), QStringLiteral("Textures.prp"), version, textures));
        ASSERT_EQ(main->LocalPages.size(), 1u);
    }
    TfrmTplMipMap* open(const std::string& name) {
        auto* form =
            dynamic_cast<TfrmTplMipMap*>(main->ShowObjectByKey(testpages::makeKey(4, name, 7), false));
        QApplication::processEvents();
        return form;
    }
    static QImage grab(TfrmTplMipMap* form) {
        QImage image = form->GL3DSceneViewer->grabFramebuffer();
        EXPECT_TRUE(form->GL3DSceneViewer->LastError().isEmpty())
            << form->GL3DSceneViewer->LastError().toStdString();
        return image;
    }
    int windowCount() const { return int(main->MdiArea->subWindowList().size()); }
};

struct ColourCase {
    const char* name;
    Kind kind;
    uint8_t levels;
};

} // namespace

TEST_F(MipMapPreview, SpaceSwitchesBetweenColourAndAlpha) {
    const PixelFn colours = quadrants(16, 16, kRed, kGreen, kBlue, kWhite);
    const PixelFn alpha = quadrants(16, 16, kGrey, kYellow, kWhite, kRed);
    openPage(kVersionUru, {{"WithAlpha", mipmapObject(Kind::RunCoded, 16, 16, 1, colours, alpha)},
                           {"NoAlpha", mipmapObject(Kind::DXT1, 16, 16, 1, colours)}});
    TfrmTplMipMap* form = open("WithAlpha");
    ASSERT_NE(form, nullptr);
    pressSpace(form);
    EXPECT_EQ(form->IMode->text(), "Alpha");
    QImage image = grab(form);
    expectColour(image, 12, 3, kYellow, "alpha top right");
    expectColour(image, 12, 12, kRed, "alpha bottom right");

    // The key also works when it reaches the drawing area, and switches back.
    pressSpace(form->GL3DSceneViewer);
    EXPECT_EQ(form->IMode->text(), "Image");
    expectColour(grab(form), 3, 3, kRed, "colour again");

    // Other keys do nothing.
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(form, &other);
    EXPECT_EQ(form->IMode->text(), "Image");

    // A texture without alpha still switches; its alpha mode shows a bare dark sprite, nothing of the
    // previous texture.
    turnWheel(form, true);
    EXPECT_EQ(form->windowTitle(), "[0004] NoAlpha");
    pressSpace(form);
    EXPECT_EQ(form->IMode->text(), "Alpha");
    image = grab(form);
    for (QPoint p : {QPoint(3, 3), QPoint(12, 12)}) {
        const QColor seen = image.pixelColor(p);
        EXPECT_LT(seen.red() + seen.green() + seen.blue(), 60) << "at " << p.x() << "," << p.y();
    }
    EXPECT_TRUE(messages->texts.empty());
}

TEST_F(MipMapPreview, JpegTextureShowsColourAndAlphaFiles) {
    // Quadrants of 16 x 16 pixels: each a whole JPEG block of its own, so the colours stay clean.
    const PixelFn colours = quadrants(32, 32, kRed, kGreen, kBlue, kWhite);
    const PixelFn alpha = quadrants(32, 32, kGrey, kWhite, kBlack, kGrey);
    openPage(kVersionLive,
             {{"Photo", jpegObject(32, 32, jpegFile(32, 32, colours), jpegFile(32, 32, alpha))}});
    TfrmTplMipMap* form = open("Photo");
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(messages->texts.empty());
    QImage image = grab(form);
    expectColour(image, 8, 8, kRed, "top left");
    expectColour(image, 24, 8, kGreen, "top right");
    expectColour(image, 8, 24, kBlue, "bottom left");
    expectColour(image, 24, 24, kWhite, "bottom right");
    pressSpace(form);
    image = grab(form);
    expectColour(image, 24, 8, kWhite, "alpha top right");
    expectColour(image, 8, 24, kBlack, "alpha bottom left");
}

// Each kind of texture drawn upright in its colours as the wheel steps through the page, in the same window,
// round from the last to the first and back.
TEST_F(MipMapPreview, WheelStepsThroughThePageAndWraps) {
    const ColourCase cases[] = {{"DXT1", Kind::DXT1, 3},
                                {"DXT5", Kind::DXT5, 3},
                                {"Pixels", Kind::Pixels, 5},
                                {"RunCoded", Kind::RunCoded, 1}};
    const PixelFn colours = quadrants(16, 16, kRed, kGreen, kBlue, kWhite);
    std::vector<NamedBody> textures;
    for (const ColourCase& c : cases)
        textures.push_back({c.name, mipmapObject(c.kind, 16, 16, c.levels, colours)});
    openPage(kVersionUru, textures);
    TfrmTplMipMap* form = open("DXT5");
    ASSERT_NE(form, nullptr);
    const int windows = windowCount();
    const std::pair<bool, int> steps[] = {{true, 2},  {true, 3},  {true, 0},
                                          {false, 3}, {false, 2}, {false, 1}};
    for (const auto& [down, index] : steps) {
        const ColourCase& c = cases[index];
        SCOPED_TRACE(c.name);
        turnWheel(form->GL3DSceneViewer, down);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("[0004] ") + c.name);
        EXPECT_EQ(form->MipLvl->text(), QStringLiteral("1/%1").arg(c.levels));
        EXPECT_EQ(windowCount(), windows) << "reloaded in the same window";
        const QImage image = grab(form);
        expectColour(image, 3, 3, kRed, "top left");
        expectColour(image, 12, 3, kGreen, "top right");
        expectColour(image, 3, 12, kBlue, "bottom left");
        expectColour(image, 12, 12, kWhite, "bottom right");
    }
    // Only the shown texture's files are kept in the window's folder.
    EXPECT_EQ(QDir(form->TempFolder()).entryList(QDir::Files), QStringList{"Temp.dds"});
    // Half a notch does nothing yet; the second half steps.
    for (int i = 0; i < 2; ++i) {
        turnWheel(form->ScrollBox->viewport(), true, 60);
        EXPECT_EQ(form->windowTitle(), i == 0 ? "[0004] DXT5" : "[0004] Pixels");
    }
    EXPECT_TRUE(messages->texts.empty());
}

// On a scaled screen the picture is the ratio-1 picture scaled: the texture fills its viewer.
TEST_F(MipMapPreview, PictureScalesWithTheDevicePixelRatio) {
    openPage(kVersionUru, {{"Quadrants", mipmapObject(Kind::Pixels, 64, 64, 1,
                                                      quadrants(64, 64, kRed, kGreen, kBlue, kWhite))}});
    TfrmTplMipMap* form = open("Quadrants");
    ASSERT_NE(form, nullptr);
    const QImage frame = grab(form);
    if (keepFramesForParent({frame})) return;
    if (frame.devicePixelRatio() != 1) GTEST_SKIP() << "the comparison starts from ratio 1";
    ASSERT_EQ(frame.size(), QSize(64, 64));
    struct Sample {
        QPoint at;
        Rgba colour;
    };
    const Sample samples[] = {{{16, 16}, kRed}, {{48, 16}, kGreen}, {{16, 48}, kBlue}, {{48, 48}, kWhite},
                              {{1, 1}, kRed},   {{62, 1}, kGreen},  {{1, 62}, kBlue},  {{62, 62}, kWhite},
                              {{30, 30}, kRed}, {{34, 30}, kGreen}, {{30, 34}, kBlue}, {{34, 34}, kWhite}};
    for (const Sample& s : samples)
        expectColour(frame, s.at.x(), s.at.y(), s.colour, "ratio 1");
    for (double ratio : {1.25, 1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        const std::vector<QImage> scaled = framesAtPixelRatio(ratio, 1);
        ASSERT_EQ(scaled.size(), 1u);
        ASSERT_EQ(scaled[0].size(), QSize(64, 64) * ratio);
        for (const Sample& s : samples) {
            const QPoint at = devicePixel(s.at, ratio);
            expectColour(scaled[0], at.x(), at.y(), s.colour, "scaled");
        }
    }
}

TEST_F(MipMapPreview, TextureOfAGlobalPageDoesNotStep) {
    openPage(kVersionUru, {{"First", mipmapObject(Kind::Pixels, 16, 16, 1, solid(kRed))},
                           {"Second", mipmapObject(Kind::Pixels, 16, 16, 1, solid(kGreen))}});
    main->GlobalPages = std::move(main->LocalPages);
    main->LocalPages.clear();
    TfrmTplMipMap* form = open("First");
    ASSERT_NE(form, nullptr);
    turnWheel(form, true);
    EXPECT_EQ(form->windowTitle(), "[0004] First");
    expectColour(grab(form), 8, 8, kRed, "still the first texture");
}

// At most 512 x 512 of client area, the tool strip above the picture, at least 64 x 64 and as wide as the
// tool strip; where the strip and the picture do not fit, the scroll bars show and reach every pixel of
// both. A maximised window keeps its size.
TEST_F(MipMapPreview, WindowSizeFollowsTheTexture) {
    struct SizeCase {
        const char* name;
        uint32_t width, height;
        QSize client; // a width of 0: the tool strip's
        bool horizontalBar, verticalBar;
    };
    const int bar = QScrollBar(Qt::Vertical).sizeHint().width();
    const SizeCase cases[] = {
        {"Wide", 1024, 512, {512, 512}, true, true},
        {"Square", 512, 512, {512, 512}, true, true},
        {"Flat", 1024, 256, {512, 280 + bar}, true, false},
        {"Tall", 256, 1024, {256 + bar, 512}, false, true},
        {"Middle", 256, 256, {256, 280}, false, false},
        {"Narrow", 32, 1024, {0, 512}, false, true},
        {"Tiny", 16, 16, {0, 64}, false, false},
    };
    std::vector<NamedBody> textures;
    for (const SizeCase& c : cases)
        textures.push_back({c.name, mipmapObject(Kind::Pixels, c.width, c.height, 1, solid(kGreen))});
    openPage(kVersionUru, textures);
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TfrmTplMipMap* form = open(c.name);
        ASSERT_NE(form, nullptr);
        QApplication::processEvents();
        const int strip = form->ToolStrip->sizeHint().width();
        EXPECT_EQ(form->GL3DSceneViewer->size(), QSize(int(c.width), int(c.height)));
        QSize client = c.client;
        if (client.width() == 0) client.setWidth(strip + (c.verticalBar ? bar : 0));
        EXPECT_EQ(form->size(), client);
        QScrollBar* across = form->ScrollBox->horizontalScrollBar();
        QScrollBar* down = form->ScrollBox->verticalScrollBar();
        EXPECT_EQ(across->isVisible(), c.horizontalBar);
        EXPECT_EQ(down->isVisible(), c.verticalBar);
        // Scrolled to the start, the whole tool strip shows: the mode as well as the level.
        QWidget* viewport = form->ScrollBox->viewport();
        const QRect mode(form->IMode->mapTo(viewport, QPoint(0, 0)), form->IMode->size());
        EXPECT_TRUE(viewport->rect().contains(mode)) << "the mode shows";
        EXPECT_TRUE(viewport->rect().contains(form->ToolStrip->mapTo(viewport, QPoint(0, 0))));
        // Scrolled to the end, so does the picture's last pixel.
        across->setValue(across->maximum());
        down->setValue(down->maximum());
        QApplication::processEvents();
        const QPoint last =
            form->GL3DSceneViewer->mapTo(viewport, QPoint(int(c.width) - 1, int(c.height) - 1));
        EXPECT_TRUE(viewport->rect().contains(last)) << last.x() << "," << last.y();
        // The picture fills the drawing area: its corners are its own.
        const QImage image = grab(form);
        expectColour(image, 0, 0, kGreen, "first pixel");
        expectColour(image, int(c.width) - 1, int(c.height) - 1, kGreen, "last pixel");
        form->SubWindow()->close();
        QApplication::processEvents();
    }
    // A maximised window keeps its size whatever the next texture's.
    TfrmTplMipMap* form = open("Tiny");
    ASSERT_NE(form, nullptr);
    form->SubWindow()->showMaximized();
    QApplication::processEvents();
    const QSize maximised = form->size();
    turnWheel(form, false);
    EXPECT_EQ(form->windowTitle(), "[0004] Narrow");
    EXPECT_EQ(form->size(), maximised);
    EXPECT_EQ(form->GL3DSceneViewer->size(), QSize(32, 1024));

    // Cascaded through the Window menu, a small texture's window still shows its whole tool strip.
    form->SubWindow()->showNormal();
    turnWheel(form, true);
    EXPECT_EQ(form->windowTitle(), "[0004] Tiny");
    main->WindowCascade->trigger();
    QApplication::processEvents();
    QWidget* viewport = form->ScrollBox->viewport();
    EXPECT_TRUE(
        viewport->rect().contains(QRect(form->IMode->mapTo(viewport, QPoint(0, 0)), form->IMode->size())));
}

TEST_F(MipMapPreview, ClosingRemovesTheFiles) {
    openPage(kVersionUru, {{"WithAlpha", mipmapObject(Kind::RunCoded, 8, 8, 1, solid(kRed), solid(kWhite))}});
    TfrmTplMipMap* first = open("WithAlpha");
    TfrmTplMipMap* second = open("WithAlpha");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    // Each window keeps its files in a folder of its own under the same names.
    EXPECT_NE(first->TempFolder(), second->TempFolder());
    EXPECT_EQ(QDir(first->TempFolder()).entryList(QDir::Files), (QStringList{"Temp.dds", "TempA.dds"}));
    const std::string colourFile = second->ColorFileName, alphaFile = second->AlphaFileName;
    first->SubWindow()->close();
    QApplication::processEvents();
    EXPECT_TRUE(std::filesystem::exists(colourFile)) << "closing one preview leaves the other's files";
    second->SubWindow()->close();
    QApplication::processEvents();
    EXPECT_FALSE(std::filesystem::exists(colourFile));
    EXPECT_FALSE(std::filesystem::exists(alphaFile));
}

TEST_F(MipMapPreview, DamagedTexturesShowAMessageAndClose) {
    // A DXT1 picture whose data holds one block of the sixteen its size needs: the file is written, the
    // picture cannot be read from it. A body that states more pixel bytes than the object holds: the body
    // itself cannot be read.
    ByteWriter shortData;
    writeBitmapHeader(shortData, Kind::DXT1);
    shortData.u32(16).u32(16).u32(0).u32(8).u8(1).u32(0xF800F800).u32(0);
    Bytes truncated = mipmapObject(Kind::Pixels, 16, 16, 1, solid(kRed));
    truncated.resize(truncated.size() - 100);
    openPage(kVersionUru, {{"ShortData", shortData.bytes}, {"Truncated", truncated}});

    for (const char* name : {"ShortData", "Truncated"}) {
        SCOPED_TRACE(name);
        messages->texts.clear();
        QPointer<TfrmTplMipMap> broken = open(name);
        ASSERT_FALSE(broken.isNull());
        EXPECT_EQ(messages->texts, (std::vector<QString>{"Error loading image."}));
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(broken.isNull()) << "the window closes";
    }
}

// A temporary file the disk has no room for is an image that cannot be loaded, whichever of the two
// fails; the message names the file and the system's reason, so that the user looks at the disk, not the
// page. The failed files do not stay. A cut alpha JPEG would only be told as a damaged picture.
TEST_F(MipMapPreview, TemporaryFilesThatCannotBeWrittenSayWhyAndClose) {
    const PixelFn noise = [](uint32_t x, uint32_t y) {
        const uint32_t v = (x * 2654435761u) ^ (y * 40503u);
        return Rgba{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)};
    };
    const Bytes smallJpeg = jpegFile(8, 8, solid(kRed));
    const Bytes largeJpeg = jpegFile(128, 128, noise);
    ASSERT_LT(smallJpeg.size(), 2048u);
    ASSERT_GT(largeJpeg.size(), 4096u);
    openPage(kVersionUru, {{"LargeColour", mipmapObject(Kind::Pixels, 64, 64, 1, solid(kRed))},
                           {"LargeAlpha", jpegObject(128, 128, smallJpeg, largeJpeg)}});

    for (const auto& [textureName, failed] :
         {std::pair{"LargeColour", "Temp.dds"}, std::pair{"LargeAlpha", "TempA.jpg"}}) {
        // A lambda takes a copy, not the structured binding itself, which not every compiler captures.
        const char* const name = textureName;
        SCOPED_TRACE(name);
        messages->texts.clear();
        QPointer<TfrmTplMipMap> broken = withFileSizeLimit(2048, [&] { return open(name); });
        ASSERT_FALSE(broken.isNull());
        const QString why = QStringLiteral("Cannot write file \"%1\". %2")
                                .arg(QDir(broken->TempFolder()).filePath(QString::fromLatin1(failed)),
                                     QString::fromLocal8Bit(std::strerror(EFBIG)));
        ASSERT_EQ(messages->texts.size(), 1u);
        EXPECT_EQ(messages->texts[0].toStdString(), ("Error loading image.\n" + why).toStdString());
        EXPECT_EQ(QDir(broken->TempFolder()).entryList(QDir::Files), QStringList{});
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(broken.isNull()) << "the window closes";
    }
}
