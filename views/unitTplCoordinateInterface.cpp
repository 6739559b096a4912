#include "unitTplCoordinateInterface.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"

namespace {
const TViewerRegistrar registrar("TfrmTplCoordinateInterface", [] { return new TfrmTplCoordinateInterface; });
}

TfrmTplCoordinateInterface::TfrmTplCoordinateInterface(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplCoordinateInterface"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(MakeInterfacePartLinks(Record.SynchedObject, Record.ObjInterface, this, SynchedObjLink,
                                             LinkedObjIntf));
    layout->addWidget(MakeCaption(QStringLiteral("Transforms:"), this));
    const char* captions[4] = {"Local to Parent", "Parent to Local", "Local to World", "World to Local"};
    auto* mats = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        Mats[i] = MakeMatrixLink(Record.Matrices[i], QString::fromLatin1(captions[i]),
                                 QStringLiteral("Mat%1").arg(i + 1), this);
        mats->addWidget(Mats[i], i / 2, i % 2);
    }
    layout->addLayout(mats);
    layout->addWidget(MakeCaption(QStringLiteral("Children:"), this));
    ObjRefs = new TObjRefTreeView(this);
    ObjRefs->setObjectName(QStringLiteral("ObjRefs"));
    layout->addWidget(ObjRefs);
    resize(320, 360);
}

void TfrmTplCoordinateInterface::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        ObjRefs->Version = stream->Header.Version;
        Record = ReadCoordinateInterface(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
        AddPresentKeys(ObjRefs, Record.Children);
    }
    SetObjectInfo(entry);
}
