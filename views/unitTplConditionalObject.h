#pragma once
// The conditional-object part window: the two flags of the part.
#include "LogicParts.h"
#include "PRPForms.h"

class QCheckBox;

class TfrmTplConditionalObject : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplConditionalObject(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TConditionalObject Part;
    QCheckBox* Satisfied = nullptr;
    QCheckBox* Toggle = nullptr;
};

// Ticks the boxes from a copy of the part and captions the window "[002E] Conditional Object".
void ShowConditionalObjectPart(TfrmTplConditionalObject* form, const TConditionalObject& part);
