// The drawable-spans, shared-mesh and morph viewers and the geometry sub-view windows: what the user sees
// after opening an object and following its lists and links.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTreeWidget>

#include "GeometryWriters.h"
#include "PRP_VCL.h"
#include "RowListView.h"
#include "ViewerKit.h"
#include "ViewerTestSupport.h"
#include "unitBounds3Ext.h"
#include "unitDISpanIndex.h"
#include "unitGeometrySpan.h"
#include "unitSpans.h"
#include "unitTplDrawableSpans.h"
#include "unitTplGBufferGroup.h"
#include "unitTplMorphDataSet.h"
#include "unitTplSharedMesh.h"
#include "unitTplSpaceTree.h"
#include "unitTransformMatrix.h"

using namespace testpages;
using testpages::makeKey;

namespace {
uint16_t drawableClass(uint16_t version) {
    return IsMystVFamily(version) ? 73 : 76;
}

TfrmTplDrawableSpans* openDrawable(const Family& f, bool withSpaceTree = true) {
    return dynamic_cast<TfrmTplDrawableSpans*>(
        openViewer(drawableClass(f.version), "Spans", drawableBody(f, withSpaceTree)));
}
} // namespace

TEST(DrawableSpansViewer, FlagsListsAndLinksInEveryFamily) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        TfrmTplDrawableSpans* form = openDrawable(f);
        ASSERT_NE(form, nullptr);
        expectShown(form, {"kPropNoDraw=1", "kPropCharacter=1", "kPropSortSpans=0", "kCritStatic=1",
                           "kCritCharacter=1", "kCritSortSpans=0"});
        EXPECT_EQ(form->windowTitle(), IsMystVFamily(f.version) ? "[0049] Spans" : "[004C] Spans");
        // Render level 0x10000002: major FB and minor Default only.
        const char* levels[] = {"kOpaqueMajorLevel",    "kFBMajorLevel",       "kDefRendMajorLevel",
                                "kBlendRendMajorLevel", "kLateRendMajorLevel", "kOpaqueMinorLevel",
                                "kFBMinorLevel",        "kDefRendMinorLevel",  "kBlendRendMinorLevel",
                                "kLateRendMinorLevel"};
        for (const char* level : levels)
            EXPECT_EQ(checked(form, level),
                      QString(level) == "kFBMajorLevel" || QString(level) == "kDefRendMinorLevel")
                << level;

        auto* materials = child<TObjRefTreeView>(form, "MaterialsList");
        ASSERT_EQ(materials->topLevelItemCount(), 1);
        expectShown(form, {"IcicleList1=Icicle 0: 2 triangles|Icicle 1: 2 triangles"});
        EXPECT_EQ(materials->topLevelItem(0)->childCount(), IsUruFamily(f.version) ? 1 : 2)
            << "an absent material adds no node";

        auto* spans = child<TObjRefTreeView>(form, "SpanList");
        ASSERT_EQ(spans->topLevelItemCount(), 2);
        const QTreeWidgetItem* span0 = spans->topLevelItem(0);
        EXPECT_EQ(span0->text(0), "Span #0");
        const QStringList span0Children = childTexts(span0);
        ASSERT_EQ(span0Children.size(), 3);
        EXPECT_EQ(span0Children[0], "Perma Projs");
        EXPECT_EQ(span0Children[1], "Perma Lights");
        EXPECT_EQ(spans->topLevelItem(1)->text(0), "Span #1");
        EXPECT_EQ(childTexts(spans->topLevelItem(1)), QStringList{"Perma Lights"})
            << "an empty key adds no node";

        expectShown(form, {"GSpansList=Span #0 (2)"});
        auto* groups = child<QTreeWidget>(form, "MatGroupList");
        ASSERT_EQ(groups->topLevelItemCount(), 1);
        expectShown(form, {"SpanIndexList=Span Index 0 (3 vertices)", "GBufferGroupList=Group 0"});
        EXPECT_EQ(groups->topLevelItem(0)->text(0), "Mat Group #0");
        EXPECT_EQ(childTexts(groups->topLevelItem(0)),
                  (QStringList{"Local to World", "World to Local", "Local to Bone", "Bone to Local"}));
        EXPECT_TRUE(child<QLabel>(form, "SpaceTreeLink")->isEnabled());
        auto* node = child<QLabel>(form, "SceneNodeLink");
        EXPECT_TRUE(node->isEnabled());
        EXPECT_EQ(node->text(), "Scene Node");
    }
}

TEST(DrawableSpansViewer, IcicleWindow) {
    OpenedWindows windows;
    const Family& f = kFamilies[0];
    TfrmTplDrawableSpans* form = openDrawable(f);
    const size_t before = windows.forms.size();
    form->IcicleList1DblClick();
    EXPECT_EQ(windows.forms.size(), before) << "no row selected: nothing opens";
    form->IcicleList1->SelectRow(1);
    form->IcicleList1DblClick();
    TfrmSpans* icicle = windows.last<TfrmSpans>();
    ASSERT_NE(icicle, nullptr);
    expectShown(icicle, {"SubType=1", "SubFlags=00000094", "NumMatrices=00000011", "LocalUVWChans=0033",
                         "MaxDist=250", "WaterHeight=-3.5", "VLength=00000106", "IStartIdx=00000202"});
    EXPECT_EQ(icicle->windowTitle(), "Span/Icicle");
    auto* faces = child<TRowListView>(icicle, "TriangleList");
    ASSERT_EQ(faces->RowCount(), 2);
    EXPECT_EQ(faces->Text(1, 0), "4");
    EXPECT_EQ(faces->Text(0, 4), "0.5");
    click(child<QLabel>(icicle, "LTWLink"));
    auto* matrix = windows.last<TfrmTransformMatrix>();
    ASSERT_NE(matrix, nullptr);
    expectShown(matrix, {"tx23=3"});
    click(child<QLabel>(icicle, "WorldBoundsLink"));
    auto* bounds = windows.last<TfrmBounds3Ext>();
    ASSERT_NE(bounds, nullptr);
    expectShown(bounds, {"cornerX=5"});

    form->IcicleList1->SelectRow(0);
    form->IcicleList1DblClick();
    TfrmSpans* plain = windows.last<TfrmSpans>();
    expectShown(plain, {"WaterHeight=(N/A)"});
    EXPECT_EQ(child<TRowListView>(plain, "TriangleList")->RowCount(), 0);
}

TEST(DrawableSpansViewer, GeometrySpanWindow) {
    OpenedWindows windows;
    const Family& f = kFamilies[0];
    TfrmTplDrawableSpans* form = openDrawable(f);
    form->GSpansList->SelectRow(0);
    form->GSpansListDblClick();
    TfrmGeometrySpan* span = windows.last<TfrmGeometrySpan>();
    ASSERT_NE(span, nullptr);
    expectShown(span, {"BaseMat=7", "NumMats=2", "MinDist=0.5", "WaterHeight=12.5", "NumInstanceRefs=5",
                       "kUVCount=2", "kSkinWeights=1", "kSkinIndices=1", "kLiteMaterial=0", "kWaterHeight=1",
                       "kRequiresBlending=1", "kInstanced=0"});
    EXPECT_EQ(span->windowTitle(), "Geometry Span");
    auto* vertices = child<TRowListView>(span, "VertexList");
    ASSERT_EQ(vertices->RowCount(), 2);
    const QStringList row0 = {"0",         "(1,2,3)",   "(0,0,1)",   "FF#302010",
                              "80#000000", "FF#FFFFFF", "00#000000", "(0.5,0.25,0) (1,1,1) ",
                              "[ 0.75 ]",  "4"};
    for (int column = 0; column < row0.size(); ++column)
        EXPECT_EQ(vertices->Text(0, column), row0[column]) << column;
    expectShown(span, {"IndexList=0 - 1 - 0|1 - 0 - 1"});
    EXPECT_EQ(vertices->Text(1, 5), "FF#7FFFFF");
    EXPECT_EQ(vertices->Text(1, 6), "FF#000000");
    click(child<QLabel>(span, "MatL2W"));
    EXPECT_EQ(child<QLineEdit>(windows.last<TfrmTransformMatrix>(), "tx13")->text(), "20");
    click(child<QLabel>(span, "BoundsLink"));
    EXPECT_TRUE(child<QCheckBox>(windows.last<TfrmBounds3Ext>(), "kAxisAligned")->isChecked());
}

TEST(DrawableSpansViewer, BufferGroupIndexAndSpaceTreeWindows) {
    OpenedWindows windows;
    const Family& f = kFamilies[0];
    TfrmTplDrawableSpans* form = openDrawable(f);
    form->GBufferGroupList->SelectRow(0);
    form->GBufferGroupListDblClick();
    TfrmTplGBufferGroup* group = windows.last<TfrmTplGBufferGroup>();
    ASSERT_NE(group, nullptr);
    expectShown(group, {"kUVCount=1", "kSkinWeights=0", "kEncoded=0"});
    EXPECT_EQ(group->windowTitle(), "Geometry Buffer Group");
    auto* combo = child<QComboBox>(group, "ddVertBuffer");
    EXPECT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->currentText(), "1");
    auto* vertices = child<TRowListView>(group, "VertexList");
    ASSERT_EQ(vertices->RowCount(), 2);
    expectShown(group, {"IndexList=0 - 1 - 0"});
    EXPECT_EQ(vertices->Text(1, 1), "(1,2,3)");
    EXPECT_EQ(vertices->Text(1, 3), "FF#312010");
    EXPECT_EQ(vertices->Text(1, 4), "(0.5,0.25,1) ");
    EXPECT_EQ(vertices->Text(1, 5), "[ ]");
    EXPECT_EQ(vertices->Text(1, 6), "-");
    EXPECT_EQ(child<TRowListView>(group, "CellList")->Text(0, 3), "2");

    form->SpanIndexList->SelectRow(0);
    form->SpanIndexListDblClick();
    TfrmDISpanIndex* index = windows.last<TfrmDISpanIndex>();
    ASSERT_NE(index, nullptr);
    expectShown(index, {"Flags=00000010", "VertexList=0: 00000005|1: 00000006|2: 00000007"});

    auto* groups = child<QTreeWidget>(form, "MatGroupList");
    groups->setCurrentItem(groups->topLevelItem(0)->child(3));
    form->MatGroupListDblClick();
    EXPECT_EQ(child<QLineEdit>(windows.last<TfrmTransformMatrix>(), "tx30")->text(), "13");

    click(child<QLabel>(form, "SpaceTreeLink"));
    TfrmTplSpaceTree* tree = windows.last<TfrmTplSpaceTree>();
    ASSERT_NE(tree, nullptr);
    expectShown(tree, {"RootLink=2", "NumLeaves=2", "kIsLeaf=1"});
    EXPECT_EQ(tree->windowTitle(), "Space Tree");
    EXPECT_EQ(tree->LeafList->SelectedRow(), 0);
    auto* left = child<QLabel>(tree, "LChildLink");
    EXPECT_EQ(left->text(), "-1");
    EXPECT_FALSE(left->isEnabled());
    click(child<QLabel>(tree, "RootLink"));
    expectShown(tree, {"kIsLeaf=0", "ParentLink=-1"});
    EXPECT_EQ(tree->LeafList->SelectedRow(), 2);
    EXPECT_EQ(left->text(), "0");
    click(child<QLabel>(tree, "RChildLink"));
    EXPECT_EQ(tree->LeafList->SelectedRow(), 1);
    click(child<QLabel>(tree, "WorldBoundsLink"));
    EXPECT_EQ(child<QLineEdit>(windows.last<TfrmBounds3Ext>(), "maxX")->text(), "2");
}

TEST(SharedMeshViewer, SpansMorphLinkAndFlags) {
    OpenedWindows windows;
    const Family& f = kFamilies[0];
    ByteWriter w(f.version, f.major);
    w.u32(2);
    writeGeometrySpan(w, twoVertexSpan());
    writeGeometrySpan(w, SpanSpec{});
    const TPRPObjectDesc morph = makeKey(271, "Morph");
    w.keyRef(IsUruFamily(f.version) ? nullptr : &morph).u32(2);
    auto* form = openViewer(204, "Mesh", w);
    ASSERT_NE(form, nullptr);
    expectShown(form, {"GSpansList=Geometry Span #0 (2)|Geometry Span #1 (0)"});
    auto* link = child<QLabel>(form, "MorphSetLink");
    expectShown(form, {"kDontSaveMorphState=0", "kLayer0GLobalToMod=1"});
    EXPECT_EQ(link->text(), "(none)");
    EXPECT_EQ(link->isEnabled(), !IsUruFamily(f.version));
    auto* mesh = dynamic_cast<TfrmTplSharedMesh*>(form);
    mesh->GSpansList->SelectRow(1);
    mesh->GSpansListDblClick();
    EXPECT_EQ(editText(windows.last<TfrmGeometrySpan>(), "BaseMat"), "7");
}

TEST(MorphDataSetViewer, CombosDeltasAndUVWs) {
    OpenedWindows windows;
    ByteWriter w(kVersionMystV);
    w.u32(1).u32(2);
    w.f32(0.75f).u32(2);
    w.u32(2).u32(3);
    for (int i = 0; i < 2; ++i)
        w.u16(uint16_t(10 + i)).u16(0).f32(1).f32(2.5f).f32(3).f32(0).f32(0).f32(-1);
    for (int i = 0; i < 6; ++i)
        w.f32(float(i)).f32(0).f32(0.5f);
    w.u32(0).u32(0);
    w.f32(0.25f).u32(0);
    auto* form = dynamic_cast<TfrmTplMorphDataSet*>(openViewer(226, "Morph", w));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "[00E2] Morph");
    EXPECT_EQ(form->ddMorphArray->count(), 1);
    EXPECT_EQ(form->ddMorphDelta->count(), 2);
    EXPECT_EQ(form->ddSpan->count(), 2);
    EXPECT_EQ(form->Weight->text(), "0.75");
    EXPECT_EQ(rowTexts(form->DeltaList), (QStringList{"10", "11"}));
    EXPECT_EQ(form->DeltaList->Text(0, 1), "(1, 2.5, 3)");
    EXPECT_EQ(form->DeltaList->Text(0, 2), "(0, 0, -1)");
    EXPECT_EQ(rowTexts(form->UVWList), (QStringList{"(0, 0, 0.5)", "(1, 0, 0.5)", "(2, 0, 0.5)"}));
    form->DeltaList->SelectRow(1);
    EXPECT_EQ(rowTexts(form->UVWList), (QStringList{"(3, 0, 0.5)", "(4, 0, 0.5)", "(5, 0, 0.5)"}));
    form->ddSpan->setCurrentIndex(1);
    EXPECT_EQ(form->DeltaList->RowCount(), 0);
    EXPECT_EQ(form->UVWList->RowCount(), 0);
    form->ddMorphDelta->setCurrentIndex(1);
    EXPECT_EQ(form->Weight->text(), "0.25");
    EXPECT_EQ(form->ddSpan->count(), 0);
}

// A node link that names no line of the leaf list leaves no line selected; the details keep what they
// showed and the bounds link then opens nothing.
TEST(SpaceTreeWindow, LinkToAMissingNodeSelectsNothing) {
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
        expectShown(form, {"kIsLeaf=1", "kEmpty=0"});
        EXPECT_EQ(form->LeafList->SelectedRow(), -1);
        EXPECT_EQ(child<QLabel>(form, "LChildLink")->text(), QString::number(row.left));
        const size_t before = windows.forms.size();
        click(child<QLabel>(form, "WorldBoundsLink"));
        EXPECT_EQ(windows.forms.size(), before);
    }
}

// Choosing an array without deltas, or a delta without spans, leaves nothing of the earlier choice on
// show: the lists below it are empty.
TEST(MorphDataSetViewer, EmptyChoicesClearTheListsBelowThem) {
    OpenedWindows windows;
    const Family& f = kFamilies[0];
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
