#include "unitTplSpawnModifier.h"

#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "ViewerKit.h"

namespace {
const TViewerRegistrar registrar("TfrmTplSpawnModifier", [] { return new TfrmTplSpawnModifier; });
}

TfrmTplSpawnModifier::TfrmTplSpawnModifier(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplSpawnModifier"));
    auto* layout = new QVBoxLayout(this);
    SynchedObjLink = MakeSynchedObjLink(Record.SynchedObject, this);
    LinkedMultiMod = MakeModifierLink(Record.Modifier, true, true, this);
    layout->addWidget(SynchedObjLink);
    layout->addWidget(LinkedMultiMod);
    layout->addStretch();
    resize(240, 90);
}

void TfrmTplSpawnModifier::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        Record = ReadSpawnModifier(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
    }
    SetObjectInfo(entry);
}
