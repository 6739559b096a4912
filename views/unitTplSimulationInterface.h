#pragma once
// The simulation interface viewer: its properties and its physical.
#include "PRPForms.h"
#include "SceneParts.h"

class QListWidget;
class TKeyLinkLabel;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTplSimulationInterface : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplSimulationInterface(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TSimulationInterfaceRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedObjIntf = nullptr;
    QListWidget* FlagsList = nullptr;
    TKeyLinkLabel* LinkedSimulation = nullptr;
};
