#include "unitGeometrySpan.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "RowListView.h"
#include "ViewerKit.h"
#include "unitTplGBufferGroup.h"

namespace {
// A colour of a vertex; a record whose colour arrays are shorter than its vertices shows zeros.
template <class T> T colorAt(const std::vector<T>& colors, int row) {
    return size_t(row) < colors.size() ? colors[row] : T{};
}
} // namespace

TfrmGeometrySpan::TfrmGeometrySpan(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmGeometrySpan"));
    setWindowTitle(QStringLiteral("Geometry Span"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;

    auto* left = new QGridLayout;
    left->addWidget(MakeCaption(QStringLiteral("Transforms:"), this), 0, 0, 1, 2);
    MatL2W = new TLinkLabel(QStringLiteral("Local to World"), QStringLiteral("MatL2W"), this);
    MatW2L = new TLinkLabel(QStringLiteral("World to Local"), QStringLiteral("MatW2L"), this);
    MatL2O = new TLinkLabel(QStringLiteral("Local to OBB"), QStringLiteral("MatL2O"), this);
    MatO2L = new TLinkLabel(QStringLiteral("OBB to Local"), QStringLiteral("MatO2L"), this);
    BoundsLink = new TLinkLabel(QStringLiteral("Local Bounds"), QStringLiteral("BoundsLink"), this);
    left->addWidget(MatL2W, 1, 0);
    left->addWidget(MatW2L, 1, 1);
    left->addWidget(MatL2O, 2, 0);
    left->addWidget(MatO2L, 2, 1);
    left->addWidget(BoundsLink, 3, 0);
    int row = 4;
    auto addEdit = [&](const QString& caption, const QString& name) {
        QLineEdit* edit = MakeReadOnlyEdit(name, this);
        edit->setMaximumWidth(160);
        left->addWidget(MakeCaption(caption, this), row, 0);
        left->addWidget(edit, row++, 1);
        return edit;
    };
    BaseMat = addEdit(QStringLiteral("Base Matrix:"), QStringLiteral("BaseMat"));
    NumMats = addEdit(QStringLiteral("# of Matrices:"), QStringLiteral("NumMats"));
    UVWChans = addEdit(QStringLiteral("UVW Chans:"), QStringLiteral("UVWChans"));
    MaxBone = addEdit(QStringLiteral("Max Bone:"), QStringLiteral("MaxBone"));
    PenBone = addEdit(QStringLiteral("Pen Bone:"), QStringLiteral("PenBone"));
    MinDist = addEdit(QStringLiteral("Min Dist:"), QStringLiteral("MinDist"));
    MaxDist = addEdit(QStringLiteral("Max Dist:"), QStringLiteral("MaxDist"));
    DecalLevel = addEdit(QStringLiteral("Decal Level:"), QStringLiteral("DecalLevel"));
    WaterHeight = addEdit(QStringLiteral("Water Height:"), QStringLiteral("WaterHeight"));
    InstanceGroup = addEdit(QStringLiteral("Instance Group:"), QStringLiteral("InstanceGroup"));
    NumInstanceRefs = addEdit(QStringLiteral("# of Instance Refs:"), QStringLiteral("NumInstanceRefs"));

    auto* format = new QGroupBox(QStringLiteral("Format"), this);
    auto* formatGrid = new QGridLayout(format);
    kUVCount = MakeReadOnlyEdit(QStringLiteral("kUVCount"), format);
    kSkinWeights = MakeReadOnlyEdit(QStringLiteral("kSkinWeights"), format);
    kSkinIndices = new QCheckBox(QStringLiteral("Has Skin Indices"), format);
    kSkinIndices->setObjectName(QStringLiteral("kSkinIndices"));
    kSkinIndices->setAttribute(Qt::WA_TransparentForMouseEvents);
    kSkinIndices->setFocusPolicy(Qt::NoFocus);
    formatGrid->addWidget(MakeCaption(QStringLiteral("UV Count:"), format), 0, 0);
    formatGrid->addWidget(kUVCount, 0, 1);
    formatGrid->addWidget(MakeCaption(QStringLiteral("Skin Weights:"), format), 1, 0);
    formatGrid->addWidget(kSkinWeights, 1, 1);
    formatGrid->addWidget(kSkinIndices, 2, 0, 1, 2);
    left->addWidget(format, row++, 0, 1, 2);
    top->addLayout(left);

    PropsGroup = new TFlagBoxGroup(QStringLiteral("Properties"), kGeometrySpanProps, 2, this);
    top->addWidget(PropsGroup, 0, Qt::AlignTop);
    top->addStretch();
    layout->addLayout(top);

    auto* lists = new QHBoxLayout;
    auto* vertexSide = new QVBoxLayout;
    vertexSide->addWidget(MakeCaption(QStringLiteral("Vertices:"), this));
    VertexList = new TRowListView(
        QStringLiteral("VertexList"),
        {"Idx", "Position", "Normal", "Diffuse", "Specular", "Mult", "Add", "UV Maps", "Weights", "Skin"},
        this);
    vertexSide->addWidget(VertexList);
    auto* indexSide = new QVBoxLayout;
    indexSide->addWidget(MakeCaption(QStringLiteral("Indices:"), this));
    IndexList = new TRowListView(QStringLiteral("IndexList"), {}, this);
    IndexList->setMaximumWidth(160);
    indexSide->addWidget(IndexList);
    lists->addLayout(vertexSide, 1);
    lists->addLayout(indexSide);
    layout->addLayout(lists, 1);

    connect(MatL2W, &TLinkLabel::clicked, this, &TfrmGeometrySpan::MatL2WClick);
    connect(MatW2L, &TLinkLabel::clicked, this, &TfrmGeometrySpan::MatW2LClick);
    connect(MatL2O, &TLinkLabel::clicked, this, &TfrmGeometrySpan::MatL2OClick);
    connect(MatO2L, &TLinkLabel::clicked, this, &TfrmGeometrySpan::MatO2LClick);
    connect(BoundsLink, &TLinkLabel::clicked, this, &TfrmGeometrySpan::BoundsLinkClick);
    resize(900, 760);
}

void TfrmGeometrySpan::ShowGeometrySpan(const TGeometrySpan& span) {
    Span = span;
    const TGeometrySpan& s = Span;
    SetFieldNumber(BaseMat, s.BaseMatrix);
    SetFieldNumber(NumMats, s.NumMatrices);
    SetFieldNumber(UVWChans, s.UVWChans);
    SetFieldNumber(MaxBone, s.MaxBone);
    SetFieldNumber(PenBone, s.PenBone);
    SetFieldFloat(MinDist, s.MinDist);
    SetFieldFloat(MaxDist, s.MaxDist);
    SetFieldNumber(DecalLevel, s.DecalLevel);
    if (s.Props & kGeometrySpanWaterHeight)
        SetFieldFloat(WaterHeight, s.WaterHeight);
    else
        SetFieldWhole(WaterHeight, kNotAvailable);
    SetFieldNumber(InstanceGroup, s.InstanceGroup);
    SetFieldNumber(NumInstanceRefs, s.NumInstanceRefs);
    SetFieldNumber(kUVCount, FormatUVWCount(s.Format));
    SetFieldNumber(kSkinWeights, FormatWeightCount(s.Format));
    kSkinIndices->setChecked(FormatHasSkinIndices(s.Format));
    PropsGroup->SetFlags(s.Props);
    PropsGroup->findChild<QCheckBox*>(QStringLiteral("kLiteMaterial"))->setChecked(s.Props == 0);

    const uint8_t format = s.Format;
    VertexList->SetRows(int(s.Vertices.size()), [&s, format](int row, int column) -> QString {
        const TGeometrySpanVertex& v = s.Vertices[row];
        switch (column) {
        case 0:
            return QString::number(row);
        case 1:
            return VectorText(v.Position);
        case 2:
            return VectorText(v.Normal);
        case 3:
            return QString::fromStdString(FormatColorU32(colorAt(s.DiffuseColors, row)));
        case 4:
            return QString::fromStdString(FormatColorU32(colorAt(s.SpecularColors, row)));
        case 5:
            return QString::fromStdString(FormatColorRGBA(colorAt(s.MultColors, row)));
        case 6:
            return QString::fromStdString(FormatColorRGBA(colorAt(s.AddColors, row)));
        case 7:
            return UVWsText(v.UVWs.data(), format);
        case 8:
            return WeightsText(v.Weights, format);
        default:
            return FormatHasSkinIndices(format) ? QString::number(v.SkinIndex) : QStringLiteral("-");
        }
    });
    ShowTriangles(IndexList, s.Indices);
}

void TfrmGeometrySpan::MatL2WClick() {
    OpenTransformMatrix(Span.LocalToWorld);
}
void TfrmGeometrySpan::MatW2LClick() {
    OpenTransformMatrix(Span.WorldToLocal);
}
void TfrmGeometrySpan::MatL2OClick() {
    OpenTransformMatrix(Span.LocalToOBB);
}
void TfrmGeometrySpan::MatO2LClick() {
    OpenTransformMatrix(Span.OBBToLocal);
}
void TfrmGeometrySpan::BoundsLinkClick() {
    OpenBounds3Ext(Span.LocalBounds);
}

TfrmGeometrySpan* OpenGeometrySpan(const TGeometrySpan& span) {
    auto* form = new TfrmGeometrySpan;
    form->ShowGeometrySpan(span);
    form->ShowFilledAsChild();
    return form;
}
