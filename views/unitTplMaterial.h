#pragma once
// The material viewer: load and composition flags, layers and piggy-back layers.
#include "LayerParts.h"
#include "PRPForms.h"

class QLineEdit;
class TFlagBoxGroup;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTplMaterial : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplMaterial(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TMaterialRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    QLineEdit* LoadFlags = nullptr;
    TFlagBoxGroup* CompFlags = nullptr;
    TObjRefTreeView* LayerRefs = nullptr;
    TObjRefTreeView* PiggyBackRefs = nullptr;
};
