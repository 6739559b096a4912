#include "unitTplDrawableSpans.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "RowListView.h"
#include "ViewerKit.h"
#include "unitDISpanIndex.h"
#include "unitGeometrySpan.h"
#include "unitSpans.h"
#include "unitTplGBufferGroup.h"
#include "unitTplSpaceTree.h"

namespace {
const TViewerRegistrar registrar("TfrmTplDrawableSpans", [] { return new TfrmTplDrawableSpans; });

// The render level: the major level in the top four bits, the minor level in the low 28. The first box
// of each row stands for "no bit set".
struct TLevelBox {
    const char* Name;
    const char* Caption;
    uint32_t Bit;
};
const TLevelBox kMajorLevels[] = {{"kOpaqueMajorLevel", "Opaque", 0},
                                  {"kFBMajorLevel", "FB", 0x10000000},
                                  {"kDefRendMajorLevel", "Default", 0x20000000},
                                  {"kBlendRendMajorLevel", "Blend", 0x40000000},
                                  {"kLateRendMajorLevel", "Late", 0x80000000}};
const TLevelBox kMinorLevels[] = {{"kOpaqueMinorLevel", "Opaque", 0},
                                  {"kFBMinorLevel", "FB", 0x1},
                                  {"kDefRendMinorLevel", "Default", 0x2},
                                  {"kBlendRendMinorLevel", "Blend", 0x4},
                                  {"kLateRendMinorLevel", "Late", 0x8}};
constexpr uint32_t kMajorLevelMask = 0xF0000000;

const char* const kMatrixNames[4] = {"Local to World", "World to Local", "Local to Bone", "Bone to Local"};
constexpr int kMatrixRole = Qt::UserRole + 1;

TLinkLabel* addLink(QBoxLayout* layout, const QString& caption, const QString& name, QWidget* parent) {
    auto* link = new TLinkLabel(caption, name, parent);
    layout->addWidget(link);
    return link;
}

QVBoxLayout* captioned(QBoxLayout* into, const QString& caption, QWidget* control, QWidget* parent) {
    auto* column = new QVBoxLayout;
    column->addWidget(MakeCaption(caption, parent));
    column->addWidget(control, 1);
    into->addLayout(column, 1);
    return column;
}
} // namespace

TfrmTplDrawableSpans::TfrmTplDrawableSpans(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplDrawableSpans"));
    auto* layout = new QVBoxLayout(this);

    auto* flags = new QHBoxLayout;
    PropsGroup = new TFlagBoxGroup(QStringLiteral("Properties"), kDrawableSpansProps, 2, this);
    CriteriaGroup = new TFlagBoxGroup(QStringLiteral("Criteria"), kDrawableSpansCriteria, 1, this);
    RenderLevelGroup = new QGroupBox(QStringLiteral("Render Level"), this);
    auto* levelGrid = new QGridLayout(RenderLevelGroup);
    auto addLevelRow = [&](int row, const QString& caption, const auto& boxes) {
        levelGrid->addWidget(MakeCaption(caption, RenderLevelGroup), row, 0);
        int column = 1;
        for (const TLevelBox& level : boxes) {
            auto* box = new QCheckBox(QString::fromLatin1(level.Caption), RenderLevelGroup);
            box->setObjectName(QString::fromLatin1(level.Name));
            box->setAttribute(Qt::WA_TransparentForMouseEvents);
            box->setFocusPolicy(Qt::NoFocus);
            levelGrid->addWidget(box, row, column++);
        }
    };
    addLevelRow(0, QStringLiteral("Major:"), kMajorLevels);
    addLevelRow(1, QStringLiteral("Minor:"), kMinorLevels);
    flags->addWidget(PropsGroup);
    flags->addWidget(CriteriaGroup);
    flags->addWidget(RenderLevelGroup, 0, Qt::AlignTop);
    flags->addStretch();
    layout->addLayout(flags);

    auto* firstRow = new QHBoxLayout;
    MaterialsList = new TObjRefTreeView(this);
    MaterialsList->setObjectName(QStringLiteral("MaterialsList"));
    captioned(firstRow, QStringLiteral("Materials:"), MaterialsList, this);
    IcicleList1 = new TRowListView(QStringLiteral("IcicleList1"), {}, this);
    captioned(firstRow, QStringLiteral("Icicles:"), IcicleList1, this);
    SpanList = new TObjRefTreeView(this);
    SpanList->setObjectName(QStringLiteral("SpanList"));
    QVBoxLayout* spanColumn = captioned(firstRow, QStringLiteral("Span Info:"), SpanList, this);
    auto* bounds = new QHBoxLayout;
    bounds->addWidget(MakeCaption(QStringLiteral("Bounds:"), this));
    LocalBoundsLink = addLink(bounds, QStringLiteral("Local"), QStringLiteral("LocalBoundsLink"), this);
    WorldBoundsLink = addLink(bounds, QStringLiteral("World"), QStringLiteral("WorldBoundsLink"), this);
    OtherBoundsLink = addLink(bounds, QStringLiteral("Max World"), QStringLiteral("OtherBoundsLink"), this);
    bounds->addStretch();
    spanColumn->addLayout(bounds);
    layout->addLayout(firstRow, 1);

    auto* secondRow = new QHBoxLayout;
    GSpansList = new TRowListView(QStringLiteral("GSpansList"), {}, this);
    captioned(secondRow, QStringLiteral("Geometry Spans:"), GSpansList, this);
    MatGroupList = new QTreeWidget(this);
    MatGroupList->setObjectName(QStringLiteral("MatGroupList"));
    MatGroupList->setHeaderHidden(true);
    MatGroupList->setUniformRowHeights(true);
    MatGroupList->setExpandsOnDoubleClick(true);
    captioned(secondRow, QStringLiteral("Matrix Groups:"), MatGroupList, this);
    SpanIndexList = new TRowListView(QStringLiteral("SpanIndexList"), {}, this);
    captioned(secondRow, QStringLiteral("Span Indices:"), SpanIndexList, this);
    GBufferGroupList = new TRowListView(QStringLiteral("GBufferGroupList"), {}, this);
    QVBoxLayout* groupColumn =
        captioned(secondRow, QStringLiteral("Geometry Buffer Groups:"), GBufferGroupList, this);
    auto* bottomLinks = new QHBoxLayout;
    SpaceTreeLink = addLink(bottomLinks, QStringLiteral("Space Tree"), QStringLiteral("SpaceTreeLink"), this);
    SpaceTreeLink->setEnabled(false);
    SceneNodeLink = new TFixedKeyLink(QStringLiteral("Scene Node"), QStringLiteral("SceneNodeLink"), this);
    bottomLinks->addWidget(SceneNodeLink);
    bottomLinks->addStretch();
    groupColumn->addLayout(bottomLinks);
    layout->addLayout(secondRow, 1);

    connect(IcicleList1, &TRowListView::rowDoubleClicked, this, &TfrmTplDrawableSpans::IcicleList1DblClick);
    connect(GSpansList, &TRowListView::rowDoubleClicked, this, &TfrmTplDrawableSpans::GSpansListDblClick);
    connect(SpanIndexList, &TRowListView::rowDoubleClicked, this,
            &TfrmTplDrawableSpans::SpanIndexListDblClick);
    connect(GBufferGroupList, &TRowListView::rowDoubleClicked, this,
            &TfrmTplDrawableSpans::GBufferGroupListDblClick);
    connect(MatGroupList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node) {
        if (node) Guarded([this] { MatGroupListDblClick(); });
    });
    connect(LocalBoundsLink, &TLinkLabel::clicked, this, &TfrmTplDrawableSpans::LocalBoundsLinkClick);
    connect(WorldBoundsLink, &TLinkLabel::clicked, this, &TfrmTplDrawableSpans::WorldBoundsLinkClick);
    connect(OtherBoundsLink, &TLinkLabel::clicked, this, &TfrmTplDrawableSpans::OtherBoundsLinkClick);
    connect(SpaceTreeLink, &TLinkLabel::clicked, this, &TfrmTplDrawableSpans::SpaceTreeLinkClick);
    resize(980, 640);
}

void TfrmTplDrawableSpans::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        MaterialsList->Version = SpanList->Version = stream->Header.Version;
        Record = ReadDrawableSpans(*stream);
        const TDrawableSpansRecord& r = Record;
        PropsGroup->SetFlags(r.Props);
        CriteriaGroup->SetFlags(r.Criteria);
        showRenderLevel(r.RenderLevel);
        AddPresentKeys(MaterialsList, r.Materials);
        IcicleList1->SetRows(int(r.Icicles.size()), [&r](int row, int) {
            return QStringLiteral("Icicle %1: %2 triangles").arg(row).arg(r.Icicles[row].ILength / 3);
        });
        fillSpanList();
        GSpansList->SetRows(int(r.GeometrySpans.size()), [&r](int row, int) {
            return QStringLiteral("Span #%1 (%2)").arg(row).arg(r.GeometrySpans[row].NumVerts);
        });
        fillMatrixGroups();
        SpanIndexList->SetRows(int(r.SpanIndices.size()), [&r](int row, int) {
            return QStringLiteral("Span Index %1 (%2 vertices)")
                .arg(row)
                .arg(r.SpanIndices[row].Indices.size());
        });
        GBufferGroupList->SetRows(int(r.BufferGroups.size()),
                                  [](int row, int) { return QStringLiteral("Group %1").arg(row); });
        SpaceTreeLink->setEnabled(r.HasSpaceTree);
        SceneNodeLink->SetKey(r.SceneNode);
    }
    SetObjectInfo(entry);
}

void TfrmTplDrawableSpans::showRenderLevel(uint32_t level) {
    auto setBoxes = [this](const auto& boxes, uint32_t value) {
        for (const TLevelBox& box : boxes)
            RenderLevelGroup->findChild<QCheckBox*>(QString::fromLatin1(box.Name))
                ->setChecked(box.Bit ? (value & box.Bit) != 0 : value == 0);
    };
    setBoxes(kMajorLevels, level & kMajorLevelMask);
    setBoxes(kMinorLevels, level & ~kMajorLevelMask);
}

void TfrmTplDrawableSpans::fillSpanList() {
    SpanList->setUpdatesEnabled(false);
    for (const TSpanInfo& info : Record.SpanInfos) {
        QTreeWidgetItem* spanNode = SpanList->AddLabelNode(QStringLiteral("Span #%1").arg(info.Index));
        if (!info.Key.Name.empty()) SpanList->AddKeyNode(info.Key, spanNode);
        // Each perma list goes in as the span node's first child, so projectors stand above lights.
        auto addPermaList = [&](const QString& caption, const TKeySlots& keys) {
            if (keys.empty()) return;
            QTreeWidgetItem* listNode = SpanList->AddLabelNode(caption, spanNode, true);
            for (size_t i = 0; i < keys.size(); ++i)
                if (keys.Present[i]) SpanList->AddKeyNode(keys[i], listNode);
        };
        addPermaList(QStringLiteral("Perma Lights"), info.PermaLights);
        addPermaList(QStringLiteral("Perma Projs"), info.PermaProjs);
    }
    SpanList->setUpdatesEnabled(true);
}

void TfrmTplDrawableSpans::fillMatrixGroups() {
    QList<QTreeWidgetItem*> groups;
    groups.reserve(qsizetype(Record.MatrixGroups.size()));
    for (size_t g = 0; g < Record.MatrixGroups.size(); ++g) {
        auto* group = new QTreeWidgetItem({QStringLiteral("Mat Group #%1").arg(g)});
        for (int m = 0; m < 4; ++m) {
            auto* matrix = new QTreeWidgetItem(group, {QString::fromLatin1(kMatrixNames[m])});
            matrix->setData(0, kMatrixRole, QVariant::fromValue<qulonglong>(g * 4 + size_t(m)));
        }
        groups.append(group);
    }
    MatGroupList->addTopLevelItems(groups);
}

void TfrmTplDrawableSpans::IcicleList1DblClick() {
    const int row = IcicleList1->SelectedRow();
    if (row >= 0 && size_t(row) < Record.Icicles.size()) OpenIcicle(Record.Icicles[row]);
}

void TfrmTplDrawableSpans::GSpansListDblClick() {
    const int row = GSpansList->SelectedRow();
    if (row >= 0 && size_t(row) < Record.GeometrySpans.size()) OpenGeometrySpan(Record.GeometrySpans[row]);
}

void TfrmTplDrawableSpans::MatGroupListDblClick() {
    const QTreeWidgetItem* node = MatGroupList->currentItem();
    if (!node) return;
    const QVariant data = node->data(0, kMatrixRole);
    if (!data.isValid()) return;
    const size_t position = data.toULongLong();
    if (position / 4 < Record.MatrixGroups.size())
        OpenTransformMatrix(Record.MatrixGroups[position / 4][position % 4]);
}

void TfrmTplDrawableSpans::SpanIndexListDblClick() {
    const int row = SpanIndexList->SelectedRow();
    if (row >= 0 && size_t(row) < Record.SpanIndices.size()) OpenDISpanIndex(Record.SpanIndices[row]);
}

void TfrmTplDrawableSpans::GBufferGroupListDblClick() {
    const int row = GBufferGroupList->SelectedRow();
    if (row >= 0 && size_t(row) < Record.BufferGroups.size()) OpenGBufferGroup(Record.BufferGroups[row]);
}

void TfrmTplDrawableSpans::LocalBoundsLinkClick() {
    OpenBounds3Ext(Record.LocalBounds);
}
void TfrmTplDrawableSpans::WorldBoundsLinkClick() {
    OpenBounds3Ext(Record.WorldBounds);
}
void TfrmTplDrawableSpans::OtherBoundsLinkClick() {
    OpenBounds3Ext(Record.MaxWorldBounds);
}

void TfrmTplDrawableSpans::SpaceTreeLinkClick() {
    if (Record.HasSpaceTree) OpenSpaceTree(Record.SpaceTree);
}
