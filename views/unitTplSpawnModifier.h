#pragma once
// The spawn modifier viewer: only the links of its shared parts.
#include "PRPForms.h"
#include "ShadowParts.h"

class TLinkLabel;

class TfrmTplSpawnModifier : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplSpawnModifier(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TSpawnModifierRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedMultiMod = nullptr;
};
