// The scene node, scene object and interface viewers, their part windows and the matrix and bounds
// windows: what the user sees after opening an object.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "ViewerTestSupport.h"
#include "unitBounds3Ext.h"
#include "unitTplObjInterface.h"
#include "unitTplSynchedObject.h"
#include "unitTransformMatrix.h"

using namespace testpages;
using testpages::makeKey;

TEST(SceneObjectViewer, LinksTreesAndTheSynchedPartWindow) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    writeSynched(w, 0x10 | 0x04, {"Excl"});
    const TPRPObjectDesc di = makeKey(22, "RockDI"), ci = makeKey(21, "RockCI");
    w.keyRef(&di).keyRef(nullptr).keyRef(&ci).keyRef(nullptr);
    w.keyRefs({makeKey(0x4B, "IfA"), makeKey(0x4B, "IfB")}).keyRefs({makeKey(0x4C, "Mod")});
    const TPRPObjectDesc node = makeKey(0, "Node");
    w.keyRef(&node);
    auto* form = openViewer(1, "Rock", w);
    expectShown(form, {"SynchedObjLink=Synched Object Info (1)", "LinkedDrawIf=DrawInterface",
                       "LinkedAudioIf=AudioInterface", "ObjRefs1=IfA|IfB", "ObjRefs2=Mod"});

    expectShown(windows.follow<TfrmTplSynchedObject>(form, "SynchedObjLink"),
                {"kExcludePersistentState=1", "kDontDirty=0", "kHasConstantNetGroup=1", "SDLLinks=Excl"});
}

TEST(InterfaceViewers, CoordinateMatricesOpenOnTheKeptRecord) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    writeSampleCoordinateInterface(w);
    auto* form = openViewer(21, "RockCI", w);
    expectShown(form, {"Mat2=Parent to Local", "ObjRefs=Child"});

    expectShown(windows.follow<TfrmTransformMatrix>(form, "Mat2"),
                {"tx03=0.5", "tx13=9.99999974737875E-5", "tx23=1.00000002004088E20", "tx33=1"});

    expectShown(windows.follow<TfrmTplObjInterface>(form, "LinkedObjIntf"),
                {"LinkedSceneObject=Rock", "FlagsList=00000040"});
}

TEST(InterfaceViewers, DrawSimulationAndAudio) {
    OpenedWindows windows;
    ByteWriter d(kVersionUru);
    writeSampleDrawInterface(d);
    // An absent key adds no node.
    expectShown(openViewer(22, "RockDI", d), {"DrawKeys=000000AB|00000003", "ObjRefs1=Spans"});

    ByteWriter s(kVersionUru);
    writeSampleSimulationInterface(s);
    expectShown(openViewer(28, "RockSI", s), {"LinkedSimulation=RockPhys", "FlagsList=4000000000|2"});

    ByteWriter a(kVersionUru);
    writeSynched(a, 0);
    writeObjInterface(a, nullptr, {});
    a.keyRef(nullptr);
    expectShown(openViewer(17, "RockAI", a), {"LinkedWinAudible=(none)"});
}

TEST(Bounds3ExtWindow, AxisAlignedShowsNotAvailable) {
    OpenedWindows windows;
    TBounds3Ext aligned;
    aligned.Flags = 0x1 | 0x8;
    aligned.Bounds.BoundsType = 0x2;
    aligned.Bounds.Min = {-1, -2, -3};
    TfrmBounds3Ext* form = OpenBounds3Ext(aligned);
    expectShown(form, {"minY=-2", "kAxisAligned=1", "kIsSphere=1", "kCenterValid=0"});
    int notAvailable = 0;
    for (auto* edit : form->findChildren<QLineEdit*>())
        if (edit->text() == "(N/A)") ++notAvailable;
    EXPECT_EQ(notAvailable, 18);
    for (auto* box : form->FlagsGroup->findChildren<QCheckBox*>())
        EXPECT_EQ(box->isChecked(), box->objectName() == "kAxisAligned") << box->objectName().toStdString();

    TBounds3Ext full;
    full.Flags = 0x400000;
    full.Corner = {7, 8, 9};
    full.Axes[1] = {0, 0.5f, 0};
    full.Dists[2] = {{1.25f, 2.5f}};
    TfrmBounds3Ext* second = OpenBounds3Ext(full);
    expectShown(second, {"cornerZ=9", "axisYY=0.5", "distZY=2.5", "kAxisTwoZero=1"});
}

// Alphabetical order ignores case: a lower-case name does not sort after every upper-case one.
TEST(SceneNodeViewer, TreeIsSortedAlphabeticallyWhateverTheCase) {
    struct Row {
        std::vector<std::string> stored;
        QStringList shown;
    };
    const Row rows[] = {
        {{"zebra", "Apple", "mango", "Banana"}, {"Apple", "Banana", "mango", "zebra"}},
        {{"b_2", "B1", "a"}, {"a", "B1", "b_2"}},
    };
    OpenedWindows windows;
    for (const Row& row : rows) {
        ByteWriter w(kVersionUru);
        std::vector<TPRPObjectDesc> keys;
        for (const std::string& name : row.stored)
            keys.push_back(makeKey(1, name));
        w.keyRefs(keys).keyRefs(keys);
        auto* tree = child<TObjRefTreeView>(openViewer(0, "Node", w), "SceneObjects");
        ASSERT_EQ(topTexts(tree), (QStringList{"Extra Object Pool", "Scene Objects"}));
        EXPECT_EQ(childTexts(tree->topLevelItem(1)), row.shown);
        // The pool's one class node holds the same keys, sorted the same way, still opening their keys.
        const QTreeWidgetItem* classNode = tree->topLevelItem(0)->child(0);
        ASSERT_NE(classNode, nullptr);
        EXPECT_EQ(childTexts(classNode), row.shown);
        EXPECT_EQ(PageText(TObjRefTreeView::KeyOf(classNode->child(0))->Name), row.shown[0]);
    }
}

// The transform window sits in a frame without minimise and maximise boxes and cannot be resized; its
// actions multiply on the right of the shown matrix.
TEST(TransformMatrixWindow, FixedFrameAndActionsAccumulateOnTheShownMatrix) {
    QMdiArea area;
    area.resize(1200, 900);
    area.show();
    TCustomPRPObjectForm::SetChildHost([&](TCustomPRPObjectForm* form) { return area.addSubWindow(form); });
    TfrmTransformMatrix* form = OpenTransformMatrix(IdentityMatrix44());
    TCustomPRPObjectForm::SetChildHost({});
    QMdiSubWindow* frame = form->SubWindow();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    const Qt::WindowFlags flags = frame->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize());

    auto setValues = [form](const char* x, const char* y, const char* z) {
        form->XVal->setText(x);
        form->YVal->setText(y);
        form->ZVal->setText(z);
    };
    setValues("1", "2", "3");
    click(form->DoTranslate);
    expectShown(form, {"tx03=1", "tx23=3"});
    click(form->DoTranslate);
    expectShown(form, {"tx03=2", "tx13=4", "tx23=6"});
    setValues("2", "1", "1");
    click(form->DoScale);
    expectShown(form, {"tx00=2", "tx03=2"}); // scale multiplies on the right
    click(form->DoRotate);
    expectShown(form, {"tx00=2"});

    RecordedMessages messages;
    child<QLineEdit>(form, "YVal")->setText("abc");
    click(form->DoTranslate);
    ASSERT_EQ(messages.texts.size(), 1u);
    expectShown(form, {"tx03=2"});
    EXPECT_EQ(messages.texts[0], "'abc' is not a valid floating point value");
    frame->close();
    QApplication::processEvents();
}

namespace {
// Whether a line edit shows its whole text: with the caret at the end after a repaint, the first
// character still stands where it does when nothing is scrolled.
bool showsWhole(QLineEdit* edit) {
    edit->setCursorPosition(0);
    edit->grab();
    const auto startX = [edit] { return edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(); };
    const int unscrolled = startX();
    edit->setCursorPosition(int(edit->text().size()));
    edit->grab();
    edit->setCursorPosition(0); // asks where the start now stands, before a repaint scrolls back
    const bool whole = startX() == unscrolled;
    edit->grab();
    return whole;
}
} // namespace

// The window cannot be resized, so each cell is as wide as the value it shows needs, in the font the window
// opens with, and keeps its designed width for a short value; a value shows from its sign and first digit.
TEST(TransformMatrixWindow, CellsShowTheirFloatsWhole) {
    const QFont original = QApplication::font();
    for (int pixels : {0, 19}) {
        QFont font = original;
        if (pixels) font.setPixelSize(pixels);
        QApplication::setFont(font);
        SCOPED_TRACE(testing::Message() << "font " << font.toString().toStdString());
        TfrmTransformMatrix form;
        form.show();
        // Floats nearest to the values written: 15 significant digits, with signs, small and large
        // exponents, and the longest plain form ("-0.000" and fifteen digits).
        const float values[16] = {-1.23456789012345E-15f,
                                  -3.1f,
                                  0.866025403784f,
                                  0.1f,
                                  -0.000987654321098765f,
                                  -8.88888888888888E-38f,
                                  -9.87654321098765E14f,
                                  1e15f,
                                  -1.5e-45f,
                                  -3.40282346638529E38f,
                                  -0.00099999f,
                                  -7.77777777777777f,
                                  -2.22222222222222E-22f,
                                  1,
                                  -1,
                                  0};
        TMatrix44 m;
        for (int k = 0; k < 16; ++k)
            m[size_t(k / 4)][size_t(k % 4)] = values[k];
        form.ShowMatrix(m);
        // The caret as filling left it: showsWhole moves it itself.
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                EXPECT_EQ(form.Cells[i][j]->cursorPosition(), 0)
                    << form.Cells[i][j]->objectName().toStdString();
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                QLineEdit* cell = form.Cells[i][j];
                EXPECT_TRUE(showsWhole(cell))
                    << cell->objectName().toStdString() << " \"" << cell->text().toStdString() << "\"";
                EXPECT_GE(cell->width(), 120);
            }
        for (QLineEdit* cell : {form.Cells[3][1], form.Cells[3][2], form.Cells[3][3]})
            EXPECT_EQ(cell->width(), 120)
                << "no room for values it does not show: \"" << cell->text().toStdString() << "\"";
        EXPECT_EQ(form.Cells[0][1]->text(), "-3.09999990463257");
    }
    QApplication::setFont(original);
}

TEST(ViewerKitControls, ColourSwatchAndValueCombo) {
    TColorSwatch swatch(QStringLiteral("paintTest"));
    swatch.SetColor(0x123456);
    EXPECT_EQ(TColorSwatch::ToQColor(0x123456), QColor(0x56, 0x34, 0x12));
    QColor offered;
    TColorSwatch::SetPicker([&](const QColor& initial, QWidget*) -> std::optional<QColor> {
        offered = initial;
        return QColor(255, 0, 1);
    });
    uint32_t reported = 0;
    QObject::connect(&swatch, &TColorSwatch::colorPicked, [&](uint32_t c) { reported = c; });
    click(&swatch);
    TColorSwatch::SetPicker({});
    EXPECT_EQ(offered, QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(swatch.Color(), 0x0100FFu);
    EXPECT_EQ(reported, 0x0100FFu);

    TValueCombo combo(QStringLiteral("Kind"));
    combo.AddValue("Zero", 0);
    combo.AddValue("Five", 5);
    combo.SelectValue(5);
    EXPECT_EQ(combo.currentText(), "Five");
    combo.SelectValue(3);
    EXPECT_EQ(combo.currentIndex(), -1);
}

// A link follows a left-button release over it only: not another button, nor a press dragged off it.
TEST(ViewerKitControls, LinkFollowsOnlyALeftReleaseOverIt) {
    TLinkLabel link(QStringLiteral("Open"), QStringLiteral("link"));
    link.resize(40, 12);
    int clicks = 0;
    QObject::connect(&link, &TLinkLabel::clicked, [&] { ++clicks; });
    auto release = [&](Qt::MouseButton button, QPointF at) {
        QMouseEvent event(QEvent::MouseButtonRelease, at, link.mapToGlobal(at), button, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&link, &event);
    };
    release(Qt::RightButton, QPointF(2, 2));
    release(Qt::LeftButton, QPointF(60, 2));
    EXPECT_EQ(clicks, 0);
    release(Qt::LeftButton, QPointF(2, 2));
    EXPECT_EQ(clicks, 1);
}
