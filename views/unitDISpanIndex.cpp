#include "unitDISpanIndex.h"

#include <QGridLayout>
#include <QLineEdit>

#include "RowListView.h"
#include "ViewerKit.h"

TfrmDISpanIndex::TfrmDISpanIndex(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmDISpanIndex"));
    setWindowTitle(QStringLiteral("DI Span Index"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(MakeCaption(QStringLiteral("Flags:"), this), 0, 0);
    Flags = MakeReadOnlyEdit(QStringLiteral("Flags"), this);
    SetFieldHex(Flags, 0, 8);
    grid->addWidget(Flags, 0, 1);
    grid->addWidget(MakeCaption(QStringLiteral("Vertices:"), this), 1, 0, 1, 2);
    VertexList = new TRowListView(QStringLiteral("VertexList"), {}, this);
    grid->addWidget(VertexList, 2, 0, 1, 2);
    resize(260, 400);
}

void TfrmDISpanIndex::ShowDISpanIndex(const TDISpanIndex& index) {
    Index = index;
    SetFieldHex(Flags, Index.Flags, 8);
    const std::vector<uint32_t>& indices = Index.Indices;
    VertexList->SetRows(int(indices.size()), [&indices](int row, int) {
        return QString::number(row) + QStringLiteral(": ") + HexToText(indices[row], 8);
    });
}

TfrmDISpanIndex* OpenDISpanIndex(const TDISpanIndex& index) {
    auto* form = new TfrmDISpanIndex;
    form->ShowDISpanIndex(index);
    form->ShowFilledAsChild();
    return form;
}
