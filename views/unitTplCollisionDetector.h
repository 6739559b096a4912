#pragma once
// The collision detector viewer, also the part window of the collision part of panic link regions.
#include "LogicParts.h"
#include "PRPForms.h"

class TFlagBoxGroup;
class TLinkLabel;

class TfrmTplCollisionDetector : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplCollisionDetector(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TCollisionDetector Part;
    TLinkLabel* LinkedDetectorModifier = nullptr;
    TFlagBoxGroup* TriggerType = nullptr;
};

// Ticks the trigger-type boxes from a copy of the part and captions the window "Collision Detector" with
// class 43 for a Myst V part, else 44. The detector fields open through the link.
void ShowCollisionDetectorPart(TfrmTplCollisionDetector* form, const TCollisionDetector& part);
