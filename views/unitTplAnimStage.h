#pragma once
// The anim stage part window: one stage of a multi-stage behaviour.
#include "LogicParts.h"
#include "PRPForms.h"

class QCheckBox;
class QLineEdit;
class TFlagBoxGroup;
class TValueCombo;

class TfrmTplAnimStage : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplAnimStage(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TplAnimStage Stage;
    QLineEdit* AnimName = nullptr;
    TFlagBoxGroup* Notify = nullptr;
    TValueCombo* ForwardType = nullptr;
    TValueCombo* BackwardType = nullptr;
    TValueCombo* AdvanceType = nullptr;
    TValueCombo* RegressType = nullptr;
    QLineEdit* Loops = nullptr;
    QCheckBox* DoAdvanceTo = nullptr;
    QLineEdit* AdvanceTo = nullptr;
    QCheckBox* DoRegressTo = nullptr;
    QLineEdit* RegressTo = nullptr;
};

// Fills the window from a copy of the stage; unless standalone, captions it "Anim Stage" with the class
// index of the stage's format.
void ShowAnimStage(TfrmTplAnimStage* form, const TplAnimStage& stage, bool standalone);
