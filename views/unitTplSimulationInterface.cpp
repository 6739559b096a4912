#include "unitTplSimulationInterface.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"

namespace {
const TViewerRegistrar registrar("TfrmTplSimulationInterface", [] { return new TfrmTplSimulationInterface; });
}

TfrmTplSimulationInterface::TfrmTplSimulationInterface(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplSimulationInterface"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(MakeInterfacePartLinks(Record.SynchedObject, Record.ObjInterface, this, SynchedObjLink,
                                             LinkedObjIntf));
    layout->addWidget(MakeCaption(QStringLiteral("Properties:"), this));
    FlagsList = new QListWidget(this);
    FlagsList->setObjectName(QStringLiteral("FlagsList"));
    layout->addWidget(FlagsList);
    auto* physical = new QHBoxLayout;
    physical->addWidget(MakeCaption(QStringLiteral("Physical:"), this));
    LinkedSimulation = new TKeyLinkLabel(this);
    LinkedSimulation->setObjectName(QStringLiteral("LinkedSimulation"));
    physical->addWidget(LinkedSimulation, 1);
    layout->addLayout(physical);
    resize(300, 280);
}

void TfrmTplSimulationInterface::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {

        Record = ReadSimulationInterface(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
        for (uint32_t word : Record.Properties)
            FlagsList->addItem(QString::number(word));
        LinkedSimulation->SetKey(Record.Physical);
    }
    SetObjectInfo(entry);
}
