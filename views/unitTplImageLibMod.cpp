#include "unitTplImageLibMod.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"

namespace {
const TViewerRegistrar registrar("TfrmTplImageLibMod", [] { return new TfrmTplImageLibMod; });
}

TfrmTplImageLibMod::TfrmTplImageLibMod(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplImageLibMod"));
    auto* layout = new QVBoxLayout(this);
    auto* partLinks = new QHBoxLayout;
    SynchedObjLink = MakeSynchedObjLink(Record.SynchedObject, this);
    LinkedSingleMod = MakeModifierLink(Record.Modifier, false, false, this);
    partLinks->addWidget(SynchedObjLink);
    partLinks->addWidget(LinkedSingleMod);
    partLinks->addStretch();
    layout->addLayout(partLinks);
    layout->addWidget(MakeCaption(QStringLiteral("Stored Images:"), this));
    ImageRefs = new TObjRefTreeView(this);
    ImageRefs->setObjectName(QStringLiteral("ImageRefs"));
    layout->addWidget(ImageRefs);
    resize(300, 340);
}

void TfrmTplImageLibMod::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        ImageRefs->clear();
        ImageRefs->Version = stream->Header.Version;
        Record = ReadImageLibMod(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
        AddPresentKeys(ImageRefs, Record.Images);
    }
    SetObjectInfo(entry);
}
