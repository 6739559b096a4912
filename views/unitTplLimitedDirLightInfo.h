#pragma once
// The limited directional light viewer: the light part behind a link, then the box size.
#include "LightParts.h"
#include "PRPForms.h"

class QLineEdit;
class TLinkLabel;

class TfrmTplLimitedDirLightInfo : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplLimitedDirLightInfo(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TLightInfo Light;
    TLinkLabel* LinkedLightInfo = nullptr;
    QLineEdit* Width = nullptr;
    QLineEdit* Height = nullptr;
    QLineEdit* Depth = nullptr;
};
