#include "unitTplSharedMesh.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "RowListView.h"
#include "ViewerKit.h"
#include "unitGeometrySpan.h"

namespace {
const TViewerRegistrar registrar("TfrmTplSharedMesh", [] { return new TfrmTplSharedMesh; });
}

TfrmTplSharedMesh::TfrmTplSharedMesh(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplSharedMesh"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeCaption(QStringLiteral("Geometry Spans:"), this));
    GSpansList = new TRowListView(QStringLiteral("GSpansList"), {}, this);
    layout->addWidget(GSpansList, 1);
    auto* morph = new QHBoxLayout;
    morph->addWidget(MakeCaption(QStringLiteral("Morph Set:"), this));
    MorphSetLink = new TKeyLinkLabel(this);
    MorphSetLink->setObjectName(QStringLiteral("MorphSetLink"));
    morph->addWidget(MorphSetLink);
    morph->addStretch();
    layout->addLayout(morph);
    FlagsGroup = new TFlagBoxGroup(QStringLiteral("Flags"), kSharedMeshFlags, 1, this);
    layout->addWidget(FlagsGroup);
    connect(GSpansList, &TRowListView::rowDoubleClicked, this, &TfrmTplSharedMesh::GSpansListDblClick);
    resize(320, 400);
}

void TfrmTplSharedMesh::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        Record = ReadSharedMesh(*stream);
        const std::vector<TGeometrySpan>& spans = Record.GeometrySpans;
        GSpansList->SetRows(int(spans.size()), [&spans](int row, int) {
            return QStringLiteral("Geometry Span #%1 (%2)").arg(row).arg(spans[row].NumVerts);
        });
        MorphSetLink->SetKey(Record.MorphSet);
        FlagsGroup->SetFlags(Record.Flags);
    }
    SetObjectInfo(entry);
}

void TfrmTplSharedMesh::GSpansListDblClick() {
    const int row = GSpansList->SelectedRow();
    if (row >= 0 && size_t(row) < Record.GeometrySpans.size()) OpenGeometrySpan(Record.GeometrySpans[row]);
}
