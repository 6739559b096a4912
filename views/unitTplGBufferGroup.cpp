#include "unitTplGBufferGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "RowListView.h"
#include "ViewerKit.h"

QString VectorText(const TVector3& v) {
    const QString separator = VectorSeparator();
    return u'(' + FloatToText(v.X) + separator + FloatToText(v.Y) + separator + FloatToText(v.Z) + u')';
}

QString UVWsText(const TVector3* uvws, uint8_t format) {
    QString text;
    for (int u = 0; u < FormatUVWCount(format); ++u)
        text += VectorText(uvws[u]) + ' ';
    return text;
}

QString WeightsText(const std::array<float, 3>& weights, uint8_t format) {
    QString text = QStringLiteral("[ ");
    for (int i = 0; i < FormatWeightCount(format); ++i)
        text += FloatToText(weights[i]) + ' ';
    return text + ']';
}

void ShowTriangles(TRowListView* list, const std::vector<uint16_t>& indices) {
    list->Clear();
    if (indices.size() % 3 != 0) ShowMessage(QStringLiteral("Got odd Index Count!"));
    list->SetRows(int(indices.size() / 3), [&indices](int row, int) {
        const size_t i = size_t(row) * 3;
        return QStringLiteral("%1 - %2 - %3").arg(indices[i]).arg(indices[i + 1]).arg(indices[i + 2]);
    });
}

namespace {
// Items "1" .. count with the first selected, or the one item "N/A" with the combo and its list disabled.
// Returns whether there are buffers to show.
bool fillBufferCombo(QComboBox* combo, QWidget* list, size_t count) {
    const QSignalBlocker blocker(combo);
    combo->clear();
    const bool any = count > 0;
    if (any)
        for (size_t i = 1; i <= count; ++i)
            combo->addItem(QString::number(i));
    else
        combo->addItem(QStringLiteral("N/A"));
    combo->setCurrentIndex(0);
    combo->setEnabled(any);
    list->setEnabled(any);
    return any;
}
} // namespace

TfrmTplGBufferGroup::TfrmTplGBufferGroup(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplGBufferGroup"));
    setWindowTitle(QStringLiteral("Geometry Buffer Group"));
    auto* layout = new QVBoxLayout(this);

    auto* format = new QGroupBox(QStringLiteral("Format"), this);
    auto* formatGrid = new QGridLayout(format);
    kUVCount = MakeReadOnlyEdit(QStringLiteral("kUVCount"), format);
    kSkinWeights = MakeReadOnlyEdit(QStringLiteral("kSkinWeights"), format);
    kSkinIndices = new QCheckBox(QStringLiteral("Has Skin Indices"), format);
    kSkinIndices->setObjectName(QStringLiteral("kSkinIndices"));
    kEncoded = new QCheckBox(QStringLiteral("Vertex Coded"), format);
    kEncoded->setObjectName(QStringLiteral("kEncoded"));
    for (QCheckBox* box : {kSkinIndices, kEncoded}) {
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->setFocusPolicy(Qt::NoFocus);
    }
    formatGrid->addWidget(MakeCaption(QStringLiteral("UV Count:"), format), 0, 0);
    formatGrid->addWidget(kUVCount, 0, 1);
    formatGrid->addWidget(MakeCaption(QStringLiteral("Skin Weights:"), format), 0, 2);
    formatGrid->addWidget(kSkinWeights, 0, 3);
    formatGrid->addWidget(kSkinIndices, 0, 4);
    formatGrid->addWidget(kEncoded, 0, 5);
    layout->addWidget(format);

    auto comboRow = [this](QBoxLayout* side, const QString& caption, const QString& name, QComboBox*& combo) {
        auto* row = new QHBoxLayout;
        row->addWidget(MakeCaption(caption, this));
        combo = new QComboBox(this);
        combo->setObjectName(name);
        combo->setMinimumWidth(80);
        row->addWidget(combo);
        row->addStretch();
        side->addLayout(row);
    };
    comboRow(layout, QStringLiteral("Vertex Buffer:"), QStringLiteral("ddVertBuffer"), ddVertBuffer);
    VertexList = new TRowListView(QStringLiteral("VertexList"),
                                  {"Idx", "Position", "Normal", "Color", "UV Maps", "Weights", "Skin"}, this);
    layout->addWidget(VertexList, 3);

    auto* lower = new QHBoxLayout;
    auto* indexSide = new QVBoxLayout;
    comboRow(indexSide, QStringLiteral("Index Buffer:"), QStringLiteral("ddIndexBuffer"), ddIndexBuffer);
    IndexList = new TRowListView(QStringLiteral("IndexList"), {}, this);
    indexSide->addWidget(IndexList);
    auto* cellSide = new QVBoxLayout;
    comboRow(cellSide, QStringLiteral("Cell Buffer:"), QStringLiteral("ddCellBuffer"), ddCellBuffer);
    CellList =
        new TRowListView(QStringLiteral("CellList"), {"Idx", "Vertex Start", "Color Start", "Length"}, this);
    cellSide->addWidget(CellList);
    lower->addLayout(indexSide, 1);
    lower->addLayout(cellSide, 2);
    layout->addLayout(lower, 2);

    connect(ddVertBuffer, &QComboBox::currentIndexChanged, this,
            [this] { Guarded([this] { ddVertBufferChange(); }); });
    connect(ddIndexBuffer, &QComboBox::currentIndexChanged, this,
            [this] { Guarded([this] { ddIndexBufferChange(); }); });
    connect(ddCellBuffer, &QComboBox::currentIndexChanged, this,
            [this] { Guarded([this] { ddCellBufferChange(); }); });
    resize(760, 560);
}

void TfrmTplGBufferGroup::ShowGBufferGroup(const TGBufferGroup& group) {
    Group = group;
    SetFieldNumber(kUVCount, FormatUVWCount(Group.Format));
    SetFieldNumber(kSkinWeights, FormatWeightCount(Group.Format));
    kSkinIndices->setChecked(FormatHasSkinIndices(Group.Format));
    kEncoded->setChecked(Group.Format & kFormatEncoded);
    if (fillBufferCombo(ddVertBuffer, VertexList, Group.VertexBuffers.size())) ddVertBufferChange();
    if (fillBufferCombo(ddIndexBuffer, IndexList, Group.IndexBuffers.size())) ddIndexBufferChange();
    if (fillBufferCombo(ddCellBuffer, CellList, Group.CellBuffers.size())) ddCellBufferChange();
}

void TfrmTplGBufferGroup::ddVertBufferChange() {
    VertexList->Clear();
    const int selected = ddVertBuffer->currentIndex();
    if (selected < 0 || size_t(selected) >= Group.VertexBuffers.size()) return;
    const TVertexBuffer& buffer = Group.VertexBuffers[selected];
    const uint8_t format = Group.Format;
    VertexList->SetRows(int(buffer.size()), [&buffer, format](int row, int column) -> QString {
        const TGBufferVertex& v = buffer[row];
        switch (column) {
        case 0:
            return QString::number(row);
        case 1:
            return VectorText(v.Position);
        case 2:
            return VectorText(v.Normal);
        case 3:
            return QString::fromStdString(FormatColorU32(v.Color));
        case 4:
            return UVWsText(v.UVWs.data(), format);
        case 5:
            return WeightsText(v.Weights, format);
        default:
            return FormatHasSkinIndices(format) ? QString::number(v.SkinIndex) : QStringLiteral("-");
        }
    });
}

void TfrmTplGBufferGroup::ddIndexBufferChange() {
    IndexList->Clear();
    const int selected = ddIndexBuffer->currentIndex();
    if (selected < 0 || size_t(selected) >= Group.IndexBuffers.size()) return;
    ShowTriangles(IndexList, Group.IndexBuffers[selected]);
}

void TfrmTplGBufferGroup::ddCellBufferChange() {
    CellList->Clear();
    const int selected = ddCellBuffer->currentIndex();
    if (selected < 0 || size_t(selected) >= Group.CellBuffers.size()) return;
    const TCellBuffer& cells = Group.CellBuffers[selected];
    CellList->SetRows(int(cells.size()), [&cells](int row, int column) -> QString {
        const TGBufferCell& cell = cells[row];
        switch (column) {
        case 0:
            return QString::number(row);
        case 1:
            return QString::number(cell.VertexStart);
        case 2:
            return QString::number(cell.ColorStart);
        default:
            return QString::number(cell.Length);
        }
    });
}

TfrmTplGBufferGroup* OpenGBufferGroup(const TGBufferGroup& group) {
    auto* form = new TfrmTplGBufferGroup;
    form->ShowGBufferGroup(group);
    form->ShowFilledAsChild();
    return form;
}
