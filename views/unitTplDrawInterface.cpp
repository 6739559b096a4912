#include "unitTplDrawInterface.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"

namespace {
const TViewerRegistrar registrar("TfrmTplDrawInterface", [] { return new TfrmTplDrawInterface; });
}

TfrmTplDrawInterface::TfrmTplDrawInterface(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplDrawInterface"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(MakeInterfacePartLinks(Record.SynchedObject, Record.ObjInterface, this, SynchedObjLink,
                                             LinkedObjIntf));
    auto* lists = new QGridLayout;
    lists->addWidget(MakeCaption(QStringLiteral("Drawables:"), this), 0, 0, 1, 2);
    DrawKeys = new QListWidget(this);
    DrawKeys->setObjectName(QStringLiteral("DrawKeys"));
    DrawKeys->setMaximumWidth(100);
    lists->addWidget(DrawKeys, 1, 0);
    ObjRefs1 = new TObjRefTreeView(this);
    ObjRefs1->setObjectName(QStringLiteral("ObjRefs1"));
    lists->addWidget(ObjRefs1, 1, 1);
    layout->addLayout(lists);
    layout->addWidget(MakeCaption(QStringLiteral("Objects:"), this));
    ObjRefs2 = new TObjRefTreeView(this);
    ObjRefs2->setObjectName(QStringLiteral("ObjRefs2"));
    layout->addWidget(ObjRefs2);
    resize(360, 400);
}

void TfrmTplDrawInterface::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        ObjRefs1->Version = ObjRefs2->Version = stream->Header.Version;
        Record = ReadDrawInterface(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
        for (const TDrawableRef& drawable : Record.Drawables) {
            DrawKeys->addItem(HexToText(drawable.DrawIndex));
            if (drawable.Present) ObjRefs1->AddKeyNode(drawable.Key);
        }
        AddPresentKeys(ObjRefs2, Record.Objects);
    }
    SetObjectInfo(entry);
}
