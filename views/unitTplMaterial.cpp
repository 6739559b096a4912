#include "unitTplMaterial.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"

namespace {
const TViewerRegistrar registrar("TfrmTplMaterial", [] { return new TfrmTplMaterial; });
}

TfrmTplMaterial::TfrmTplMaterial(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplMaterial"));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    SynchedObjLink = MakeSynchedObjLink(Record.SynchedObject, this);
    left->addWidget(SynchedObjLink);
    auto* form = new QFormLayout;
    LoadFlags = MakeReadOnlyEdit(QStringLiteral("LoadFlags"), this);
    form->addRow(QStringLiteral("Load Flags:"), LoadFlags);
    left->addLayout(form);
    CompFlags = new TFlagBoxGroup(QStringLiteral("Composition Flags"), kMaterialCompFlags, 2, this);
    CompFlags->setObjectName(QStringLiteral("CompFlags"));
    left->addWidget(CompFlags);
    left->addStretch();
    layout->addLayout(left);
    auto* right = new QVBoxLayout;
    right->addWidget(MakeCaption(QStringLiteral("Layers:"), this));
    LayerRefs = new TObjRefTreeView(this);
    LayerRefs->setObjectName(QStringLiteral("LayerRefs"));
    right->addWidget(LayerRefs);
    right->addWidget(MakeCaption(QStringLiteral("Piggy Backs:"), this));
    PiggyBackRefs = new TObjRefTreeView(this);
    PiggyBackRefs->setObjectName(QStringLiteral("PiggyBackRefs"));
    right->addWidget(PiggyBackRefs);
    layout->addLayout(right);
    resize(560, 380);
}

void TfrmTplMaterial::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        LayerRefs->Version = PiggyBackRefs->Version = stream->Header.Version;
        Record = ReadMaterial(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
        SetFieldHex(LoadFlags, Record.LoadFlags);
        CompFlags->SetFlags(Record.CompFlags);
        AddPresentKeys(LayerRefs, Record.Layers);
        AddPresentKeys(PiggyBackRefs, Record.PiggyBacks);
    }
    SetObjectInfo(entry);
}
