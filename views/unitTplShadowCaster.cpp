#include "unitTplShadowCaster.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "ShownControls.h"

namespace {
const TViewerRegistrar registrar("TfrmTplShadowCaster", [] { return new TfrmTplShadowCaster; });
}

TfrmTplShadowCaster::TfrmTplShadowCaster(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplShadowCaster"));
    auto* layout = new QVBoxLayout(this);
    auto* partLinks = new QHBoxLayout;
    SynchedObjLink = MakeSynchedObjLink(Record.SynchedObject, this);
    LinkedMultiMod = MakeModifierLink(Record.Modifier, true, false, this);
    partLinks->addWidget(SynchedObjLink);
    partLinks->addWidget(LinkedMultiMod);
    partLinks->addStretch();
    layout->addLayout(partLinks);
    CastFlags = new TFlagBoxGroup(QStringLiteral("Cast Flags"), kShadowCastFlags, 1, this);
    CastFlags->setObjectName(QStringLiteral("CastFlags"));
    layout->addWidget(CastFlags);
    auto* rows = new QFormLayout;
    Boost = AddEditRow(rows, QStringLiteral("Boost:"), QStringLiteral("Boost"), this);
    AttenScale = AddEditRow(rows, QStringLiteral("Attensity Scale:"), QStringLiteral("AttenScale"), this);
    BlurScale = AddEditRow(rows, QStringLiteral("Blur Scale:"), QStringLiteral("BlurScale"), this);
    layout->addLayout(rows);
    layout->addStretch();
    resize(300, 260);
}

void TfrmTplShadowCaster::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        Record = ReadShadowCaster(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
        CastFlags->SetFlags(Record.CastFlags);
        SetFieldFloat(Boost, Record.Boost);
        SetFieldFloat(AttenScale, Record.AttenScale);
        SetFieldFloat(BlurScale, Record.BlurScale);
    }
    SetObjectInfo(entry);
}
