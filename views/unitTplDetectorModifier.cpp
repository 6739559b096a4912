#include "unitTplDetectorModifier.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ShownControls.h"
#include "unitTplSynchedObject.h"

namespace {
const TViewerRegistrar registrar("TfrmTplDetectorModifier", [] { return new TfrmTplDetectorModifier; });
}

TfrmTplDetectorModifier::TfrmTplDetectorModifier(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplDetectorModifier"));
    auto* layout = new QVBoxLayout(this);
    auto* partLinks = new QHBoxLayout;
    SynchedObjLink = MakeSynchedObjLink(Part.SynchedObject, this);
    LinkedSingleMod = MakeModifierLink(Part.Modifier, false, true, this);
    partLinks->addWidget(SynchedObjLink);
    partLinks->addWidget(LinkedSingleMod);
    partLinks->addStretch();
    layout->addLayout(partLinks);
    layout->addWidget(MakeCaption(QStringLiteral("Receivers:"), this));
    Receivers = new TObjRefTreeView(this);
    Receivers->setObjectName(QStringLiteral("Receivers"));
    layout->addWidget(Receivers);
    auto* keys = new QFormLayout;
    RemoteModLink = MakeNamedKeyLink(QStringLiteral("RemoteModLink"), this);
    ProxyLink = MakeNamedKeyLink(QStringLiteral("ProxyLink"), this);
    keys->addRow(QStringLiteral("Remote Mod:"), RemoteModLink);
    keys->addRow(QStringLiteral("Proxy:"), ProxyLink);
    layout->addLayout(keys);
    resize(320, 360);
}

void ShowDetectorModifierPart(TfrmTplDetectorModifier* form, const TDetectorModifier& part) {
    // The tree points into the kept receivers: drop its nodes before the array is replaced.
    form->Receivers->clear();
    form->Receivers->Version = part.SynchedObject.Version;
    form->Part = part;
    form->SynchedObjLink->setText(SynchedObjLinkCaption(form->Part.SynchedObject));
    AddPresentKeys(form->Receivers, form->Part.Receivers);
    form->RemoteModLink->SetKey(form->Part.RemoteMod);
    form->ProxyLink->SetKey(form->Part.Proxy);
    form->LoadObject(PartWindowEntry(kDetectorModifierPartName, kDetectorModifierPartClass), nullptr);
}

void TfrmTplDetectorModifier::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) ShowDetectorModifierPart(this, ReadDetectorModifierPart(*stream));
    SetObjectInfo(entry);
}
