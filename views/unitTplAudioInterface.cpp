#include "unitTplAudioInterface.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"

namespace {
const TViewerRegistrar registrar("TfrmTplAudioInterface", [] { return new TfrmTplAudioInterface; });
}

TfrmTplAudioInterface::TfrmTplAudioInterface(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplAudioInterface"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(MakeInterfacePartLinks(Record.SynchedObject, Record.ObjInterface, this, SynchedObjLink,
                                             LinkedObjIntf));
    auto* sound = new QHBoxLayout;
    sound->addWidget(MakeCaption(QStringLiteral("Sound Link:"), this));
    LinkedWinAudible = new TKeyLinkLabel(this);
    LinkedWinAudible->setObjectName(QStringLiteral("LinkedWinAudible"));
    sound->addWidget(LinkedWinAudible, 1);
    layout->addLayout(sound);
    layout->addStretch();
    resize(300, 120);
}

void TfrmTplAudioInterface::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {

        Record = ReadAudioInterface(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
        LinkedWinAudible->SetKey(Record.Sound);
    }
    SetObjectInfo(entry);
}
