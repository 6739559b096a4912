#pragma once
// The multi-stage behaviour viewer: its flags, its stages by number and name, and its receivers.
#include "LogicParts.h"
#include "PRPForms.h"

class QCheckBox;
class QListWidget;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTplMultiStageBehMod : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplMultiStageBehMod(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TMultiStageBehModRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedSingleMod = nullptr;
    QCheckBox* FreezePhysics = nullptr;
    QCheckBox* SmartSeek = nullptr;
    QCheckBox* ReverseFBControlsOnRelease = nullptr;
    QListWidget* StageRefs = nullptr;
    TObjRefTreeView* ReceiverRefs = nullptr;

private:
    void StageRefsDblClick();
};
