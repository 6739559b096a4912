#pragma once
// The image library viewer: the stored images grouped by class.
#include "PRPForms.h"
#include "ShadowParts.h"

class TLinkLabel;
class TObjRefTreeView;

class TfrmTplImageLibMod : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplImageLibMod(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TImageLibModRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedSingleMod = nullptr;
    TObjRefTreeView* ImageRefs = nullptr;
};
