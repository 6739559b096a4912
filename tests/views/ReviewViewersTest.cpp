// Viewer behaviours checked field by field against the stored layouts: the scene node's alphabetical
// order, the transform window's fixed frame, cut-off EAX settings, space-tree links to missing nodes,
// morph choices that empty the lists below them and key lists of scene nodes and clothing.
#include <gtest/gtest.h>

#include <QDir>
#include <QCheckBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <functional>

#include "PRP_VCL.h"
#include "RowListView.h"
#include "SoundParts.h"
#include "ViewerKit.h"
#include "ViewerTestSupport.h"
#include "unitTplMorphDataSet.h"
#include "unitTplSpaceTree.h"
#include "unitTransformMatrix.h"

using namespace testpages;
using testpages::makeKey;

// Alphabetical order ignores case: a lower-case name does not sort after every upper-case one.
TEST(ReviewSceneNode, TreeIsSortedAlphabeticallyWhateverTheCase) {
    struct Row {
        std::vector<std::string> stored;
        QStringList shown;
    };
    const Row rows[] = {
        {{"zebra", "Apple", "mango", "Banana"}, {"Apple", "Banana", "mango", "zebra"}},
        {{"cLink", "LinkIn", "Beacon"}, {"Beacon", "cLink", "LinkIn"}},
        {{"b_2", "B1", "a"}, {"a", "B1", "b_2"}},
    };
    OpenedWindows windows;
    for (const Family& f : kFamilies)
        for (const Row& row : rows) {
            SCOPED_TRACE(f.name);
            ByteWriter w(f.version, f.major);
            std::vector<TPRPObjectDesc> objects, pool;
            for (const std::string& name : row.stored) {
                objects.push_back(makeKey(1, name));
                pool.push_back(makeKey(1, name));
            }
            w.keyRefs(objects).keyRefs(pool);
            TCustomPRPObjectForm* form = openViewer(0, "Node", w);
            ASSERT_NE(form, nullptr);
            auto* tree = child<TObjRefTreeView>(form, "SceneObjects");
            ASSERT_EQ(topTexts(tree), (QStringList{"Extra Object Pool", "Scene Objects"}));
            EXPECT_EQ(childTexts(tree->topLevelItem(1)), row.shown);
            // The pool's class node holds the same keys, sorted the same way, still opening their keys.
            const QTreeWidgetItem* classNode = tree->topLevelItem(0)->child(0);
            ASSERT_NE(classNode, nullptr);
            EXPECT_EQ(childTexts(classNode), row.shown);
            EXPECT_EQ(PageText(TObjRefTreeView::KeyOf(classNode->child(0))->Name), row.shown[0]);
        }
}

// The transform window sits in a frame without minimise and maximise boxes and cannot be resized.
TEST(ReviewTransformMatrix, ChildFrameIsFixedWithoutMinimiseOrMaximise) {
    QMdiArea area;
    area.resize(1200, 900);
    area.show();
    std::vector<TCustomPRPObjectForm*> forms;
    TCustomPRPObjectForm::SetChildHost([&](TCustomPRPObjectForm* form) {
        forms.push_back(form);
        return area.addSubWindow(form);
    });
    TMatrix44 m = IdentityMatrix44();
    m[0][3] = 5;
    TfrmTransformMatrix* form = OpenTransformMatrix(m);
    TCustomPRPObjectForm::SetChildHost({});
    ASSERT_NE(form->SubWindow(), nullptr);
    QMdiSubWindow* frame = form->SubWindow();
    EXPECT_TRUE(frame->isVisible());
    const Qt::WindowFlags flags = frame->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
    EXPECT_EQ(form->windowTitle(), "Transform Matrix");
    EXPECT_EQ(child<QLineEdit>(form, "tx03")->text(), "5");
    frame->close();
    QApplication::processEvents();
}

// Enabled EAX settings store every field: a field cut off by the end of the data reads as zero, never as
// the value disabled settings take.
TEST(ReviewSoundReader, EnabledEAXCutOffReadsZeroNotTheDisabledDefaults) {
    struct Row {
        size_t keep; // bytes of the enabled settings left
        int16_t room, roomHF;
        bool roomAuto;
        float airAbsorption, lfRatio;
    };
    // Stored: u8 1, i16 -1000, i16 -200, u8 0, u8 2, i16 -3, four f32 from 0.5, then the soft sets.
    const Row rows[] = {
        {1, 0, 0, false, 0, 0},
        {3, -1000, 0, false, 0, 0},
        {7, -1000, -200, false, 0, 0},
        {14, -1000, -200, false, 0.5f, 0},
    };
    for (const Family& f : kFamilies)
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << f.name << " " << row.keep);
            ByteWriter w(f.version, f.major);
            w.u8(1).u16(uint16_t(-1000)).u16(uint16_t(-200)).u8(0).u8(2).u16(uint16_t(-3));
            w.f32(0.5f).f32(1.25f).f32(2).f32(3).u16(10).f32(0.1f).f32(0.2f).f32(0.3f);
            TPlasmaStream s =
                streamOf(Bytes(w.bytes.begin(), w.bytes.begin() + row.keep), f.version, f.major);
            const TEAXSourceSettings e = ReadEAXSourceSettingsPart(s);
            EXPECT_TRUE(e.Enabled);
            EXPECT_EQ(e.Room, row.room);
            EXPECT_EQ(e.RoomHF, row.roomHF);
            EXPECT_EQ(e.RoomAuto, row.roomAuto);
            EXPECT_FALSE(e.RoomHFAuto && row.keep < 7);
            EXPECT_EQ(e.AirAbsorptionFactor, row.airAbsorption);
            EXPECT_EQ(e.SoftStarts.OcclusionLFRatio, row.lfRatio);
            EXPECT_EQ(e.SoftEnds.OcclusionRoomRatio, 0.0f);
            EXPECT_EQ(e.SoftEnds.OcclusionDirectRatio, 0.0f);
        }
}

// A node link that names no line of the leaf list leaves no line selected; the details keep what they
// showed and the bounds link then opens nothing.
TEST(ReviewSpaceTree, LinkToAMissingNodeSelectsNothing) {
    struct Row {
        const char* link;
        int16_t parent, left, right;
        uint16_t root;
    };
    const Row rows[] = {
        {"LChildLink", -1, 7, -1, 0},
        {"RChildLink", -1, -1, 2, 0},
        {"ParentLink", 5, -1, -1, 0},
        {"RootLink", -1, -1, -1, 9},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.link);
        OpenedWindows windows;
        TSpaceTree tree;
        tree.Root = row.root;
        tree.NumLeaves = 2;
        tree.Nodes.resize(2);
        tree.Nodes[0].Flags = 0x1;
        tree.Nodes[0].Parent = row.parent;
        tree.Nodes[0].LeftChild = row.left;
        tree.Nodes[0].RightChild = row.right;
        tree.Nodes[1].Flags = 0x8;
        tree.Nodes[1].Parent = tree.Nodes[1].LeftChild = tree.Nodes[1].RightChild = -1;
        TfrmTplSpaceTree* form = OpenSpaceTree(tree);
        ASSERT_EQ(form->LeafList->SelectedRow(), 0);
        auto* link = child<QLabel>(form, row.link);
        ASSERT_TRUE(link->isEnabled());
        click(link);
        EXPECT_EQ(form->LeafList->SelectedRow(), -1);
        EXPECT_TRUE(child<QCheckBox>(form, "kIsLeaf")->isChecked());
        EXPECT_FALSE(child<QCheckBox>(form, "kEmpty")->isChecked());
        EXPECT_EQ(child<QLabel>(form, "LChildLink")->text(), QString::number(row.left));
        const size_t before = windows.forms.size();
        click(child<QLabel>(form, "WorldBoundsLink"));
        EXPECT_EQ(windows.forms.size(), before);
    }
}

// Choosing an array without deltas, or a delta without spans, leaves nothing of the earlier choice on
// show: the lists below it are empty.
TEST(ReviewMorphDataSet, EmptyChoicesClearTheListsBelowThem) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        w.u32(2);
        // Array 0: delta 0 with one span of one delta and one UVW channel, delta 1 without spans.
        w.u32(2).f32(0.5f).u32(1).u32(1).u32(1);
        w.u16(4).u16(0).f32(1).f32(2).f32(3).f32(0).f32(1).f32(0);
        w.f32(0.25f).f32(0.5f).f32(0.75f);
        w.f32(0.125f).u32(0);
        // Array 1: no deltas.
        w.u32(0);
        auto* form = dynamic_cast<TfrmTplMorphDataSet*>(
            openViewer(f.version == kVersionUru || f.version == kVersionLive ? 271 : 226, "Morph", w));
        ASSERT_NE(form, nullptr);
        ASSERT_EQ(form->DeltaList->RowCount(), 1);
        ASSERT_EQ(form->UVWList->RowCount(), 1);
        EXPECT_EQ(form->Weight->text(), "0.5");

        form->ddMorphDelta->setCurrentIndex(1);
        EXPECT_EQ(form->Weight->text(), "0.125");
        EXPECT_EQ(form->ddSpan->count(), 0);
        EXPECT_EQ(form->DeltaList->RowCount(), 0);
        EXPECT_EQ(form->UVWList->RowCount(), 0);

        form->ddMorphDelta->setCurrentIndex(0);
        ASSERT_EQ(form->DeltaList->RowCount(), 1);
        form->ddMorphArray->setCurrentIndex(1);
        EXPECT_EQ(form->ddMorphDelta->count(), 0);
        EXPECT_EQ(form->ddSpan->count(), 0);
        EXPECT_EQ(form->Weight->text(), "");
        EXPECT_EQ(form->DeltaList->RowCount(), 0);
        EXPECT_EQ(form->UVWList->RowCount(), 0);
    }
}

namespace {

const TPRPObjectDesc kNamed = makeKey(0x4C, "Alpha");
const TPRPObjectDesc kNameless = makeKey(0x4C, "");

// A named key, a present key without a name and an absent one.
void writeThreeKeys(ByteWriter& w) {
    w.u32(3).keyRef(&kNamed).keyRef(&kNameless).keyRef(nullptr);
}
} // namespace

TEST(ReviewKeyLists, SceneNodeAndClothingListPresentKeys) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const bool mystV = IsMystVFamily(f.version);
        ByteWriter w(f.version, f.major);
        writeThreeKeys(w);
        w.u32(0);
        TCustomPRPObjectForm* node = openViewer(0, "Node", w);
        ASSERT_NE(node, nullptr);
        const QStringList names = keyNodeNames(child<TObjRefTreeView>(node, "SceneObjects"));
        EXPECT_EQ(names.size(), mystV ? 3 : 2);
        EXPECT_TRUE(names.contains("Alpha"));

        if (mystV) continue; // clothing items exist in Uru and Live only
        ByteWriter c(f.version, f.major);
        c.safeStr("Shirt").u8(0).u8(1).u8(0).u8(0).safeStr("").safeStr("").u8(0);
        c.u32(1).safeStr("Torso").u8(3);
        c.u8(0).keyRef(&kNamed).u8(1).keyRef(&kNameless).u8(2).keyRef(nullptr);
        c.u8(0).u8(0).u8(0).keyRef(nullptr).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0);
        TCustomPRPObjectForm* item = openViewer(181, "Shirt", c);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(keyNodeNames(child<TObjRefTreeView>(item, "ObjRefs")), (QStringList{"Alpha", ""}));
    }
}
