#include "unitTplShadowMaster.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "ShownControls.h"

namespace {
const TViewerRegistrar registrar("TfrmTplShadowMaster", [] { return new TfrmTplShadowMaster; });
}

TfrmTplShadowMaster::TfrmTplShadowMaster(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplShadowMaster"));
    auto* layout = new QVBoxLayout(this);
    auto* partLinks = new QHBoxLayout;
    SynchedObjLink = MakeSynchedObjLink(Record.SynchedObject, this);
    LinkedObjIntf = MakeObjIntfLink(Record.ObjInterface, this);
    partLinks->addWidget(SynchedObjLink);
    partLinks->addWidget(LinkedObjIntf);
    partLinks->addStretch();
    layout->addLayout(partLinks);
    auto* rows = new QFormLayout;
    AttenDist = AddEditRow(rows, QStringLiteral("Attensity Distance:"), QStringLiteral("AttenDist"), this);
    MaxDist = AddEditRow(rows, QStringLiteral("Max Distance:"), QStringLiteral("MaxDist"), this);
    MinDist = AddEditRow(rows, QStringLiteral("Min Distance:"), QStringLiteral("MinDist"), this);
    MaxSize = AddEditRow(rows, QStringLiteral("Max Size:"), QStringLiteral("MaxSize"), this);
    MinSize = AddEditRow(rows, QStringLiteral("Min Size:"), QStringLiteral("MinSize"), this);
    Power = AddEditRow(rows, QStringLiteral("Power:"), QStringLiteral("Power"), this);
    layout->addLayout(rows);
    layout->addStretch();
    resize(300, 240);
}

void TfrmTplShadowMaster::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        Record = ReadShadowMaster(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
        SetFieldFloat(AttenDist, Record.AttenDist);
        SetFieldFloat(MaxDist, Record.MaxDist);
        SetFieldFloat(MinDist, Record.MinDist);
        SetFieldNumber(MaxSize, Record.MaxSize);
        SetFieldNumber(MinSize, Record.MinSize);
        SetFieldFloat(Power, Record.Power);
    }
    SetObjectInfo(entry);
}
