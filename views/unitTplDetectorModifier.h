#pragma once
// The detector modifier viewer, also the part window of the detector part of collision detectors.
#include "LogicParts.h"
#include "PRPForms.h"

class TKeyLinkLabel;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTplDetectorModifier : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplDetectorModifier(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TDetectorModifier Part;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedSingleMod = nullptr;
    TObjRefTreeView* Receivers = nullptr;
    TKeyLinkLabel* RemoteModLink = nullptr;
    TKeyLinkLabel* ProxyLink = nullptr;
};

// Fills the window from a copy of the part and captions it "[0024] Detector Modifier".
void ShowDetectorModifierPart(TfrmTplDetectorModifier* form, const TDetectorModifier& part);
