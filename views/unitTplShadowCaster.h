#pragma once
// The shadow caster viewer: cast flags and the three scale values.
#include "PRPForms.h"
#include "ShadowParts.h"

class QLineEdit;
class TFlagBoxGroup;
class TLinkLabel;

class TfrmTplShadowCaster : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplShadowCaster(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TShadowCasterRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedMultiMod = nullptr;
    TFlagBoxGroup* CastFlags = nullptr;
    QLineEdit* Boost = nullptr;
    QLineEdit* AttenScale = nullptr;
    QLineEdit* BlurScale = nullptr;
};
