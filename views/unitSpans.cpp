#include "unitSpans.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "RowListView.h"
#include "ViewerKit.h"

namespace {
// Edits in window order: object name, caption.
const char* const kEdits[][2] = {
    {"SubType", "Type:"},
    {"SubMaterial", "Material:"},
    {"SubFlags", "Props:"},
    {"NumMatrices", "Num Matrices:"},
    {"BaseMatrix", "Base Matrix:"},
    {"LocalUVWChans", "Local UVW Chans:"},
    {"MaxBoneIdx", "Max Bone:"},
    {"PenBoneIdx", "Pen Bone:"},
    {"MinDist", "Min Dist:"},
    {"MaxDist", "Max Dist:"},
    {"WaterHeight", "Water Height:"},
    {"GroupIdx", "Group:"},
    {"VBufferIdx", "Vertex Buffer:"},
    {"CellIdx", "Cell:"},
    {"CellOffset", "Cell Offset:"},
    {"VStartIdx", "V Start Idx:"},
    {"VLength", "V Length:"},
    {"IBufferIdx", "IBuffer Idx:"},
    {"IStartIdx", "IStart Idx:"},
};
} // namespace

TfrmSpans::TfrmSpans(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmSpans"));
    setWindowTitle(QStringLiteral("Span/Icicle"));
    auto* layout = new QHBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(MakeCaption(QStringLiteral("Transform Matrices:"), this), 0, 0);
    LTWLink = new TLinkLabel(QStringLiteral("LocalToWorld"), QStringLiteral("LTWLink"), this);
    WTLLink = new TLinkLabel(QStringLiteral("WorldToLocal"), QStringLiteral("WTLLink"), this);
    grid->addWidget(LTWLink, 0, 1);
    grid->addWidget(WTLLink, 0, 2);
    grid->addWidget(MakeCaption(QStringLiteral("Bounds:"), this), 1, 0);
    LocalBoundsLink = new TLinkLabel(QStringLiteral("Local"), QStringLiteral("LocalBoundsLink"), this);
    WorldBoundsLink = new TLinkLabel(QStringLiteral("World"), QStringLiteral("WorldBoundsLink"), this);
    grid->addWidget(LocalBoundsLink, 1, 1);
    grid->addWidget(WorldBoundsLink, 1, 2);
    int row = 2;
    for (const auto& edit : kEdits) {
        grid->addWidget(MakeCaption(QString::fromLatin1(edit[1]), this), row, 0);
        grid->addWidget(MakeReadOnlyEdit(QString::fromLatin1(edit[0]), this), row++, 1, 1, 2);
    }
    grid->setRowStretch(row, 1);
    layout->addLayout(grid);

    auto* sortSide = new QVBoxLayout;
    sortSide->addWidget(MakeCaption(QStringLiteral("Sort Data:"), this));
    TriangleList =
        new TRowListView(QStringLiteral("TriangleList"),
                         {"Idx1", "Idx2", "Idx3", "Span", "Center X", "Center Y", "Center Z"}, this);
    sortSide->addWidget(TriangleList);
    layout->addLayout(sortSide, 1);

    connect(LTWLink, &TLinkLabel::clicked, this, &TfrmSpans::LTWLinkClick);
    connect(WTLLink, &TLinkLabel::clicked, this, &TfrmSpans::WTLLinkClick);
    connect(LocalBoundsLink, &TLinkLabel::clicked, this, &TfrmSpans::LocalBoundsLinkClick);
    connect(WorldBoundsLink, &TLinkLabel::clicked, this, &TfrmSpans::WorldBoundsLinkClick);
    resize(820, 560);
}

void TfrmSpans::ShowIcicle(const TIcicle& icicle) {
    Icicle = icicle;
    const TIcicle& i = Icicle;
    auto edit = [this](const char* name) { return findChild<QLineEdit*>(QString::fromLatin1(name)); };
    SetFieldNumber(edit("SubType"), i.SubType);
    SetFieldNumber(edit("SubMaterial"), i.Material);
    SetFieldHex(edit("SubFlags"), i.Props, 8);
    SetFieldHex(edit("NumMatrices"), i.NumMatrices, 8);
    SetFieldHex(edit("BaseMatrix"), i.BaseMatrix, 8);
    SetFieldHex(edit("LocalUVWChans"), i.LocalUVWChans, 4);
    SetFieldHex(edit("MaxBoneIdx"), i.MaxBoneIdx, 4);
    SetFieldHex(edit("PenBoneIdx"), i.PenBoneIdx, 4);
    SetFieldFloat(edit("MinDist"), i.MinDist);
    SetFieldFloat(edit("MaxDist"), i.MaxDist);
    if (i.Props & kIcicleWaterHeight)
        SetFieldFloat(edit("WaterHeight"), i.WaterHeight);
    else
        SetFieldWhole(edit("WaterHeight"), kNotAvailable);
    SetFieldHex(edit("GroupIdx"), i.GroupIdx, 8);
    SetFieldHex(edit("VBufferIdx"), i.VBufferIdx, 8);
    SetFieldHex(edit("CellIdx"), i.CellIdx, 8);
    SetFieldHex(edit("CellOffset"), i.CellOffset, 8);
    SetFieldHex(edit("VStartIdx"), i.VStartIdx, 8);
    SetFieldHex(edit("VLength"), i.VLength, 8);
    SetFieldHex(edit("IBufferIdx"), i.IBufferIdx, 8);
    SetFieldHex(edit("IStartIdx"), i.IStartIdx, 8);

    const std::vector<TTriFace>& faces = Icicle.SortData;
    TriangleList->SetRows(int(faces.size()), [&faces](int row, int column) -> QString {
        const TTriFace& f = faces[row];
        switch (column) {
        case 0:
            return QString::number(f.Idx1);
        case 1:
            return QString::number(f.Idx2);
        case 2:
            return QString::number(f.Idx3);
        case 3:
            return QString::number(f.Span);
        case 4:
            return FloatToText(f.Center.X);
        case 5:
            return FloatToText(f.Center.Y);
        default:
            return FloatToText(f.Center.Z);
        }
    });
}

void TfrmSpans::LTWLinkClick() {
    OpenTransformMatrix(Icicle.LocalToWorld);
}
void TfrmSpans::WTLLinkClick() {
    OpenTransformMatrix(Icicle.WorldToLocal);
}
void TfrmSpans::LocalBoundsLinkClick() {
    OpenBounds3Ext(Icicle.LocalBounds);
}
void TfrmSpans::WorldBoundsLinkClick() {
    OpenBounds3Ext(Icicle.WorldBounds);
}

TfrmSpans* OpenIcicle(const TIcicle& icicle) {
    auto* form = new TfrmSpans;
    form->ShowIcicle(icicle);
    form->ShowFilledAsChild();
    return form;
}
