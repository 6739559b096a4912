// The drawable-spans, shared-mesh and morph viewers and the geometry sub-view windows: what the user sees
// after opening an object and following its lists and links.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTreeWidget>
#include <clocale>

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
TfrmTplDrawableSpans* openDrawable(const Family& f) {
    return dynamic_cast<TfrmTplDrawableSpans*>(
        openViewer(IsMystVFamily(f.version) ? 73 : 76, "Spans", drawableBody(f)));
}
} // namespace

// The viewer has no family branch of its own (absent keys are the reader's): one family.
TEST(DrawableSpansViewer, FlagsListsAndLinks) {
    OpenedWindows windows;
    TfrmTplDrawableSpans* form = openDrawable(kFamilies[0]);
    ASSERT_NE(form, nullptr);
    // Render level 0x10000002: major FB and minor Default. An absent material adds no node.
    expectShown(form, {"kPropNoDraw=1", "kPropSortSpans=0", "kCritCharacter=1", "kCritSortSpans=0",
                       "kOpaqueMajorLevel=0", "kFBMajorLevel=1", "kFBMinorLevel=0", "kDefRendMinorLevel=1",
                       "IcicleList1=Icicle 0: 2 triangles|Icicle 1: 2 triangles", "GSpansList=Span #0 (2)",
                       "SpanIndexList=Span Index 0 (3 vertices)", "GBufferGroupList=Group 0",
                       "SceneNodeLink=Scene Node", "MaterialsList=Stone"});
    auto* spans = child<TObjRefTreeView>(form, "SpanList");
    EXPECT_EQ(topTexts(spans), (QStringList{"Span #0", "Span #1"}));
    ASSERT_EQ(spans->topLevelItemCount(), 2);
    EXPECT_EQ(childTexts(spans->topLevelItem(0)).mid(0, 2), (QStringList{"Perma Projs", "Perma Lights"}));
    EXPECT_EQ(childTexts(spans->topLevelItem(1)), QStringList{"Perma Lights"}) << "an empty key adds no node";
    auto* groups = child<QTreeWidget>(form, "MatGroupList");
    EXPECT_EQ(topTexts(groups), QStringList{"Mat Group #0"});
    EXPECT_EQ(childTexts(groups->topLevelItem(0)),
              (QStringList{"Local to World", "World to Local", "Local to Bone", "Bone to Local"}));
    EXPECT_TRUE(child<QLabel>(form, "SpaceTreeLink")->isEnabled());
}

// The icicle, geometry span, buffer group, span index, matrix and space tree windows the lists and links
// of one drawable open.
TEST(DrawableSpansViewer, SubViewWindows) {
    OpenedWindows windows;
    TfrmTplDrawableSpans* form = openDrawable(kFamilies[0]);
    ASSERT_NE(form, nullptr);
    const size_t before = windows.forms.size();
    form->IcicleList1DblClick();
    EXPECT_EQ(windows.forms.size(), before) << "no row selected: nothing opens";
    form->IcicleList1->SelectRow(1);
    form->IcicleList1DblClick();
    TfrmSpans* icicle = windows.last<TfrmSpans>();
    expectShown(icicle, {"SubType=1", "SubFlags=00000094", "NumMatrices=00000011", "LocalUVWChans=0033",
                         "MaxDist=250", "WaterHeight=-3.5", "VLength=00000106", "IStartIdx=00000202",
                         "TriangleList=1|4"});
    EXPECT_EQ(child<TRowListView>(icicle, "TriangleList")->Text(0, 4), "0.5");
    expectShown(windows.follow<TfrmTransformMatrix>(icicle, "LTWLink"), {"tx23=3"});
    expectShown(windows.follow<TfrmBounds3Ext>(icicle, "WorldBoundsLink"), {"cornerX=5.125"});
    form->IcicleList1->SelectRow(0);
    form->IcicleList1DblClick();
    expectShown(windows.last<TfrmSpans>(), {"WaterHeight=(N/A)", "TriangleList="});

    form->GSpansList->SelectRow(0);
    form->GSpansListDblClick();
    TfrmGeometrySpan* span = windows.last<TfrmGeometrySpan>();
    expectShown(span, {"BaseMat=7", "NumMats=2", "MinDist=0.5", "WaterHeight=12.5", "NumInstanceRefs=5",
                       "kUVCount=2", "kSkinWeights=1", "kLiteMaterial=0", "kWaterHeight=1", "kInstanced=0",
                       "IndexList=0 - 1 - 0|1 - 0 - 1"});
    auto* vertices = child<TRowListView>(span, "VertexList");
    const QStringList row0 = {"0",         "(1,2,3)",   "(0,0,1)",   "FF#302010",
                              "80#000000", "FF#FFFFFF", "00#000000", "(0.5,0.25,0) (1,1,1) ",
                              "[ 0.75 ]",  "4"};
    for (int column = 0; column < row0.size(); ++column)
        EXPECT_EQ(vertices->Text(0, column), row0[column]) << column;
    EXPECT_EQ(vertices->Text(1, 5), "FF#7FFFFF");
    expectShown(windows.follow<TfrmTransformMatrix>(span, "MatL2W"), {"tx13=20"});
    expectShown(windows.follow<TfrmBounds3Ext>(span, "BoundsLink"), {"kAxisAligned=1"});

    form->GBufferGroupList->SelectRow(0);
    form->GBufferGroupListDblClick();
    TfrmTplGBufferGroup* group = windows.last<TfrmTplGBufferGroup>();
    expectShown(group,
                {"kUVCount=1", "kSkinWeights=0", "kEncoded=0", "ddVertBuffer=1", "IndexList=0 - 1 - 0"});
    vertices = child<TRowListView>(group, "VertexList");
    ASSERT_EQ(vertices->RowCount(), 2);
    const QStringList row1 = {"1", "(1,2,3)", "(0,0,1)", "FF#312010", "(0.5,0.25,1) ", "[ ]", "-"};
    for (int column = 1; column < row1.size(); ++column)
        EXPECT_EQ(vertices->Text(1, column), row1[column]) << column;
    EXPECT_EQ(child<TRowListView>(group, "CellList")->Text(0, 3), "2");

    form->SpanIndexList->SelectRow(0);
    form->SpanIndexListDblClick();
    expectShown(windows.last<TfrmDISpanIndex>(),
                {"Flags=00000010", "VertexList=0: 00000005|1: 00000006|2: 00000007"});

    auto* groups = child<QTreeWidget>(form, "MatGroupList");
    groups->setCurrentItem(groups->topLevelItem(0)->child(3));
    form->MatGroupListDblClick();
    expectShown(windows.last<TfrmTransformMatrix>(), {"tx30=13"});

    TfrmTplSpaceTree* tree = windows.follow<TfrmTplSpaceTree>(form, "SpaceTreeLink");
    ASSERT_NE(tree, nullptr);
    expectShown(tree, {"RootLink=2", "NumLeaves=2", "kIsLeaf=1", "LChildLink=-1"});
    EXPECT_EQ(tree->LeafList->SelectedRow(), 0);
    EXPECT_FALSE(child<QLabel>(tree, "LChildLink")->isEnabled());
    click(child<QLabel>(tree, "RootLink"));
    expectShown(tree, {"kIsLeaf=0", "ParentLink=-1", "LChildLink=0"});
    EXPECT_EQ(tree->LeafList->SelectedRow(), 2);
    click(child<QLabel>(tree, "RChildLink"));
    EXPECT_EQ(tree->LeafList->SelectedRow(), 1);
    expectShown(windows.follow<TfrmBounds3Ext>(tree, "WorldBoundsLink"), {"maxX=2"});
}

TEST(GBufferGroupWindow, EmptyBuffersShowNotAvailableAndOddIndicesAreReported) {
    OpenedWindows windows;
    RecordedMessages messages;
    TGBufferGroup group;
    group.Format = 0xD2;
    group.IndexBuffers = {{1, 2}};
    TfrmTplGBufferGroup* form = OpenGBufferGroup(group);
    ASSERT_NE(form, nullptr);
    auto* combo = child<QComboBox>(form, "ddVertBuffer");
    EXPECT_EQ(combo->currentText(), "N/A");
    EXPECT_FALSE(combo->isEnabled());
    EXPECT_FALSE(child<TRowListView>(form, "VertexList")->isEnabled());
    EXPECT_FALSE(child<QComboBox>(form, "ddCellBuffer")->isEnabled());
    expectShown(form, {"kEncoded=1", "kSkinIndices=1", "kSkinWeights=1"});
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Got odd Index Count!");
    EXPECT_EQ(child<TRowListView>(form, "IndexList")->RowCount(), 0);
}

TEST(SharedMeshViewer, SpansMorphLinkAndFlags) {
    OpenedWindows windows;
    auto* form =
        dynamic_cast<TfrmTplSharedMesh*>(openViewer(204, "Mesh", sharedMeshBody(kFamilies[0], nullptr, 2)));
    ASSERT_NE(form, nullptr);
    expectShown(form, {"GSpansList=Geometry Span #0 (2)|Geometry Span #1 (0)", "kDontSaveMorphState=0",
                       "kLayer0GLobalToMod=1", "MorphSetLink=(none)"});
    form->GSpansList->SelectRow(1);
    form->GSpansListDblClick();
    expectShown(windows.last<TfrmGeometrySpan>(), {"BaseMat=7"});
}

// Choosing an array without deltas, or a delta without spans, leaves nothing of the earlier choice on
// show: the lists below it are empty.
TEST(MorphDataSetViewer, CombosDeltasUVWsAndEmptyChoices) {
    OpenedWindows windows;
    auto* form =
        dynamic_cast<TfrmTplMorphDataSet*>(openViewer(226, "Morph", morphBody({kVersionMystV, 0, ""})));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->ddMorphArray->count(), 2);
    EXPECT_EQ(form->ddMorphDelta->count(), 2);
    EXPECT_EQ(form->ddSpan->count(), 2);
    expectShown(form, {"Weight=0.75", "DeltaList=10|11", "UVWList=(0, 0, 0.5)|(1, 0, 0.5)|(2, 0, 0.5)"});
    EXPECT_EQ(form->DeltaList->Text(0, 1), "(1, 2.5, 3)");
    EXPECT_EQ(form->DeltaList->Text(0, 2), "(0, 0, -1)");
    form->DeltaList->SelectRow(1);
    expectShown(form, {"UVWList=(3, 0, 0.5)|(4, 0, 0.5)|(5, 0, 0.5)"});
    form->ddSpan->setCurrentIndex(1);
    expectShown(form, {"DeltaList=", "UVWList="});

    form->ddSpan->setCurrentIndex(0);
    ASSERT_EQ(form->UVWList->RowCount(), 3);
    form->ddMorphDelta->setCurrentIndex(1);
    EXPECT_EQ(form->ddSpan->count(), 0);
    expectShown(form, {"Weight=0.25", "DeltaList=", "UVWList="});

    form->ddMorphDelta->setCurrentIndex(0);
    ASSERT_EQ(form->DeltaList->RowCount(), 2);
    form->ddMorphArray->setCurrentIndex(1);
    EXPECT_EQ(form->ddMorphDelta->count(), 0);
    EXPECT_EQ(form->ddSpan->count(), 0);
    expectShown(form, {"Weight=", "DeltaList=", "UVWList="});
}

// A node link that names no line of the leaf list leaves no line selected; the details keep what they
// showed and the bounds link then opens nothing. (Every node link goes through the same look-up; the parent
// link has a handler of its own.)
TEST(SpaceTreeWindow, LinkToAMissingNodeSelectsNothing) {
    struct Row {
        const char* link;
        int16_t parent, left;
    };
    const Row rows[] = {
        {"LChildLink", -1, 7},
        {"ParentLink", 5, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.link);
        OpenedWindows windows;
        TSpaceTree tree;
        tree.Root = 0;
        tree.NumLeaves = 2;
        tree.Nodes.resize(2);
        tree.Nodes[0].Flags = 0x1;
        tree.Nodes[0].Parent = row.parent;
        tree.Nodes[0].LeftChild = row.left;
        tree.Nodes[0].RightChild = -1;
        tree.Nodes[1].Flags = 0x8;
        tree.Nodes[1].Parent = tree.Nodes[1].LeftChild = tree.Nodes[1].RightChild = -1;
        TfrmTplSpaceTree* form = OpenSpaceTree(tree);
        ASSERT_EQ(form->LeafList->SelectedRow(), 0);
        auto* link = child<QLabel>(form, row.link);
        ASSERT_TRUE(link->isEnabled());
        click(link);
        expectShown(form, {"kIsLeaf=1", "kEmpty=0"});
        EXPECT_EQ(shown(form, "LChildLink"), QString::number(row.left));
        EXPECT_EQ(form->LeafList->SelectedRow(), -1);
        const size_t before = windows.forms.size();
        click(child<QLabel>(form, "WorldBoundsLink"));
        EXPECT_EQ(windows.forms.size(), before);
    }
}

// Where the decimal separator is a comma, the parts of a vector are joined with ";" (the list separator
// there), so that (1.5, 25, 3) and (1, 5.25, 3) read apart. The locale must be a real one, which the C
// library and Qt both follow: the test makes it with localedef in its scratch folder and runs itself
// again under it.
TEST(CommaLocale, VectorPartsAreJoinedWithSemicolons) {
    if (qEnvironmentVariableIsEmpty("KESTRUM_COMMA_LOCALE")) {
        const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
        if (localedef.isEmpty())
            GTEST_SKIP() << "localedef (libc-bin) is missing: no comma locale to test in";
        const QString locales = QDir::temp().filePath(QStringLiteral("locales"));
        QDir().mkpath(locales);
        QProcess make;
        make.start(localedef, {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                               QStringLiteral("UTF-8"), locales + QStringLiteral("/de_DE.UTF-8")});
        make.waitForFinished(120000);
        // localedef answers warnings with a non-zero code, yet writes the locale.
        if (!QFileInfo::exists(locales + QStringLiteral("/de_DE.UTF-8/LC_NUMERIC")))
            GTEST_SKIP() << "localedef could not make de_DE.UTF-8 (is the locales package installed?): "
                         << make.readAllStandardError().toStdString();
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KESTRUM_COMMA_LOCALE"), QStringLiteral("1"));
        environment.insert(QStringLiteral("LOCPATH"), locales);
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
        environment.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
        run.setProcessEnvironment(environment);
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--gtest_filter=CommaLocale.VectorPartsAreJoinedWithSemicolons")});
        ASSERT_TRUE(run.waitForFinished(120000));
        const std::string output = run.readAll().toStdString();
        EXPECT_EQ(run.exitCode(), 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
        return;
    }
    ASSERT_EQ(QLocale().decimalPoint(), ",");
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");

    OpenedWindows windows;
    TfrmTplDrawableSpans* form = openDrawable(kFamilies[0]);
    ASSERT_NE(form, nullptr);
    form->GSpansList->SelectRow(0);
    form->GSpansListDblClick();
    auto* vertices = child<TRowListView>(windows.last<TfrmGeometrySpan>(), "VertexList");
    EXPECT_EQ(vertices->Text(0, 1).toStdString(), "(1;2;3)");
    EXPECT_EQ(vertices->Text(0, 7).toStdString(), "(0,5;0,25;0) (1;1;1) ");
    EXPECT_EQ(vertices->Text(0, 8).toStdString(), "[ 0,75 ]");
    form->GBufferGroupList->SelectRow(0);
    form->GBufferGroupListDblClick();
    vertices = child<TRowListView>(windows.last<TfrmTplGBufferGroup>(), "VertexList");
    EXPECT_EQ(vertices->Text(1, 2).toStdString(), "(0;0;1)");
    EXPECT_EQ(vertices->Text(1, 4).toStdString(), "(0,5;0,25;1) ");

    auto* morph =
        dynamic_cast<TfrmTplMorphDataSet*>(openViewer(226, "Morph", morphBody({kVersionMystV, 0, ""})));
    ASSERT_NE(morph, nullptr);
    EXPECT_EQ(morph->DeltaList->Text(0, 1).toStdString(), "(1; 2,5; 3)");
    expectShown(morph, {"Weight=0,75", "UVWList=(0; 0; 0,5)|(1; 0; 0,5)|(2; 0; 0,5)"});
}
