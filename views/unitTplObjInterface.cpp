#include "unitTplObjInterface.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTplMSModifier.h"
#include "unitTplSynchedObject.h"

TfrmTplObjInterface::TfrmTplObjInterface(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplObjInterface"));
    auto* layout = new QVBoxLayout(this);
    auto* ownerRow = new QHBoxLayout;
    ownerRow->addWidget(MakeCaption(QStringLiteral("Scene Object:"), this));
    LinkedSceneObject = new TKeyLinkLabel(this);
    LinkedSceneObject->setObjectName(QStringLiteral("LinkedSceneObject"));
    ownerRow->addWidget(LinkedSceneObject, 1);
    layout->addLayout(ownerRow);
    layout->addWidget(MakeCaption(QStringLiteral("Flags:"), this));
    FlagsList = new QListWidget(this);
    FlagsList->setObjectName(QStringLiteral("FlagsList"));
    layout->addWidget(FlagsList);
    resize(300, 260);
}

void ShowObjInterfacePart(TfrmTplObjInterface* form, const TObjInterface& part, bool standalone) {
    form->Part = part;
    form->LinkedSceneObject->SetKey(part.Owner);
    FillHexWordList(form->FlagsList, part.Props);
    if (!standalone)
        form->LoadObject(PartWindowEntry(kObjInterfacePartName, kObjInterfacePartClass), nullptr);
}
