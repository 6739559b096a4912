#pragma once
// The spot light viewer: the omni part behind a link, then the cone.
#include "LightParts.h"
#include "PRPForms.h"

class QLineEdit;
class TLinkLabel;

class TfrmTplSpotLightInfo : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplSpotLightInfo(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TplOmniLightInfo Omni;
    TLinkLabel* LinkedOmniLightInfo = nullptr;
    QLineEdit* Falloff = nullptr;
    QLineEdit* SpotInner = nullptr;
    QLineEdit* SpotOuter = nullptr;
};
