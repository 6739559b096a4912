#pragma once
// The panic link region viewer: its collision part behind a link and the link-out flag.
#include "LogicParts.h"
#include "PRPForms.h"

class QCheckBox;
class TLinkLabel;

class TfrmTplPanicLinkRegion : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplPanicLinkRegion(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TCollisionDetector Part;
    TLinkLabel* LinkedDetectorModifier = nullptr; // opens the collision part
    QCheckBox* PlayLinkOutAnim = nullptr;
};
