// Viewers under a larger system font at scale 1 (the font of a 144 dpi desktop), and lists or trees whose
// lines need more room than the viewer's designed size gives them: rows as tall as their text, and lists
// that show every line while the child area has room for them.
#include <QApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcessEnvironment>
#include <QScrollArea>
#include <QScrollBar>

#include "AppTestSupport.h"
#include "PRP_VCL.h"
#include "TestInChild.h"
#include "ViewerKit.h"
#include "unitTplSceneObject.h"

using namespace testpages;

namespace {

constexpr uint16_t kPythonFileModClass = 0xA2;

// A python file modifier with two receivers and `count` parameters of every kind.
ByteWriter pythonModBody(int count) {
    ByteWriter w(kVersionUru);
    writeSynched(w, 0);
    writeWords(w, {});
    const TPRPObjectDesc receiver = makeKey(0x4C, "cRespLinkOut"), book = makeKey(0x7E, "cClickLinkBook");
    w.safeStr("xLinkingBookGUIPopup").u32(2).keyRef(&receiver).keyRef(&book).u32(uint32_t(count));
    for (int i = 0; i < count; ++i) {
        w.u32(uint32_t(i + 1));
        switch (i % 4) {
        case 0:
            w.u32(1).u32(uint32_t(i * 7));
            break;
        case 1:
            w.u32(4).string32("xLinkingBookGUIPopup_Page" + std::to_string(i) + ".");
            break;
        case 2:
            w.u32(7).keyRef(&book);
            break;
        default:
            w.u32(3).u32(1);
            break;
        }
    }
    return w;
}

// A scene object with two of its four interfaces and `interfaces` object interfaces, each of its own class.
ByteWriter sceneObjectBody(int interfaces) {
    ByteWriter w(kVersionUru);
    writeSynched(w, 0);
    const TPRPObjectDesc draw = makeKey(22, "FountainBasin"), coord = makeKey(21, "FountainBasin"),
                         node = makeKey(0, "CityExterior");
    w.keyRef(&draw).keyRef(nullptr).keyRef(&coord).keyRef(nullptr);
    std::vector<TPRPObjectDesc> keys;
    for (int i = 0; i < interfaces; ++i)
        keys.push_back(makeKey(uint16_t(2 + i), "FountainBasinPart" + std::to_string(i)));
    w.keyRefs(keys).keyRefs({makeKey(0x4C, "cRespFountainSplash")}).keyRef(&node);
    return w;
}

// Runs the current test again with the font of a 144 dpi desktop at scale 1; answers whether this run is
// the one to check (the child's).
bool inLargerFont() {
    if (qgetenv("QT_FONT_DPI") == "144") return true;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_FONT_DPI"), QStringLiteral("144"));
    environment.insert(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"), QStringLiteral("0"));
    runCurrentTestInChild(environment, "with a font of 144 dpi");
    return false;
}

class LargerFontTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        TestPage page = emptyPage(kVersionUru, "Age", "Page", 1, 0);
        TestGroup objects(1), mods(kPythonFileModClass);
        objects.objects.emplace_back(makeKey(1, "Fountain", 1), sceneObjectBody(2).bytes);
        objects.objects.emplace_back(makeKey(1, "Crowded", 1), sceneObjectBody(12).bytes);
        mods.objects.emplace_back(makeKey(kPythonFileModClass, "LinkingBook", 1), pythonModBody(11).bytes);
        mods.objects.emplace_back(makeKey(kPythonFileModClass, "Huge", 1), pythonModBody(300).bytes);
        page.groups = {objects, mods};
        form->OpenPRPFile(folder.write("Age_District_Page.prp", page));
        form->show();
        form->resize(1024, 720); // the designed size, on any screen
        settle();
    }
    // The child area as the frames see it.
    QRect childArea() const { return QRect(QPoint(0, 0), form->MdiArea->viewport()->size()); }
};

// The four interface links, each in a row as tall as its text, at least 16 pixels, its icon beside it.
void checkLinkRows(TfrmTplSceneObject* view) {
    const TFixedKeyLink* links[4] = {view->LinkedDrawIf, view->LinkedSimIf, view->LinkedCoordIf,
                                     view->LinkedAudioIf};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(links[i]->text().toStdString());
        EXPECT_GE(links[i]->height(), 16);
        EXPECT_GE(links[i]->height(), links[i]->fontMetrics().height()) << "the text is cut";
        if (i > 0) {
            EXPECT_GE(links[i]->y(), links[i - 1]->geometry().bottom() + 1) << "rows overlap";
        }
        // The icon: left of its link, within the picture box, its middle in the link's row.
        const QRect icon = view->LinkImgs->IconRect(i);
        EXPECT_TRUE(view->LinkImgs->rect().contains(icon));
        const QRect shown(view->LinkImgs->mapTo(view, icon.topLeft()), icon.size());
        const QRect row(links[i]->mapTo(view, QPoint(0, 0)), links[i]->size());
        EXPECT_LE(shown.right(), row.left());
        EXPECT_GE(shown.center().y(), row.top());
        EXPECT_LE(shown.center().y(), row.bottom());
        EXPECT_GE(shown.top(), row.top() - 1);
        EXPECT_LE(shown.bottom(), row.bottom() + 1);
    }
}

// Every line of the list is in view and neither scroll bar shows.
void checkWholeList(const QListWidget* list) {
    EXPECT_FALSE(list->verticalScrollBar()->isVisible());
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    for (int i = 0; i < list->count(); ++i) {
        const QRect line = list->visualItemRect(list->item(i));
        EXPECT_TRUE(list->viewport()->rect().contains(line)) << "line " << i << " is not whole in view";
    }
}

} // namespace

// At the default font the rows keep their 16 pixels and the icons lie at 0, 16, 32 and 48; with a larger
// font each row takes what its text needs and its icon moves with it.
TEST_F(LargerFontTest, SceneObjectLinkRowsHoldTheirTextBesideTheirIcons) {
    const bool larger = qgetenv("QT_FONT_DPI") == "144";
    auto* view = qobject_cast<TfrmTplSceneObject*>(openViewer("Fountain"));
    ASSERT_NE(view, nullptr);
    checkLinkRows(view);
    if (larger) return;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(view->LinkImgs->IconRect(i), QRect(0, 16 * i, 16, 16)) << i;
    inLargerFont();
}

// The parameter list of eleven lines shows them all, with no scroll bar, in a window that still lies within
// the child area.
TEST_F(LargerFontTest, PythonParameterListShowsEveryLineWhereTheAreaHasRoom) {
    if (!inLargerFont()) return;
    TCustomPRPObjectForm* view = openViewer("LinkingBook");
    ASSERT_NE(view, nullptr);
    auto* params = view->findChild<QListWidget*>(QStringLiteral("Params"));
    ASSERT_NE(params, nullptr);
    ASSERT_EQ(params->count(), 11);
    checkWholeList(params);
    EXPECT_TRUE(childArea().contains(view->SubWindow()->geometry()));
    EXPECT_EQ(view->findChild<QScrollArea*>(QStringLiteral("ContentsScroller")), nullptr)
        << "the viewer scrolls its fields";
}

// A list longer than the child area takes the room below its window's place and scrolls the rest: the window
// keeps its cascade place, and its fields do not scroll. A tree grows for the nodes it shows.
TEST_F(LargerFontTest, ListsAndTreesGrowTheirWindowOnlyWithinTheChildArea) {
    TCustomPRPObjectForm* first = openViewer("Fountain");
    ASSERT_NE(first, nullptr);
    const QPoint firstPlace = first->SubWindow()->pos();
    TCustomPRPObjectForm* view = openViewer("Huge");
    ASSERT_NE(view, nullptr);
    QMdiSubWindow* frame = view->SubWindow();
    EXPECT_EQ(frame->pos(),
              firstPlace + QPoint(ChildCascadeStep(form->MdiArea), ChildCascadeStep(form->MdiArea)));
    EXPECT_EQ(frame->geometry().bottom(), childArea().bottom()) << "the list did not take the room below";
    EXPECT_TRUE(childArea().contains(frame->geometry()));
    auto* params = view->findChild<QListWidget*>(QStringLiteral("Params"));
    ASSERT_NE(params, nullptr);
    EXPECT_TRUE(params->verticalScrollBar()->isVisible());
    EXPECT_FALSE(params->horizontalScrollBar()->isVisible()) << "the window did not widen for its lines";
    EXPECT_EQ(view->findChild<QScrollArea*>(QStringLiteral("ContentsScroller")), nullptr);

    form->MdiArea->closeAllSubWindows();
    settle();
    // Twelve interfaces of twelve classes: twelve group nodes, more than the tree's designed height holds.
    TCustomPRPObjectForm* plain = openViewer("Fountain");
    ASSERT_NE(plain, nullptr);
    const QSize designed = plain->SubWindow()->size();
    plain->SubWindow()->close();
    settle();
    auto* crowded = qobject_cast<TfrmTplSceneObject*>(openViewer("Crowded"));
    ASSERT_NE(crowded, nullptr);
    ASSERT_EQ(crowded->ObjRefs1->topLevelItemCount(), 12);
    EXPECT_FALSE(crowded->ObjRefs1->verticalScrollBar()->isVisible());
    EXPECT_FALSE(crowded->ObjRefs2->verticalScrollBar()->isVisible());
    const QRect last = crowded->ObjRefs1->visualItemRect(crowded->ObjRefs1->topLevelItem(11));
    EXPECT_TRUE(crowded->ObjRefs1->viewport()->rect().contains(last));
    EXPECT_GT(crowded->SubWindow()->height(), designed.height());
    EXPECT_EQ(crowded->SubWindow()->width(), designed.width()) << "its names fit the designed width";
}
