#pragma once
// The shadow master viewer: distances, sizes and power.
#include "PRPForms.h"
#include "ShadowParts.h"

class QLineEdit;
class TLinkLabel;

class TfrmTplShadowMaster : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplShadowMaster(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TShadowMasterRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedObjIntf = nullptr;
    QLineEdit* AttenDist = nullptr;
    QLineEdit* MaxDist = nullptr;
    QLineEdit* MinDist = nullptr;
    QLineEdit* MaxSize = nullptr;
    QLineEdit* MinSize = nullptr;
    QLineEdit* Power = nullptr;
};
