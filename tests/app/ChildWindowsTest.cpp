// Viewer windows in the child area: the size they open at once filled, where a new one goes, tiling, the
// page tree's sideways scrolling, and the main window's placement fitted into the screen.
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QVBoxLayout>
#include <QTest>
#include <QTreeWidget>
#include <functional>

#include "AppTestSupport.h"
#include "GuiWriters.h"
#include "LogicWriters.h"
#include "PRPForms.h"
#include "PRP_VCL.h"
#include "Registry.h"
#include "SampleAge.h"
#include "ViewerKit.h"
#include "unitTransformMatrix.h"

using namespace testpages;

namespace {

// The rows in view are measured once the event loop runs; the scroll bars follow on its next turns.
// Names as long as the engine's longest: fifty characters.
std::string longName(const std::string& stem) {
    return stem + std::string(50 - stem.size(), 'x');
}

// A group of sounds with EAX settings, one per name.
TestGroup eaxSounds(const std::vector<std::string>& names) {
    SoundBytes sound;
    sound.eaxEnabled = true;
    ByteWriter body(kVersionUru);
    writeSound(body, sound);
    TestGroup sounds(72);
    uint32_t id = 0;
    for (const std::string& name : names)
        sounds.objects.emplace_back(makeKey(72, name, ++id), body.bytes);
    return sounds;
}

class ChildWindowsTest : public MainFormTest {
protected:
    void openPage(const std::vector<TestGroup>& groups) {
        TestPage page = emptyPage(kVersionUru, "Age", "Page", 1, 0);
        page.groups = groups;
        form->OpenPRPFile(folder.write("Age_District_Page.prp", page));
        form->show();
        QApplication::processEvents();
    }
    TCustomPRPObjectForm* open(const std::string& name, bool hexOnly = false) {
        QTreeWidgetItem* node = findNode(QString::fromStdString(name));
        EXPECT_NE(node, nullptr) << name;
        if (!node) return nullptr;
        TCustomPRPObjectForm* view = form->ShowObject(*form->NodeObject(node), hexOnly);
        QApplication::processEvents();
        return view;
    }
    // Raw views of objects "Blob1".."BlobN".
    void openBlobPage(int count) {
        std::vector<std::string> names;
        for (int i = 1; i <= count; ++i)
            names.push_back("Blob" + std::to_string(i));
        form->OpenPRPFile(folder.write("Age_District_Page.prp",
                                       makePage(kVersionUru, "Age", "Page", 1, 0, {{0x0456, names}})));
        form->show();
        QApplication::processEvents();
    }
    // The child area as the windows may fill it: without the scroll bars that windows reaching past it cause.
    QSize wholeArea() const { return form->MdiArea->contentsRect().size(); }
    int titleBarHeight() const { return form->MdiArea->style()->pixelMetric(QStyle::PM_TitleBarHeight); }
};

// What a user sees of a viewer's contents: each control shows whole in the window, or the window scrolls
// to it; nothing lies past an edge with nothing to show it. Only the bars the contents need show.
void expectContentsWhole(TCustomPRPObjectForm* view) {
    settle();
    auto* scroller = view->findChild<QScrollArea*>(QStringLiteral("ContentsScroller"));
    QWidget* contents = scroller ? scroller->widget() : view;
    const QSize need = contents->minimumSizeHint();
    const QSize shown = scroller ? scroller->viewport()->size() : view->size();
    if (scroller) {
        EXPECT_GE(contents->width(), need.width()) << "the contents scroll to their full width";
        EXPECT_GE(contents->height(), need.height()) << "the contents scroll to their full height";
        EXPECT_EQ(scroller->horizontalScrollBar()->isVisible(), need.width() > shown.width())
            << "contents " << need.width() << " wide in " << shown.width();
        EXPECT_EQ(scroller->verticalScrollBar()->isVisible(), need.height() > shown.height())
            << "contents " << need.height() << " high in " << shown.height();
    } else {
        EXPECT_GE(shown.width(), need.width());
        EXPECT_GE(shown.height(), need.height());
    }
    for (QLineEdit* edit : contents->findChildren<QLineEdit*>()) {
        if (!edit->isVisible()) continue;
        const QRect at(edit->mapTo(contents, QPoint(0, 0)), edit->size());
        EXPECT_TRUE(contents->rect().contains(at))
            << edit->objectName().toStdString() << " at " << at.x() << "," << at.y() << " " << at.width()
            << "x" << at.height() << " in " << contents->width() << "x" << contents->height();
    }
}

// A viewer whose contents need a given size: a block of that size nested in a group, as a viewer's colour
// scheme is. The block is widened after the window is built, as a loader widens the fields it fills.
class SizedViewer : public TCustomPRPObjectForm {
public:
    explicit SizedViewer(QSize need) {
        auto* layout = new QVBoxLayout(this);
        auto* group = new QGroupBox(QStringLiteral("Group"), this);
        auto* groupLayout = new QVBoxLayout(group);
        auto* panel = new QWidget(group);
        auto* grid = new QGridLayout(panel);
        auto* block = new QLineEdit(panel);
        block->setObjectName(QStringLiteral("Block"));
        grid->addWidget(block, 0, 0);
        groupLayout->addWidget(panel);
        layout->addWidget(group);
        resize(200, 100);
        block->setFixedSize(need);
    }
    void open(const std::string& name) {
        TPRPFileObject entry;
        entry.Desc = makeKey(0x0456, name, 1);
        SetObjectInfo(entry);
        settle();
    }
};

} // namespace

// Links carrying long key names widen the window as far as its captions and links need where the child
// area has room for them.
TEST_F(ChildWindowsTest, ViewerOpensAtTheSizeItsFilledFieldsNeed) {
    const TPRPObjectDesc region = makeKey(0x48, longName("SoftRegion"));
    const TPRPObjectDesc buffer = makeKey(0x29, longName("Buffer"));
    const TPRPObjectDesc occlusion = makeKey(0x48, longName("Occlusion"));
    SoundBytes sound;
    sound.softRegion = &region;
    sound.dataBuffer = &buffer;
    sound.softOcclusion = &occlusion;
    ByteWriter soundBody(kVersionUru);
    writeSound(soundBody, sound);
    const TPRPObjectDesc layer = makeKey(6, longName("ProjectionLayer"));
    ByteWriter lightBody(kVersionUru);
    writeSampleLightInfo(lightBody, &layer);
    TestGroup sounds(72), lights(84);
    sounds.objects.emplace_back(makeKey(72, "Birds", 1), soundBody.bytes);
    lights.objects.emplace_back(makeKey(84, "Lamp", 1), lightBody.bytes);
    // The designed main window's child area is narrower than the sound's links.
    form->resize(1280, 900);
    openPage({sounds, lights});

    for (const char* name : {"Birds", "Lamp"}) {
        SCOPED_TRACE(name);
        TCustomPRPObjectForm* view = open(name);
        ASSERT_NE(view, nullptr);
        const QSize need = view->minimumSizeHint();
        EXPECT_GE(view->width(), need.width());
        EXPECT_GE(view->height(), need.height());
        for (QLabel* label : view->findChildren<QLabel*>()) {
            if (!label->isVisible()) continue;
            EXPECT_GE(label->width(), label->sizeHint().width()) << "cut: " << label->text().toStdString();
        }
    }
    EXPECT_EQ(form->MdiArea->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(form->MdiArea->findChild<QScrollArea*>(QStringLiteral("ContentsScroller")), nullptr)
        << "contents that fit do not scroll";
}

// A viewer whose fields need more than a small child area, opened there or tiled into it: the window stays
// inside the area and its contents scroll, every field at its full width, rather than being squeezed over
// each other.
TEST_F(ChildWindowsTest, ContentsLargerThanTheChildAreaScroll) {
    form->resize(640, 420);
    openPage({eaxSounds({"Birds", "Wind"})});
    const auto scrollsWhole = [&](TCustomPRPObjectForm* view) {
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(QRect(QPoint(0, 0), wholeArea()).contains(view->SubWindow()->geometry()));
        auto* scroller = view->findChild<QScrollArea*>(QStringLiteral("ContentsScroller"));
        ASSERT_NE(scroller, nullptr);
        EXPECT_GT(scroller->verticalScrollBar()->maximum() + scroller->horizontalScrollBar()->maximum(), 0);
        for (QLineEdit* edit : view->findChildren<QLineEdit*>())
            if (edit->isVisible()) {
                EXPECT_GE(edit->width(), edit->minimumSizeHint().width()) << edit->objectName().toStdString();
                EXPECT_GE(edit->width(), edit->minimumWidth()) << edit->objectName().toStdString();
            }
    };
    {
        SCOPED_TRACE("opened");
        scrollsWhole(open("Birds"));
    }
    form->resize(1280, 1000);
    QApplication::processEvents();
    TCustomPRPObjectForm* wind = open("Wind");
    ASSERT_NE(wind, nullptr);
    ASSERT_EQ(wind->findChild<QScrollArea*>(QStringLiteral("ContentsScroller")), nullptr) << "room to open";
    form->resize(640, 420);
    QApplication::processEvents();
    form->WindowTileHorizontal->trigger();
    QApplication::processEvents();
    {
        SCOPED_TRACE("tiled");
        scrollsWhole(wind);
    }
}

// A link name far wider than the child area: the viewer opens inside the area, beside the windows open
// before it, and the name is cut with an ellipsis and shown whole in the link's tooltip. Cascade and tiling
// keep every window inside the area.
TEST_F(ChildWindowsTest, ViewerNeverOpensLargerThanTheChildArea) {
    const TPRPObjectDesc region = makeKey(0x48, "Region" + std::string(3000, 'w'));
    SoundBytes sound;
    sound.softRegion = &region;
    ByteWriter soundBody(kVersionUru);
    writeSound(soundBody, sound);
    TestGroup sounds(72), blobs(0x0456);
    sounds.objects.emplace_back(makeKey(72, "Birds", 1), soundBody.bytes);
    for (const char* name : {"Blob1", "Blob2"})
        blobs.objects.emplace_back(makeKey(0x0456, name, 1), Bytes(64, 0x5A));
    openPage({sounds, blobs});
    const QRect area(QPoint(0, 0), wholeArea());
    const auto inside = [&](const char* when) {
        for (QMdiSubWindow* window : form->MdiArea->subWindowList())
            EXPECT_TRUE(area.contains(window->geometry()))
                << when << ": " << window->windowTitle().left(40).toStdString() << " at "
                << window->geometry().x() << "," << window->geometry().y() << " " << window->width() << "x"
                << window->height() << " in " << area.width() << "x" << area.height();
    };

    open("Blob1", true);
    open("Blob2", true);
    TCustomPRPObjectForm* view = open("Birds");
    ASSERT_NE(view, nullptr);
    inside("opened");
    EXPECT_FALSE(form->MdiArea->horizontalScrollBar()->isVisible());
    TKeyLinkLabel* link = nullptr;
    for (TKeyLinkLabel* candidate : view->findChildren<TKeyLinkLabel*>())
        if (candidate->Key().Name == region.Name) link = candidate;
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->text(), PageText(region.Name));
    EXPECT_LT(link->width(), link->sizeHint().width());
    EXPECT_TRUE(link->toolTip() == PageText(region.Name)) << "the whole name in the tooltip";
    // Cut with an ellipsis, not clipped: the label shows as much as fits and ends in the ellipsis.
    const QImage shown = link->grab().toImage();
    int rightmostInk = -1;
    for (int x = 0; x < shown.width(); ++x)
        for (int y = 0; y < shown.height(); ++y)
            if (shown.pixelColor(x, y) != shown.pixelColor(0, 0)) rightmostInk = std::max(rightmostInk, x);
    EXPECT_LT(rightmostInk, link->width() - 1) << "no glyph cut at the edge";
    EXPECT_GT(rightmostInk, link->width() / 2);

    form->WindowCascade->trigger();
    QApplication::processEvents();
    inside("cascaded");
    form->WindowTileVertical->trigger();
    form->WindowCascade->trigger();
    QApplication::processEvents();
    inside("tiled, then cascaded");
    EXPECT_FALSE(form->MdiArea->horizontalScrollBar()->isVisible());
}

// The matrix window's size is fixed by its cells; in a child area smaller than that it keeps to the area,
// and its cells, still whole, scroll into view. A few pixels too narrow, it scrolls sideways only and is as
// much higher as the sideways bar takes.
TEST_F(ChildWindowsTest, MatrixWindowKeepsToASmallChildArea) {
    openBlobPage(1);
    TMatrix44 matrix;
    SetMatrix44Identity(matrix);
    matrix[3][0] = -1.23456789012345e-38f;
    QSize whole;
    for (const std::string room : {"room enough", "a little too narrow", "small"}) {
        SCOPED_TRACE(room);
        if (room == "a little too narrow")
            form->resize(form->width() - (wholeArea().width() - whole.width()) - 20, 1000);
        else
            form->resize(room == "small" ? QSize(640, 420) : QSize(1280, 1000));
        settle();
        TfrmTransformMatrix* view = OpenTransformMatrix(matrix);
        settle();
        QMdiSubWindow* frame = view->SubWindow();
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(QRect(QPoint(0, 0), wholeArea()).contains(frame->geometry()))
            << frame->width() << "x" << frame->height() << " in " << wholeArea().width() << "x"
            << wholeArea().height();
        QLineEdit* corner = view->Cells[3][0];
        EXPECT_GE(corner->width(), FieldWidthFor(corner, corner->text())) << "the cell shows its value whole";
        auto* scroller = view->findChild<QScrollArea*>(QStringLiteral("ContentsScroller"));
        if (room == "room enough") {
            EXPECT_EQ(scroller, nullptr) << "nothing scrolls";
            whole = frame->size();
        } else if (room == "a little too narrow") {
            ASSERT_NE(scroller, nullptr);
            EXPECT_TRUE(scroller->horizontalScrollBar()->isVisible());
            EXPECT_FALSE(scroller->verticalScrollBar()->isVisible());
            EXPECT_EQ(scroller->viewport()->height(), scroller->widget()->height()) << "every row in view";
        } else {
            ASSERT_NE(scroller, nullptr);
            scroller->horizontalScrollBar()->setValue(scroller->horizontalScrollBar()->maximum());
            scroller->verticalScrollBar()->setValue(scroller->verticalScrollBar()->maximum());
            settle();
            const QRect shown = view->Cells[3][3]->rect().translated(
                view->Cells[3][3]->mapTo(scroller->viewport(), QPoint(0, 0)));
            EXPECT_TRUE(scroller->viewport()->rect().contains(shown)) << "the last cell scrolls into view";
        }
        frame->close();
        settle();
    }
}

// A window placed at a cascade step gives up the room it does not need to keep its place; a window whose
// fields need more moves back toward the area's corner, never onto the place of an open window, which it
// would hide; one larger than the area is shrunk to it.
TEST_F(ChildWindowsTest, FramesKeepTheirCascadePlaceWhileTheirFieldsFit) {
    openBlobPage(2);
    QMdiSubWindow* other = open("Blob1", true)->SubWindow();
    QMdiSubWindow* frame = open("Blob2", true)->SubWindow();
    const QSize area(600, 400);
    const int step = ChildCascadeStep(form->MdiArea);
    const QPoint away(590, 390);
    struct Row {
        const char* what;
        QPoint other, place;
        QSize wanted, least;
        QRect expected;
    };
    const Row rows[] = {
        {"fits where it is", away, {50, 40}, {300, 200}, {100, 100}, {50, 40, 300, 200}},
        {"smaller to keep its place", away, {400, 300}, {300, 200}, {150, 80}, {400, 300, 200, 100}},
        {"moved where its least size needs it", away, {500, 350}, {300, 200}, {150, 80}, {450, 320, 150, 80}},
        {"larger than the area", away, {30, 30}, {2000, 900}, {1500, 500}, {0, 0, 600, 400}},
        {"moved back, an open window there",
         {450, 320},
         {500, 350},
         {300, 200},
         {150, 80},
         {450 - step, 320 - step, 150, 80}},
        {"larger than the area, an open window on its corner",
         {0, 0},
         {30, 30},
         {2000, 900},
         {1500, 500},
         {step, step, 600 - step, 400 - step}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        other->move(row.other);
        PlaceChildFrame(frame, row.place, row.wanted, row.least, area);
        EXPECT_EQ(frame->geometry(), row.expected);
    }
}

// The GUI control and dialog viewers hold a colour scheme in a group of its own: they open as large as
// its fields need where the child area has room, and scroll where it has not, on every main window size.
TEST_F(ChildWindowsTest, GuiViewersOpenAsLargeAsTheirNestedFields) {
    ByteWriter control(kVersionUru);
    writeControl(control, fullControl());
    ByteWriter dialog(kVersionUru);
    const TPRPObjectDesc button = makeKey(0xA1, "Btn1");
    writeDialog(dialog, dialogName("KIMini"), {&button}, sampleScheme());
    TestGroup clickMaps(98), dialogs(152);
    clickMaps.objects.emplace_back(makeKey(98, "ClickMap", 1), control.bytes);
    dialogs.objects.emplace_back(makeKey(152, "Dialog", 1), dialog.bytes);
    openPage({clickMaps, dialogs});
    for (const QSize mainWindow : {QSize(1024, 720), QSize(1366, 768), QSize(640, 420)}) {
        form->resize(mainWindow);
        settle();
        for (const char* name : {"ClickMap", "Dialog"}) {
            SCOPED_TRACE(std::to_string(mainWindow.width()) + " " + name);
            TCustomPRPObjectForm* view = open(name);
            ASSERT_NE(view, nullptr);
            expectContentsWhole(view);
            EXPECT_TRUE(QRect(QPoint(0, 0), wholeArea()).contains(view->SubWindow()->geometry()));
            view->SubWindow()->close();
            settle();
        }
    }
}

// A viewer whose contents are wider than the child area, or taller, scrolls that way only: the window
// grows by the scroll bar's thickness where the area has room for it. A viewer larger both ways scrolls
// both ways.
TEST_F(ChildWindowsTest, ContentsScrollingOneWayShowOnlyThatScrollBar) {
    openBlobPage(1);
    const QSize area = wholeArea();
    const struct Row {
        const char* what;
        QSize need;
        bool sideways, down;
    } rows[] = {
        {"wider", {area.width() + 60, area.height() / 3}, true, false},
        {"taller", {area.width() / 3, area.height() + 60}, false, true},
        {"wider, nearly as tall as the area", {area.width() + 60, area.height() - 120}, true, false},
        {"larger both ways", {area.width() + 60, area.height() + 60}, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto* view = new SizedViewer(row.need);
        view->open("Sized");
        auto* scroller = view->findChild<QScrollArea*>(QStringLiteral("ContentsScroller"));
        ASSERT_NE(scroller, nullptr);
        EXPECT_EQ(scroller->horizontalScrollBar()->isVisible(), row.sideways);
        EXPECT_EQ(scroller->verticalScrollBar()->isVisible(), row.down);
        expectContentsWhole(view);
        EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(view->SubWindow()->geometry()));
        view->SubWindow()->close();
        settle();
    }
}

// Viewers larger than the room their cascade step leaves keep the step and are made smaller, every title
// bar in view below and right of the one before, rather than all lying on the area's corner.
TEST_F(ChildWindowsTest, LargeViewersKeepTheirCascadeStep) {
    writeSampleAge(folder.folder().toStdString());
    form->OpenPRPFile(folder.path(QString::fromStdString(samplePages().front().fileName)));
    form->show();
    settle();
    std::vector<QMdiSubWindow*> frames;
    for (const char* name : {"BarkMat", "BarkLayer", "GrassLayer", "GrassMat", "SunLight"}) {
        TCustomPRPObjectForm* view = open(name);
        ASSERT_NE(view, nullptr) << name;
        frames.push_back(view->SubWindow());
    }
    const QRect area(QPoint(0, 0), wholeArea());
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(frames[i]->windowTitle().toStdString());
        EXPECT_TRUE(area.contains(frames[i]->geometry()));
        if (i == 0) continue;
        const QPoint step = frames[i]->pos() - frames[i - 1]->pos();
        EXPECT_GE(step.y(), titleBarHeight()) << "the title bar before stays in view";
        EXPECT_GT(step.x(), 0);
    }
}

// The EAX window opened from a sound viewer on small main windows: below and right of its sound viewer, the
// sound's title bar in view, not over it, and one scroll bar where one will do.
TEST_F(ChildWindowsTest, PartWindowOpensBesideItsViewerOnASmallMainWindow) {
    openPage({eaxSounds({"Birds"})});
    for (const QSize mainWindow : {QSize(800, 600), QSize(780, 560), QSize(700, 520), QSize(640, 480)}) {
        SCOPED_TRACE(std::to_string(mainWindow.width()) + "x" + std::to_string(mainWindow.height()));
        form->resize(mainWindow);
        settle();
        TCustomPRPObjectForm* view = open("Birds");
        ASSERT_NE(view, nullptr);
        auto* link = view->findChild<TLinkLabel*>(QStringLiteral("LinkedEAXSettings"));
        ASSERT_NE(link, nullptr);
        emit link->clicked();
        settle();
        ASSERT_EQ(form->MdiArea->subWindowList().size(), 2);
        QMdiSubWindow* eax = form->MdiArea->subWindowList().back();
        EXPECT_GE(eax->y() - view->SubWindow()->y(), titleBarHeight()) << "the sound's title bar in view";
        EXPECT_GT(eax->x(), view->SubWindow()->x());
        EXPECT_TRUE(QRect(QPoint(0, 0), wholeArea()).contains(eax->geometry()));
        // Contents that scroll one way show the other bar only where the area had no room for the first.
        auto* scroller = eax->widget()->findChild<QScrollArea*>(QStringLiteral("ContentsScroller"));
        if (scroller && scroller->horizontalScrollBar()->isVisible() &&
            scroller->verticalScrollBar()->isVisible()) {
            EXPECT_TRUE(eax->geometry().bottom() + 1 >= wholeArea().height() &&
                        eax->geometry().right() + 1 >= wholeArea().width())
                << "both scroll bars in a frame with room beside it";
        }
        for (QMdiSubWindow* window : form->MdiArea->subWindowList())
            delete window;
        settle();
    }
}

// Forty windows tiled either way: each keeps its title bar readable and a line of its contents in view,
// in a grid where strips or columns would be slivers; together they still fill the area.
TEST_F(ChildWindowsTest, TilingManyWindowsMakesAGridOfUsableWindows) {
    openBlobPage(40);
    for (int i = 1; i <= 40; ++i)
        open("Blob" + std::to_string(i), true);
    const QRect area(QPoint(0, 0), wholeArea());
    const int lowest = titleBarHeight() + form->fontMetrics().height();
    const int narrowest = 4 * titleBarHeight();
    for (QAction* tile : {form->WindowTileHorizontal, form->WindowTileVertical}) {
        SCOPED_TRACE(tile->objectName().toStdString());
        tile->trigger();
        settle();
        QRect covered;
        int summed = 0;
        for (QMdiSubWindow* window : form->MdiArea->subWindowList()) {
            EXPECT_TRUE(area.contains(window->geometry()));
            EXPECT_GE(window->height(), lowest) << window->windowTitle().toStdString();
            EXPECT_GE(window->width(), narrowest) << window->windowTitle().toStdString();
            covered |= window->geometry();
            summed += window->width() * window->height();
        }
        EXPECT_EQ(covered, area);
        EXPECT_EQ(summed, area.width() * area.height()) << "no window over another";
    }
}

// Open A, B, C, close A, open D: D takes A's free place rather than lying exactly over C.
TEST_F(ChildWindowsTest, NewViewerTakesACascadePlaceNoOpenViewerHolds) {
    openBlobPage(5);
    std::vector<QMdiSubWindow*> frames;
    for (const char* name : {"Blob1", "Blob2", "Blob3"})
        frames.push_back(open(name, true)->SubWindow());
    const QPoint a = frames[0]->pos(), b = frames[1]->pos(), c = frames[2]->pos();
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    frames[0]->close();
    QApplication::processEvents();
    const QPoint d = open("Blob4", true)->SubWindow()->pos();
    EXPECT_NE(d, b);
    EXPECT_NE(d, c);
    EXPECT_EQ(d, a) << "the first free place of the cascade";
    // With every place up to C held again, the next one follows C.
    const QPoint e = open("Blob5", true)->SubWindow()->pos();
    EXPECT_EQ(e - c, c - b);
}

// Ten viewers cascaded past the area's edges show its scroll bars; tiled, they fill the area edge to edge
// and the scroll bars go.
TEST_F(ChildWindowsTest, TilingFillsTheWholeChildArea) {
    openBlobPage(10);
    for (int i = 1; i <= 10; ++i)
        open("Blob" + std::to_string(i), true);
    for (QAction* tile : {form->WindowTileHorizontal, form->WindowTileVertical}) {
        SCOPED_TRACE(tile->objectName().toStdString());
        form->WindowCascade->trigger();
        QApplication::processEvents();
        // Windows reaching past the area's corner, as a user's would.
        form->MdiArea->subWindowList().constLast()->move(wholeArea().width() - 50, wholeArea().height() - 50);
        QApplication::processEvents();
        ASSERT_TRUE(form->MdiArea->verticalScrollBar()->isVisible());
        tile->trigger();
        QApplication::processEvents();
        QRect covered;
        for (QMdiSubWindow* window : form->MdiArea->subWindowList())
            covered |= window->geometry();
        EXPECT_EQ(covered, QRect(QPoint(0, 0), wholeArea()));
        EXPECT_FALSE(form->MdiArea->verticalScrollBar()->isVisible());
        EXPECT_FALSE(form->MdiArea->horizontalScrollBar()->isVisible());
    }
}

// A name wider than the tree is shown whole: the column is as wide as the text and the tree scrolls to it,
// also where the name stands far down a long class group.
TEST_F(ChildWindowsTest, PageTreeScrollsSidewaysToALongName) {
    const QString name = QString::fromStdString(longName("Zz_Garden_Lamp_") + longName("_Post"));
    std::vector<std::string> names{name.toStdString()};
    for (int i = 0; i < 1500; ++i)
        names.push_back("Rock" + std::to_string(i));
    form->OpenPRPFile(
        folder.write("Age_District_Page.prp", makePage(kVersionUru, "Age", "Page", 1, 0, {{1, names}})));
    form->show();
    QTreeWidgetItem* node = findNode(name);
    ASSERT_NE(node, nullptr);
    ASSERT_FALSE(node->icon(0).isNull());
    form->PRPTree->expandAll();
    QApplication::processEvents();
    form->PRPTree->scrollToItem(node);
    settle();
    // The sideways scroll bar now takes the bottom row's place: down to it once more.
    form->PRPTree->scrollToItem(node);
    settle();
    const int textWidth = form->PRPTree->fontMetrics().horizontalAdvance(name);
    const QRect row = form->PRPTree->visualItemRect(node);
    ASSERT_TRUE(form->PRPTree->viewport()->rect().contains(QPoint(0, row.center().y())));
    ASSERT_GT(row.left() + textWidth, form->PRPTree->viewport()->width())
        << "the name is wider than the tree";
    EXPECT_GE(row.width(), form->PRPTree->iconSize().width() + textWidth) << "the whole name, nothing elided";
    QScrollBar* sideways = form->PRPTree->horizontalScrollBar();
    EXPECT_TRUE(sideways->isVisible());
    sideways->setValue(sideways->maximum());
    QApplication::processEvents();
    EXPECT_LE(form->PRPTree->visualItemRect(node).right(), form->PRPTree->viewport()->width());

    // The next page's names are short: the column narrows again, to the tree's width.
    form->OpenPRPFile(
        folder.write("Age_District_Other.prp", makePage(kVersionUru, "Age", "Other", 2, 0, {{1, {"Rock"}}})));
    form->PRPTree->expandAll();
    settle();
    EXPECT_EQ(form->PRPTree->columnWidth(0), form->PRPTree->viewport()->width());
    EXPECT_FALSE(sideways->isVisible());
}

// A page short enough to need no scrolling: each node the user opens shows its children's names whole.
TEST_F(ChildWindowsTest, PageTreeWidensToTheNamesOfANodeJustOpened) {
    form->OpenPRPFile(folder.write("Age_District_Page.prp",
                                   makePage(kVersionUru, "Age", "Page", 1, 0,
                                            {{0, {"Node"}}, {1, {"Rock", "A_Rather_Long_Object_Name"}}})));
    form->show();
    settle();
    QTreeWidget* tree = form->PRPTree;
    std::function<void(QTreeWidgetItem*)> openAll = [&](QTreeWidgetItem* node) {
        node->setExpanded(true);
        settle();
        for (int i = 0; i < node->childCount(); ++i) {
            QTreeWidgetItem* child = node->child(i);
            const QRect row = tree->visualItemRect(child);
            EXPECT_GE(row.width(),
                      tree->iconSize().width() + tree->fontMetrics().horizontalAdvance(child->text(0)))
                << child->text(0).toStdString();
            openAll(child);
        }
    };
    ASSERT_EQ(tree->verticalScrollBar()->maximum(), 0);
    openAll(tree->topLevelItem(0));
    EXPECT_EQ(tree->verticalScrollBar()->maximum(), 0) << "a short page";
}

// Every row of the page tree is whole across the view: a double-click beside a name, where no text stands,
// acts on that row's node, and one below the last row does nothing. Tried on a short page, where the names
// are narrower than the tree, and with a name wider than the tree loaded.
TEST_F(ChildWindowsTest, DoubleClickBesideANameActsOnItsRow) {
    QTreeWidget* tree = form->PRPTree;
    const std::string wide = longName("Zz_Garden_Lamp_") + longName("_Post") + longName("_Top");
    for (const std::string& lastName : {std::string("Rock"), wide}) {
        SCOPED_TRACE(lastName.size());
        for (QMdiSubWindow* window : form->MdiArea->subWindowList())
            delete window;
        form->OpenPRPFile(
            folder.write("Age_District_Page.prp", makePage(kVersionUru, "Age", "Page", 1, 0,
                                                           {{0x4C, {"Breeze"}}, {1, {"Lamp", lastName}}})));
        form->show();
        settle();
        QTreeWidgetItem* page = tree->topLevelItem(0);
        ASSERT_NE(page, nullptr);
        const QPoint rightEdge(tree->viewport()->width() - 3, 0);
        auto besideName = [&](QTreeWidgetItem* node) {
            tree->scrollToItem(node);
            settle();
            const QRect row = tree->visualItemRect(node);
            return QPoint(rightEdge.x(), row.center().y());
        };
        // As the system delivers one: press, release, then the second press as a double-click, release.
        auto doubleClick = [&](QPoint at) {
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at);
            settle();
        };
        EXPECT_GE(tree->columnWidth(0), tree->viewport()->width()) << "rows reach the tree's right edge";

        // A page or class row opens and closes as on its name.
        const bool pageOpen = page->isExpanded();
        doubleClick(besideName(page));
        EXPECT_NE(page->isExpanded(), pageOpen);
        if (!page->isExpanded()) doubleClick(besideName(page));
        ASSERT_TRUE(page->isExpanded());
        QTreeWidgetItem* group = findNode(QStringLiteral("plSceneObject"));
        ASSERT_NE(group, nullptr);
        group->parent()->setExpanded(true);
        settle();
        doubleClick(besideName(group));
        EXPECT_TRUE(group->isExpanded());

        // A single click beside a name selects its row; a double-click opens the object.
        QTreeWidgetItem* lamp = findNode(QStringLiteral("Lamp"));
        ASSERT_NE(lamp, nullptr);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, besideName(lamp));
        EXPECT_EQ(tree->currentItem(), lamp);
        doubleClick(besideName(lamp));
        ASSERT_EQ(form->MdiArea->subWindowList().size(), 1);
        EXPECT_TRUE(form->MdiArea->subWindowList().front()->windowTitle().contains(QStringLiteral("Lamp")));

        // Below the last row nothing happens.
        tree->collapseAll();
        settle();
        const QRect last = tree->visualItemRect(page);
        ASSERT_LT(last.bottom() + 10, tree->viewport()->height());
        tree->setCurrentItem(lamp);
        doubleClick(QPoint(rightEdge.x(), last.bottom() + 8));
        doubleClick(QPoint(4, last.bottom() + 8));
        EXPECT_FALSE(page->isExpanded());
        EXPECT_EQ(form->MdiArea->subWindowList().size(), 1);
    }
}

// The frame rectangle is moved into the available area first and shrunk only where it is larger.
TEST(WindowPlacementFit, MovedFirstShrunkOnlyWhenLarger) {
    struct Row {
        const char* what;
        QRect available, placement, expected;
    };
    const QRect fullHd(0, 0, 1920, 1200), halfScaled(0, 0, 960, 600), belowPanel(0, 30, 1920, 1170);
    const Row rows[] = {
        {"on the screen: as it is", fullHd, {40, 50, 700, 500}, {40, 50, 700, 500}},
        {"whole screen: as it is", fullHd, fullHd, fullHd},
        {"on a monitor that is gone", fullHd, {2600, 100, 800, 600}, {1120, 100, 800, 600}},
        {"above and left of the screen", fullHd, {-300, -50, 800, 600}, {0, 0, 800, 600}},
        {"under a panel", belowPanel, {10, 0, 800, 600}, {10, 30, 800, 600}},
        {"past the bottom", fullHd, {100, 900, 800, 600}, {100, 600, 800, 600}},
        {"designed size on a screen scaled by 2", halfScaled, {0, 0, 1024, 720}, halfScaled},
        {"too tall only", fullHd, {100, 100, 800, 1300}, {100, 0, 800, 1200}},
        {"on a second screen", QRect(1920, 0, 1280, 1024), {2000, 20, 700, 500}, {2000, 20, 700, 500}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(FitWindowPlacement(row.placement, row.available), row.expected);
    }
}

// Shown, the main window lies on its screen: a placement stored for a monitor that is gone moves onto it.
TEST(MainFormPlacement, StoredPlacementOffTheScreenIsMovedOntoIt) {
    IsolatedSettings settings;
    CapturingMessages messages;
    QSettings ini(QSettings::IniFormat, QSettings::UserScope, "Kestrum", "Kestrum");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ini.setValue("Software/Kestrum/Left", screen.right() + 700);
    ini.setValue("Software/Kestrum/Top", 20);
    ini.setValue("Software/Kestrum/Width", 600);
    ini.setValue("Software/Kestrum/Height", 400);
    ini.sync();
    TMainForm form;
    form.show();
    EXPECT_TRUE(screen.contains(form.frameGeometry())) << "on the screen";
    EXPECT_EQ(form.size(), QSize(600, 400)) << "moved, not shrunk";
    EXPECT_EQ(form.pos().y(), 20);
}

// A stored placement is outside input: sizes no screen can hold, sizes below the window's least size and
// values that are no whole number never reach the window; it starts on the screen, every time.
TEST(MainFormPlacement, StoredValuesNoScreenCanHoldAreReplaced) {
    struct Row {
        const char* what;
        std::vector<std::pair<const char*, const char*>> values;
        QSize client; // the size the window shows: -1 for the designed, -2 for the screen's
    };
    const Row rows[] = {
        {"widest int", {{"Width", "2147483647"}}, {-2, -1}},
        {"highest int", {{"Height", "2147483647"}}, {-1, -2}},
        {"one below the widest", {{"Width", "2147483646"}, {"Height", "2147483600"}}, {-2, -2}},
        {"past an int", {{"Width", "99999999999"}}, {-1, -1}},
        {"negative", {{"Width", "-2147483000"}}, {-1, -1}},
        {"zero", {{"Width", "0"}, {"Height", "0"}}, {-1, -1}},
        {"no number", {{"Width", "wide"}, {"Left", "left"}}, {-1, -1}},
        {"far positions", {{"Left", "2147483647"}, {"Top", "-2147483648"}}, {-1, -1}},
        {"far position and widest size",
         {{"Left", "2147483647"}, {"Top", "2147483647"}, {"Width", "2147483647"}, {"Height", "2147483647"}},
         {-2, -2}},
    };
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        IsolatedSettings settings;
        CapturingMessages messages;
        {
            QSettings ini(QSettings::IniFormat, QSettings::UserScope, "Kestrum", "Kestrum");
            for (const auto& [name, value] : row.values)
                ini.setValue(QString("Software/Kestrum/") + name, QString(value));
        }
        TMainForm form;
        const QSize designed = form.size();
        const QSize least = form.minimumSizeHint();
        form.show();
        QApplication::processEvents();
        EXPECT_TRUE(screen.contains(form.frameGeometry())) << "on the screen";
        EXPECT_GE(form.width(), least.width());
        EXPECT_GE(form.height(), least.height());
        const QSize edges = form.frameGeometry().size() - form.size();
        const QSize whole = screen.size() - edges;
        EXPECT_EQ(form.width(),
                  row.client.width() == -1 ? std::min(designed.width(), whole.width()) : whole.width());
        EXPECT_EQ(form.height(),
                  row.client.height() == -1 ? std::min(designed.height(), whole.height()) : whole.height());
        form.grab(); // a window of a size no screen holds once crashed in painting
        EXPECT_TRUE(messages.messages.empty());
    }
}
