#pragma once
// The omni light viewer, also the part window of the omni part of the spot light viewer.
#include "LightParts.h"
#include "PRPForms.h"

class QFormLayout;
class QLineEdit;
class TLinkLabel;

class TfrmTplOmniLightInfo : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplOmniLightInfo(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TplOmniLightInfo Omni;
    TLinkLabel* LinkedLightInfo = nullptr;
    QLineEdit* AttenConst = nullptr;
    QLineEdit* AttenLinear = nullptr;
    QLineEdit* AttenQuadratic = nullptr;
    QLineEdit* AttenCutoff = nullptr;
    QFormLayout* Rows = nullptr;
};

// Keeps the record and fills the attenuation; the window keeps its caption "Embedded OmniLightInfo". The
// caller shows the filled window.
void ShowOmniLightInfoPart(TfrmTplOmniLightInfo* form, const TplOmniLightInfo& omni);
